# Sourced by the cluster tests: the paths they are given, a scratch folder, failing with a
# reason, and the examples of docs/cluster.md taken as written.
set -euo pipefail
veilcut=${1:?usage: TEST.sh VEILCUT SOURCE_DIR}
root=$(cd "${2:?usage: TEST.sh VEILCUT SOURCE_DIR}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The shell block that follows `<!-- example: NAME -->` in docs/cluster.md.
example() {
    awk -v marker="<!-- example: $1 -->" '
        $0 == marker { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$root/docs/cluster.md"
}

# An archive of three small clips, one with a face, in folders and with a space in a name.
make_archive() {
    local archive=$1
    mkdir -p "$archive/cam 1" "$archive/cam2/day"
    "$root/scripts/make-face-clip.sh" "$archive/cam 1/face.mp4" 1 1 320x240
    for clip in "cam2/day/plain.mp4:64x64" "top.mov:96x64"; do
        ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc2=size=${clip#*:}:rate=10:duration=1" \
            -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$archive/${clip%%:*}"
    done
}

# The files of an archive as find lists them, one per line, in order.
archive_files() {
    (cd "$1" && find . -type f ! -name '.*' | sort)
}
