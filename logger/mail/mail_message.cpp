#include "logger/mail/mail_message.h"

#include <cstdio>
#include <fstream>

#include "logger/core/cp1252.h"
#include "logger/core/files.h"
#include "logger/mail/mail_encoding.h"
#include "logger/platform/tcp_client.h"

namespace kelvinor {
namespace {

constexpr int kReplyTimeoutMs = 10'000;
constexpr int kConnectTimeoutMs = 20'000;
constexpr int kPollMs = 100;
constexpr std::size_t kReplyLimit = 2047;
constexpr std::size_t kCommandLimit = 1024;
constexpr std::size_t kMessageBuffer = 8192;
constexpr std::int64_t kAttachmentLimit = 99'999'999;

unsigned randomSeed = 1;

// Reads one reply: until its last line is complete (a line whose fourth
// character is not "-") or the deadline passes. At most 2,047 bytes are kept;
// the rest of the reply is read and dropped, so it cannot be taken for the
// answer to the next command.
bool awaitReply(TcpClient& connection, const char* code) {
    std::string kept;
    std::string line;
    bool complete = false;
    bool any = false;
    int waited = 0;
    char buffer[4096];
    while (!complete && waited < kReplyTimeoutMs) {
        const long count = connection.readSome(buffer, sizeof buffer, kPollMs);
        if (count < 0) break;  // closed: judge what came
        if (count == 0) {
            waited += kPollMs;
            continue;
        }
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
    if (!any) return false;
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

bool command(TcpClient& connection, const std::string& text, const char* code) {
    const std::string line = text + "\r\n";
    if (line.size() > kCommandLimit) return false;
    return connection.sendAll(line, kReplyTimeoutMs) &&
           (code == nullptr || awaitReply(connection, code));
}

std::string joined(const std::vector<std::string>& addresses) {
    std::string out;
    for (const std::string& a : addresses) out += (out.empty() ? "" : ", ") + a;
    return out;
}

}  // namespace

bool startNetwork() {
    return true;
}
void stopNetwork() {}

int nextBoundaryNumber() {
    randomSeed = randomSeed * 214013u + 2531011u;
    return static_cast<int>((randomSeed >> 16) & 0x7FFF);
}

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
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!file.read(bytes.data(), size)) return false;
    Attachment attachment{name, type, allocateLargeBuffer(base64Length(bytes.size())),
                          base64Length(bytes.size())};
    if (!attachment.text) return false;
    base64Into(bytes, attachment.text.get());
    bytes = std::string();  // the file bytes go before the message keeps the text
    attachments_.insert(attachments_.begin(), std::move(attachment));
    return true;
}

void MailMessage::addRecipient(const std::string& address, unsigned kind) {
    if (address.empty()) return;
    recipients_.insert(recipients_.begin(), {address, kind});
}

std::vector<std::string> MailMessage::messagePieces(const LocalTime& now) {
    std::vector<std::string> pieces;
    pieces.push_back("From: " + sender_ + "\r\nSubject: " + subject_ + "\r\n");
    for (unsigned kind : {kRecipientTo, kRecipientCc}) {
        std::vector<std::string> listed;  // in the order they were added
        for (auto it = recipients_.rbegin(); it != recipients_.rend(); ++it)
            if (it->kind & kind) listed.push_back(it->address);
        if (!listed.empty())
            pieces.push_back((kind == kRecipientTo ? "To: " : "Cc: ") + joined(listed) + "\r\n");
    }
    pieces.push_back("Date: " + mailDate(now) + "\r\n");
    const std::string body = dotStuffed(quotedPrintable(body_));
    if (attachments_.empty()) {
        pieces.push_back(
            "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-8859-1; "
            "format=flowed\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n");
        pieces.push_back(body);
    } else {
        const std::string boundary = "Message-Boundary" + std::to_string(nextBoundaryNumber()) +
                                     std::to_string(nextBoundaryNumber()) +
                                     std::to_string(nextBoundaryNumber()) +
                                     std::to_string(nextBoundaryNumber());
        pieces.push_back("MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n boundary=\"" +
                         boundary + "\"\r\n\r\n\r\n--" + boundary +
                         "\r\nContent-Type: text/plain; charset=ISO-8859-1; format=flowed\r\n"
                         "Content-Transfer-Encoding: quoted-printable\r\n\r\n\r\n");
        pieces.push_back(body);
        for (const Attachment& a : attachments_) {
            pieces.push_back("\r\n\r\n--" + boundary + "\r\nContent-Type: " + a.type +
                             ";\r\n name=\"" + a.name +
                             "\"\r\nContent-Transfer-Encoding: base64\r\n"
                             "Content-Disposition: attachment\r\n\r\n");
            // Lines of 72 characters, sent in pieces of about 8,000 bytes.
            std::string piece;
            const std::string_view text(a.text.get(), a.length);
            for (std::size_t at = 0; at < text.size(); at += 72) {
                piece.append(text.substr(at, 72));
                piece += "\r\n";
                if (piece.size() >= 8000) pieces.push_back(std::move(piece)), piece.clear();
            }
            if (!piece.empty()) pieces.push_back(std::move(piece));
        }
        pieces.push_back("--" + boundary + "--");
    }
    pieces.push_back("\r\n.\r\n");
    return pieces;
}

bool MailMessage::fail() {
    status_ = kMailFailed;
    return false;
}

bool MailMessage::sendMail(const std::string& server, int port, const LocalTime& now) {
    // The headers are assembled in an 8 KB buffer: a longer sender and subject are refused.
    if (sender_.size() + subject_.size() + 32 > kMessageBuffer) return fail();
    TcpClient connection;
    if (!connection.connect(server, port, kConnectTimeoutMs)) return fail();
    if (!awaitReply(connection, "220")) return fail();
    status_ = kMailConnected;
    if (!command(connection, "EHLO dummy", "250")) return fail();
    if (!command(connection, "MAIL FROM:<" + sender_ + ">", "250")) return fail();
    for (const Recipient& r : recipients_)
        if (!command(connection, "RCPT TO:<" + r.address + ">", "250")) return fail();
    if (!command(connection, "DATA", "354")) return fail();
    status_ = 0;
    for (const std::string& piece : messagePieces(now)) {
        if (!connection.sendAll(piece, kReplyTimeoutMs)) return fail();
        status_ += static_cast<MailStatus>(piece.size());
    }
    if (!awaitReply(connection, "250")) return fail();
    connection.sendAll("QUIT\r\n", kReplyTimeoutMs);
    connection.close();
    status_ = kMailFinished;
    return true;
}

}  // namespace kelvinor
