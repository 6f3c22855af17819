#pragma once

namespace kelvinor {

// Every wait of the SMTP dialogue is bounded, whatever the server sends or keeps back.
struct MailTimeouts {
    int connectMs = 20'000;    // name resolution and connection together
    int replyMs = 10'000;      // one reply, from the start of its wait to its last line
    int sendMs = 10'000;       // one send, while the server takes nothing
    int dialogueMs = 300'000;  // the whole dialogue, message data included
    int handshakeMs = 10'000;  // the TLS handshake
};

}  // namespace kelvinor
