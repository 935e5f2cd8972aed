#!/usr/bin/env bash
# Makes the built editor a desktop application for the current user: a menu entry that opens
# videos and Veilcut projects, its icon, and the MIME type of "*.veilcut.json".
# Usage: scripts/install-desktop-entry.sh [PATH-TO-VEILCUT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/veilcut}")
data=${XDG_DATA_HOME:-$HOME/.local/share}

mkdir -p "$data/applications" "$data/icons/hicolor/scalable/apps" "$data/mime/packages"
# The path is quoted for the Exec key, whose own quoting rules escape backslashes and quotes.
exec_path=$(printf '%s' "$program" | sed -e 's/[\\"`$]/\\\\&/g')
sed -e "s|@VEILCUT@|\"$exec_path\"|" "$root/data/veilcut.desktop.in" > "$data/applications/.veilcut.desktop.tmp"
mv "$data/applications/.veilcut.desktop.tmp" "$data/applications/veilcut.desktop"
install -m 644 "$root/data/veilcut.svg" "$data/icons/hicolor/scalable/apps/veilcut.svg"
install -m 644 "$root/data/veilcut-mime.xml" "$data/mime/packages/veilcut.xml"
# Desktops read these caches; without the tools (a server) the files are in place for later.
command -v update-mime-database >/dev/null && update-mime-database "$data/mime" >/dev/null 2>&1 || true
command -v update-desktop-database >/dev/null && update-desktop-database "$data/applications" >/dev/null 2>&1 || true
echo "veilcut: desktop entry installed in $data/applications/veilcut.desktop"
