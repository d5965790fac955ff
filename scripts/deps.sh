#!/usr/bin/env bash
# Installs the Debian packages that building and testing Velmora need.
# Run as root it installs whatever is missing; otherwise it names the missing
# packages and fails.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-liberation2
    xvfb xdotool openbox wmctrl x11-utils
    clang libclang-rt-14-dev
    desktop-file-utils groff-base
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "deps: missing Debian packages: ${missing[*]}" >&2
    echo "deps: install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
