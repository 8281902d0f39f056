#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the demo and CI need.
# Does nothing when they are all present; otherwise runs apt-get update once and installs.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev nlohmann-json3-dev
  libtinyxml2-dev libzstd-dev libpng-dev
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev libfontconfig-dev libjpeg62-turbo-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev ffmpeg
  timgm6mb-soundfont
  fonts-wqy-microhei fonts-dejavu-core
  xvfb xauth xdotool x11-utils openbox
  desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
