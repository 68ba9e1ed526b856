#!/usr/bin/env bash
# The setup program under Wine, in a fresh prefix of its own (build/installer-prefix), so that
# nothing leaks to or from the other tests' prefix. It makes the package (scripts/package.sh),
# then: a character file of the same name as one of Vocalinka's is put in the Agent folder
# first, as someone else's; the setup program installs silently; the installed program
# starts from Program Files, shows its window and greets; the setup program runs again
# silently with /AUTOSTART and closes the running program first, then once more as an update
# that keeps the start with Windows; the silent uninstaller, started as Add/Remove Programs would, removes what was installed and
# keeps that file and the person's profiles. Then once more with /REPLACE: that file is moved
# aside for Vocalinka's and put back by the uninstaller. Last, through the setup program's
# pages, answering its question about that file no, then yes.
# Runs on the display it is given (scripts/test.sh passes its virtual screen), or on a virtual
# screen of its own. Last line: "installer: N passed, N failed".
set -uo pipefail
source "$(dirname "$0")/../../scripts/common.sh"

{ "$ROOT/scripts/package.sh" &&
    cmake --build "$BUILD/mingw-x64" -j "$JOBS" --target setup_driver; } >&2 ||
    { echo "installer: 0 passed, 1 failed"; exit 1; }
VERSION="$(sed -n 's/^project(Vocalinka VERSION \([0-9.]*\) .*/\1/p' "$ROOT/CMakeLists.txt")"
SETUP="$BUILD/package/vocalinka-$VERSION-setup.exe"

export WINEPREFIX="$BUILD/installer-prefix"
ensure_display
# Whatever is left of an earlier run: its server first, then its files.
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
ensure_prefix

DRIVE="$WINEPREFIX/drive_c"
PROGRAM="$DRIVE/Program Files/Vocalinka"
CHARS="$DRIVE/windows/Msagent/Chars"
INTL="$DRIVE/windows/Msagent/Intl"
SHORTCUT="$DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/Vocalinka.lnk"
UNINSTALL_KEY='Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vocalinka'
RUN_KEY='Software\\Microsoft\\Windows\\CurrentVersion\\Run'
TRACE="$DRIVE/vocalinka-trace.txt"
# The output of every case, and what the cases compare.
LOG="$BUILD/test-logs/installer.log"
WORK="$BUILD/test-logs/installer"
rm -rf "$WORK" && mkdir -p "$WORK" && : >"$LOG"

passed=0
failed=0
# check <what> <command...>: one case.
check() {
    local what=$1; shift
    if "$@" >>"$LOG" 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "  FAILED: $what"
        echo "FAILED: $what" >>"$LOG"
    fi
}
absent() { [ ! -e "$1" ]; }
same() { cmp -s "$1" "$2"; }

# A value of the machine's registry, as Wine saved it: the server must have ended.
# machine_value <key with doubled backslashes> <value name>
machine_value() {
    # Through the environment: awk -v would take the doubled backslashes as escapes.
    KEY="[$1]" NAME="\"$2\"=" awk '
        BEGIN { key = tolower(ENVIRON["KEY"]); name = ENVIRON["NAME"] }
        { sub(/\r$/, "") }
        index($0, "[") == 1 { inside = (index(tolower($0), key) == 1); next }
        inside && index($0, name) == 1 { print substr($0, length(name) + 1); found = 1; exit }
        END { exit !found }' "$WINEPREFIX/system.reg"
}
has_value() { machine_value "$1" "$2" >/dev/null; }
no_value() { ! machine_value "$1" "$2" >/dev/null; }
# No such key and none below it.
no_key() { ! grep -qiF -e "[$1]" -e "[$1\\\\" "$WINEPREFIX/system.reg"; }
value_is() { [ "$(machine_value "$1" "$2")" = "$3" ]; }

# Every file and folder of drive C but the temporary ones, which Wine and the uninstaller's
# copy of itself use.
listing() {
    (cd "$DRIVE" && find . | grep -viE '^\./(windows/temp|users/[^/]+/(temp|appdata/local/temp))(/|$)' | sort)
}

