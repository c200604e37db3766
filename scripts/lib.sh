# Shared by scripts/test, scripts/run and scripts/bench: tools check, build,
# Wine prefixes, virtual display. Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
TARGETS=(i686-w64-mingw32 x86_64-w64-mingw32)
FUZZ_TARGETS=(fuzz_strings fuzz_host_command fuzz_command_line fuzz_channel_record)
FUZZ_SECONDS=30
export WINEDEBUG=-all
# No Mono or Gecko installer prompts in fresh prefixes.
export WINEDLLOVERRIDES="mscoree,mshtml="

say() { printf '%s: %s\n' "$(basename "$0")" "$*"; }

# The library's version, written once: the descriptor's ("2.10").
descriptor_version() {
    python3 -c 'import json, sys; print(json.load(open(sys.argv[1], encoding="utf-8"))["version"])' \
        "$ROOT/payload/quillfern.json"
}

tools_ready() {
    local tool
    for tool in cmake ninja python3 i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix \
                wine /usr/lib/wine/wine64 Xvfb chmcmd extract_chmLib import clang++ softhsm2-util; do
        command -v "$tool" >/dev/null || return 1
    done
    # Signing: osslsigncode 2.9 (it knows -ignore-cdp) and OpenSSL's PKCS#11 engine.
    osslsigncode --help 2>&1 | grep -q -- '-ignore-cdp' &&
        [ -f "$(openssl version -e | sed -nE 's/^ENGINESDIR: "(.*)"$/\1/p')/pkcs11.so" ] || return 1
    [ -d /usr/src/googletest ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1 &&
        [ -f "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a" ] &&
        locale -a | grep -qix ru_RU.utf8 && locale -a | grep -qix ja_JP.utf8
}

ensure_tools() {
    if tools_ready; then return; fi
    say "tools missing: running scripts/setup"
    "$ROOT/scripts/setup"
}

build_target() {
    local triplet=$1 dir="$BUILD/$1"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$triplet.cmake" >/dev/null
    fi
    cmake --build "$dir"
}

# The fuzz targets are a native clang build of their own, beside the MinGW trees.
build_fuzzers() {
    local dir="$BUILD/fuzz"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT/tests/fuzz" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    fi
    cmake --build "$dir"
}

# Fuzzes one target for FUZZ_SECONDS. New inputs go to the first corpus
# folder, in the build tree; the kept corpus in tests/fuzz is only read.
# A crash or a difference from the model leaves its input in build/fuzz.
run_fuzzer() {
    local target=$1 dir="$BUILD/fuzz"
    mkdir -p "$dir/corpus/$target"
    (cd "$dir" && "./$target" -max_total_time="$FUZZ_SECONDS" -artifact_prefix="$dir/$target-" \
        "corpus/$target" "$ROOT/tests/fuzz/corpus/$target") >"$dir/$target.log" 2>&1
}

wine_loader() {
    case $1 in
        i686-w64-mingw32) echo /usr/bin/wine ;;
        *) echo /usr/lib/wine/wine64 ;;
    esac
}

# A prefix inside the build tree, made once: the build folder's own unless
# another folder is given. Its Windows look is brought up to date each time,
# so older prefixes get it too.
prepare_prefix() {
    local triplet=$1 prefix=${2:-$BUILD/$1/wineprefix}
    end_leftover_wineserver "$prefix"
    make_prefix "$triplet" "$prefix"
    copy_wine_fonts "$prefix"
    apply_windows_look "$triplet" "$prefix"
}

# A run killed before its end (a signal to scripts/test's process group)
# leaves its persistent Wine server holding the prefix: a second
# `wineserver -p` would then fail without a word, and `wineserver -w` wait
# for it forever. It is ended here, in one line said.
end_leftover_wineserver() {
    local prefix=$1
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || return 0
    say "ended the Wine server that an earlier, interrupted run left holding $prefix"
    WINEPREFIX="$prefix" wineserver -w
}

