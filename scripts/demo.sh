#!/usr/bin/env bash
# Sets the machine up, builds, makes a demo clip and runs Veilcut's main job on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
out="$root/build/demo"
mkdir -p "$out"
clip="$out/demo.mp4"
if [ ! -f "$clip" ]; then
    ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=1280x720:rate=30:duration=5" \
        -f lavfi -i "sine=frequency=440:duration=5" -c:v libx264 -preset veryfast \
        -pix_fmt yuv420p -c:a aac -shortest "$clip"
fi
"$root/build/veilcut" info "$clip"
