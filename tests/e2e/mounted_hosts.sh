#!/usr/bin/env bash
# Hosts that only a mount can make: a read-only folder holding PureBasic.exe
# (Wine as root ignores permissions, not a read-only mount), a writable one
# whose Residents folder is a read-only mount, a disk too small for the help
# file, and a small disk that the driver fills up after an earlier
# installation.
# Runs the mounted scenarios of the driver against them; without root or
# mount the driver is run all the same and skips them, saying why.
# Usage: mounted_hosts.sh <wine loader> <driver.exe> <mount folder>
set -u
wine_loader=$1 driver=$2 mounts=$3
read_only="$mounts/read-only-host"
full="$mounts/full-host"
small="$mounts/small-disk"
locked="$mounts/locked-residents-host"
export GTEST_FILTER='*Mounted*'

unmount_all() {
    local dir
    for dir in "$read_only" "$full" "$small" "$locked/Residents"; do
        mountpoint -q "$dir" && { umount "$dir" 2>/dev/null || umount -l "$dir"; }
    done
}

mkdir -p "$read_only" "$full" "$small"
unmount_all
rm -rf "$locked"
mkdir -p "$locked/Residents"
trap unmount_all EXIT
if [ "$(id -u)" = 0 ] \
    && mount -t tmpfs -o size=64k tmpfs "$read_only" && touch "$read_only/PureBasic.exe" \
    && mount -o remount,ro "$read_only" \
    && mount -t tmpfs -o size=12k tmpfs "$full" \
    && mount -t tmpfs -o size=128k tmpfs "$small" \
    && touch "$locked/PureBasic.exe" && mount -t tmpfs -o size=16k,ro tmpfs "$locked/Residents"; then
    export QUILLFERN_READONLY_HOST="$read_only" QUILLFERN_FULL_HOST="$full" QUILLFERN_SMALL_DISK="$small" \
        QUILLFERN_LOCKED_RESIDENTS_HOST="$locked"
else
    echo "mounted_hosts.sh: cannot mount tmpfs (root needed): the mounted scenarios will be skipped"
fi
"$wine_loader" "$driver"
