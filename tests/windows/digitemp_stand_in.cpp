// A stand-in for DigiTemp for Windows (digitemp_DS9097.exe) that answers
// from STANDIN.TXT in the working folder, one sensor per line:
//   PORT ROM CELSIUS       e.g.  COM2 10A8B16B0108005D 21.50
// "-q -i -s PORT -c FILE" writes FILE as DigiTemp writes its settings and
// lists the port's sensors; "-q -t K -o4 -c FILE" prints "K<TAB>CELSIUS" of
// the K-th sensor of the port in FILE. Every call is noted in STANDIN.LOG
// with the READ_TIME of the settings it read. A port with a sensor "HANG"
// never ends its search, a sensor read as "hang" never ends its read, as a
// DigiTemp stuck on a broken adapter.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Sensor {
    std::string port, rom, celsius;
};

std::vector<Sensor> sensorsOn(const std::string& port) {
    std::vector<Sensor> found;
    std::ifstream in("STANDIN.TXT");
    Sensor s;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (fields >> s.port >> s.rom >> s.celsius && s.port == port) found.push_back(s);
    }
    return found;
}

void note(const std::string& text) {
    std::ofstream("STANDIN.LOG", std::ios::app | std::ios::binary) << text << "\n";
}

[[noreturn]] void hangForever() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

int main(int argc, char** argv) {
    std::string port, settings, sensor;
    bool initialise = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-i") initialise = true;
        if (a == "-s" && i + 1 < argc) port = argv[++i];
        if (a == "-c" && i + 1 < argc) settings = argv[++i];
        if (a == "-t" && i + 1 < argc) sensor = argv[++i];
    }
    if (initialise) {
        note("search " + port);
        const std::vector<Sensor> sensors = sensorsOn(port);
        for (const Sensor& s : sensors)
            if (s.rom == "HANG") hangForever();
        if (sensors.empty()) {
            std::fprintf(stderr, "Error 6: no 1-Wire devices on %s\n", port.c_str());
            return 1;
        }
        std::ofstream cfg(settings);
        cfg << "TTY " << port << "\nREAD_TIME 1000\nLOG_TYPE 1\n"
            << "LOG_FORMAT \"%b %d %H:%M:%S Sensor %s C: %.2C F: %.2F\"\n"
            << "SENSORS " << sensors.size() << "\n";
        std::printf("Searching the 1-Wire LAN\n");
        for (std::size_t k = 0; k < sensors.size(); ++k) {
            cfg << "ROM " << k;
            for (std::size_t b = 0; b + 1 < sensors[k].rom.size(); b += 2)
                cfg << " 0x" << sensors[k].rom.substr(b, 2);
            cfg << "\n";
            std::printf("%s : DS1820/DS18S20/DS1920 Temperature Sensor\n", sensors[k].rom.c_str());
        }
        for (std::size_t k = 0; k < sensors.size(); ++k)
            std::printf("ROM #%zu : %s\n", k, sensors[k].rom.c_str());
        std::printf("Wrote %s\n", settings.c_str());
        return 0;
    }
    std::ifstream cfg(settings);
    std::string line, readTime, tty;
    while (std::getline(cfg, line)) {
        if (line.rfind("TTY ", 0) == 0) tty = line.substr(4);
        if (line.rfind("READ_TIME ", 0) == 0) readTime = line.substr(10);
    }
    while (!readTime.empty() && (readTime.back() == '\r' || readTime.back() == '\f'))
        readTime.pop_back();
    note("read " + sensor + " " + tty + " READ_TIME " + readTime);
    const std::vector<Sensor> sensors = sensorsOn(tty);
    const std::size_t k = sensor.empty() ? 0 : std::stoul(sensor);
    if (k >= sensors.size()) {
        std::fprintf(stderr, "Error: sensor %zu not found\n", k);
        return 1;
    }
    if (sensors[k].celsius == "hang") hangForever();
    std::printf("%zu\t%s\n", k, sensors[k].celsius.c_str());
    return 0;
}
