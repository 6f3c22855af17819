#include "logger/platform/win32/schannel_session.h"

#include <algorithm>
#include <cstring>

#include "logger/platform/win32/server_certificate.h"

namespace kelvinor {
namespace {

constexpr ULONG kContextRequests = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                   ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY |
                                   ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

// Handshake records are small; a peer that sends more without completing it
// is not a TLS server.
constexpr std::size_t kLongestHandshakeInput = 1 << 20;

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());  // host names are ASCII
}

// An output token of InitializeSecurityContext, freed with it.
struct OutputToken {
    SecBuffer buffer{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc description{SECBUFFER_VERSION, 1, &buffer};
    ~OutputToken() {
        if (buffer.pvBuffer != nullptr) FreeContextBuffer(buffer.pvBuffer);
    }
};

}  // namespace

std::unique_ptr<SchannelSession> SchannelSession::handshake(SOCKET socket,
                                                            const std::string& serverName,
                                                            SocketClock::time_point deadline,
                                                            const GivenUp& givenUp) {
    std::unique_ptr<SchannelSession> session(new SchannelSession(socket));
    // Windows' default protocols; below TLS 1.2 is refused after the
    // handshake. The certificate is checked here, not by Schannel, so that
    // the rules are the same on every Windows and under Wine.
    SCHANNEL_CRED credentials{};
    credentials.dwVersion = SCHANNEL_CRED_VERSION;
    credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    wchar_t package[] = UNISP_NAME_W;
    if (AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &credentials,
                                  nullptr, nullptr, &session->credentials_, nullptr) != SEC_E_OK)
        return nullptr;
    session->haveCredentials_ = true;
    if (!session->runHandshake(wide(serverName), deadline, givenUp)) return nullptr;

    SecPkgContext_ConnectionInfo connection{};
    if (QueryContextAttributesW(&session->context_, SECPKG_ATTR_CONNECTION_INFO, &connection) !=
            SEC_E_OK ||
        (connection.dwProtocol & (SP_PROT_SSL2 | SP_PROT_SSL3 | SP_PROT_TLS1_0 | SP_PROT_TLS1_1)) !=
            0)
        return nullptr;
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(&session->context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                &certificate) != SEC_E_OK)
        return nullptr;
    const bool trusted = serverCertificateIsTrusted(certificate, serverName);
    CertFreeCertificateContext(certificate);
    if (!trusted) return nullptr;
    if (QueryContextAttributesW(&session->context_, SECPKG_ATTR_STREAM_SIZES, &session->sizes_) !=
        SEC_E_OK)
        return nullptr;
    return session;
}

bool SchannelSession::runHandshake(const std::wstring& target, SocketClock::time_point deadline,
                                   const GivenUp& givenUp) {
    target_ = target;
    ULONG attributes = 0;
    SECURITY_STATUS status;
    {
        OutputToken hello;
        status = InitializeSecurityContextW(&credentials_, nullptr, target_.data(),
                                            kContextRequests, 0, 0, nullptr, 0, &context_,
                                            &hello.description, &attributes, nullptr);
        if (status != SEC_I_CONTINUE_NEEDED) return false;
        haveContext_ = true;
        if (!sendRaw(static_cast<const char*>(hello.buffer.pvBuffer), hello.buffer.cbBuffer,
                     deadline, givenUp))
            return false;
    }
    bool needMore = true;
    for (;;) {
        if (needMore) {
            if (encrypted_.size() > kLongestHandshakeInput) return false;
            if (receiveMore(deadline, givenUp) != 1) return false;  // closed, or out of time
        }
        SecBuffer input[2] = {
            {static_cast<unsigned long>(encrypted_.size()), SECBUFFER_TOKEN, encrypted_.data()},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
        OutputToken answer;
        status = InitializeSecurityContextW(&credentials_, &context_, target_.data(),
                                            kContextRequests, 0, 0, &inputDescription, 0, nullptr,
                                            &answer.description, &attributes, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            needMore = true;
            continue;
        }
        // What the server must hear, also with an alert about a failure.
        if (answer.buffer.cbBuffer > 0 && answer.buffer.pvBuffer != nullptr &&
            !sendRaw(static_cast<const char*>(answer.buffer.pvBuffer), answer.buffer.cbBuffer,
                     deadline, givenUp))
            return false;
        if (FAILED(status)) return false;
        // Bytes beyond this step's records belong to the next step (or are
        // the first application data).
        if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
            encrypted_.erase(0, encrypted_.size() - input[1].cbBuffer);
        else
            encrypted_.clear();
        if (status == SEC_E_OK) return true;
        if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
            needMore = false;  // a client certificate is asked for; there is none
            continue;
        }
        if (status != SEC_I_CONTINUE_NEEDED) return false;
        needMore = encrypted_.empty();
    }
}

