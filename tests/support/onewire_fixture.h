#pragma once
// A simulated 1-Wire bus on a pseudo-terminal (the onewire-sim program), and
// a working folder with the shipped bus scripts whose COM3 is that bus. The
// Windows tests run the same Linux simulator under Wine, as the Wine
// prefix's COM3, with the Windows batches and the DigiTemp for Windows that
// the packages ship.
#include <memory>
#include <string>

namespace kelvinor::testing {

class SimulatedBus {
  public:
    // Starts the bus in the current folder with the given sensor lines
    // ("ROM TEMPERATURE [behaviour]"), linked as ./ttySIM (on Windows as
    // COM3); a conversion takes `conversionMs` of real time.
    explicit SimulatedBus(const std::string& sensors, int conversionMs = 0);
    ~SimulatedBus();
    // Changes the sensors; the bus takes them up at its next reset.
    void setSensors(const std::string& sensors);
    // The device the bus scripts are to read: the link, or COM3 on Windows.
    std::string link() const { return link_; }
    struct Process;  // the system's handle of the running simulator

  private:
    std::string link_;
    std::string sensorFile_;
    std::unique_ptr<Process> process_;
};

// Copies the bus scripts into the current folder and maps COM3 to `device`;
// every other port points to a device that does not exist.
void installBusScripts(const std::string& device, int port = 3);

}  // namespace kelvinor::testing
