#include "logger/features/recording/log_file.h"

#include "logger/constants/control_ids.h"
#include "logger/constants/prompt_titles.h"
#include "logger/features/alarm/alarm_check.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/recording/log_layout.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/system/durable_files.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

enum class LinesAre { Header, Other };

// Appends lines (each ended by CR LF) to the log file, synced, after header
// lines that could not be written before. Header lines that fail wait for
// the next append; other lines that fail are gone from the file (the
// logbook still has them).
void writeToLogFile(ProgramState& state, const std::vector<std::string>& lines,
                    LinesAre kind = LinesAre::Other) {
    if (!state.logFile.usable) return;
    std::string bytes = state.logFile.waitingHeader;
    for (const std::string& line : lines) bytes += line + "\r\n";
    const std::string path = state.logFileName;
    // The log file's state is remembered only while it holds exactly what this
    // program wrote; any other change makes the next save copy it whole.
    const bool ownState = identifyFile(path) == state.logFile.afterOwnWrite;
    const bool written = appendDurably(path, bytes);
    const FileIdentity after = written ? identifyFile(path) : FileIdentity{};
    state.logFile.afterOwnWrite = written && ownState ? after : FileIdentity{};
    if (written) {
        state.logFile.written = after;
        state.logFile.waitingHeader.clear();
    } else if (kind == LinesAre::Header) {
        state.logFile.waitingHeader = std::move(bytes);
    }
}

// Each line to the log file, then the same line to the logbook.
void writeToBoth(ProgramState& state, Host& host, const std::vector<std::string>& lines,
                 LinesAre kind = LinesAre::Other) {
    writeToLogFile(state, lines, kind);
    for (const std::string& line : lines) host.desktop.appendLogbookLine(logbook, line);
}

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

// The log file still holds everything this program wrote into it: the same
// file, no shorter (another program may have appended to it).
bool holdsWhatWasWritten(const FileIdentity& now, const FileIdentity& written) {
    return !written.exists || (sameFile(now, written) && now.size >= written.size);
}

// The lines of the header after the recording's title block: file, interval,
// start, the alarm limits and the column names.
std::vector<std::string> startLines(const ProgramState& state) {
    return {"",
            "Log-Datei:\t" + state.logFileName,
            "Log-Intervall:\t" + state.intervalText + " (S=Sekunden, M=Minuten, H=Stunden, T=Tage)",
            "",
            "*** Start der Datenaufzeichnung ***",
            "",
            "Start-Datum:\t" + state.startDate,
            "Start-Uhrzeit:\t" + state.startTime,
            "",
            state.alarmPlusRow,
            state.alarmMinusRow,
            "",
            state.columnHeader};
}

// Before the program appends to the log file: when another program has
// truncated, replaced or deleted it (a spreadsheet saving it, an editor, a
// log rotation), the rows written so far live on only in "LastLogFile.dat".
// The log is then made again from that copy, and the next save must not copy
// the foreign file over it. Where the copy is not the one the last save left,
// the log goes on with its header written anew. The logbook says which.
void recoverLogWrittenByOthers(ProgramState& state, Host& host) {
    LogFileTracking& tracking = state.logFile;
    if (!tracking.usable) return;
    const FileIdentity now = identifyFile(state.logFileName);
    if (holdsWhatWasWritten(now, tracking.written)) return;
    const std::string what = !now.exists                       ? "gelöscht"_cp
                             : sameFile(now, tracking.written) ? "gekürzt"_cp
                                                               : "ersetzt";
    const bool copyIntact = tracking.copyAfterSave.exists &&
                            identifyFile(state.lastLogFileName) == tracking.copyAfterSave;
    std::string how;
    if (copyIntact && replaceWithCopy(state.lastLogFileName, state.logFileName)) {
        tracking.written = tracking.afterOwnWrite = identifyFile(state.logFileName);
        how = "Sie wurde aus '" + state.lastLogFileName + "' wiederhergestellt";
    } else {
        std::string header;
        for (const std::string& line : headerBlock(state, HeaderFor::LogFile))
            header += line + "\r\n";
        for (const std::string& line : startLines(state)) header += line + "\r\n";
        tracking.waitingHeader = header + tracking.waitingHeader;
        tracking.written = tracking.afterOwnWrite = tracking.copyAfterSave = FileIdentity{};
        how = "Sie wird mit neuem Kopf fortgesetzt";
    }
    host.desktop.appendLogbookLine(logbook, "*** Die Log-Datei wurde von einem anderen Programm " +
                                                what + ". " + how + " ***");
}

