#include "logger/features/editors/sensor_settings.h"

#include "logger/constants/control_ids.h"
#include "logger/constants/prompt_titles.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/mqtt/mqtt_publishing.h"
#include "logger/features/recording/log_layout.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

std::string promptMessage(const ProgramState& state, int k) {
    const Sensor& sensor = state.sensors[static_cast<std::size_t>(k) - 1];
    return "Sensor Nr. " + decimal(k) + "/ID " + sensor.rom + "='" + sensor.alias + "':";
}

double askThreshold(ProgramState& state, Host& host, const std::string& title, int k,
                    double current) {
    const std::string answer =
        askText(host, title, promptMessage(state, k), formatTemperature(current));
    playSoundCue(state, host, clickCue);
    return readDecimalPrefix(withDecimalPoint(answer));
}

void setStatus(ProgramState& state, Host& host, const std::string& text) {
    host.desktop.setBackgroundColour(statusLine, state.colourGrey);
    host.desktop.setTextColour(statusLine, state.colourBlue);
    host.desktop.setText(statusLine, text);
}

}  // namespace

void editAliases(ProgramState& state, Host& host) {
    playSoundCue(state, host, clickCue);
    for (int k = 1; k <= state.sensorCount(); ++k) {
        std::string& alias = state.sensors[static_cast<std::size_t>(k) - 1].alias;
        alias = askText(host, utf8ToCp1252(kAliasPromptTitle), promptMessage(state, k), alias);
        playSoundCue(state, host, clickCue);
    }
    showLogbookHeader(state, host);
    announceSensors(state);  // Home Assistant shows the new names
    setStatus(state, host, "STATUS: Die Sensoren-Aliases wurden gesetzt...");
}

void editThresholds(ProgramState& state, Host& host) {
    playSoundCue(state, host, clickCue);
    for (int k = 1; k <= state.sensorCount(); ++k) {
        Sensor& sensor = state.sensors[static_cast<std::size_t>(k) - 1];
        sensor.warmAbove =
            askThreshold(state, host, utf8ToCp1252(kWarmPromptTitle), k, sensor.warmAbove);
        sensor.coldBelow =
            askThreshold(state, host, utf8ToCp1252(kColdPromptTitle), k, sensor.coldBelow);
    }
    showLogbookHeader(state, host);
    setStatus(state, host, "STATUS: Die Sensoren-Alarmwerte wurden gesetzt...");
}

}  // namespace kelvinor
