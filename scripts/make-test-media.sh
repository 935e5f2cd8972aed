#!/usr/bin/env bash
# Generates the test clips into the given folder (never committed). Skips clips already there.
set -euo pipefail
out=${1:?usage: make-test-media.sh OUTPUT_DIR}
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
video() { echo "-f lavfi -i testsrc2=size=$1:rate=${2:-30}:duration=${3:-2}"; }
tone() { echo "-f lavfi -i sine=frequency=${1:-440}:sample_rate=48000:duration=${2:-2}"; }
H264="-c:v libx264 -preset ultrafast -pix_fmt yuv420p"
AAC="-c:a aac -b:a 96k"
HEVC10="-c:v libx265 -preset ultrafast -pix_fmt yuv420p10le -x265-params log-level=error"
make() { local name=$1; shift; [ -s "$name" ] || { ff "$@" "$name.tmp.mp4" && mv "$name.tmp.mp4" "$name"; }; }

# shellcheck disable=SC2046
make hd.mp4 $(video 1920x1080) $(tone) $H264 $AAC -shortest
make noaudio.mp4 $(video 640x360) $H264
# The rotation tag is only written when remuxing: a stored 1920x1080 picture shown upright as 1080x1920.
if [ ! -s portrait.mp4 ]; then
    ff $(video 1920x1080 30 1) $H264 portrait.stored.mp4
    ff -i portrait.stored.mp4 -c copy -metadata:s:v:0 rotate=90 portrait.tmp.mp4
    mv portrait.tmp.mp4 portrait.mp4 && rm portrait.stored.mp4
fi
make hlg.mp4 $(video 640x360 30 1) $HEVC10 -color_primaries bt2020 -color_trc arib-std-b67 \
    -colorspace bt2020nc -tag:v hvc1
make pq.mp4 $(video 640x360 30 1) $HEVC10 -color_primaries bt2020 -color_trc smpte2084 \
    -colorspace bt2020nc -tag:v hvc1
make two-audio.mp4 $(video 640x360) $(tone 440) $(tone 660) -map 0:v -map 1:a -map 2:a \
    $H264 $AAC -shortest
# 4:2:0 encoders refuse odd sizes, so the odd clip is 4:4:4 (testsrc2 would round the size down).
make odd.mp4 -f lavfi -i testsrc=size=1279x719:rate=30:duration=1 -c:v libx264 -preset ultrafast -pix_fmt yuv444p
# One pixel: lavfi sources refuse a 1x1 size, so a 2x2 picture is scaled down.
make one-pixel.mp4 -f lavfi -i color=c=gray:size=2x2:rate=10:duration=1,scale=1:1 -c:v libx264 \
    -preset ultrafast -pix_fmt yuv444p
# 15 frames at 30 fps, then 15 frames at 10 fps.
# Pictures narrower than swscale's vector stores, at 4:2:0.
for side in 2 4 6 8 10 12; do
    make tiny-${side}.mp4 -f lavfi -i testsrc2=size=${side}x${side}:rate=30:duration=0.5 \
        -c:v libx264 -preset ultrafast -pix_fmt yuv420p
done
make vfr.mp4 $(video 640x360 30 1) $H264 -fps_mode passthrough \
    -vf "setpts='if(lt(N,15),N/30,(15+(N-15)*3)/30)/TB'" -video_track_timescale 90000
make audio-only.mp4 $(tone 440 2) $AAC -vn
# The first half of a streamable file: the header promises more frames than there are.
if [ ! -s truncated.mp4 ]; then
    ff $(video 640x360 30 2) $H264 -movflags +faststart truncated.full.mp4
    head -c $(( $(stat -c %s truncated.full.mp4) / 2 )) truncated.full.mp4 > truncated.mp4
    rm truncated.full.mp4
fi
[ -s garbage.mp4 ] || head -c 65536 /dev/urandom > garbage.mp4
[ -e empty.mp4 ] || : > empty.mp4
# An MP4 whose index (the moov box, written last) is cut off with the end of the file.
if [ ! -s moov-cut.mp4 ]; then
    ff $(video 320x240 30 1) $H264 moov-cut.full.mp4
    head -c $(( $(stat -c %s moov-cut.full.mp4) * 4 / 5 )) moov-cut.full.mp4 > moov-cut.mp4
    rm moov-cut.full.mp4
fi
# A display matrix that is not a quarter turn.
[ -s rot45.mp4 ] || { ff -i noaudio.mp4 -c copy -metadata:s:v:0 rotate=45 rot45.tmp.mp4 && mv rot45.tmp.mp4 rot45.mp4; }
# A playlist under a video's name, listing another clip by its full path.
[ -s playlist.mp4 ] || printf '#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n%s/noaudio.mp4\n#EXT-X-ENDLIST\n' "$PWD" > playlist.mp4
# Eight bytes overwritten in five packets of a stream: `damage FILE STREAM OFFSET` rewrites the
# bytes at OFFSET in the 30th to 34th packets (offset 0: an H.264 packet's NAL size, which the
# decoder refuses; offset 1: the AAC frame's first elements, which it refuses too).
damage() {
    local file=$1 stream=$2 offset=$3
    ffprobe -v error -select_streams "$stream" -show_entries packet=pos -of csv=p=0 "$file" |
        sed -n '30,34p' | while read -r pos; do
            printf '\377\377\377\377\377\377\377\377' |
                dd of="$file" bs=1 seek=$((pos + offset)) conv=notrunc status=none
        done
}
if [ ! -s bad-audio.mp4 ]; then
    ff $(video 640x360) $(tone) $H264 $AAC -shortest bad-audio.tmp.mp4
    damage bad-audio.tmp.mp4 a 1 && mv bad-audio.tmp.mp4 bad-audio.mp4
fi
if [ ! -s bad-video.mp4 ]; then
    ff $(video 640x360) $(tone) $H264 $AAC -shortest bad-video.tmp.mp4
    damage bad-video.tmp.mp4 v 0 && mv bad-video.tmp.mp4 bad-video.mp4
fi
# ADTS frames each state their channels: a stereo second, then a mono one.
if [ ! -s channels-change.aac ]; then
    ff -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 -ac 2 -c:a aac stereo.tmp.aac
    ff -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 -ac 1 -c:a aac mono.tmp.aac
    cat stereo.tmp.aac mono.tmp.aac > channels-change.aac && rm stereo.tmp.aac mono.tmp.aac
fi
# A transfer tag FFmpeg has no name for (126): Matroska states it as a number, which ffmpeg only
# writes for names, so BT.709's TransferCharacteristics element (55 BA, one byte, 1) is rewritten.
# MPEG-4 Part 2 pictures leave the container's tag as it is.
if [ ! -s unknown-transfer.mkv ]; then
    ff -f lavfi -i testsrc2=size=64x64:rate=30:duration=0.2 -c:v mpeg4 -color_trc bt709 \
        unknown-transfer.tmp.mkv
    perl -pi -0777 -e 's/\x55\xBA\x81\x01/\x55\xBA\x81\x7E/' unknown-transfer.tmp.mkv
    mv unknown-transfer.tmp.mkv unknown-transfer.mkv
fi
