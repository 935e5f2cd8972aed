# Sourced by the set-up and fetch scripts. Installs the Debian packages given that are missing,
# waiting for another apt/dpkg to finish rather than failing on its lock.
install_missing_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    local apt_opts=(-o DPkg::Lock::Timeout=1200 -o APT::Get::Assume-Yes=true)
    echo "veilcut: installing ${missing[*]}"
    $sudo apt-get "${apt_opts[@]}" update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get "${apt_opts[@]}" install -q --no-install-recommends "${missing[@]}"
}

# Whether file $1 exists and has the SHA-256 $2: how fetched files are pinned.
has_sum() { [ -f "$1" ] && [ "$(sha256sum "$1" | cut -d' ' -f1)" = "$2" ]; }

# Makes $work, a temporary folder for downloads, on the first call; it goes when the script exits.
make_work_dir() {
    [ -z "${work:-}" ] || return 0
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
}

# Copies the downloaded file $1 to $2 through $2.part when it has the SHA-256 $3; otherwise
# removes the copy and fails, naming $4, where the file came from.
install_pinned() {
    cp "$1" "$2.part"
    if ! has_sum "$2.part" "$3"; then
        rm -f "$2.part"
        echo "veilcut: error: $(basename "$2") from $4 does not match its pinned SHA-256" >&2
        exit 1
    fi
    mv "$2.part" "$2"
}
