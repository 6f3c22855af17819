#pragma once
// The whole program from startUp to its end, with the scripted desktop, the
// fake clock, a recorder of sound cues and the real process starter, in a
// fresh temporary working folder.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logger/seams/host.h"
#include "logger/state/program_state.h"
#include "logger/system/platform.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_desktop.h"

namespace kelvinor::testing {

// Sets environment variables for as long as it lives, then puts back what
// was there before (or removes what was not).
class EnvironmentChange {
  public:
    EnvironmentChange() = default;
    EnvironmentChange(const std::string& name, const std::string& value) { set(name, value); }
    ~EnvironmentChange();
    EnvironmentChange(const EnvironmentChange&) = delete;
    EnvironmentChange& operator=(const EnvironmentChange&) = delete;
    void set(const std::string& name, const std::string& value);
    void remove(const std::string& name);

  private:
    struct Previous {
        std::string name;
        bool existed;
        std::string value;
    };
    void remember(const std::string& name);
    std::vector<Previous> previous_;
};

// Makes a fresh folder under the system's temporary folder and works in it.
class TemporaryWorkFolder {
  public:
    TemporaryWorkFolder();
    ~TemporaryWorkFolder();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// Records each cue with the fake time at which it started.
class RecordingSoundOutput final : public SoundOutput {
  public:
    RecordingSoundOutput(FakeClock& clock, bool available) : clock_(clock), available_(available) {}
    bool open() override { return available_; }
    bool loadCue(int cue, const WaveFormat&, std::span<const std::uint8_t> samples) override {
        loaded.push_back({cue, samples.size()});
        return true;
    }
    void play(int cue) override { played.push_back({cue, clock_.elapsedMs()}); }
    void close() override { closed = true; }

    struct Played {
        int cue;
        std::int64_t atMs;
    };
    struct Loaded {
        int cue;
        std::size_t bytes;
    };
    std::vector<Played> played;
    std::vector<Loaded> loaded;
    bool closed = false;
    std::vector<int> cues() const {
        std::vector<int> out;
        for (const Played& p : played) out.push_back(p.cue);
        return out;
    }

  private:
    FakeClock& clock_;
    bool available_;
};

struct ScenarioOptions {
    bool soundAvailable = false;
    bool networkAvailable = true;
};

class Scenario {
  public:
    explicit Scenario(ScenarioOptions options = {});

    FakeClock clock{2026, 12, 6, 23, 31, 5};
    ScriptedDesktop desktop{clock};
    RecordingSoundOutput sound;
    // This system's real process starter.
    std::unique_ptr<ProgramStarter> ownStarter = makeProgramStarter();
    ProgramStarter& starter = *ownStarter;
    Host host;
    ProgramState state;

    // Runs the whole program in the given edition; returns the exit code
    // `main` would return.
    int runStartUp(int demoMode);
    // The same, leaving the title prompt with Escape and closing the main window at once.
    int runStartUpAndClose(int demoMode);
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// What a shell command writes on its standard output.
std::string commandOutput(const std::string& command);
// Asks `condition` every 10 ms for up to `seconds`: whether it came true.
// For the ends of real processes, which no fake clock can hurry.
bool eventually(const std::function<bool()>& condition, int seconds = 5);
// The rows of a log file recorded on 06.12.2026, without their line ends.
std::vector<std::string> logRows(const std::string& log);

// The sensors' ROM codes in the table's order.
inline std::vector<std::string> romsOf(const SensorTable& sensors) {
    std::vector<std::string> roms;
    for (const Sensor& sensor : sensors) roms.push_back(sensor.rom);
    return roms;
}

}  // namespace kelvinor::testing
