# Shared by script/test, script/run and script/bench: installs what the build
# and Wine need, builds both targets, and runs one headless Wine session.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINE32=/usr/lib/wine/wine
WINE64=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}

# Installs, on Debian 12 as root, whatever of the tool chain is missing.
ensure_packages() {
    local wanted=(cmake ninja-build mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
                  wine wine64 wine32:i386 xvfb googletest fonts-liberation imagemagick x11-utils)
    local missing=()
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

build_all() {
    local preset
    for preset in win32 win64; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
}

# Wine's 32-bit loader is a 32-bit Linux program: some kernels and sandboxes
# cannot run those at all, and then no 32-bit Windows program runs either.
can_run_win32() {
    "$WINE32" --version >/dev/null 2>&1
}

# The newest word size that runs here: the 32-bit build where it can run.
runnable_build() {
    if can_run_win32; then echo "$ROOT/build/win32"; else echo "$ROOT/build/win64"; fi
}

wine_in_prefix() {
    WINELOADER=$WINE64 "$WINE64" "$@"
}

# Starts one X server and one persistent wineserver on a fresh prefix, and
# stops exactly those when the calling script exits. Every Wine program of
# the session runs inside one virtual desktop as large as the screen, so
# full-screen windows cover a known screen whose pixels can be read back.
#
# SESSION_DIR (default build/) holds the prefix, so separate sessions can run
# side by side; a prefix already prepared there is used again. SCREEN_SIZE
# (default 1024x768) sizes a new prefix's screen; XVFB_ARGS go to Xvfb.
start_wine_session() {
    local dir=${SESSION_DIR:-$ROOT/build}
    export WINEPREFIX="$dir/wineprefix"
    local displayfile="$dir/xvfb-display"
    mkdir -p "$dir"
    rm -f "$displayfile"
    # shellcheck disable=SC2086 # XVFB_ARGS are words
    Xvfb -displayfd 3 -screen 0 "${SCREEN_SIZE:-1024x768}x24" -nolisten tcp ${XVFB_ARGS:-} \
        3>"$displayfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    trap stop_wine_session EXIT
    local tries=0
    while [ ! -s "$displayfile" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
    export DISPLAY=":$(cat "$displayfile")"

    [ -f "$WINEPREFIX/.prepared" ] || prepare_prefix "$dir"
    /usr/lib/wine/wineserver -p &
    # Start the prefix's own services and the desktop now, with no terminal
    # attached: whatever starts them hands them its output, and a test
    # runner would wait for that output to close.
    wine_in_prefix 'C:\windows\system32\reg.exe' query 'HKCU\Software\Wine\Explorer' \
        </dev/null >/dev/null 2>&1
}

prepare_prefix() {
    local dir=$1
    rm -rf "$WINEPREFIX"
    # No .NET or HTML engine: their installers would ask, and nothing here needs them.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine_in_prefix wineboot -i >/dev/null 2>&1
    cat >"$dir/session.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="${SCREEN_SIZE:-1024x768}"

; Times New Roman is not installed; this metric-compatible serif is.
[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
REG
    wine_in_prefix regedit /S "Z:${dir//\//\\}\\session.reg" >/dev/null 2>&1
    # The desktop settings apply from the next server start on.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wineserver -w 2>/dev/null || true
    touch "$WINEPREFIX/.prepared"
}

stop_wine_session() {
    [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
}
