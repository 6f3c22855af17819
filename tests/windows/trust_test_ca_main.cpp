// trust_test_ca.exe CA.PEM: puts the tests' throw-away authority into the
// Wine prefix's root store for the programs a test script starts next.
#include <cstdio>
#include <exception>

#include "tests/support/smtp_sink.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: trust_test_ca CA.PEM\n", stderr);
        return 2;
    }
    try {
        kelvinor::testing::TrustedTestAuthority(argv[1]).keep();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
