#include "tests/onewire/onewire_bus.h"

#include <cmath>
#include <sstream>

namespace onewire {

std::uint8_t crc8(const std::uint8_t* data, std::size_t length) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = (crc ^ byte) & 1;
            crc >>= 1;
            if (mix) crc ^= 0x8C;
            byte >>= 1;
        }
    }
    return crc;
}

std::vector<Sensor> parseSensors(const std::string& text) {
    std::vector<Sensor> sensors;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string hex, behaviour;
        double celsius = 0;
        if (!(fields >> hex) || hex.starts_with('#')) continue;
        fields >> celsius >> behaviour;
        Sensor sensor;
        const std::size_t bytes = hex.size() / 2;
        if (bytes != 7 && bytes != 8) continue;
        for (std::size_t i = 0; i < bytes; ++i)
            sensor.rom[i] =
                static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
        if (bytes == 7) sensor.rom[7] = crc8(sensor.rom.data(), 7);
        sensor.celsius = celsius;
        if (behaviour == "noconvert") sensor.behaviour = Behaviour::NoConvert;
        if (behaviour == "badcrc") sensor.behaviour = Behaviour::BadCrc;
        if (behaviour == "absent") sensor.behaviour = Behaviour::Absent;
        sensors.push_back(sensor);
    }
    return sensors;
}

std::array<std::uint8_t, 9> scratchpadFor(double celsius) {
    // TEMPERATURE = TEMP_READ - 0.25 + (COUNT_PER_C - COUNT_REMAIN) / COUNT_PER_C
    const int sixteenths = static_cast<int>(std::lround(celsius * 16));
    const int tempRead = static_cast<int>(std::floor((sixteenths + 4) / 16.0));
    const int countRemain = 16 - (sixteenths + 4 - tempRead * 16);
    const auto raw = static_cast<std::uint16_t>(static_cast<std::int16_t>(tempRead * 2));
    std::array<std::uint8_t, 9> pad = {static_cast<std::uint8_t>(raw & 0xFF),
                                       static_cast<std::uint8_t>(raw >> 8),
                                       0x4B,
                                       0x46,
                                       0xFF,
                                       0xFF,
                                       static_cast<std::uint8_t>(countRemain),
                                       0x10,
                                       0};
    pad[8] = crc8(pad.data(), 8);
    return pad;
}

void Bus::setSensors(std::vector<Sensor> sensors) {
    std::vector<Device> previous = std::move(devices_);
    devices_.clear();
    for (const Sensor& sensor : sensors) {
        if (sensor.behaviour == Behaviour::Absent) continue;
        // A sensor that stays on the bus keeps its scratchpad.
        bool kept = false;
        for (Device& old : previous) {
            if (old.sensor.rom == sensor.rom) {
                old.sensor = sensor;
                devices_.push_back(old);
                kept = true;
                break;
            }
        }
        if (kept) continue;
        Device device;
        device.sensor = sensor;
        // Power-on value: 85.00 degrees (0x00AA, COUNT_REMAIN 0x0C).
        device.scratchpad = {0xAA, 0x00, 0x4B, 0x46, 0xFF, 0xFF, 0x0C, 0x10, 0};
        device.scratchpad[8] = crc8(device.scratchpad.data(), 8);
        devices_.push_back(device);
    }
}

bool Bus::readSlot() {
    if (phase_ == Phase::Search && searchStep_ == 2) return true;  // the host writes the direction
    bool level = true;
    for (const Device& d : devices_) {
        if (!d.active) continue;
        switch (phase_) {
            case Phase::Search:
                level &= searchStep_ == 0 ? romBit(d, bitCount_) : !romBit(d, bitCount_);
                break;
            case Phase::ReadRom:
                level &= romBit(d, bitCount_);
                break;
            case Phase::ReadScratch:
                level &= (d.scratchpad[bitCount_ / 8] >> (bitCount_ % 8)) & 1;
                break;
            case Phase::Converting:
                level &= d.readyAtMs < 0;
                break;
            default:
                break;
        }
    }
    return level;
}

void Bus::startFunction(std::uint8_t command) {
    bitCount_ = 0;
    switch (command) {
        case 0x44:  // convert T
            for (Device& d : devices_) {
                if (!d.active || d.sensor.behaviour == Behaviour::NoConvert) continue;
                d.converting = scratchpadFor(d.sensor.celsius);
                if (d.sensor.behaviour == Behaviour::BadCrc) d.converting[8] ^= 0x5A;
                d.readyAtMs = nowMs_ + conversionMs_;
            }
            finishConversions(nowMs_);
            phase_ = Phase::Converting;
            break;
        case 0xBE:  // read scratchpad
            phase_ = Phase::ReadScratch;
            break;
        default:  // read power supply and the rest: read slots answer 1
            phase_ = Phase::Ignore;
            break;
    }
}

void Bus::writeSlot(bool bit) {
    switch (phase_) {
        case Phase::RomCommand:
        case Phase::Function:
            command_ |= static_cast<std::uint8_t>(bit) << bitCount_;
            if (++bitCount_ < 8) return;
            if (phase_ == Phase::Function) {
                startFunction(command_);
                return;
            }
            bitCount_ = 0;
            if (command_ == 0xF0) {
                phase_ = Phase::Search;
                searchStep_ = 0;
            } else if (command_ == 0x55) {
                phase_ = Phase::Match;
            } else if (command_ == 0x33) {
                phase_ = Phase::ReadRom;
            } else if (command_ == 0xCC) {
                phase_ = Phase::Function;
                command_ = 0;
            } else {
                phase_ = Phase::Ignore;
            }
            return;
        case Phase::Search:
            if (searchStep_ < 2) {
                ++searchStep_;
                return;
            }
            for (Device& d : devices_)
                if (d.active && romBit(d, bitCount_) != bit) d.active = false;
            searchStep_ = 0;
            break;
        case Phase::Match:
            for (Device& d : devices_)
                if (d.active && romBit(d, bitCount_) != bit) d.active = false;
            break;
        case Phase::ReadRom:
        case Phase::ReadScratch:
            break;
        default:
            return;
    }
    const int last = phase_ == Phase::ReadScratch ? 72 : 64;
    if (++bitCount_ < last) return;
    if (phase_ == Phase::ReadScratch) {
        phase_ = Phase::Ignore;
        return;
    }
    phase_ = Phase::Function;
    bitCount_ = 0;
    command_ = 0;
}

void Bus::finishConversions(std::int64_t nowMs) {
    for (Device& d : devices_) {
        if (d.readyAtMs < 0 || nowMs < d.readyAtMs) continue;
        d.scratchpad = d.converting;
        d.readyAtMs = -1;
    }
}

std::uint8_t Bus::exchange(std::uint8_t sent, std::int64_t nowMs) {
    nowMs_ = nowMs;
    finishConversions(nowMs);
    if (sent == 0xF0) {
        // Reset: every device listens for a ROM command again.
        for (Device& d : devices_) d.active = true;
        phase_ = Phase::RomCommand;
        bitCount_ = 0;
        command_ = 0;
        return devices_.empty() ? 0xF0 : 0xE0;
    }
    const bool written = (sent & 1) != 0;
    bool level = written;
    if (written) level = readSlot();
    writeSlot(level);
    return level ? 0xFF : 0x00;
}

}  // namespace onewire
