#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need. Does nothing when
# they are all present; as root it installs what is missing, otherwise it prints the command.
set -euo pipefail

PACKAGES=(
  cmake make ninja-build g++ pkg-config
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xdotool x11-apps imagemagick libx11-dev libxtst-dev
  googletest libgtest-dev libgif-dev libbenchmark-dev clang libclang-rt-14-dev
  libpng-dev libjpeg62-turbo-dev libsndfile1-dev ffmpeg fonts-dejavu-core
  libpango1.0-dev libcairo2-dev fonts-noto-color-emoji
  pulseaudio pulseaudio-utils sox
  python3
  emscripten node-acorn chromium chromium-driver python3-selenium
  osslsigncode openssl libssl-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

# Another apt run (unattended upgrades, a second engineer) may hold the lock: wait for it.
apt_get="apt-get -o DPkg::Lock::Timeout=900"
command="$apt_get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  $apt_get update
  DEBIAN_FRONTEND=noninteractive $command
elif sudo -n true 2>/dev/null; then
  echo "Installing with sudo: ${missing[*]}"
  sudo $apt_get update
  sudo DEBIAN_FRONTEND=noninteractive $command
else
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  echo "  $apt_get update && $command" >&2
  exit 1
fi
