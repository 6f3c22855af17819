#include "logger/features/mqtt/mqtt_settings.h"

#include <algorithm>
#include <cctype>

#include "logger/text/cp1252.h"
#include "logger/text/key_value_lines.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

std::string upper(std::string_view word) {
    std::string text(word);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::optional<bool> onOff(std::string_view value) {
    const std::string word = upper(value);
    if (word == "ON" || word == "1" || word == "YES" || word == "JA") return true;
    if (word == "OFF" || word == "0" || word == "NO" || word == "NEIN") return false;
    return std::nullopt;
}

// "host", "host:port", "[v6]:port" or a bare IPv6 address.
struct HostPort {
    std::string host;
    std::optional<int> port;
    bool valid = true;
};

HostPort hostPort(std::string_view value) {
    HostPort result;
    std::string_view portText;
    if (value.starts_with('[')) {
        const std::size_t close = value.find(']');
        if (close == std::string_view::npos) return {"", {}, false};
        result.host = std::string(value.substr(1, close - 1));
        const std::string_view after = value.substr(close + 1);
        if (!after.empty() && !after.starts_with(':')) return {"", {}, false};
        if (!after.empty()) portText = after.substr(1);
    } else if (std::count(value.begin(), value.end(), ':') == 1) {
        const std::size_t colon = value.find(':');
        result.host = std::string(value.substr(0, colon));
        portText = value.substr(colon + 1);
    } else {
        result.host = std::string(value);
    }
    if (result.host.empty() || result.host.find(' ') != std::string::npos) result.valid = false;
    if (!portText.empty() || value.ends_with(':')) {
        const bool digits = !portText.empty() && portText.size() <= 5 &&
                            std::all_of(portText.begin(), portText.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        const long long port = digits ? readIntegerPrefix(portText) : 0;
        if (port < 1 || port > 65535) result.valid = false;
        result.port = static_cast<int>(port);
    }
    return result;
}

// A topic a client may publish under: no wildcards, no empty text, and no
// "/" at its end (the program adds its own levels).
std::optional<std::string> publishTopic(std::string_view value) {
    std::string topic(value);
    while (topic.ends_with('/')) topic.pop_back();
    if (topic.empty() || topic.find_first_of("+#") != std::string::npos) return std::nullopt;
    return topic;
}

}  // namespace

bool isLoopbackHost(std::string_view host) {
    return host == "::1" || host.starts_with("127.");
}

ParsedMqttSettings parseMqttSettings(std::string_view bytes, std::string_view hostName) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const std::string text = isUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
    ParsedMqttSettings parsed;
    MqttSettings settings;
    settings.topic = "kelvinor/" + std::string(hostName);
    std::optional<HostPort> broker;
    const auto note = [&](int line, const std::string& what) {
        parsed.notes.push_back("line " + decimal(line) + ": " + what);
    };
    for (const auto& [number, keyWord, value] : keyValueLines(text)) {
        const std::string key = upper(keyWord);
        if (key == "BROKER") {
            broker = hostPort(value);
            if (!broker->valid) {
                note(number, "no host[:port] in '" + std::string(value) + "'");
                return parsed;
            }
        } else if (key == "TLS" || key == "DISCOVERY") {
            const std::optional<bool> on = onOff(value);
            if (!on) {
                note(number, key + " takes on or off, not '" + std::string(value) + "'");
                return parsed;
            }
            (key == "TLS" ? settings.broker.tls : settings.discovery) = *on;
        } else if (key == "CAFILE") {
            settings.broker.caFile = std::string(value);
        } else if (key == "USER") {
            settings.broker.user = std::string(value);
        } else if (key == "PASSWORD") {
            settings.broker.password = std::string(value);
        } else if (key == "TOPIC") {
            const std::optional<std::string> topic = publishTopic(value);
            if (!topic) {
                note(number, "not a topic to publish under: '" + std::string(value) + "'");
                return parsed;
            }
            settings.topic = *topic;
        } else {
            note(number, "unknown key '" + std::string(keyWord) + "' ignored");
        }
    }
    if (!broker) {
        parsed.notes.push_back("no BROKER line");
        return parsed;
    }
    settings.broker.host = broker->host;
    settings.broker.port = broker->port.value_or(settings.broker.tls ? 8883 : 1883);
    const bool login = !settings.broker.user.empty() || !settings.broker.password.empty();
    if (login && !settings.broker.tls && !isLoopbackHost(settings.broker.host)) {
        parsed.notes.push_back("a login goes to " + settings.broker.host +
                               " only with TLS on: nothing is sent");
        return parsed;
    }
    parsed.settings = std::move(settings);
    return parsed;
}

}  // namespace kelvinor
