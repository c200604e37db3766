#!/usr/bin/env bash
# The version is written once, in the descriptor: a build of a copy of the
# sources whose descriptor alone says the next version (2.11 after 2.10)
# shows that version everywhere and the current one nowhere. Each is read
# back by its own means: the version resource from the program's bytes, every
# text from app/Texts.cpp compiled natively with the definition the build gave
# it, the program's lines under Wine (a check, an installation in each
# language, a removal), the installed help files through extract_chmLib, the
# library's and residents' version numbers, the example, and the detection
# script written beside the program, whose SHA-256 values must be those of
# the files the program installed, and cover all of them.
# Usage: version_once.sh <source dir> <toolchain file> <wine loader>
set -uo pipefail
source_dir=$1 toolchain=$2 wine_loader=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fault() { echo "FAILED: $*"; failures=$((failures + 1)); }

current=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1], encoding="utf-8"))["version"])' \
    "$source_dir/payload/quillfern.json") || exit 1
next=$(python3 -c 'import sys; a, b = map(int, sys.argv[1].split(".")); print("%d.%02d" % ((a + 1, 0) if b == 99 else (a, b + 1)))' \
    "$current") || exit 1
major=${next%.*} minor=$((10#${next#*.}))
echo "the sources say $current; building $next"

src=$work/src
mkdir "$src" &&
    tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git --exclude=__pycache__ -cf - . |
    tar -C "$src" -xf - || exit 1
sed -i "s/\"version\": \"$current\"/\"version\": \"$next\"/" "$src/payload/quillfern.json"
grep -q "\"version\": \"$next\"" "$src/payload/quillfern.json" || { echo "the descriptor's version was not changed"; exit 1; }
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$(basename "$toolchain")" \
    -DQUILLFERN_TESTS=OFF -DQUILLFERN_DIST_DIR="$work/dist" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$work/build-output.txt" 2>&1 &&
    cmake --build "$work/build" --target QuillfernSetupRecord >>"$work/build-output.txt" 2>&1 ||
    { tail -30 "$work/build-output.txt"; echo "the build failed"; exit 1; }
exe=$work/dist/QuillfernSetup.exe
# Shown anywhere, the current version is a fault: "2.10", not "2100".
nowhere() {
    local what=$1
    shift
    ! grep -a -r -l -F "$current" "$@" >/dev/null || fault "$what shows $current: $(grep -a -r -o -F -m3 "$current" "$@" | head -3)"
}
has() { grep -a -q -F -- "$2" "$3" || fault "$1 does not say \"$2\""; }

# The version resource: its fixed numbers, then its strings (UTF-16).
fixed=$(python3 - "$exe" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
_, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, at)
print(" ".join("%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
               for ms, ls in ((file_ms, file_ls), (product_ms, product_ls))))
EOF
)
[ "$fixed" = "$major.$minor.0.0 $major.$minor.0.0" ] || fault "the version resource's numbers: $fixed"
strings -el "$exe" >"$work/resource.txt"
for line in "$next" "$next.0.0" "Quillfern $next Setup" "Installation de Quillfern $next"; do
    grep -q -x -F "$line" "$work/resource.txt" || fault "the version resource has no \"$line\""
done
nowhere "the version resource" "$work/resource.txt"

# Every text: with the build's version, they are the current version's texts
# with the next version in their place.
definition=$(python3 - "$work/build/compile_commands.json" <<'EOF'
import json, shlex, sys
for entry in json.load(open(sys.argv[1])):
    if entry["file"].endswith("/app/Texts.cpp"):
        print(*[a for a in shlex.split(entry["command"]) if a.startswith("-DQUILLFERN_VERSION_TEXT=")])
EOF
)
[ -n "$definition" ] || fault "the build gave app/Texts.cpp no version"
for which in current build; do
    given=$definition
    [ $which = current ] && given="-DQUILLFERN_VERSION_TEXT=\"$current\""
    g++ -std=c++20 -I"$src" "$given" "$src/app/Texts.cpp" "$source_dir/tests/build/TextsDump.cpp" \
        -o "$work/dump-$which" && "$work/dump-$which" >"$work/texts-$which.txt" || fault "the texts' dump ($which)"
done
has "the texts' dump" "V$next" "$work/texts-build.txt"
nowhere "the texts' dump" "$work/texts-build.txt"
[ "$(grep -c -F "V$current" "$work/texts-current.txt")" -ge 13 ] || fault "fewer than 13 texts say V$current"
sed "s/V${current//./\\.}/V$next/g" "$work/texts-current.txt" | cmp -s - "$work/texts-build.txt" ||
    fault "the texts differ by more than their version: $(diff <(sed "s/V${current//./\\.}/V$next/g" \
        "$work/texts-current.txt") "$work/texts-build.txt" | head -4)"

