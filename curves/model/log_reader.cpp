#include "curves/model/log_reader.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "logger/text/cp1252.h"

namespace kurven {
namespace {

constexpr std::string_view kHeading = "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #";
constexpr std::string_view kTitleHeading = "MESSVORGANG:";
constexpr std::string_view kWarmRow = "Alarm-'+' bei\tTemperatur\t";
constexpr std::string_view kColdRow = "Alarm-'-' bei\tTemperatur\t";
constexpr std::string_view kColumnHeader = "Log-Datum\tLog-Uhrzeit\t";
constexpr std::string_view kSensorLine = "Sensor Nr. ";
constexpr std::string_view kSensorAlias = " alias '";
constexpr std::string_view kSensorId = "' mit der ID ";

constexpr double kNoReading = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// A log number: optional sign, digits, decimal comma (or point) and digits,
// as Kelvinor writes them. Exponents, "inf" and "nan" are no readings, and
// neither is a number no thermometer shows: it would squash the chart.
std::optional<double> logNumber(std::string_view text) {
    std::string plain(text);
    for (char& c : plain)
        if (c == ',') c = '.';
    if (!plain.empty() && plain.front() == '+') plain.erase(0, 1);
    const bool plainDecimal =
        !plain.empty() && plain.find_first_not_of("-.0123456789") == std::string::npos;
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (!plainDecimal || error != std::errc() || end != plain.data() + plain.size() ||
        value < -300.0 || value > 1000.0)
        return {};
    return value;
}

// A text of the log as UTF-8: a line saved back as UTF-8 by another program
// stays as it is, Kelvinor's own CP1252 is converted.
std::string utf8Of(std::string_view line) {
    return kelvinor::isUtf8(line) ? std::string(line) : kelvinor::cp1252ToUtf8(line);
}

// A count or field of up to nine digits (more cannot be meant, and would
// overflow).
std::optional<int> digits(std::string_view text) {
    if (text.size() > 9) return {};
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return {};
        value = value * 10 + (c - '0');
    }
    return text.empty() ? std::nullopt : std::optional<int>(value);
}

// The thresholds of a threshold row, one per sensor: ">126,00\t>30,00\t".
std::vector<double> thresholds(std::string_view fields) {
    std::vector<double> values;
    for (const std::string_view field : splitTabs(fields)) {
        if (values.size() == kMostSensors) break;
        if (field.empty()) continue;
        const auto value = logNumber(field.substr(1));
        values.push_back(value ? *value : kNoReading);
    }
    return values;
}

// The sensor number an alarm entry names after "Sensor Nr. ", 1-based.
std::optional<std::size_t> entrySensor(std::string_view entry) {
    const std::size_t at = entry.find(kSensorLine);
    if (at == std::string_view::npos) return {};
    const std::string_view rest = entry.substr(at + kSensorLine.size());
    const auto number = digits(rest.substr(0, rest.find('/')));
    if (!number || *number < 1) return {};
    return static_cast<std::size_t>(*number);
}

bool isFaultCode(std::string_view text) {
    return text == "85,00" || text == "85.00" || text == "85";
}

bool isEndLine(std::string_view line) {
    return line.empty() || line.starts_with("Ende-Datum:\t") ||
           line.starts_with("Ende-Uhrzeit:\t") || line == "*** Ende der Datenaufzeichnung ***";
}

}  // namespace

std::optional<std::int64_t> rowTime(std::string_view date, std::string_view time) {
    if (date.size() != 10 || date[2] != '.' || date[5] != '.' || time.size() != 8 ||
        time[2] != ':' || time[5] != ':')
        return {};
    const auto day = digits(date.substr(0, 2)), month = digits(date.substr(3, 2)),
               year = digits(date.substr(6, 4)), hour = digits(time.substr(0, 2)),
               minute = digits(time.substr(3, 2)), second = digits(time.substr(6, 2));
    if (!day || !month || !year || !hour || !minute || !second || *hour > 23 || *minute > 59 ||
        *second > 59)
        return {};
    const std::chrono::year_month_day civil{std::chrono::year(*year),
                                            std::chrono::month(static_cast<unsigned>(*month)),
                                            std::chrono::day(static_cast<unsigned>(*day))};
    if (!civil.ok()) return {};
    const std::int64_t days = std::chrono::sys_days(civil).time_since_epoch().count();
    return days * 86400 + *hour * 3600 + *minute * 60 + *second;
}

void LogReader::feed(std::string_view bytes) {
    bytesFed_ += bytes.size();
    std::size_t start = 0;
    while (true) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) break;
        std::string_view piece = bytes.substr(start, end - start);
        if (overlong_) {
            // The end of a line too long to be a log's: dropped.
            overlong_ = false;
            if (where_ == Where::Rows) ++document_.skippedRows;
        } else {
            if (!pending_.empty()) {
                pending_.append(piece);
                piece = pending_;
            }
            if (piece.ends_with('\r')) piece.remove_suffix(1);
            readLine(piece);
        }
        pending_.clear();
        start = end + 1;
    }
    if (overlong_) return;
    pending_.append(bytes.substr(start));
    // A binary file or a line without end is not held in memory.
    if (pending_.size() > kLongestLine) {
        pending_.clear();
        overlong_ = true;
    }
}

