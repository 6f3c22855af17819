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

# run_suite FOLDER [CTEST OPTIONS] -- [CMAKE OPTIONS]
run_suite() {
    local folder=$1 ctest_options=()
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        ctest_options+=("$1")
        shift
    done
    shift || true
    echo "== $folder: building"
    bash scripts/build.sh "$folder" "$@"
    echo "== $folder: testing (built at ${SECONDS}s)"
    (cd "$folder" && ctest --output-on-failure -j 2 --timeout 300 "${ctest_options[@]}") || status=1
    echo "== $folder: tested at ${SECONDS}s"
}

# One build holds both editions (Kelvinor and Kelvinor-Demo); the tests name
# the edition they run.
run_suite build --
# Under the sanitizers the count of every play (minutes of real audio, the
# same code as the short real-audio test that does run here) is left out.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    run_suite build-asan -E '^Sound\.EveryPlayIsHeard\.' -- \
    -DKELVINOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
echo "== build-windows: building and testing under Wine"
bash scripts/build-windows.sh --no-package || status=1

echo "== done at ${SECONDS}s"
if [ $status -eq 0 ]; then echo "all suites passed"; else echo "some suites failed"; fi
exit $status
