#!/usr/bin/env bash
# Sets up everything and runs the whole test suite: window tests on the optimised build under a
# virtual display, every other test under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/format-check.sh

export CORVANE_REQUIRE_INTEROP=1
# The Debian package test installs and purges the package on this machine (CI runs as root).
export CORVANE_PACKAGE_TEST=1

cmake --preset default >/dev/null
cmake --build --preset default
xvfb-run -a ctest --preset default -L gui --no-tests=ignore

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -LE gui