void LogReader::finish() {
    if (overlong_ && where_ == Where::Rows) ++document_.skippedRows;
    overlong_ = false;
    if (pending_.empty()) return;
    std::string_view piece = pending_;
    if (piece.ends_with('\r')) piece.remove_suffix(1);
    readLine(piece);
    pending_.clear();
}

void LogReader::readLine(std::string_view line) {
    // A file saved as UTF-8 by an editor may begin with a byte order mark.
    if (std::exchange(firstLine_, false) && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    if (line == kHeading) {
        document_.sawHeading = true;
        document_.recordings.emplace_back();
        where_ = Where::Header;
        titleFollows_ = false;
        return;
    }
    switch (where_) {
        case Where::Header:
            readHeaderLine(line);
            break;
        case Where::Rows:
            readRowLine(line);
            break;
        case Where::BeforeHeading:
        case Where::AfterEnd:
            break;
    }
}

void LogReader::readHeaderLine(std::string_view line) {
    Recording& recording = current();
    if (titleFollows_) {
        recording.title = utf8Of(line);
        titleFollows_ = false;
    } else if (line == kTitleHeading) {
        titleFollows_ = true;
    } else if (line.starts_with(kSensorLine) && line.find(kSensorId) != std::string_view::npos) {
        // "Sensor Nr. k alias 'ALIAS' mit der ID ...": the alias as typed,
        // a tab included, which the column header cannot tell apart.
        const std::size_t aliasAt = line.find(kSensorAlias);
        const auto number = digits(line.substr(kSensorLine.size(), aliasAt - kSensorLine.size()));
        if (aliasAt == std::string_view::npos || !number || *number < 1 ||
            static_cast<std::size_t>(*number) > kMostSensors)
            return;
        const std::size_t from = aliasAt + kSensorAlias.size();
        const std::string_view alias = line.substr(from, line.rfind(kSensorId) - from);
        if (recording.sensors.size() < static_cast<std::size_t>(*number))
            recording.sensors.resize(static_cast<std::size_t>(*number));
        recording.sensors[static_cast<std::size_t>(*number) - 1].alias = utf8Of(alias);
    } else if (line.starts_with(kWarmRow) || line.starts_with(kColdRow)) {
        const bool warm = line.starts_with(kWarmRow);
        const std::vector<double> values = thresholds(line.substr(kWarmRow.size()));
        if (recording.sensors.size() < values.size()) recording.sensors.resize(values.size());
        for (std::size_t k = 0; k < values.size(); ++k)
            (warm ? recording.sensors[k].warm : recording.sensors[k].cold) = values[k];
    } else if (line.starts_with(kColumnHeader)) {
        const std::vector<std::string_view> aliases = splitTabs(line.substr(kColumnHeader.size()));
        if (recording.sensors.empty())
            recording.sensors.resize(std::min(aliases.size(), kMostSensors));
        // The header's aliases stand when they line up with the sensors; an
        // alias with a tab shifts them, and the sensor lines above hold it.
        if (aliases.size() == recording.sensors.size())
            for (std::size_t k = 0; k < aliases.size(); ++k)
                recording.sensors[k].alias = utf8Of(aliases[k]);
        for (std::size_t k = 0; k < recording.sensors.size(); ++k)
            if (recording.sensors[k].alias.empty())
                recording.sensors[k].alias = "S" + std::to_string(k + 1);
        recording.readings.assign(recording.sensors.size(), {});
        recording.headerComplete = true;
        where_ = Where::Rows;
    }
}

void LogReader::readRowLine(std::string_view line) {
    if (isEndLine(line)) {
        if (!line.empty()) where_ = Where::AfterEnd;
        return;
    }
    Recording& recording = current();
    const std::size_t count = recording.sensors.size();
    const std::vector<std::string_view> fields = splitTabs(line);
    const auto time = fields.size() >= 2 + count ? rowTime(fields[0], fields[1]) : std::nullopt;
    if (!time) {
        ++document_.skippedRows;
        return;
    }
    const std::size_t row = recording.times.size();
    recording.times.push_back(*time);
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view text = fields[2 + k];
        const auto value = isFaultCode(text) ? std::nullopt : logNumber(text);
        recording.readings[k].push_back(value ? *value : kNoReading);
    }
    for (std::size_t f = 2 + count; f < fields.size(); ++f) {
        const std::string_view entry = fields[f];
        MarkKind kind;
        if (entry.starts_with("FEHLMESSUNG? "))
            kind = MarkKind::Fault;
        else if (entry.starts_with("'+' an "))
            kind = MarkKind::Warm;
        else if (entry.starts_with("'-' an "))
            kind = MarkKind::Cold;
        else
            continue;
        const auto sensor = entrySensor(entry);
        if (sensor && *sensor <= count) recording.marks.push_back({row, *sensor - 1, kind});
    }
}

LogDocument readLog(std::string_view bytes) {
    LogReader reader;
    reader.feed(bytes);
    reader.finish();
    return std::move(reader).takeDocument();
}

std::optional<std::string> unusableLogReason(const LogDocument& document, std::size_t fileSize) {
    if (fileSize == 0) return "Die Datei ist leer.";
    if (!document.sawHeading) return "Die Datei ist keine Kelvinor-Logdatei.";
    for (const Recording& recording : document.recordings)
        if (!recording.times.empty()) return {};
    return "Die Datei enthält keine Messwerte.";
}

}  // namespace kurven
