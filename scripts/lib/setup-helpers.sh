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
