#pragma once
#include <map>
#include <mutex>
#include <string>

#include "logger/seams/program_starter.h"

namespace kelvinor {

// Starts programs with CreateProcessA (the quoted command line, no inherited
// handles; hidden: DETACHED_PROCESS and SW_HIDE); what cannot be run as a
// program (a document, a web address) goes to ShellExecuteExA. A start with
// kOwnGroup runs in a job object that ends all its processes when the wait
// is given up, and when this program ends, however it ends. The handle is
// the process handle's value.
class Win32ProgramStarter final : public ProgramStarter {
  public:
    ProcessHandle start(const std::string& commandLine, const std::string& file,
                        const std::string& parameters, const std::string& workingFolder,
                        unsigned options, const WaitingHook& whileWaiting = {}) override;
    void terminate(ProcessHandle handle) override;
    void release(ProcessHandle handle) override;

  private:
    void closeJob(ProcessHandle handle);

    std::mutex mutex_;
    std::map<ProcessHandle, void*> jobs_;  // process handle → its job object
};

}  // namespace kelvinor
