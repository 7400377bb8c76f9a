#!/usr/bin/env bash
# small-volume.sh mount|unmount FOLDER [SIZE]
# A small memory file system at FOLDER (8 MiB unless SIZE says otherwise),
# for the tests of a package that does not fit the install folder's volume.
# Mounting needs root; where it is not permitted FOLDER stays an ordinary
# folder and the tests that need a small volume skip, saying why.
set -uo pipefail
action=$1 folder=$2 size=${3:-8m}

case $action in
    mount)
        mountpoint -q "$folder" && umount "$folder"
        mkdir -p "$folder"
        if mount -t tmpfs -o "size=$size" tarnwick-small-volume "$folder" 2>/dev/null; then
            echo "small volume: $size at $folder"
        else
            echo "small volume: not mounted at $folder (needs root); its tests skip"
        fi
        ;;
    unmount)
        mountpoint -q "$folder" && umount "$folder"
        rm -rf "$folder"
        ;;
    *) echo "usage: $0 mount|unmount FOLDER [SIZE]" >&2; exit 2 ;;
esac
exit 0
