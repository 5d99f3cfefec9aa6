#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qt6-translations-l10n
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev libasio-dev libcli11-dev
  fonts-noto-cjk xvfb xauth x11-utils imagemagick xdotool
  iproute2 procps
  ansible-core
  dpkg-dev help2man lintian desktop-file-utils
  g++-mingw-w64-x86-64-posix wine wine64
  fonts-wine libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3
  libgnutls30
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
