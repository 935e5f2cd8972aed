#!/usr/bin/env bash
# Sets the machine up, builds, makes a demo clip in which a real face moves, and runs Veilcut's
# main job on it: with a display, the editor opens on the clip; without one, every face is found,
# tracked and hidden in a new video.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
out="$root/build/demo"
mkdir -p "$out"
clip="$out/demo.mp4"
[ -f "$clip" ] || "$root/scripts/make-face-clip.sh" "$clip" 5 1 1280x720
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/veilcut" open "$clip"
fi
"$root/build/veilcut" info "$clip"
"$root/build/veilcut" anonymize "$clip" -o "$out/demo-anonymized.mp4" --overwrite \
    --save-project "$out/demo.veilcut.json"
echo "Hidden faces: $out/demo-anonymized.mp4 (edits in $out/demo.veilcut.json)"
