#pragma once
// The fixed numbers of the program's windows and controls.

namespace kelvinor {

inline constexpr int scanWindow = 0;
inline constexpr int mainWindow = 1;
inline constexpr int foundWindow = 2;

inline constexpr int scanText = 5;
inline constexpr int logbookHeading = 6;
inline constexpr int foundText = 7;
inline constexpr int intervalLine = 8;
inline constexpr int lastRecordLine = 9;
inline constexpr int nextRecordLine = 10;
inline constexpr int logbook = 11;
inline constexpr int renameButton = 12;
inline constexpr int startButton = 13;
inline constexpr int stopButton = 14;
inline constexpr int thresholdsButton = 15;
inline constexpr int instantQueryButton = 16;
inline constexpr int clockToggle = 17;
inline constexpr int homepageButton = 18;
inline constexpr int infoButton = 19;
inline constexpr int statusLine = 20;
inline constexpr int scanProgress = 21;

// The main window's buttons that a command disables while it runs and
// enables again afterwards (all but the stop button).
inline constexpr int kCommandButtons[] = {renameButton,       startButton, thresholdsButton,
                                          instantQueryButton, clockToggle, homepageButton,
                                          infoButton};

}  // namespace kelvinor
