#!/usr/bin/env bash
# Fails when a tracked C++ source drifts from the checked-in clang-format configuration.
# With --fix, formats those files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "clang-format: the files above drift from .clang-format (scripts/format-check.sh --fix)" >&2
    exit 1
fi
