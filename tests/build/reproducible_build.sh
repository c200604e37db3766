#!/usr/bin/env bash
# Two clean builds of the shipped program from the same sources, in two
# different folders, must give the same bytes: no time stamps, no paths.
set -euo pipefail
source_dir=$1
toolchain=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {
    local dir="$work/$1"
    cmake -S "$source_dir" -B "$dir/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQUILLFERN_TESTS=OFF -DQUILLFERN_DIST_DIR="$dir/dist" >/dev/null
    cmake --build "$dir/build" --target QuillfernSetup >/dev/null
}

build first
sleep 1     # a time stamp would now differ by at least a second
build second-in-another-folder
first="$work/first/dist/QuillfernSetup.exe"
second="$work/second-in-another-folder/dist/QuillfernSetup.exe"
if cmp "$first" "$second"; then
    echo "identical: $(stat -c %s "$first") bytes, sha256 $(sha256sum "$first" | cut -c1-16)"
    exit 0
fi
echo "the two builds differ:"
cmp -l "$first" "$second" | head -20
exit 1
