#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the program.
# Idempotent: does nothing when everything is present.
set -euo pipefail

# fp-utils brings chmcmd, which compiles the help file Zwillo.chm.
packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev zlib1g-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  wine64 xvfb xauth imagemagick xdotool
  zip unzip python3 fp-utils
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
