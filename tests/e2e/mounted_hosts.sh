#!/usr/bin/env bash
# Hosts that only a mount can make: a read-only folder (Wine as root ignores
# permissions, not a read-only mount) and a disk too small for the help file.
# Runs the mounted scenarios of the driver against them; without root or
# mount the driver is run all the same and skips them, saying why.
# Usage: mounted_hosts.sh <wine loader> <driver.exe> <mount folder>
set -u
wine_loader=$1 driver=$2 mounts=$3
read_only="$mounts/read-only-host"
full="$mounts/full-host"
export GTEST_FILTER='*Mounted*'

unmount_all() {
    local dir
    for dir in "$read_only" "$full"; do
        mountpoint -q "$dir" && { umount "$dir" 2>/dev/null || umount -l "$dir"; }
    done
}

mkdir -p "$read_only" "$full"
unmount_all
trap unmount_all EXIT
if [ "$(id -u)" = 0 ] \
    && mount -t tmpfs -o size=64k tmpfs "$read_only" && mount -o remount,ro "$read_only" \
    && mount -t tmpfs -o size=12k tmpfs "$full"; then
    export QUILLFERN_READONLY_HOST="$read_only" QUILLFERN_FULL_HOST="$full"
else
    echo "mounted_hosts.sh: cannot mount tmpfs (root needed): the mounted scenarios will be skipped"
fi
"$wine_loader" "$driver"
