#!/usr/bin/env bash
# Two clean builds of the shipped program from the same sources, in two
# different folders, must give the same bytes: no time stamps, no paths.
# So must what each writes beside it (its build record, its detection
# script), and the SHA-256 it records must be the program's.
set -euo pipefail
source_dir=$1
toolchain=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {
    local dir="$work/$1"
    cmake -S "$source_dir" -B "$dir/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQUILLFERN_TESTS=OFF -DQUILLFERN_DIST_DIR="$dir/dist" >/dev/null
    cmake --build "$dir/build" --target QuillfernSetupRecord >/dev/null
}

build first
sleep 1     # a time stamp would now differ by at least a second
build second-in-another-folder
first="$work/first/dist/QuillfernSetup.exe"
second="$work/second-in-another-folder/dist/QuillfernSetup.exe"
if ! cmp "$first" "$second"; then
    echo "the two builds differ:"
    cmp -l "$first" "$second" | head -20
    exit 1
fi
for beside in QuillfernSetup.exe.build Quillfern-detection.ps1; do
    cmp "$work/first/dist/$beside" "$work/second-in-another-folder/dist/$beside" ||
        { echo "the two builds' $beside differ"; exit 1; }
done
(cd "$work/first/dist" && sha256sum --quiet -c QuillfernSetup.exe.sha256) ||
    { echo "the recorded SHA-256 is not the program's"; exit 1; }
grep -q -x "sha256: $(sha256sum "$first" | cut -d' ' -f1)" "$work/first/dist/QuillfernSetup.exe.build" ||
    { echo "the build record's SHA-256 is not the program's"; exit 1; }
echo "identical: $(stat -c %s "$first") bytes, sha256 $(sha256sum "$first" | cut -c1-16), and what is beside it"
