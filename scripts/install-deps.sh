#!/usr/bin/env bash
# Installs every Debian package Vortalis needs to build, test and run, skipping
# what is already present. Safe to run again; needs root (or sudo) only when
# something is missing.
set -euo pipefail

packages=(
  # toolchain (clang and its runtime libraries build the fuzz targets);
  # dpkg-dev's dpkg-shlibdeps computes the Debian package's dependencies, and
  # cpack needs file to find the binaries to give it
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev dpkg-dev file
  # platform and decoders
  libsdl2-dev libpng-dev zlib1g-dev libjpeg-dev libogg-dev libvorbis-dev libmpg123-dev
  # outline fonts: the Japanese faces of the designed text; DejaVu Sans for the
  # English text, the English words of the pictures and the story checker
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho fonts-dejavu-core
  # the data builder (vector art, Ogg Vorbis encoding)
  librsvg2-dev libcairo2-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev libmp3lame-dev
  # the real program under a virtual display (end-to-end checks); SDL's X11
  # question box draws with the X server's core fonts, which Xvfb only has with
  # xfonts-base (a recommendation, so not there with --no-install-recommends)
  xvfb xfonts-base xdotool x11-apps x11-utils imagemagick
  # independent encoders and decoders for scripts/make-image-test-data.py and
  # tests/data/sounds/make-sound-test-data.py; python3 also runs the include
  # check of the house (scripts/check-includes.py)
  python3 python3-pil libjpeg-turbo-progs sox lame vorbis-tools mpg123 sndfile-programs
  # a window manager, for the full-screen and screen checks under one (scripts/screen-check.sh)
  openbox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
