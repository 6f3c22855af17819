#include "tests/support/onewire_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "tests/support/scenario.h"

extern char** environ;

namespace kelvinor::testing {

namespace fs = std::filesystem;

struct SimulatedBus::Process {
    pid_t pid = 0;
};

SimulatedBus::SimulatedBus(const std::string& sensors, int conversionMs)
    : link_((fs::current_path() / "ttySIM").string()),
      sensorFile_((fs::current_path() / "sensors.txt").string()),
      process_(std::make_unique<Process>()) {
    setSensors(sensors);
    const char* program = ONEWIRE_SIM_PATH;
    std::string conversion = std::to_string(conversionMs);
    char* argv[] = {const_cast<char*>(program), link_.data(), sensorFile_.data(), conversion.data(),
                    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&process_->pid, program, &actions, nullptr, argv, environ) != 0)
        process_->pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    if (process_->pid == 0) throw std::runtime_error("cannot start onewire-sim");
    for (int i = 0; i < 500 && !fs::exists(fs::symlink_status(link_)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!fs::exists(fs::symlink_status(link_))) throw std::runtime_error("onewire-sim: no link");
}

SimulatedBus::~SimulatedBus() {
    if (process_->pid > 0) {
        kill(process_->pid, SIGTERM);
        waitpid(process_->pid, nullptr, 0);
    }
}

void SimulatedBus::setSensors(const std::string& sensors) {
    writeFile(sensorFile_, sensors);
}

void installBusScripts(const std::string& device, int port) {
    // The Linux scripts: the files of the folder, not its windows/ folder.
    for (const auto& entry : fs::directory_iterator(BUS_SCRIPTS_DIR))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    std::string ports;
    for (int n = 1; n <= 9; ++n)
        ports += "COM" + std::to_string(n) + " " +
                 (n == port ? device : "/nonexistent/ttyS" + std::to_string(n)) + "\n";
    writeFile("COMPORTS.TXT", ports);
}

}  // namespace kelvinor::testing