# The portable zip: the program, the characters, the language components and the read-me.
ZIP="$BUILD/package/vocalinka-$VERSION-portable.zip"
expected_entries="$(cd "$BUILD" && {
    printf 'Vocalinka/\nVocalinka/Chars/\nVocalinka/Intl/\nVocalinka/README.txt\nVocalinka/vocalinka.exe\n'
    for file in native/characters/*.acs; do echo "Vocalinka/Chars/$(basename "$file")"; done
    echo Vocalinka/Intl/AGT0409.DLL; echo Vocalinka/Intl/AGT040C.DLL
} | sort)"
check "the portable zip holds the program, characters, components and read-me" \
    test "$(unzip -Z1 "$ZIP" | sort)" = "$expected_entries"
check "the portable zip's program is the one built" \
    sh -c 'unzip -p "$1" Vocalinka/vocalinka.exe | cmp -s - "$2"' - "$ZIP" "$BUILD/mingw-x64/vocalinka.exe"

# Someone else's character, of the same name as one of Vocalinka's.
mkdir -p "$CHARS"
printf 'someone else'"'"'s Pip\n' >"$CHARS/Pip.acs"
cp "$CHARS/Pip.acs" "$WORK/foreign-Pip.acs"
wine reg add 'HKCU\Software\Vocalinka\Agent' /v TraceFile /d 'C:\vocalinka-trace.txt' /f >/dev/null 2>&1
wineserver -w
listing >"$WORK/before-install.txt"

say "installing silently"
check "setup /S ends with 0" wine "$SETUP" /S
wineserver -w
check "the start with Windows is off at a first install" no_value "$RUN_KEY" Vocalinka

say "starting the installed program"
wine 'C:\Program Files\Vocalinka\vocalinka.exe' >/dev/null 2>&1 &
program=$!
greeted() { grep -q '^request Speak ' "$TRACE" 2>/dev/null; }
# The main window, captioned "Vocalinka", mapped on the screen.
shows_window() {
    local id
    id="$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Vocalinka": .*/\1/p' | head -n1)"
    [ -n "$id" ] && xwininfo -id "$id" | grep -q 'Map State: IsViewable'
}
for _ in $(seq 600); do greeted && break; sleep 0.1; done
check "the installed program loads the installed Merlin" \
    grep -qiF 'Msagent\\Chars\\Merlin.acs' "$TRACE"
check "the installed program greets" greeted
check "the installed program shows its window" shows_window

say "installing again silently, with the start with Windows, while the program runs"
check "setup /S /AUTOSTART over a running Vocalinka ends with 0" wine "$SETUP" /S /AUTOSTART
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
check "the setup program closes the running Vocalinka first" \
    sh -c "! kill -0 $program 2>/dev/null"
kill -0 "$program" 2>/dev/null && wineserver -k
wineserver -w
check "the start with Windows is registered" \
    value_is "$RUN_KEY" Vocalinka '"\"C:\\Program Files\\Vocalinka\\vocalinka.exe\""'
say "updating silently"
check "setup /S over an installed Vocalinka ends with 0" wine "$SETUP" /S
wineserver -w
check "an update keeps the start with Windows" has_value "$RUN_KEY" Vocalinka

check "the program is in Program Files" same "$BUILD/mingw-x64/vocalinka.exe" "$PROGRAM/vocalinka.exe"
check "the uninstaller is beside it" test -f "$PROGRAM/uninstall.exe"
for name in Merlin Robby; do
    check "$name.acs is in the Agent characters folder" \
        same "$BUILD/native/characters/$name.acs" "$CHARS/$name.acs"
done
check "someone else's Pip.acs was not replaced" same "$WORK/foreign-Pip.acs" "$CHARS/Pip.acs"
for dll in AGT0409.DLL AGT040C.DLL; do
    check "$dll is in the Agent language folder" same "$BUILD/mingw-x64/intl/$dll" "$INTL/$dll"
done
check "the Start menu has the shortcut" test -f "$SHORTCUT"
check "Add/Remove Programs names Vocalinka" value_is "$UNINSTALL_KEY" DisplayName '"Vocalinka"'
check "Add/Remove Programs has the project's version" \
    value_is "$UNINSTALL_KEY" DisplayVersion "\"$VERSION\""
check "Add/Remove Programs names the publisher" has_value "$UNINSTALL_KEY" Publisher
check "Add/Remove Programs shows the program's icon" \
    value_is "$UNINSTALL_KEY" DisplayIcon '"C:\\Program Files\\Vocalinka\\vocalinka.exe,0"'
check "Add/Remove Programs can uninstall" \
    value_is "$UNINSTALL_KEY" UninstallString '"\"C:\\Program Files\\Vocalinka\\uninstall.exe\""'
check "Add/Remove Programs can uninstall silently" \
    value_is "$UNINSTALL_KEY" QuietUninstallString '"\"C:\\Program Files\\Vocalinka\\uninstall.exe\" /S"'
check "Add/Remove Programs has the size" has_value "$UNINSTALL_KEY" EstimatedSize

# The person's profiles: beside the program (written there by the program if it could, else
# written here as the portable use would leave it) and in the per-user folder.
roaming="$(echo "$DRIVE"/users/*/AppData/Roaming)"
mkdir -p "$roaming/Vocalinka"
for profile in "$PROGRAM/profile.pfl" "$roaming/Vocalinka/profile.pfl"; do
    [ -f "$profile" ] || printf 'Character=Robby\r\n' >"$profile"
    cp "$profile" "$profile.kept"
done

say "uninstalling silently, as Add/Remove Programs would"
# The uninstaller copies itself away and runs the copy: the server's end is the copy's end.
check "the silent uninstaller ends with 0" wine 'C:\Program Files\Vocalinka\uninstall.exe' /S
wineserver -w

