#include "logger/platform/win32/process_starter.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <vector>

namespace kelvinor {
namespace {

// A job whose processes all end when its last handle is closed.
HANDLE makeJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job == nullptr) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// ShellExecuteExA for documents and web addresses; its process, when there
// is one of its own, is the handle.
HANDLE openWithShell(const std::string& file, const std::string& parameters,
                     const std::string& workingFolder, bool hidden, bool& started) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = workingFolder.empty() ? nullptr : workingFolder.c_str();
    info.nShow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    started = ShellExecuteExA(&info) != 0;
    return started ? info.hProcess : nullptr;
}

}  // namespace

ProcessHandle Win32ProgramStarter::start(const std::string& commandLine, const std::string& file,
                                         const std::string& parameters,
                                         const std::string& workingFolder, unsigned options,
                                         const WaitingHook& whileWaiting) {
    const bool hidden = (options & kHidden) != 0;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    HANDLE job = (options & kOwnGroup) != 0 ? makeJob() : nullptr;
    // Hidden: a console of its own that is never shown. DETACHED_PROCESS
    // would leave the batch without any console, so that every console
    // program it runs (DigiTemp) would open a console window of its own, and
    // under Wine such a program's output never reaches its redirection.
    DWORD flags = hidden ? CREATE_NO_WINDOW : 0;
    if (job != nullptr) flags |= CREATE_SUSPENDED;  // into the job before it runs
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION process{};
    HANDLE handle = nullptr;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                       &process)) {
        if (job != nullptr) AssignProcessToJobObject(job, process.hProcess);
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        handle = process.hProcess;
    } else {
        bool started = false;
        handle = openWithShell(file, parameters, workingFolder, hidden, started);
        if (!started) {
            if (job != nullptr) CloseHandle(job);
            return 0;
        }
        if (handle == nullptr) {  // handed to a program that was running already
            if (job != nullptr) CloseHandle(job);
            return 1;
        }
        if (job != nullptr) AssignProcessToJobObject(job, handle);
    }

    if ((options & kWait) != 0) {
        // The 100 ms steps let the caller keep its windows served.
        while (WaitForSingleObject(handle, 100) == WAIT_TIMEOUT)
            if (whileWaiting && !whileWaiting()) {
                if (job != nullptr) TerminateJobObject(job, 0xFFFFFFFFu);
                break;
            }
    }
    const auto value = reinterpret_cast<ProcessHandle>(handle);
    if ((options & kKeepHandle) != 0) {
        std::lock_guard lock(mutex_);
        jobs_[value] = job;
        return value;
    }
    // What the batch left running ends with its job.
    if (job != nullptr) CloseHandle(job);
    CloseHandle(handle);
    return 1;
}

void Win32ProgramStarter::closeJob(ProcessHandle handle) {
    std::lock_guard lock(mutex_);
    const auto found = jobs_.find(handle);
    if (found == jobs_.end()) return;
    if (found->second != nullptr) CloseHandle(static_cast<HANDLE>(found->second));
    jobs_.erase(found);
}

// The exit code 4294967295 is what Windows programs of this kind use.
void Win32ProgramStarter::terminate(ProcessHandle handle) {
    if (handle == 0 || handle == 1) return;
    const auto process = reinterpret_cast<HANDLE>(handle);
    TerminateProcess(process, 0xFFFFFFFFu);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    closeJob(handle);
}

// The process runs on; its job (if any) stays open, so its group still ends
// with this program.
void Win32ProgramStarter::release(ProcessHandle handle) {
    if (handle == 0 || handle == 1) return;
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    std::lock_guard lock(mutex_);
    jobs_.erase(handle);
}

}  // namespace kelvinor
