#pragma once
// The real host of the program: the Qt desktop and sound output, and this
// system's clock, process starter and socket layer.
#include <functional>
#include <memory>

#include "logger/seams/host.h"

namespace kelvinor {

class QtDesktop;

class RealHost {
  public:
    // `sound` replaces the Qt sound output (for tests); `stopRequested` is the
    // stop from outside (see QtDesktop::takeStopRequestsFrom).
    explicit RealHost(std::unique_ptr<SoundOutput> sound = nullptr,
                      std::function<bool()> stopRequested = {});
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
