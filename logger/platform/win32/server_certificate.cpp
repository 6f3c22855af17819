#include "logger/platform/win32/server_certificate.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace kelvinor {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The chain up to a trusted root, checked by Windows' SSL policy without a
// name (the name is checked below, the same way on every Windows version).
bool chainIsTrusted(PCCERT_CONTEXT certificate) {
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                                 0, nullptr, &chain))
        return false;
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const bool checked =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    CertFreeCertificateChain(chain);
    return checked && status.dwError == 0;
}

// The certificate's subject alternative names, decoded; empty without them.
struct AlternativeNames {
    std::vector<std::string> dnsNames;
    std::vector<std::vector<unsigned char>> addresses;
};

AlternativeNames alternativeNames(PCCERT_CONTEXT certificate) {
    AlternativeNames names;
    const CERT_INFO* info = certificate->pCertInfo;
    PCERT_EXTENSION extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
    if (extension == nullptr) return names;
    CERT_ALT_NAME_INFO* decoded = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded,
                             &size))
        return names;
    for (DWORD i = 0; i < decoded->cAltEntry; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = decoded->rgAltEntry[i];
        if (entry.dwAltNameChoice == CERT_ALT_NAME_DNS_NAME) {
            // DNS names are ASCII (IA5String); anything else names no host.
            std::string name;
            bool ascii = true;
            for (const wchar_t* c = entry.pwszDNSName; *c != 0; ++c) {
                ascii = ascii && *c > 0x20 && *c < 0x7F;
                name += static_cast<char>(*c);
            }
            if (ascii) names.dnsNames.push_back(name);
        } else if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS) {
            const CRYPT_DATA_BLOB& address = entry.IPAddress;
            names.addresses.emplace_back(address.pbData, address.pbData + address.cbData);
        }
    }
    LocalFree(decoded);
    return names;
}

}  // namespace

bool certificateNameMatches(const std::string& certificateName, const std::string& host) {
    const std::string pattern = lowerCase(certificateName);
    const std::string name = lowerCase(host);
    if (pattern.rfind("*.", 0) != 0) return pattern == name;
    // "*.example.org": one label before a suffix of two labels or more.
    const std::string suffix = pattern.substr(1);
    if (suffix.find('.', 1) == std::string::npos || suffix.find('*') != std::string::npos)
        return false;
    const std::size_t firstDot = name.find('.');
    return firstDot != std::string::npos && firstDot > 0 && name.substr(firstDot) == suffix;
}

bool serverCertificateIsTrusted(PCCERT_CONTEXT certificate, const std::string& serverName) {
    if (certificate == nullptr || !chainIsTrusted(certificate)) return false;
    const AlternativeNames names = alternativeNames(certificate);
    in_addr numeric{};
    if (inet_pton(AF_INET, serverName.c_str(), &numeric) == 1) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&numeric);
        return std::any_of(names.addresses.begin(), names.addresses.end(), [&](const auto& a) {
            return a.size() == 4 && std::memcmp(a.data(), bytes, 4) == 0;
        });
    }
    return std::any_of(names.dnsNames.begin(), names.dnsNames.end(),
                       [&](const std::string& n) { return certificateNameMatches(n, serverName); });
}

}  // namespace kelvinor
