#!/usr/bin/env bash
# Unpacks two public-domain photographs of faces from Debian packages into DIR for the vision
# tests: astronaut.png (python3-imageio) and grace_hopper.jpg (python-matplotlib-data).
# Idempotent; never committed.
set -euo pipefail
dir=${1:?usage: fetch-test-pictures.sh DIR}
mkdir -p "$dir"
[ -f "$dir/astronaut.png" ] && [ -f "$dir/grace_hopper.jpg" ] && exit 0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
(cd "$work" && apt-get download python3-imageio python-matplotlib-data >/dev/null 2>&1) || {
    apt-get update >/dev/null 2>&1
    (cd "$work" && apt-get download python3-imageio python-matplotlib-data >/dev/null)
}
for deb in "$work"/*.deb; do dpkg-deb -x "$deb" "$work/x"; done
cp "$(find "$work/x" -name astronaut.png | head -n 1)" "$dir/astronaut.png"
cp "$(find "$work/x" -name grace_hopper.jpg | head -n 1)" "$dir/grace_hopper.jpg"
