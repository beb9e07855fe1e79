# packages.sh - installs missing Debian packages as root; sourced by scripts/test and scripts/demo.

say() { printf '\n== %s\n' "$*"; }

missing_packages() {
    local wanted=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || wanted+=("$package")
    done
    printf '%s\n' "${wanted[@]}"
}

# Installs those of the named packages that are missing; fails, saying which,
# where it cannot (not root, or no apt-get).
install_packages() {
    local wanted
    mapfile -t wanted < <(missing_packages "$@")
    if [ "${#wanted[@]}" -eq 0 ] || [ -z "${wanted[0]}" ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
        echo "$(basename "$0"): cannot install ${wanted[*]} (not root, or no apt-get)" >&2
        return 1
    fi
    say "installing ${wanted[*]}"
    if [ -z "${APT_UPDATED:-}" ]; then
        apt-get update -q >/dev/null
        APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${wanted[@]}" >/dev/null
}

# What the native build and its suites need.
BUILD_PACKAGES=(cmake ninja-build g++ googletest libgtest-dev)
