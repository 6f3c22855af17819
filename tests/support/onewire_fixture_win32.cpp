// The simulated 1-Wire bus for the Windows tests: the Linux onewire-sim,
// started through Wine, whose pseudo-terminal becomes the Wine prefix's COM3;
// and the Windows batches with the shipped DigiTemp for Windows.
#include <filesystem>
#include <stdexcept>

#include "tests/support/linux_program_win32.h"
#include "tests/support/onewire_fixture.h"
#include "tests/support/scenario.h"

namespace kelvinor::testing {

namespace fs = std::filesystem;

namespace {

// Where Wine finds the prefix's COM3: in dosdevices, where C: is too.
std::string comThreeLink() {
    std::string driveC = linuxPath("C:\\");
    while (!driveC.empty() && driveC.back() == '/') driveC.pop_back();
    const fs::path drive(driveC);
    const fs::path devices =
        drive.filename() == "c:" ? drive.parent_path() : drive.parent_path() / "dosdevices";
    return devices.generic_string() + "/com3";
}

}  // namespace

struct SimulatedBus::Process {
    std::unique_ptr<LinuxProgram> simulator;
};

SimulatedBus::SimulatedBus(const std::string& sensors, int conversionMs)
    : link_("COM3"),
      sensorFile_((fs::current_path() / "sensors.txt").string()),
      process_(std::make_unique<Process>()) {
    setSensors(sensors);
    // The simulator ends on SIGTERM; the shell around it sends that when the
    // test closes its input.
    process_->simulator = std::make_unique<LinuxProgram>(
        "/bin/bash",
        std::vector<std::string>{"-c", "$0 $1 $2 $3 & read -r _; kill $!; wait", ONEWIRE_SIM_PATH,
                                 linuxPath((fs::current_path() / "ttySIM").string()),
                                 linuxPath(sensorFile_), std::to_string(conversionMs)});
    const std::string terminal = process_->simulator->readOutput('\n');
    if (terminal.rfind("/dev/", 0) != 0) throw std::runtime_error("onewire-sim: " + terminal);
    runLinuxProgram("/bin/ln", {"-sfn", terminal, comThreeLink()});
}

SimulatedBus::~SimulatedBus() {
    runLinuxProgram("/bin/rm", {"-f", comThreeLink()});
    process_->simulator->closeInput();
}

void SimulatedBus::setSensors(const std::string& sensors) {
    writeFile(sensorFile_, sensors);
}

void installBusScripts(const std::string& device, int port) {
    for (const auto& entry : fs::directory_iterator(WINDOWS_BUS_SCRIPTS))
        fs::copy_file(entry.path(), entry.path().filename(), fs::copy_options::overwrite_existing);
    fs::copy_file(DIGITEMP_EXE, "digitemp_DS9097.exe", fs::copy_options::overwrite_existing);
    // Every other port names a COM port that does not exist.
    std::string ports;
    for (int n = 1; n <= 9; ++n)
        ports += "COM" + std::to_string(n) + " " +
                 (n == port ? device : "COM20" + std::to_string(n)) + "\r\n";
    writeFile("COMPORTS.TXT", ports);
}

}  // namespace kelvinor::testing
