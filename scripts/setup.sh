#!/usr/bin/env bash
# Takes a fresh Debian 12 machine to a built tree: apt packages, vision models, then
# configure and build with a CMake preset (default "release", into build/).
# Re-running it when everything is present only does the incremental build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-release}

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git ca-certificates xz-utils
  ffmpeg libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libopencv-dev libopencv-contrib-dev opencv-data
  qt6-base-dev qt6-multimedia-dev libgl-dev
  libfreetype-dev libicu-dev libpng-dev libjpeg-dev fonts-noto-color-emoji unicode-data
  libonnx-dev libprotobuf-dev protobuf-compiler libxnnpack-dev libpthreadpool-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
  parallel
)
# Debian's npm conflicts with a Node.js that already ships its own npm.
command -v npm >/dev/null || PACKAGES+=(npm)

# shellcheck source=lib/setup-helpers.sh
. "$root/scripts/lib/setup-helpers.sh"
install_missing_packages "${PACKAGES[@]}"

"$root/scripts/fetch-models.sh"

cd "$root"
binary_dir=$(case "$preset" in release) echo build ;; *) echo "build-$preset" ;; esac)
if [ ! -f "$binary_dir/CMakeCache.txt" ]; then
    cmake --preset "$preset"
fi
cmake --build --preset "$preset"
# The editor in the desktop's menu, opening videos and projects.
if [ "$preset" = release ]; then
    "$root/scripts/install-desktop-entry.sh" "$binary_dir/veilcut"
fi
