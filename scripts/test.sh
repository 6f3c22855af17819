#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the demonstration
# edition, the live edition, the suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows edition under Wine.
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

run_suite() {
    local folder=$1
    shift
    echo "== $folder: building"
    bash scripts/build.sh "$folder" "$@"
    echo "== $folder: testing"
    (cd "$folder" && ctest --output-on-failure -j 2 --timeout 300) || status=1
}

run_suite build
run_suite build-live -DKELVINOR_DEMO_MODE=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    run_suite build-asan -DKELVINOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
echo "== build-windows: building and testing under Wine"
bash scripts/build-windows.sh --no-package || status=1

if [ $status -eq 0 ]; then echo "all suites passed"; else echo "some suites failed"; fi
exit $status
