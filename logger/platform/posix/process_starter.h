#pragma once
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "logger/seams/program_starter.h"

namespace kelvinor {

// Splits a command line into arguments: a token in double quotes runs to the
// next double quote, other tokens end at a blank.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

// Starts programs with posix_spawn; a file that cannot be run as a program
// (a document, a web address) is handed to xdg-open. The handle is the
// process id. Children inherit no open files besides standard input and
// output, and every child is reaped: waited for, terminated, or reaped in the
// background when nobody keeps its handle.
class PosixProgramStarter final : public ProgramStarter {
  public:
    ProcessHandle start(const std::string& commandLine, const std::string& file,
                        const std::string& parameters, const std::string& workingFolder,
                        unsigned options, const WaitingHook& whileWaiting = {}) override;
    void terminate(ProcessHandle handle) override;
    void release(ProcessHandle handle) override;

  private:
    std::mutex mutex_;
    std::set<ProcessHandle> kept_;
};

}  // namespace kelvinor
