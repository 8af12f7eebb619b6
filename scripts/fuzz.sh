#!/bin/sh
# Builds the fuzz preset and runs one libFuzzer target for a given number of seconds, starting
# from the seed corpus the build makes from real inputs and with the target's dictionary.
# Usage: scripts/fuzz.sh TARGET SECONDS   (for example: scripts/fuzz.sh storage_fuzz 300)
# The corpus grows in build/fuzz/corpus/TARGET; crashing inputs land in build/fuzz/crashes/.
# An input that crashed or timed out goes to fuzz/regressions/TARGET/ once the fault is mended;
# the test suite replays those.
set -eu
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target "$target" fuzz_seeds

case $target in
storage_fuzz) dictionary=storage ;;
bios_image_fuzz) dictionary=bios_image ;;
flash_image_fuzz | modweave_state_fuzz) dictionary=flash_image ;;
cvk_apply_fuzz) dictionary=cvk_apply ;;
media_chain_fuzz) dictionary=media_chain ;;
*) dictionary=records ;;
esac

corpus=build/fuzz/corpus/$target
crashes=build/fuzz/crashes
mkdir -p "$corpus" "$crashes" "build/fuzz/fuzz/seeds/$target"
exec "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="fuzz/dictionaries/$dictionary.dict" -artifact_prefix="$crashes/" \
    "$corpus" "build/fuzz/fuzz/seeds/$target"
