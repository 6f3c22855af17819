#pragma once
// One outgoing e-mail and its SMTP dialogue: over plain TCP as the program
// always spoke it, or encrypted (STARTTLS or TLS from the first byte) with a
// login (AUTH PLAIN or LOGIN) for mail servers that ask for submission.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logger/constants/mail_timeouts.h"
#include "logger/seams/clock.h"
#include "logger/system/large_buffer.h"
#include "logger/text/date_mask.h"
#include "logger/text/windows_random.h"

namespace kelvinor {

// Progress of an outgoing e-mail: 0 idle, -1 connected, 0 and up bytes of
// message data sent, -2 failed, -3 finished.
using MailStatus = std::int32_t;
inline constexpr MailStatus kMailFailed = -2;
inline constexpr MailStatus kMailFinished = -3;
inline constexpr MailStatus kMailConnected = -1;

// Recipient kinds, a bit set.
inline constexpr unsigned kRecipientTo = 1;
inline constexpr unsigned kRecipientCc = 2;

enum class CharacterSet { Latin1 };

// Unknown: the settings asked for something unknown; the send fails before
// anything is sent rather than fall back to a plain connection.
enum class MailSecurity { Plain, StartTls, Tls, Unknown };

// How to reach the mail server: the security and, when `user` is not empty,
// the login. A login is never sent over a connection that is not encrypted.
struct MailLogin {
    MailSecurity security = MailSecurity::Plain;
    std::string user, password;
};

class MailMessage {
  public:
    MailMessage(std::string sender, std::string subject, CharacterSet characterSet);

    bool setBody(std::string body);
    // Reads and base64-encodes the whole file now, piece by piece as it is
    // read; fails for an empty path, a file that cannot be read, or a size
    // outside 1 to 99,999,999 bytes.
    bool attachFile(const std::string& name, const std::string& path, const std::string& type);
    void addRecipient(const std::string& address, unsigned kind);
    void setTimeouts(const MailTimeouts& timeouts) { timeouts_ = timeouts; }
    // Asked between the short steps of every wait of the dialogue: once it
    // says yes, the dialogue ends at once (QUIT where the server takes it)
    // and the send has failed.
    void setGiveUp(std::function<bool()> giveUp) { giveUp_ = std::move(giveUp); }
    void setLogin(MailLogin login) { login_ = std::move(login); }
    // The boundaries' numbers come from the program run's generator; a
    // message given none draws from a fresh one of its own.
    void drawBoundaryNumbersFrom(WindowsRandom& numbers) { numbers_ = &numbers; }
    // The whole dialogue on the calling thread; true when finished. The Date
    // header is read from `clock` when the message data is assembled.
    bool sendMail(const std::string& server, int port, Clock& clock);
    MailStatus mailProgress() const { return status_.load(); }

    // The message data as it goes over the wire (headers, body, parts, end
    // mark), handed piece by piece to `send` as it is made; stops at the first
    // piece that `send` refuses.
    using PieceSink = std::function<bool(std::string_view)>;
    bool writeMessage(const LocalTime& now, const PieceSink& send);
    // The same pieces collected, for inspection.
    std::vector<std::string> messagePieces(const LocalTime& now);

  private:
    struct Recipient {
        std::string address;
        unsigned kind;
    };
    struct Attachment {
        std::string name, type;
        LargeBuffer text;  // the base64 text, made when the file is attached
        std::size_t length = 0;
    };
    bool fail();
    MailTimeouts timeouts_;
    std::function<bool()> giveUp_;
    MailLogin login_;
    WindowsRandom ownNumbers_;
    WindowsRandom* numbers_ = &ownNumbers_;

    std::string sender_, subject_;
    std::string body_;
    std::vector<Recipient> recipients_;    // newest first
    std::vector<Attachment> attachments_;  // newest first
    std::atomic<MailStatus> status_{0};
};

// The Date header's value: "Tue, 8 Dec 2026 05:53:37 +0100".
std::string mailDate(const LocalTime& now);

}  // namespace kelvinor