for file in vocalinka.exe uninstall.exe; do
    check "$file is removed" absent "$PROGRAM/$file"
done
for name in Merlin Robby; do check "$name.acs is removed" absent "$CHARS/$name.acs"; done
check "someone else's Pip.acs is kept" same "$WORK/foreign-Pip.acs" "$CHARS/Pip.acs"
check "the language components and their folder are removed" absent "$INTL"
check "the Start menu shortcut is removed" absent "$SHORTCUT"
check "the Add/Remove Programs entry is removed" no_key "$UNINSTALL_KEY"
check "the setup's own record is removed" no_key 'Software\\Vocalinka'
check "the start with Windows is removed" no_value "$RUN_KEY" Vocalinka
check "the profile beside the program is kept" same "$PROGRAM/profile.pfl.kept" "$PROGRAM/profile.pfl"
check "the per-user profile is kept" \
    same "$roaming/Vocalinka/profile.pfl.kept" "$roaming/Vocalinka/profile.pfl"

# Nothing else the setup program made is left: all that is new since before the install are
# the profiles kept above (with their folders) and the trace.
rm -f "$PROGRAM/profile.pfl.kept" "$roaming/Vocalinka/profile.pfl.kept"
listing >"$WORK/after-uninstall.txt"
comm -13 "$WORK/before-install.txt" "$WORK/after-uninstall.txt" |
    grep -vxF -e './Program Files/Vocalinka' -e './Program Files/Vocalinka/profile.pfl' \
        -e './vocalinka-trace.txt' |
    grep -vE '^\./users/[^/]+/AppData/Roaming/Vocalinka(/profile\.pfl)?$' \
        >"$WORK/left-behind.txt"
check "the uninstaller leaves nothing else behind (see build/test-logs/installer/left-behind.txt)" \
    test ! -s "$WORK/left-behind.txt"
comm -23 "$WORK/before-install.txt" "$WORK/after-uninstall.txt" \
    >"$WORK/taken-away.txt"
check "install and uninstall take nothing away (see build/test-logs/installer/taken-away.txt)" \
    test ! -s "$WORK/taken-away.txt"

say "installing silently with /REPLACE, then uninstalling"
check "setup /S /REPLACE ends with 0" wine "$SETUP" /S /REPLACE
wineserver -w
check "with /REPLACE, Vocalinka's Pip.acs takes the place of someone else's" \
    same "$BUILD/native/characters/Pip.acs" "$CHARS/Pip.acs"
check "with /REPLACE, someone else's Pip.acs is kept aside" \
    same "$WORK/foreign-Pip.acs" "$PROGRAM/Replaced files/Chars/Pip.acs"
check "the second silent uninstaller ends with 0" \
    wine 'C:\Program Files\Vocalinka\uninstall.exe' /S
wineserver -w
check "the uninstaller puts someone else's Pip.acs back" \
    same "$WORK/foreign-Pip.acs" "$CHARS/Pip.acs"
listing >"$WORK/after-second-uninstall.txt"
check "the second install and uninstall leave what the first left" \
    cmp "$WORK/after-uninstall.txt" "$WORK/after-second-uninstall.txt"

# Through the pages, as a person installs: the question about someone else's file is asked,
# and each answer is kept to.
DRIVER="$BUILD/mingw-x64/tests/helpers/setup_driver.exe"
for answer in no yes; do
    say "installing through the pages, answering $answer"
    wine "$DRIVER" "Z:${SETUP//\//\\}" "$answer" >"$WORK/asked-$answer.txt" 2>>"$LOG"
    check "setup through the pages, answering $answer, ends with 0" test $? -eq 0
    wineserver -w
    check "setup through the pages asks once, about Pip.acs, answering $answer" \
        test "$(tr -d '\r' <"$WORK/asked-$answer.txt" | grep -c '^asked: .*Pip\.acs is already there')" = 1
    check "setup through the pages installs Merlin.acs, answering $answer" \
        same "$BUILD/native/characters/Merlin.acs" "$CHARS/Merlin.acs"
    check "setup through the pages leaves the start with Windows unticked, answering $answer" \
        no_value "$RUN_KEY" Vocalinka
    if [ "$answer" = yes ]; then
        check "answering yes, Vocalinka's Pip.acs takes the place of someone else's" \
            same "$BUILD/native/characters/Pip.acs" "$CHARS/Pip.acs"
    else
        check "answering no, someone else's Pip.acs stays" \
            same "$WORK/foreign-Pip.acs" "$CHARS/Pip.acs"
    fi
    check "uninstalling after answering $answer ends with 0" \
        wine 'C:\Program Files\Vocalinka\uninstall.exe' /S
    wineserver -w
    check "after answering $answer, uninstalling leaves someone else's Pip.acs" \
        same "$WORK/foreign-Pip.acs" "$CHARS/Pip.acs"
done

wineserver -k 2>/dev/null
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
