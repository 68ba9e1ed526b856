#!/usr/bin/env bash
# Builds the two ways to ship Vocalinka into build/package/:
#   vocalinka-<version>-setup.exe     the setup program (NSIS), x86_64 program inside
#   vocalinka-<version>-portable.zip  the program, its characters and language components and
#                                     a read-me, for use without installing
# The version is the project's, from the top CMakeLists.txt.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_tools
ensure_package_tools

say "building vocalinka.exe, its characters and language components"
cmake --preset native -S "$ROOT" >/dev/null
cmake --build "$BUILD/native" -j "$JOBS" --target characters
cmake --preset mingw-x64 -S "$ROOT" >/dev/null
cmake --build "$BUILD/mingw-x64" -j "$JOBS" --target vocalinka agent_intl_0409 agent_intl_040c

VERSION_NSH="$BUILD/mingw-x64/generated/vocalinka_version.nsh"
version="$(sed -n 's/^!define VOCALINKA_VERSION "\(.*\)"$/\1/p' "$VERSION_NSH")"
[ -n "$version" ] || { echo "No version in $VERSION_NSH" >&2; exit 1; }

OUT="$BUILD/package"
STAGE="$OUT/stage"
rm -rf "$OUT" && mkdir -p "$STAGE/Chars" "$STAGE/Intl"
cp "$BUILD/mingw-x64/vocalinka.exe" "$ROOT/src/resources/vocalinka.ico" "$VERSION_NSH" "$STAGE/"
cp "$BUILD/native/characters/"*.acs "$STAGE/Chars/"
cp "$BUILD/mingw-x64/intl/AGT0409.DLL" "$BUILD/mingw-x64/intl/AGT040C.DLL" "$STAGE/Intl/"
# One line per file the setup program places in the Agent folders.
(cd "$STAGE" && for file in Chars/*.acs Intl/*.DLL; do
    printf '!insertmacro AgentFile "%s"\n' "${file//\//\\}"
done) >"$STAGE/agent_files.nsh"

setup="$OUT/vocalinka-$version-setup.exe"
say "making $(basename "$setup")"
makensis -V2 -NOCD "-DSTAGE=$STAGE" "-DOUTFILE=$setup" "$ROOT/installer/vocalinka.nsi"

zip_file="$OUT/vocalinka-$version-portable.zip"
say "making $(basename "$zip_file")"
portable="$OUT/portable/Vocalinka"
mkdir -p "$portable"
cp -r "$STAGE/vocalinka.exe" "$STAGE/Chars" "$STAGE/Intl" "$portable/"
# Line ends for Notepad on any Windows.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$ROOT/installer/README-portable.txt" \
    >"$portable/README.txt"
(cd "$OUT/portable" && zip -q -X -r "$zip_file" Vocalinka)
rm -rf "$STAGE" "$OUT/portable"

ls -l "$setup" "$zip_file" | awk '{ printf "%s %d bytes\n", $NF, $5 }'
