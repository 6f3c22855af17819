#!/usr/bin/env bash
# Installs what is missing, builds and starts Kelvinor (demonstration edition)
# in the working folder run/, which holds the bus scripts and the clock program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
bash scripts/prepare-work-folder.sh build run
cd run
exec ../build/logger/Kelvinor
