#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo host need, if any
# is missing. Runs apt-get through sudo when not root. dosbox and nasm are for a test: a
# small DOS program stands in for the game under the real DOSBox.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-tools-dev libqt6uitools6 libqt6opengl6-dev qt6-svg-dev libqt6svg6 libgl-dev
  libsqlite3-dev sqlite3 zlib1g-dev
  libarchive-dev libarchive-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2
  desktop-file-utils libglib2.0-bin shared-mime-info libxml2-utils appstream man-db groff-base
  dosbox nasm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
