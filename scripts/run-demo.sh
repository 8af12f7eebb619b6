#!/usr/bin/env bash
# Sets up everything, builds the optimised tree and runs the tools on the demo board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

bin=build/default/bin
"$bin/cvk" --version
"$bin/cvkgen" --version
"$bin/cvkreg" --version
