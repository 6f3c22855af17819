#pragma once
// The ProgramStarter seam: starting programs, documents and web addresses,
// and terminating a started program.
#include <cstdint>
#include <functional>
#include <string>

namespace kelvinor {

// Start options.
inline constexpr unsigned kWait = 1;        // wait until the process has ended
inline constexpr unsigned kHidden = 2;      // no visible window, no terminal
inline constexpr unsigned kKeepHandle = 4;  // return the process handle
// The process and everything it starts form a group of their own, which is
// ended with the program however the program ends.
inline constexpr unsigned kOwnGroup = 8;

// 0: nothing was started; 1: started, no handle kept; otherwise a handle.
using ProcessHandle = std::int64_t;

class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;
    // Called again and again while a kWait start waits; false ends the wait
    // and, with kOwnGroup, the process and everything it started.
    using WaitingHook = std::function<bool()>;
    // `commandLine` is the quoted file followed by the parameters; `file` and
    // `parameters` are handed to the shell when the command line cannot run.
    virtual ProcessHandle start(const std::string& commandLine, const std::string& file,
                                const std::string& parameters, const std::string& workingFolder,
                                unsigned options, const WaitingHook& whileWaiting = {}) = 0;
    // Kills a process started with kKeepHandle and reaps it; an ended process is no error.
    virtual void terminate(ProcessHandle handle) = 0;
    // Gives up a kept handle that the caller does not store; the process is reaped when it ends.
    virtual void release(ProcessHandle handle) = 0;
};

}  // namespace kelvinor
