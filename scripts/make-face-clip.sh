#!/usr/bin/env bash
# Makes a clip in which one to three real faces (public-domain photographs from Debian
# packages) move over a generated background, with a tone for audio. Never committed. The
# background's colours are seeded, so the same arguments always give the same clip.
# usage: make-face-clip.sh OUT SECONDS [FACES=1] [SIZE=1920x1080]
set -euo pipefail
out=${1:?usage: make-face-clip.sh OUT SECONDS [FACES] [SIZE]}
seconds=${2:?usage: make-face-clip.sh OUT SECONDS [FACES] [SIZE]}
faces=${3:-1}
size=${4:-1920x1080}
root=$(cd "$(dirname "$0")/.." && pwd)
pictures=${VEILCUT_PICTURES:-${XDG_CACHE_HOME:-$HOME/.cache}/veilcut/pictures}
"$root/tests/platform/vision/fetch-test-pictures.sh" "$pictures"
width=${size%x*}
height=${size#*x}
# One lane per face; each photograph sways across the frame at its own pace.
side=$((height * 2 / (faces + 2) / 2 * 2))
inputs=()
chain="[0:v]format=yuv420p[bg0];"
for ((k = 0; k < faces; k++)); do
    case $k in
        0) picture=astronaut.png flip="" ;;
        1) picture=grace_hopper.jpg flip="" ;;
        *) picture=astronaut.png flip=",hflip" ;;
    esac
    inputs+=(-loop 1 -framerate 30 -i "$pictures/$picture")
    top=$(((height - faces * side) / (faces + 1) * (k + 1) + side * k))
    chain+="[$((k + 1)):v]scale=-2:$side$flip[f$k];"
    chain+="[bg$k][f$k]overlay=x='(W-w)*(0.5+0.4*sin(2*PI*t/$((5 + 2 * k))+$k))':y=$top:shortest=1[bg$((k + 1))];"
done
chain=${chain%;}
tmp="$out.tmp.mp4"
ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "gradients=s=${size}:r=30:d=${seconds}:speed=0.02:c0=0x2a5d8f:c1=0xd9a066:seed=3" "${inputs[@]}" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=${seconds}" \
    -filter_complex "$chain" -map "[bg$faces]" -map "$((faces + 1)):a" -t "$seconds" \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -r 30 -c:a aac -b:a 96k "$tmp"
mv "$tmp" "$out"