make_prefix() {
    local triplet=$1 prefix=$2 arch=win64
    [ "$triplet" = i686-w64-mingw32 ] && arch=win32
    if [ -f "$prefix/system.reg" ]; then return; fi
    say "making the $arch Wine prefix $prefix"
    WINEARCH=$arch WINEPREFIX="$prefix" "$(wine_loader "$triplet")" wineboot -i >/dev/null 2>&1
    # A crash must end the process, not open winedbg's dialog.
    WINEPREFIX="$prefix" "$(wine_loader "$triplet")" reg add 'HKCU\Software\Wine\WineDbg' \
        /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    WINEPREFIX="$prefix" "$(wine_loader "$triplet")" reg delete \
        'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w
}

# Wine's own faces (Tahoma for message boxes and captions, MS Sans Serif,
# Marlett for the caption buttons' glyphs) come with fonts-wine in
# /usr/share/wine/fonts, which Debian's Wine never searches: it asks for
# "<data folder>\../fonts\", a path that does not resolve. The prefix's own
# Fonts folder is always searched, as on Windows.
WINE_FONTS=/usr/share/wine/fonts

copy_wine_fonts() {
    local fonts="$1/drive_c/windows/Fonts"
    [ -d "$WINE_FONTS" ] || { say "no $WINE_FONTS: Tahoma and Marlett will be missing"; return; }
    mkdir -p "$fonts"
    cp -u "$WINE_FONTS"/* "$fonts/"
}

# What makes a prefix show the installer as Windows does. The faces it asks
# for come out with their Windows metrics: Wine maps no face by metric
# compatibility, so Liberation's metric-compatible faces stand in under the
# Windows names. The end-to-end driver (and every program it starts) runs on
# a virtual desktop of its own, where Wine draws title bars and frames itself
# as Windows does; a bare X display draws none.
WINDOWS_LOOK='REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Quillfern"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\installer_e2e_tests.exe\Explorer]
"Desktop"="Quillfern"
'

# Imported once per version of the settings above: a marker in the prefix
# holds the checksum of the settings last imported.
apply_windows_look() {
    local triplet=$1 prefix=$2 marker="$2/quillfern-windows-look" sum reg
    sum=$(md5sum <<<"$WINDOWS_LOOK" | cut -d' ' -f1)
    [ "$(cat "$marker" 2>/dev/null)" = "$sum" ] && return
    say "giving $prefix Windows fonts and frames"
    reg="$prefix/quillfern-windows-look.reg"
    printf '%s' "$WINDOWS_LOOK" >"$reg"
    WINEPREFIX="$prefix" "$(wine_loader "$triplet")" regedit /S "Z:$(tr / '\\' <<<"$reg")" >/dev/null 2>&1 || {
        say "could not import $reg"
        return 1
    }
    WINEPREFIX="$prefix" wineserver -w
    echo "$sum" >"$marker"
}

XVFB_PID=""
PREFIXES_STARTED=()

start_display() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        local tries
        for tries in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && return
            sleep 0.1
        done
    done
    say "no virtual display could be started"
    exit 1
}

# One persistent wineserver per prefix, so Wine is not restarted per program.
# Wine's own services start with the first program and inherit its output;
# starting them here, detached from any pipe, keeps CTest from waiting on them.
start_wineserver() {
    local triplet=$1 prefix=${2:-$BUILD/$1/wineprefix}
    WINEPREFIX="$prefix" wineserver -p || {
        say "a Wine server started meanwhile holds $prefix (another run on this build?): stopping"
        exit 1
    }
    PREFIXES_STARTED+=("$prefix")
    WINEPREFIX="$prefix" "$(wine_loader "$triplet")" wineboot </dev/null >/dev/null 2>&1
}

stop_everything() {
    local prefix
    for prefix in "${PREFIXES_STARTED[@]}"; do
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
        WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
    done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
