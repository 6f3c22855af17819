#pragma once
// The real host of the program: the Qt desktop and sound output, and this
// system's clock, process starter, socket layer and process end.
#include <functional>
#include <memory>

#include "logger/seams/host.h"

namespace kelvinor {

class QtDesktop;

class RealHost {
  public:
    // `exitProcess` ends the program; by default the process exits with the
    // code. `sound` replaces the Qt sound output (for tests).
    explicit RealHost(std::function<void(int)> exitProcess = {},
                      std::unique_ptr<SoundOutput> sound = nullptr);
    ~RealHost();
    Host& host() { return *host_; }
    QtDesktop& desktop() { return *desktop_; }

  private:
    std::unique_ptr<QtDesktop> desktop_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<SoundOutput> sound_;
    std::unique_ptr<ProgramStarter> starter_;
    std::unique_ptr<Host> host_;
};

}  // namespace kelvinor
