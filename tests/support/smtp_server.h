#pragma once
// A scripted SMTP peer on 127.0.0.1 for the transport's tests: it runs a
// conversation on one accepted connection in a thread of its own.
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kelvinor::testing {

class SmtpConversation {
  public:
    explicit SmtpConversation(int fd) : fd_(fd) {}
    // False once the client has gone.
    bool send(const std::string& text);
    // One command line without its CR LF; empty when the client closed.
    std::string readCommand();
    // The message data up to and including the end mark.
    std::string readData();
    // Reads the message data up to its end mark and keeps none of it.
    void discardData();
    // Closes with a reset instead of an orderly end.
    void reset();
    std::vector<std::string> commands;  // every command read, in order
    std::vector<std::string> data;      // every message received
    bool closedByClient = false;

  private:
    int fd_;
    std::string pending_;
    bool readMore();
};

class ScriptedSmtpServer {
  public:
    // `address` is a loopback address; port 0 picks a free one.
    explicit ScriptedSmtpServer(std::function<void(SmtpConversation&)> script,
                                const std::string& address = "127.0.0.1", int port = 0,
                                int connections = 1);
    ~ScriptedSmtpServer();
    int port() const { return port_; }
    // The conversations' commands after the server finished.
    std::vector<std::vector<std::string>> finish();

  private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::vector<std::vector<std::string>> seen_;
};

// The reply to a command ("<greeting>" before the first, "<data>" after the
// message data); "<close>" ends the conversation, "<reset>" resets it.
using Answer = std::function<std::string(SmtpConversation&, const std::string& command)>;

// A well-behaved server: 220, 250 to EHLO, MAIL and RCPT, 354 to DATA, 250 after the data.
std::string politeAnswer(SmtpConversation& c, const std::string& command);

// Keeps the server silent until the client gives up and closes.
std::string silentUntilClosed(SmtpConversation& c);

// Sends `line` every 50 ms until the client has gone (at most 20 s).
void trickle(SmtpConversation& c, const std::string& line);

// Runs a conversation with these answers until QUIT, a close or the client's end.
void converse(SmtpConversation& c, const Answer& answer);

}  // namespace kelvinor::testing
