#!/bin/sh
# Builds the fuzz preset and runs one libFuzzer target for a given number of seconds.
# Usage: scripts/fuzz.sh TARGET SECONDS   (for example: scripts/fuzz.sh storage_fuzz 300)
# The corpus grows in build/fuzz/corpus/TARGET; crashing inputs land in build/fuzz/crashes/.
set -eu
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target "$target"

corpus=build/fuzz/corpus/$target
crashes=build/fuzz/crashes
mkdir -p "$corpus" "$crashes"
# A target may come with a program that writes its starting corpus (TARGET_seeds FOLDER).
if cmake --build build/fuzz --target help | grep -q "^${target}_seeds:"; then
    cmake --build build/fuzz --target "${target}_seeds"
    "build/fuzz/bin/${target}_seeds" "$corpus"
fi

exec "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$crashes/" "$corpus"
