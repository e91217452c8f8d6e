#!/usr/bin/env bash
# Installs the Debian packages the station, its tests and its tools need.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev qt6-multimedia-dev libgl-dev
  libsqlcipher-dev sqlcipher
  libxlsxwriter-dev libzip-dev libxml2-dev
  googletest libgtest-dev libgmock-dev
  xvfb xauth imagemagick
  fonts-wqy-zenhei fonts-liberation qt6-translations-l10n
  gstreamer1.0-plugins-base
  libreoffice-calc-nogui
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root:  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
