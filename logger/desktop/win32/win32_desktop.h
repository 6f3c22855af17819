#pragma once
// The Desktop seam on Win32's own windows and controls (no toolkit).
#include <cstdint>
#include <deque>
#include <map>
#include <optional>

#include "logger/seams/desktop.h"

// Windows' handles without <windows.h> in this header.
struct HWND__;
struct HBRUSH__;
struct tagMSG;

namespace kelvinor {

// The logbook shows the newest lines of a long recording: a rich edit's
// memory grows with every line it holds (about 23 KB a line in Wine's), so
// once it holds kLogbookMostLines, the oldest kLogbookTrimLines go at once.
// The log file keeps every row.
inline constexpr int kLogbookMostLines = 2000;
inline constexpr int kLogbookTrimLines = 500;

class Win32Desktop final : public Desktop {
  public:
    Win32Desktop();
    ~Win32Desktop() override;

    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    void createControl(const ControlSpec& layout) override;
    bool hasControl(int id) const override;
    void setText(int id, const std::string& text) override;
    void setTextColour(int id, Colour colour) override;
    void setBackgroundColour(int id, Colour colour) override;
    void setTooltip(int id, const std::string& text) override;
    void setEnabled(int id, bool enabled) override;
    void setChecked(int id, bool checked) override;
    void setProgress(int id, int value) override;
    void appendLogbookLine(int id, const std::string& line) override;
    void clearLogbook(int id) override;
    std::string askText(const std::string& title, const std::string& message,
                        const std::string& preset) override;
    int showMessage(const std::string& title, const std::string& text,
                    MessageButtons buttons) override;
    std::optional<WindowEvent> waitForEvent(std::int64_t timeoutMs) override;
    void updateDisplay() override;
    void serveWithoutInput(std::int64_t milliseconds) override;
    bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) override;
    void closeAll() override;

    // For tests of the real windows.
    HWND__* window(int number) const;
    HWND__* control(int id) const;

    // Called by the window procedure.
    void post(const WindowEvent& event) { events_.push_back(event); }
    int numberOf(HWND__* window) const;
    // The brush for a control's colours, or null to leave it to Windows.
    HBRUSH__* paintColours(HWND__* control, void* deviceContext);

  private:
    struct Control {
        HWND__* handle = nullptr;
        int window = 0;
        ControlKind kind = ControlKind::StaticText;
        std::optional<Colour> text, background;
        HBRUSH__* brush = nullptr;
        bool logbookEmpty = true;
        int logbookLines = 0;  // lines the logbook control holds
    };
    struct Window {
        HWND__* handle = nullptr;
        HWND__* tooltips = nullptr;
    };
    Control* find(int id);
    // Takes one message off the queue without handing input to the windows:
    // a click on an enabled button and the close box become events, other
    // input is dropped. False when the queue was empty.
    bool serveOneWithoutInput();
    void keepAsEvent(const tagMSG& message);

    std::map<int, Window> windows_;
    std::map<int, Control> controls_;
    std::deque<WindowEvent> events_;
    std::optional<WindowEvent> pressed_;  // a press on a button while input was closed
};

}  // namespace kelvinor
