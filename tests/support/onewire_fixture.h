#pragma once
// A simulated 1-Wire bus on a pseudo-terminal (the onewire-sim program), and
// a working folder with the shipped bus scripts whose COM3 is that bus.
#include <sys/types.h>

#include <string>

namespace kelvinor::testing {

class SimulatedBus {
  public:
    // Starts the bus in the current folder with the given sensor lines
    // ("ROM TEMPERATURE [behaviour]"), linked as ./ttySIM; a conversion takes
    // `conversionMs` of real time.
    explicit SimulatedBus(const std::string& sensors, int conversionMs = 0);
    ~SimulatedBus();
    // Changes the sensors; the bus takes them up at its next reset.
    void setSensors(const std::string& sensors);
    std::string link() const { return link_; }

  private:
    pid_t pid_ = 0;
    std::string link_;
    std::string sensorFile_;
};

// Copies the bus scripts into the current folder and maps COM3 to `device`;
// every other port points to a device that does not exist.
void installBusScripts(const std::string& device, int port = 3);

}  // namespace kelvinor::testing
