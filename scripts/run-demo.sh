#!/usr/bin/env bash
# Sets up everything, builds the optimised tree, creates a workspace from the demo board and
# shows it: in the Corvane window when a display is available, as text otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

bin=build/default/bin
demo=build/default/demo
mkdir -p "$demo"
"$bin/cvk" --version
"$bin/cvk" new build/default/samples/demo.cvk --components cmos,smbios,thermal,flex \
    --out "$demo/demo.cvw"
"$bin/cvk" info "$demo/demo.cvw"

if [ -n "${DISPLAY:-}" ] && [ -x "$bin/corvane" ] && [ "${CORVANE_HEADLESS:-0}" != 1 ]; then
    exec "$bin/corvane" "$demo/demo.cvw"
fi
echo "No display: the workspace was made headless; its contents follow."
"$bin/cvk" show "$demo/demo.cvw"
