#pragma once
// Whether a TLS server's certificate may be trusted for the server the user
// named: it chains to a root in Windows' certificate store, is valid today and
// for server authentication, and names the server among its alternative
// names. The subject's common name never stands in for those names, as on
// the Linux edition.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <string>

namespace kelvinor {

bool serverCertificateIsTrusted(PCCERT_CONTEXT certificate, const std::string& serverName);

// Whether one DNS name of a certificate names `host`: case does not matter,
// and a "*" as the whole leftmost label stands for one label of a name with
// at least three.
bool certificateNameMatches(const std::string& certificateName, const std::string& host);

}  // namespace kelvinor
