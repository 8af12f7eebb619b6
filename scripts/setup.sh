#!/usr/bin/env bash
# Installs what the build, the tests and the program need on Debian 12 (run as root, or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build ccache clang clang-format libclang-rt-14-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev libgl-dev libx11-dev nlohmann-json3-dev
    libgsf-bin python3-olefile xvfb xauth openbox fonts-dejavu-core xdotool
    fp-utils libchm-dev
    dpkg-dev fakeroot lintian desktop-file-utils appstream shared-mime-info xdg-utils
    hicolor-icon-theme libfile-mimeinfo-perl man-db
)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# An independent compound-file implementation that the interoperability tests read back with.
if [ ! -d build/npm/node_modules/cfb ]; then
    mkdir -p build/npm
    npm install --silent --no-audit --no-fund --prefix build/npm cfb@1.2.2 >/dev/null
fi
