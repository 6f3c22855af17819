#!/usr/bin/env bash
# again_after_a_hang.sh SECONDS COMMAND...: runs COMMAND under Wine, and once
# more when it is still running after SECONDS. Wine 8 now and then spins in a
# file query of the test program itself before the serial tests start their
# simulator (seen in about one run of five, with no other process alive); a
# failure of the test is never run again, only a hang.
set -uo pipefail
seconds=$1
shift
timeout "$seconds" wine "$@"
status=$?
if [ $status -eq 124 ]; then
    echo "again_after_a_hang: no end after $seconds s; running it once more" >&2
    timeout "$seconds" wine "$@"
    status=$?
fi
exit $status
