#!/usr/bin/env bash
# Runs the program under a virtual display on the demo board and writes PNG screenshots of the
# main window and of "Create A Workspace" into build/default/screenshots (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/default/screenshots}"
cmake --preset default >/dev/null
cmake --build --preset default --target gui_screenshots
xvfb-run -a -s "-screen 0 1280x1024x24" build/default/bin/gui_screenshots "$out"
