#!/usr/bin/env bash
# Builds the Debian package from the optimised build into build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
cpack --config build/default/CPackConfig.cmake -B build/package
ls build/package/*.deb
