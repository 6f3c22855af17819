#include "tests/support/scenario.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "logger/application/startup.h"

namespace kelvinor::testing {

TemporaryWorkFolder::TemporaryWorkFolder() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvinor-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    std::filesystem::current_path(path_);
}

TemporaryWorkFolder::~TemporaryWorkFolder() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

Scenario::Scenario(ScenarioOptions options)
    : sound(clock, options.soundAvailable),
      host{desktop,
           clock,
           sound,
           starter,
           [available = options.networkAvailable] { return available; },
           [](int code) { throw ProgramEnded{code}; }} {}

int Scenario::runStartUp(int demoMode) {
    return run([&] { startUp(state, host, demoMode); });
}

int Scenario::runStartUpAndClose(int demoMode) {
    desktop.answerPrompt(std::nullopt);
    desktop.closeAt(0);
    return runStartUp(demoMode);
}

int Scenario::run(const std::function<void()>& body) {
    try {
        body();
    } catch (const ProgramEnded& ended) {
        return ended.exitCode;
    }
    throw std::logic_error("the program returned instead of ending");
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kelvinor::testing
