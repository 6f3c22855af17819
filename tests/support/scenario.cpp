#include "tests/support/scenario.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "logger/application/program_course.h"
#include "logger/system/platform.h"

namespace kelvinor::testing {

namespace {

void setVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

void removeVariable(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), "");
#else
    unsetenv(name.c_str());
#endif
}

}  // namespace

EnvironmentChange::~EnvironmentChange() {
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it) {
        if (it->existed)
            setVariable(it->name, it->value);
        else
            removeVariable(it->name);
    }
}

void EnvironmentChange::remember(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    previous_.push_back({name, value != nullptr, value != nullptr ? value : ""});
}

void EnvironmentChange::set(const std::string& name, const std::string& value) {
    remember(name);
    setVariable(name, value);
}

void EnvironmentChange::remove(const std::string& name) {
    remember(name);
    removeVariable(name);
}

// A new folder of a random name: create_directory fails on an existing one,
// so two tests never share a folder.
TemporaryWorkFolder::TemporaryWorkFolder() : previous_(std::filesystem::current_path()) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        std::string name = "kelvinor-";
        for (int i = 0; i < 6; ++i) name += letters[random() % letters.size()];
        const std::filesystem::path candidate = std::filesystem::temp_directory_path() / name;
        if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder could be made");
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
      // The real socket layer when the network is there: the program's end
      // stops it again (on Windows each stop undoes a start of the process).
      host{desktop, clock, sound, starter,
           [available = options.networkAvailable] { return available && startSocketLayer(); }} {}

int Scenario::runStartUp(int demoMode) {
    return runProgram(state, host, demoMode);
}

int Scenario::runStartUpAndClose(int demoMode) {
    desktop.answerPrompt(std::nullopt);
    desktop.closeAt(0);
    return runStartUp(demoMode);
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

std::string commandOutput(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[65536];
    std::size_t n;
    while (pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    if (pipe != nullptr) pclose(pipe);
    return out;
}

bool eventually(const std::function<bool()>& condition, int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

std::vector<std::string> logRows(const std::string& log) {
    std::vector<std::string> rows;
    for (std::size_t at = 0; (at = log.find("\r\n06.12.2026\t", at)) != std::string::npos; ++at)
        rows.push_back(log.substr(at + 2, log.find("\r\n", at + 2) - at - 2));
    return rows;
}

}  // namespace kelvinor::testing