# The program under Wine, on a PureBasic folder of its own.
host=$work/host
mkdir -p "$host" && touch "$host/PureBasic.exe"
windows() { echo "Z:$(tr / '\\' <<<"$1")"; }
run() {
    local code=$1 log=$2 got
    shift 2
    "$wine_loader" "$exe" "$@" "/D=$(windows "$host/")" "/LOG=$(windows "$work/$log")" </dev/null >/dev/null 2>&1
    got=$?
    [ "$got" = "$code" ] || fault "$* ends with $got, not $code"
}
# Each file installed is the detection script's, with one of its values.
detected() {
    python3 - "$work/dist/Quillfern-detection.ps1" "$host" <<'EOF' || fault "the detection script after the $1 installation"
import hashlib, os, re, sys
script, host = open(sys.argv[1]).read(), sys.argv[2]
listed = {path: re.findall(r"'([0-9A-F]{64})'", values)
          for path, values in re.findall(r"Path = '([^']+)'; Sha256 = @\(([^)]*)\)", script)}
installed = {os.path.relpath(os.path.join(folder, name), host).replace("/", "\\")
             for folder, _, names in os.walk(host) for name in names} - {"PureBasic.exe"}
if set(listed) != installed:
    sys.exit("lists %s, the program installed %s" % (sorted(listed), sorted(installed)))
for path in installed:
    with open(os.path.join(host, *path.split("\\")), "rb") as f:
        if hashlib.sha256(f.read()).hexdigest().upper() not in listed[path]:
            sys.exit("%s: not a value it lists" % path)
EOF
}
run 3 verify-before.log /VERIFY /S /L=en
has "/VERIFY before" "Quillfern V$next library is not installed whole: 4 file(s) missing or different." "$work/verify-before.log"
run 0 install-fr.log /S /L=fr
run 0 verify-fr.log /VERIFY /S /L=fr
has "/VERIFY after" "Fichier de la V$next : " "$work/verify-fr.log"
has "/VERIFY after" "La librairie Quillfern V$next est installée en entier." "$work/verify-fr.log"
detected French
mkdir "$work/installed" && cp "$host/Help/Quillfern.chm" "$work/installed/help-fr.chm"
run 0 uninstall.log /UNINSTALL /S /L=en
has "/UNINSTALL" "Quillfern V$next library is removed." "$work/uninstall.log"
run 0 install-en.log /S /L=en
detected English
cp -r "$host/." "$work/installed/"
cmp -s "$work/installed/help-fr.chm" "$host/Help/Quillfern.chm" && fault "the help file is the same in both languages"
nowhere "the program's lines" "$work"/*.log

# What it installed.
for language in fr en; do
    help=$work/installed/help-$language.chm
    [ $language = en ] && help=$work/installed/Help/Quillfern.chm
    extract_chmLib "$help" "$work/help-$language" >/dev/null || fault "extract_chmLib $language"
    has "the $language help's title" "Quillfern $next - " "$work/help-$language/#SYSTEM"
    has "the $language help's overview" "<h1>Quillfern $next</h1>" "$work/help-$language/index.html"
    has "the $language help's news" "version $next" "$work/help-$language/index.html"
    nowhere "the $language help" "$work/help-$language"
done
numbers=$(python3 - "$work/installed/PureLibraries/UserLibraries/Quillfern" "$work/installed/Residents/Ostravel.res" <<'EOF'
import struct, sys
library, residents = (open(name, "rb").read() for name in sys.argv[1:])
at = library.index(b"NSRV")
constant = residents.index(b"Quill_Version\0L") + len(b"Quill_Version\0L")
print(struct.unpack_from("<I", library, at + 8)[0], struct.unpack_from("<i", residents, constant)[0])
EOF
)
[ "$numbers" = "$((major * 100 + minor)) $((major * 100 + minor))" ] ||
    fault "the library's and the residents' version numbers: $numbers"
example=$work/installed/Examples/Quillfern/Tintwell/Tintwell.pb
has "the example's window" "\"Tintwell - Quillfern $next\"" "$example"
has "the example's check" "this example expects $next." "$example"
nowhere "the example" "$example"
has "the detection script" "Quillfern $next is installed in" "$work/dist/Quillfern-detection.ps1"
nowhere "the detection script" "$work/dist/Quillfern-detection.ps1"
has "the build record" "Quillfern $next, the build of QuillfernSetup.exe" "$work/dist/QuillfernSetup.exe.build"

[ "$failures" = 0 ] && echo "$next shown everywhere, $current nowhere"
[ "$failures" = 0 ]
