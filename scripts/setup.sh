#!/usr/bin/env bash
# Installs what building, running and testing Corvane needs on Debian 12.
# Safe to run again: packages already present are left alone.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6sql6-sqlite
  libgl-dev libcanberra-dev libasound2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libfuzzer-14-dev
  iproute2 procps util-linux python3
  xvfb xdotool
  sox
  dpkg-dev file lintian desktop-file-utils appstream
  fonts-liberation qt6-translations-l10n
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
