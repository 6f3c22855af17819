#pragma once
// A 1-Wire bus of DS18S20 sensors as a passive serial adapter shows it to
// DigiTemp: every byte the host sends is answered with one byte. A reset is
// the byte 0xF0 (sent at 9600 baud), answered with another byte when a device
// is present; every other byte is one time slot (0xFF writes 1 or reads,
// 0x00 writes 0), answered with 0xFF for a 1 and 0x00 for a 0.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace onewire {

using Rom = std::array<std::uint8_t, 8>;

// Dallas/Maxim CRC-8 (reflected polynomial 0x8C).
std::uint8_t crc8(const std::uint8_t* data, std::size_t length);

enum class Behaviour {
    Normal,     // converts and reports its temperature
    NoConvert,  // never converts: reads the power-on value 85.00
    BadCrc,     // a scratchpad with a wrong CRC
    Absent,     // does not answer at all
};

struct Sensor {
    Rom rom{};
    double celsius = 20.0;
    Behaviour behaviour = Behaviour::Normal;
};

// "ROM TEMPERATURE [normal|noconvert|badcrc|absent]" per line; a ROM of 14
// hex digits gets its CRC appended. Lines starting with # are comments.
std::vector<Sensor> parseSensors(const std::string& text);

// The scratchpad of a DS18S20 that converted `celsius` (resolution 1/16 degree).
std::array<std::uint8_t, 9> scratchpadFor(double celsius);

class Bus {
  public:
    // A conversion takes `conversionMs` (a DS18S20 takes up to 750 ms): until
    // then a sensor's scratchpad holds its previous conversion, and read slots
    // answer 0 (busy). With 0 it converts at once.
    explicit Bus(std::int64_t conversionMs = 0) : conversionMs_(conversionMs) {}
    // Sensors already on the bus keep their last conversion; new ones start at power-on.
    void setSensors(std::vector<Sensor> sensors);
    // One byte from the host at `nowMs` (any steady clock); returns the byte
    // the host reads back.
    std::uint8_t exchange(std::uint8_t sent, std::int64_t nowMs = 0);

  private:
    enum class Phase {
        Idle,
        RomCommand,
        Search,
        Match,
        ReadRom,
        Function,
        Converting,
        ReadScratch,
        Ignore
    };
    struct Device {
        Sensor sensor;
        std::array<std::uint8_t, 9> scratchpad{};
        std::array<std::uint8_t, 9> converting{};  // lands in the scratchpad at readyAtMs
        std::int64_t readyAtMs = -1;               // -1: no conversion running
        bool active = false;
    };
    void finishConversions(std::int64_t nowMs);
    bool romBit(const Device& d, int bit) const { return (d.sensor.rom[bit / 8] >> (bit % 8)) & 1; }
    bool readSlot();           // the wired-AND of what the active devices send
    void writeSlot(bool bit);  // a written bit, by phase
    void startFunction(std::uint8_t command);

    std::int64_t conversionMs_;
    std::int64_t nowMs_ = 0;
    std::vector<Device> devices_;
    Phase phase_ = Phase::Idle;
    int bitCount_ = 0;
    std::uint8_t command_ = 0;
    int searchStep_ = 0;  // 0: id bit, 1: complement, 2: direction
};

}  // namespace onewire
