#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine on a virtual screen; each prints its figures as
# ratios against a baseline measured in the same run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_tools
build_native
build_windows
unset DISPLAY
ensure_display
ensure_prefix
lay_out
for exe in "$BUILD/mingw-x64/bench/"*_bench.exe; do
    say "$(basename "$exe")"
    wine "$exe"
done
