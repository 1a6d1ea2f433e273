#!/usr/bin/env bash
# Installs every Debian package that building, testing and running ZBK-EDIT needs.
# Safe to run again: it asks apt only for what is missing, and refreshes the package
# lists only when something is.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  # window system and sound
  qt6-base-dev portaudio19-dev libasound2-dev libjack-jackd2-dev
  # the dialogs' Japanese font
  fonts-ipafont-gothic fontconfig
  # looking at the program as a user does: screenshots, real WAV files, measurements
  xvfb xauth xdotool imagemagick sox alsa-utils
  # checking the installed desktop entry, and the tree's style
  desktop-file-utils clang-format
  # real songs and a real SoundFont to test against, and independent readers of them
  openttd-openmsx timgm6mb-soundfont midicsv python3-mido
  # the song renderer the benchmarks compare with
  fluidsynth
  # the Windows programs: MinGW-w64 cross compiler, and Wine to run them
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 fonts-wine
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
