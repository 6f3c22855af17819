// The names a server certificate's DNS name stands for on Windows: itself in
// any case, and with a wildcard only as the whole leftmost label (the TLS
// cases test the rest end to end).
#include "logger/platform/win32/server_certificate.h"

#include <gtest/gtest.h>

namespace kelvinor {
namespace {

TEST(ServerCertificate, DnsNamesAndWildcards) {
    const struct {
        const char* certificateName;
        const char* host;
        bool matches;
    } cases[] = {
        {"mail.example.org", "mail.example.org", true},
        {"MAIL.Example.ORG", "mail.example.org", true},
        {"mail.example.org", "smtp.example.org", false},
        {"mail.example.org", "mail.example.org.evil", false},
        {"*.example.org", "mail.example.org", true},
        {"*.example.org", "a.mail.example.org", false},  // one label only
        {"*.example.org", "example.org", false},
        {"*.example.org", ".example.org", false},
        {"*.org", "example.org", false},  // too wide
        {"*", "localhost", false},
        {"m*.example.org", "mail.example.org", false},  // no partial wildcards
        {"mail.*.org", "mail.example.org", false},
        {"*.*.org", "a.b.org", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(certificateNameMatches(c.certificateName, c.host), c.matches)
            << c.certificateName << " / " << c.host;
}

}  // namespace
}  // namespace kelvinor