// The readings as the row shows them: the line as the bus tool delivered it,
// from the tab after its one-character first field, with decimal commas.
std::string readingsOf(const std::string& dataLine) {
    return dataLine.empty() ? std::string() : withDecimalComma(dataLine.substr(1));
}

}  // namespace

void askLogFileName(ProgramState& state, Host& host) {
    const std::string date = formatDateMask("%yyyy%mm%dd", host.clock.localNow());
    const std::string time = formatDateMask("%hh%ii%ss", host.clock.localNow());
    const std::string proposal =
        state.logFileName + "-" + date + "-" + time + state.logFileExtension;
    state.logFileName = askText(host, std::string(kLogFilePromptTitle),
                                "Eingabe des Logfile-Dateinamens:", proposal);
    playSoundCue(state, host, clickCue);
}

void writeLogHeader(ProgramState& state, Host& host) {
    const std::string path = state.logFileName;
    // The file is created when missing; an existing one is continued after its end.
    state.logFile = LogFileTracking{};
    state.logFile.usable = appendDurably(path, "");
    state.logFile.afterOwnWrite = identifyFile(path);
    // A continued file whose last line has no line end: the new recording
    // starts on a line of its own, the old bytes stay as they are.
    const std::optional<char> last = lastByte(path);
    std::vector<std::string> header = headerBlock(state, HeaderFor::LogFile);
    if (last && *last != '\n' && *last != '\r') header.insert(header.begin(), "");
    writeToLogFile(state, header, LinesAre::Header);

    state.alarmPlusRow = "Alarm-'+' bei\tTemperatur\t";
    state.alarmMinusRow = "Alarm-'-' bei\tTemperatur\t";
    state.columnHeader = "Log-Datum\tLog-Uhrzeit\t";
    for (const Sensor& sensor : state.sensors) {
        state.alarmPlusRow += ">" + formatTwoDecimals(sensor.warmAbove) + "\t";
        state.alarmMinusRow += "<" + formatTwoDecimals(sensor.coldBelow) + "\t";
        state.columnHeader += (&sensor != &state.sensors.front() ? "\t" : "") + sensor.alias;
    }
    state.alarmPlusRow = withDecimalComma(state.alarmPlusRow);
    state.alarmMinusRow = withDecimalComma(state.alarmMinusRow);
    writeToBoth(state, host, startLines(state), LinesAre::Header);
}

void writeLogRow(ProgramState& state, Host& host) {
    recoverLogWrittenByOthers(state, host);
    const std::string tail =
        readingsOf(state.lastReadings.line) + "\t" + alarmText(state.sensors, state.alarms);
    writeToLogFile(state, {state.rowDate + "\t" + state.rowTime + tail});
    const LocalTime now = host.clock.localNow();
    host.desktop.appendLogbookLine(logbook, formatDateMask(kDateMask, now) + "\t" +
                                                formatDateMask("%hh:%ii:%ss  ", now) + tail);
}

void saveLogFile(ProgramState& state) {
    if (!state.logFile.usable) return;
    const std::string log = state.logFileName;
    const std::string copy = state.lastLogFileName;
    const FileIdentity logNow = identifyFile(log);
    if (!logNow.regular) return;  // only regular files are copied
    // A log that lost what the program wrote is never copied over the copy.
    if (!holdsWhatWasWritten(logNow, state.logFile.written)) return;
    const FileIdentity copyNow = identifyFile(copy);
    // The copy holds the log as it stood at the last save when neither file
    // changed behind the program's back: then the new bytes are appended.
    const FileIdentity& copied = state.logFile.copyAfterSave;
    const bool appendable = copied.exists && copyNow == copied && copied.size <= logNow.size &&
                            logNow == state.logFile.afterOwnWrite;
    const bool saved = appendable ? appendTail(log, copied.size, copy) : replaceWithCopy(log, copy);
    state.logFile.copyAfterSave = saved ? identifyFile(copy) : FileIdentity{};
    if (state.logFile.copyAfterSave.size != logNow.size)
        state.logFile.copyAfterSave = FileIdentity{};
    // Both now agree: the log as it stands is the state later appends build on.
    state.logFile.afterOwnWrite = saved ? logNow : FileIdentity{};
}

void writeLogEnd(ProgramState& state, Host& host, const std::string& endDate,
                 const std::string& endTime) {
    recoverLogWrittenByOthers(state, host);
    writeToBoth(state, host,
                {"", "Ende-Datum:\t" + endDate, "Ende-Uhrzeit:\t" + endTime, "",
                 "*** Ende der Datenaufzeichnung ***"});
}

}  // namespace kelvinor