SchannelSession::~SchannelSession() {
    if (haveContext_) DeleteSecurityContext(&context_);
    if (haveCredentials_) FreeCredentialsHandle(&credentials_);
}

bool SchannelSession::sendRaw(const char* data, std::size_t size, SocketClock::time_point deadline,
                              const GivenUp& givenUp) {
    while (size > 0) {
        if (!waitForSocket(socket_, true, remainingMs(deadline), givenUp)) return false;
        const int piece = static_cast<int>(std::min<std::size_t>(size, 1u << 20));
        const int sent = ::send(socket_, data, piece, 0);
        if (sent == SOCKET_ERROR) {
            if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

int SchannelSession::receiveMore(SocketClock::time_point deadline, const GivenUp& givenUp) {
    if (!waitForSocket(socket_, false, remainingMs(deadline), givenUp)) {
        u_long waiting = 0;
        return ioctlsocket(socket_, FIONREAD, &waiting) == 0 ? 0 : -1;
    }
    char chunk[16 * 1024];
    const int count = recv(socket_, chunk, sizeof chunk, 0);
    if (count > 0) {
        encrypted_.append(chunk, static_cast<std::size_t>(count));
        return 1;
    }
    if (count == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    return -1;
}

bool SchannelSession::send(std::string_view data, SocketClock::time_point deadline,
                           const GivenUp& givenUp) {
    std::string record;
    while (!data.empty()) {
        const std::size_t piece = std::min<std::size_t>(data.size(), sizes_.cbMaximumMessage);
        record.assign(sizes_.cbHeader + piece + sizes_.cbTrailer, '\0');
        std::memcpy(record.data() + sizes_.cbHeader, data.data(), piece);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {static_cast<unsigned long>(piece), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + piece},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&context_, 0, &description, 0) != SEC_E_OK) return false;
        // The trailer may come out shorter than its room.
        const std::size_t length = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        if (!sendRaw(record.data(), length, deadline, givenUp)) return false;
        data.remove_prefix(piece);
    }
    return true;
}

long SchannelSession::read(char* buffer, std::size_t size, SocketClock::time_point deadline,
                           const GivenUp& givenUp) {
    while (plain_.empty()) {
        if (!encrypted_.empty()) {
            SecBuffer buffers[4] = {
                {static_cast<unsigned long>(encrypted_.size()), SECBUFFER_DATA, encrypted_.data()},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = DecryptMessage(&context_, &description, 0, nullptr);
            if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE) {
                std::string extra;
                for (const SecBuffer& b : buffers) {
                    if (b.BufferType == SECBUFFER_DATA)
                        plain_.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
                    if (b.BufferType == SECBUFFER_EXTRA)
                        extra.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
                }
                encrypted_ = std::move(extra);
                // A TLS 1.3 server's later handshake messages (session
                // tickets) go back to the handshake, which answers nothing.
                if (status == SEC_I_RENEGOTIATE) {
                    SecBuffer input[2] = {{static_cast<unsigned long>(encrypted_.size()),
                                           SECBUFFER_TOKEN, encrypted_.data()},
                                          {0, SECBUFFER_EMPTY, nullptr}};
                    SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
                    OutputToken answer;
                    ULONG attributes = 0;
                    const SECURITY_STATUS again = InitializeSecurityContextW(
                        &credentials_, &context_, target_.data(), kContextRequests, 0, 0,
                        &inputDescription, 0, nullptr, &answer.description, &attributes, nullptr);
                    if (again == SEC_E_INCOMPLETE_MESSAGE) continue;  // the rest is on its way
                    if (FAILED(again)) return -1;
                    if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
                        encrypted_.erase(0, encrypted_.size() - input[1].cbBuffer);
                    else
                        encrypted_.clear();
                }
                continue;
            }
            if (status == SEC_I_CONTEXT_EXPIRED) return -1;  // the server closed TLS
            if (status != SEC_E_INCOMPLETE_MESSAGE) return -1;
        }
        const int received = receiveMore(deadline, givenUp);
        if (received < 0) return -1;
        if (received == 0) return remainingMs(deadline) > 0 && !givenUp() ? -1 : 0;
    }
    const std::size_t count = std::min(size, plain_.size());
    std::memcpy(buffer, plain_.data(), count);
    plain_.erase(0, count);
    return static_cast<long>(count);
}

}  // namespace kelvinor
