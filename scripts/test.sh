#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the demonstration
# build, the suite under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the Windows edition under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
status=0

echo "== layers"
python3 scripts/check-includes.py || status=1

echo "== formatting"
sources=$(find logger clock curves tests bench -name '*.cpp' -o -name '*.h' | sort)
# shellcheck disable=SC2086
clang-format --dry-run --Werror $sources || status=1

# One build holds both editions (Kelvinor and Kelvinor-Demo); the tests name
# the edition they run. The count of every play (real audio into a null sink
# of its own, minutes of waiting and little work) runs beside the rest of the
# suite and the sanitizer build, all its plays at once; the sanitizer suite
# starts once it has ended.
echo "== build: building"
bash scripts/build.sh build
echo "== build: testing (built at ${SECONDS}s)"
(cd build && ctest --output-on-failure -j 6 --timeout 300 -L audio >../build/audio-tests.log 2>&1) &
audio=$!
(cd build && ctest --output-on-failure -j 2 --timeout 300 -LE audio) || status=1
echo "== build: tested at ${SECONDS}s but the audio"
echo "== build-asan: building"
bash scripts/build.sh build-asan -DKELVINOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
if ! wait $audio; then status=1; fi
cat build/audio-tests.log
echo "== build: audio tested at ${SECONDS}s"
# Under the sanitizers the count of every play (the same code as the short
# real-audio test that does run here) is left out, and so are the packages
# (an instrumented build is never packaged; its programs run in the rest).
echo "== build-asan: testing (built at ${SECONDS}s)"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=$PWD/../tests/lsan.supp \
    ctest --output-on-failure -j 2 --timeout 300 -E '^(Sound\.EveryPlayIsHeard\.|Package\.)') || status=1
echo "== build-asan: tested at ${SECONDS}s"
echo "== build-windows: building and testing under Wine"
bash scripts/build-windows.sh --no-package || status=1

echo "== done at ${SECONDS}s"
if [ $status -eq 0 ]; then echo "all suites passed"; else echo "some suites failed"; fi
exit $status
