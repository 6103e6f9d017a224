#!/usr/bin/env bash
# Configures and builds the Windows tree (the player, tackon.exe) and the native tree.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="${JOBS:-2}"
cmake -S "$ROOT" -B "$BUILD/windows" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$BUILD/windows" -j "$JOBS"
cmake -S "$ROOT" -B "$BUILD/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DREELBOX_WINDOWS_BUILD="$BUILD/windows" >/dev/null
cmake --build "$BUILD/native" -j "$JOBS"
