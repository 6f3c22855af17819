#include "logger/features/mail/mail_message.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>

#include "logger/features/mail/mail_encoding.h"
#include "logger/system/files.h"
#include "logger/system/platform.h"
#include "logger/system/tcp_client.h"
#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kPollMs = 100;
constexpr std::size_t kReplyLimit = 2047;
constexpr std::size_t kCommandLimit = 1024;
constexpr std::size_t kMessageBuffer = 8192;
constexpr std::int64_t kAttachmentLimit = 99'999'999;
// Attachments are read and encoded in pieces of this many bytes (a multiple
// of three, so the pieces' base64 texts join without padding between them).
constexpr std::size_t kReadPiece = 3 * 64 * 1024;

// Milliseconds left until `deadline`, 0 once it has passed.
int msUntil(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// One dialogue: the connection and the deadline of the whole exchange.
struct Dialogue {
    TcpClient connection;
    const MailTimeouts& timeouts;
    SteadyClock::time_point end;

    SteadyClock::time_point deadlineIn(int ms) const {
        return std::min(SteadyClock::now() + std::chrono::milliseconds(ms), end);
    }
    bool send(std::string_view data) {
        return connection.sendAll(data, msUntil(deadlineIn(timeouts.sendMs)));
    }
};

// Reads one reply (its first 2,047 bytes into `text` when asked for): until its last line is
// complete (a line whose fourth character is not "-") or its deadline passes, whatever the server
// keeps sending meanwhile. At most 2,047 bytes are kept; the rest of the reply is read and dropped,
// so it cannot be taken for the answer to the next command.
bool awaitReply(Dialogue& dialogue, const char* code, std::string* text = nullptr) {
    const SteadyClock::time_point deadline = dialogue.deadlineIn(dialogue.timeouts.replyMs);
    std::string kept;
    std::string line;
    bool complete = false;
    bool any = false;
    bool closed = false;
    char buffer[4096];
    for (int left = msUntil(deadline); !complete && left > 0 && !dialogue.connection.givenUp();
         left = msUntil(deadline)) {
        const long count =
            dialogue.connection.readSome(buffer, sizeof buffer, std::min(left, kPollMs));
        if (count < 0) {
            closed = true;  // judge what came
            break;
        }
        if (count == 0) continue;
        any = true;
        for (long i = 0; i < count && !complete; ++i) {
            if (kept.size() < kReplyLimit) kept += buffer[i];
            if (buffer[i] == '\n') {
                complete = line.size() < 4 || line[3] != '-';
                line.clear();
            } else if (line.size() < 8) {
                line += buffer[i];
            }
        }
    }
    // A reply still unfinished at its deadline has failed, even if a line
    // with the code came: the rest of it would be read as the next reply.
    if (!any || (!complete && !closed)) return false;
    if (text != nullptr) *text = kept;
    std::size_t start = 0;
    while (start < kept.size()) {
        const std::size_t end = kept.find('\n', start);
        const std::string_view scanned = std::string_view(kept).substr(
            start, (end == std::string::npos ? kept.size() : end) - start);
        if (scanned.empty()) break;
        if (scanned.substr(0, 3) == code) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

bool command(Dialogue& dialogue, const std::string& text, const char* code,
             std::string* reply = nullptr) {
    const std::string line = text + "\r\n";
    if (line.size() > kCommandLimit) return false;
    return dialogue.send(line) && (code == nullptr || awaitReply(dialogue, code, reply));
}

// The words of the EHLO reply line that begins with `keyword` ("STARTTLS",
// "AUTH"), upper case; nothing when no line offers it.
std::optional<std::vector<std::string>> offered(const std::string& reply,
                                                const std::string& keyword) {
    std::size_t start = 0;
    while (start < reply.size()) {
        std::size_t end = reply.find('\n', start);
        if (end == std::string::npos) end = reply.size();
        std::string line = reply.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Only the reply's own lines offer anything: "250-" or "250 " and the offer.
        if (line.size() < 4 || line.compare(0, 3, "250") != 0 || (line[3] != '-' && line[3] != ' '))
            continue;
        std::vector<std::string> words;
        std::string word;
        for (char c : line.substr(4) + ' ') {
            if (c == ' ' || c == '=') {
                if (!word.empty()) words.push_back(word);
                word.clear();
            } else {
                word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        if (!words.empty() && words.front() == keyword) return words;
    }
    return std::nullopt;
}

// AUTH PLAIN when the server offers it, AUTH LOGIN otherwise; "235" ends it.
bool authenticate(Dialogue& dialogue, const std::string& ehloReply, const MailLogin& login) {
    const auto mechanisms = offered(ehloReply, "AUTH");
    if (!mechanisms) return false;
    const auto has = [&](const char* m) {
        return std::find(mechanisms->begin(), mechanisms->end(), m) != mechanisms->end();
    };
    if (has("PLAIN"))
        return command(
            dialogue,
            "AUTH PLAIN " + base64(std::string(1, '\0') + login.user + '\0' + login.password),
            "235");
    if (has("LOGIN"))
        return command(dialogue, "AUTH LOGIN", "334") &&
               command(dialogue, base64(login.user), "334") &&
               command(dialogue, base64(login.password), "235");
    return false;
}

std::string joined(const std::vector<std::string>& addresses) {
    std::string out;
    for (const std::string& a : addresses) out += (out.empty() ? "" : ", ") + a;
    return out;
}

}  // namespace

std::string mailDate(const LocalTime& now) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The bias is UTC minus local time in minutes; a negative one is written "+".
    const long bias = -now.utcOffsetSeconds / 60;
    const long magnitude = bias < 0 ? -bias : bias;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%s%02ld%02ld", bias < 0 ? "+" : "-", magnitude / 60,
                  magnitude % 60);
    char text[96];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %s",
                  kDays[(now.weekday % 7 + 7) % 7], now.day,
                  kMonths[((now.month - 1) % 12 + 12) % 12], now.year, now.hour, now.minute,
                  now.second, zone);
    return text;
}

MailMessage::MailMessage(std::string sender, std::string subject, CharacterSet)
    : sender_(std::move(sender)), subject_(std::move(subject)) {}

bool MailMessage::setBody(std::string body) {
    body_ = std::move(body);
    return true;
}

bool MailMessage::attachFile(const std::string& name, const std::string& path,
                             const std::string& type) {
    if (path.empty()) return false;
    const std::int64_t size = fileSize(path);
    if (size < 1 || size > kAttachmentLimit) return false;
    std::ifstream file(toPath(path), std::ios::binary);
    if (!file) return false;
    const auto bytes = static_cast<std::size_t>(size);
    Attachment attachment{name, type, allocateLargeBuffer(base64Length(bytes)),
                          base64Length(bytes)};
    if (!attachment.text) return false;
    // Only the text is held whole: the file is read and encoded a piece at a time.
    std::string piece(std::min(bytes, kReadPiece), '\0');
    char* out = attachment.text.get();
    for (std::size_t done = 0; done < bytes;) {
        const std::size_t count = std::min(bytes - done, kReadPiece);
        if (!file.read(piece.data(), static_cast<std::streamsize>(count))) return false;
        base64Into(std::string_view(piece.data(), count), out);
        out += base64Length(count);
        done += count;
    }
    attachments_.insert(attachments_.begin(), std::move(attachment));
    return true;
}

void MailMessage::addRecipient(const std::string& address, unsigned kind) {
    if (address.empty()) return;
    recipients_.insert(recipients_.begin(), {address, kind});
}

bool MailMessage::writeMessage(const LocalTime& now, const PieceSink& send) {
    if (!send("From: " + sender_ + "\r\nSubject: " + subject_ + "\r\n")) return false;
    for (unsigned kind : {kRecipientTo, kRecipientCc}) {
        std::vector<std::string> listed;  // in the order they were added
        for (auto it = recipients_.rbegin(); it != recipients_.rend(); ++it)
            if (it->kind & kind) listed.push_back(it->address);
        if (!listed.empty() &&
            !send((kind == kRecipientTo ? "To: " : "Cc: ") + joined(listed) + "\r\n"))
            return false;
    }
    if (!send("Date: " + mailDate(now) + "\r\n")) return false;
    const std::string body = dotStuffed(quotedPrintable(body_));
    if (attachments_.empty()) {
        return send(
                   "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-8859-1; "
                   "format=flowed\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n") &&
               send(body) && send("\r\n.\r\n");
    }
    // The four numbers are drawn one after the other, in this order.
    std::string boundary = "Message-Boundary";
    for (int i = 0; i < 4; ++i) boundary += std::to_string(numbers_->next());
    if (!send("MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n boundary=\"" + boundary +
              "\"\r\n\r\n\r\n--" + boundary +
              "\r\nContent-Type: text/plain; charset=ISO-8859-1; format=flowed\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n\r\n") ||
        !send(body))
        return false;
    // The base64 lines of 72 characters go out in pieces of 109 lines (8,066
    // bytes), made one after the other in the same 8 KB buffer.
    constexpr std::size_t kLine = 72, kLinesPerPiece = 109;
    std::string piece;
    piece.reserve(kLinesPerPiece * (kLine + 2));
    for (const Attachment& a : attachments_) {
        if (!send("\r\n\r\n--" + boundary + "\r\nContent-Type: " + a.type + ";\r\n name=\"" +
                  a.name +
                  "\"\r\nContent-Transfer-Encoding: base64\r\n"
                  "Content-Disposition: attachment\r\n\r\n"))
            return false;
        const std::string_view text(a.text.get(), a.length);
        for (std::size_t at = 0; at < text.size(); at += kLine) {
            piece.append(text.substr(at, kLine));
            piece += "\r\n";
            if (piece.size() >= 8000) {
                if (!send(piece)) return false;
                piece.clear();
            }
        }
        if (!piece.empty() && !send(piece)) return false;
        piece.clear();
    }
    return send("--" + boundary + "--") && send("\r\n.\r\n");
}

std::vector<std::string> MailMessage::messagePieces(const LocalTime& now) {
    std::vector<std::string> pieces;
    writeMessage(now, [&](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}

bool MailMessage::fail() {
    status_ = kMailFailed;
    return false;
}

bool MailMessage::sendMail(const std::string& server, int port, Clock& clock) {
    // The headers are assembled in an 8 KB buffer: a longer sender and subject are refused.
    if (sender_.size() + subject_.size() + 32 > kMessageBuffer) return fail();
    // A login goes only over an encrypted connection: without one the send
    // fails before anything is sent.
    if (login_.security == MailSecurity::Unknown ||
        (!login_.user.empty() && login_.security == MailSecurity::Plain))
        return fail();
    Dialogue dialogue{
        {}, timeouts_, SteadyClock::now() + std::chrono::milliseconds(timeouts_.dialogueMs)};
    dialogue.connection.setGiveUp(giveUp_);
    // A dialogue given up says QUIT if the server takes it at once, and ends.
    const auto failed = [&] {
        if (dialogue.connection.givenUp()) dialogue.connection.sendAll("QUIT\r\n", 0);
        dialogue.connection.close();
        return fail();
    };
    if (!dialogue.connection.connect(server, port,
                                     msUntil(dialogue.deadlineIn(timeouts_.connectMs))))
        return failed();
    const auto encrypt = [&] {
        return dialogue.connection.startTls(server,
                                            msUntil(dialogue.deadlineIn(timeouts_.handshakeMs)));
    };
    if (login_.security == MailSecurity::Tls && !encrypt()) return failed();
    if (!awaitReply(dialogue, "220")) return failed();
    status_ = kMailConnected;
    std::string ehloReply;
    if (!command(dialogue, "EHLO dummy", "250", &ehloReply)) return failed();
    if (login_.security == MailSecurity::StartTls) {
        // Only a server that offers it is asked; the greeting is repeated encrypted.
        if (!offered(ehloReply, "STARTTLS") || !command(dialogue, "STARTTLS", "220") ||
            !encrypt() || !command(dialogue, "EHLO dummy", "250", &ehloReply))
            return failed();
    }
    if (!login_.user.empty() && !authenticate(dialogue, ehloReply, login_)) return failed();
    if (!command(dialogue, "MAIL FROM:<" + sender_ + ">", "250")) return failed();
    for (const Recipient& r : recipients_)
        if (!command(dialogue, "RCPT TO:<" + r.address + ">", "250")) return failed();
    if (!command(dialogue, "DATA", "354")) return failed();
    status_ = 0;
    // The Date header carries the time at which the message data is made.
    const bool sent = writeMessage(clock.localNow(), [&](std::string_view piece) {
        if (!dialogue.send(piece)) return false;
        status_ += static_cast<MailStatus>(piece.size());
        return true;
    });
    if (!sent || !awaitReply(dialogue, "250")) return failed();
    dialogue.send("QUIT\r\n");
    dialogue.connection.close();
    status_ = kMailFinished;
    return true;
}

}  // namespace kelvinor
