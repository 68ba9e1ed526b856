#!/usr/bin/env bash
# CTest runs every test program through this: run-test.sh <layer> <program>. It keeps the
# program's output in $VOCALINKA_TEST_LOGS/<layer>-<program>.log, where scripts/test.sh counts
# its GoogleTest cases, and exits with the program's exit code. A Windows program runs under
# Wine on the desk CTest gave it (scripts/test.sh prepares the desks: a virtual screen, a Wine
# prefix and its wineserver each), so that programs that move the mouse, the foreground and
# the clipboard can run side by side without meeting.
set -u
layer=$1 program=$2
logs=${VOCALINKA_TEST_LOGS:-$(dirname "$program")}
log="$logs/$layer-$(basename "$program").log"

case "$program" in
    *.exe)
        # Without desks (ctest run by hand) the program uses the display and prefix it is given.
        if [ -n "${VOCALINKA_DESKS:-}" ]; then
            # CTEST_RESOURCE_GROUP_0_DESKS is "id:<n>,slots:1".
            desk=${CTEST_RESOURCE_GROUP_0_DESKS:-id:0,}
            desk=${desk#id:}
            desk=${desk%%,*}
            export DISPLAY=":$((VOCALINKA_DESK_DISPLAY + desk))"
            export WINEPREFIX="$VOCALINKA_DESKS/$desk"
        fi
        timeout 900 wine "$program" --gtest_color=no >"$log" 2>&1
        ;;
    *)
        timeout 900 "$program" --gtest_color=no >"$log" 2>&1
        ;;
esac
