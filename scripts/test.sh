#!/usr/bin/env bash
# Builds everything and runs every test, in four layers:
#   unit       portable code, natively on Linux
#   win32      real windows and Win32 calls, under Wine on a virtual screen
#   e2e        vocalinka.exe as a separate process, driven from outside, under Wine
#   installer  the setup program installed and uninstalled in a Wine prefix of its own
# and then checks that the whole tree follows .clang-format.
# Each layer reports its count; the last line sums up as "N passed, N failed".
set -uo pipefail
source "$(dirname "$0")/common.sh"
set -e
ensure_tools
build_native
build_windows
build_windows_i686
set +e

# Tests never use the developer's own screen: they move the mouse and press keys.
unset DISPLAY
ensure_display
ensure_prefix
# One wineserver for the whole run: a server that starts and stops between test programs can
# leave the next program without its windows (seen once on a fresh machine). The display's
# exit trap (common.sh) ends it.
wineserver -p
lay_out

LOGS="$BUILD/test-logs"
rm -rf "$LOGS" && mkdir -p "$LOGS"
total_passed=0
total_failed=0

# Runs one GoogleTest program and adds its counts; a program that ends without GoogleTest's
# summary (a crash, a hang) counts as one failed test.
run_suite() {
    local layer=$1 exe=$2; shift 2
    local name log; name="$(basename "$exe")"; log="$LOGS/$layer-$name.log"
    timeout 900 "$@" "$exe" --gtest_color=no >"$log" 2>&1
    local rc=$?
    local passed failed
    passed=$(grep -oE '^\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' || true)
    failed=$(grep -oE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log" | grep -oE '[0-9]+' || true)
    passed=${passed:-0}; failed=${failed:-0}
    if [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
        failed=1
        # No summary: the program crashed or hung. Its exit code says which (124: time-out).
        printf '%s ended without a summary, exit code %d (0x%X)\n' "$name" "$rc" "$rc" >>"$log"
    fi
    if [ "$failed" -gt 0 ]; then
        echo "  $name: $passed passed, $failed failed (log: $log)"
        # Where each check failed and what it saw; Wine's programs end lines with CR LF.
        tr -d '\r' <"$log" | grep -E '^\[  FAILED  \] .* \([0-9]+ ms\)$' | sed 's/^/    /'
        tr -d '\r' <"$log" | grep -E -A4 ': Failure$' | head -60 | sed 's/^/    /'
    else
        echo "  $name: $passed passed"
    fi
    layer_passed=$((layer_passed + passed)); layer_failed=$((layer_failed + failed))
}

run_layer() {
    local layer=$1 folder=$2 glob=$3; shift 3
    layer_passed=0; layer_failed=0
    echo "== $layer tests"
    local exe found=0
    for exe in "$folder"/$glob; do
        [ -f "$exe" ] && [ -x "$exe" ] || continue
        found=1
        run_suite "$layer" "$exe" "$@"
    done
    [ "$found" = 1 ] || { echo "  no $layer tests were built"; layer_failed=$((layer_failed + 1)); }
    echo "$layer: $layer_passed passed, $layer_failed failed"
    total_passed=$((total_passed + layer_passed)); total_failed=$((total_failed + layer_failed))
}

run_layer unit "$BUILD/native/tests/unit" '*'
run_layer win32 "$BUILD/mingw-x64/tests/win32" '*.exe' wine
# A program folder that cannot be written into, as Program Files is for a person: a read-only
# bind mount (Wine as root ignores the permissions of files). Without the right to mount, the
# test that needs it says it was skipped.
readonly_program() {
    local source="$BUILD/readonly-source" target="$BUILD/readonly-program"
    umount "$target" 2>/dev/null
    rm -rf "$source" && mkdir -p "$source" "$target"
    cp "$BUILD/mingw-x64/vocalinka.exe" "$source/"
    printf '"Character=Merlin\r\nLanguage=English\r\nSpeed=150\r\nPitch=90"\r\n' >"$source/profile.pfl"
    if mount --bind "$source" "$target" 2>/dev/null &&
        mount -o remount,bind,ro "$target" 2>/dev/null; then
        export VOCALINKA_READONLY_PROGRAM="Z:${target//\//\\}"
        # The wineserver goes first: a running program keeps the mount busy.
        trap 'kill ${XVFB_PID:-} 2>/dev/null; wineserver -k 2>/dev/null; sleep 1; umount "$BUILD/readonly-program" 2>/dev/null' EXIT
    else
        umount "$target" 2>/dev/null
    fi
}
readonly_program
run_layer e2e "$BUILD/mingw-x64/tests/e2e" '*.exe' wine

# The setup program, installed and uninstalled in a Wine prefix of its own; it prints each
# failed case and ends with "installer: N passed, N failed".
echo "== installer tests"
"$ROOT/tests/installer/installer_test.sh" 2>"$LOGS/installer-steps.log" | tee "$LOGS/installer-summary.log"
read -r layer_passed layer_failed < <(tail -n1 "$LOGS/installer-summary.log" |
    sed -nE 's/^installer: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' | grep . || echo 0 1)
total_passed=$((total_passed + layer_passed)); total_failed=$((total_failed + layer_failed))

# The whole tree follows .clang-format.
echo "== format"
unformatted=$(cd "$ROOT" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 |
    grep -oE '^[^:]+\.(cpp|h):' | sort -u)
if [ -z "$unformatted" ]; then
    echo "format: 1 passed, 0 failed"
    total_passed=$((total_passed + 1))
else
    echo "  not formatted by .clang-format:" $unformatted
    echo "format: 0 passed, 1 failed"
    total_failed=$((total_failed + 1))
fi

echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
