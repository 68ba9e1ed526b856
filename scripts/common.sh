# Shared by run.sh, test.sh and the benchmarks: installs what is missing, builds, prepares a
# Wine prefix inside the build folder and lays out the program and its Agent folders there.
# Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
JOBS="$(nproc 2>/dev/null || echo 2)"

export WINEPREFIX="$BUILD/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="

say() { printf '== %s\n' "$*" >&2; }

# Installs, with apt-get, the packages whose commands or files are missing.
ensure_tools() {
    local need=()
    command -v cmake >/dev/null || need+=(cmake)
    command -v g++ >/dev/null || need+=(g++)
    command -v make >/dev/null || need+=(make)
    command -v clang-format >/dev/null || need+=(clang-format)
    [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
    command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
    command -v wine >/dev/null || need+=(wine)
    [ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || need+=(wine64)
    command -v Xvfb >/dev/null || need+=(xvfb)
    command -v xdpyinfo >/dev/null || need+=(x11-utils)
    command -v xwd >/dev/null || need+=(x11-apps)
    dpkg -s imagemagick >/dev/null 2>&1 || need+=(imagemagick)
    install_packages "${need[@]}"
}

# Installs the packages named, if any, with apt-get.
install_packages() {
    [ $# -gt 0 ] || return 0
    say "installing: $*"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: $*. Run this script as root so that it can install them." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# What scripts/package.sh and the installer test need besides the build: makensis with its
# 64-bit stubs, and zip.
ensure_package_tools() {
    local need=()
    [ -d /usr/share/nsis/Stubs ] && command -v makensis >/dev/null || need+=(nsis)
    command -v zip >/dev/null || need+=(zip)
    command -v unzip >/dev/null || need+=(unzip)
    install_packages "${need[@]}"
}

build_native() {
    say "building the portable code and its unit tests (Linux)"
    cmake --preset native -S "$ROOT" >/dev/null
    cmake --build "$BUILD/native" -j "$JOBS"
}

build_windows() {
    say "building vocalinka.exe and its Win32 tests (MinGW-w64 x86_64)"
    cmake --preset mingw-x64 -S "$ROOT" >/dev/null
    cmake --build "$BUILD/mingw-x64" -j "$JOBS"
}

build_windows_i686() {
    say "checking that the i686 build compiles"
    cmake --preset mingw-x86 -S "$ROOT" -DVOCALINKA_BUILD_TESTS=OFF >/dev/null
    cmake --build "$BUILD/mingw-x86" -j "$JOBS"
}

# Starts Xvfb when there is no display; the X server lives as long as the calling shell.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill $XVFB_PID 2>/dev/null; wineserver -k 2>/dev/null' EXIT
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    echo "Xvfb did not start" >&2; exit 1
}

ensure_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        # Without a window manager on the virtual screen, Wine would wait for one at every
        # show and hide of a managed window.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    fi
}

# Windows folder of the prefix and the program folder inside it (C:\Vocalinka).
WIN_DIR() { echo "$WINEPREFIX/drive_c/windows"; }
APP_DIR() { echo "$WINEPREFIX/drive_c/Vocalinka"; }

# Lays out the program folder and the Agent folders below the Windows folder.
lay_out() {
    local app; app="$(APP_DIR)"
    mkdir -p "$app"
    cp "$BUILD/mingw-x64/vocalinka.exe" "$app/"
    local chars="$(WIN_DIR)/Msagent/Chars" intl="$(WIN_DIR)/Msagent/Intl"
    mkdir -p "$chars" "$intl"
    if compgen -G "$BUILD/native/characters/*.acs" >/dev/null; then
        cp "$BUILD/native/characters/"*.acs "$chars/"
    fi
    if compgen -G "$BUILD/mingw-x64/intl/AGT*.DLL" >/dev/null; then
        cp "$BUILD/mingw-x64/intl/"AGT*.DLL "$intl/"
    fi
}
