#!/usr/bin/env bash
# Builds Vocalinka and runs it under Wine. With a display ($DISPLAY) the program stays until
# you close it; without one it runs on a virtual screen for a few seconds and leaves a
# screenshot under build/.
#   scripts/run.sh           the program
#   scripts/run.sh --demo    the Agent component's demo (the character speaks a sentence)
set -euo pipefail
source "$(dirname "$0")/common.sh"

target=vocalinka
[ "${1:-}" = "--demo" ] && target=agent_demo

ensure_tools
build_native
build_windows
headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then headless=1; unset DISPLAY; fi
ensure_display
ensure_prefix
lay_out

if [ "$target" = vocalinka ]; then
    exe="$(APP_DIR)/vocalinka.exe"
else
    exe="$BUILD/mingw-x64/agent_demo.exe"
fi
if [ ! -f "$exe" ]; then echo "$exe was not built" >&2; exit 1; fi

if [ "$headless" = 0 ]; then
    say "starting $exe on $DISPLAY"
    exec wine "$exe"
fi

say "starting $exe on a virtual screen ($DISPLAY)"
wine "$exe" &
pid=$!
sleep "${VOCALINKA_RUN_SECONDS:-6}"
shot="$BUILD/screenshot-$target.png"
xwd -root -silent | convert xwd:- "$shot"
wineserver -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true
say "screenshot: $shot"
