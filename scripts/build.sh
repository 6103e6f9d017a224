#!/usr/bin/env bash
# Configures and builds the trees make test needs with the presets of CMakePresets.json, in
# this order: windows (the player, tackon.exe), web (the page, which carries the player), fuzz
# (the fuzzers) and native (tackon, the tests); `build.sh web native` builds only those, and
# `build.sh windows:reelbox native:tackon,reelbox_desktop_pattern` only those targets.
# BUILD moves the trees elsewhere (default: build/), JOBS sets the parallel jobs.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="${JOBS:-2}"
# With ccache installed, sources compiled before (in any clone under the same folder) are
# not compiled again.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
  # The test programs use precompiled headers, which ccache caches only when told to.
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
fi

build_tree() {  # build_tree PRESET [TARGET,...]
  local preset="$1" targets=() args=()
  [ -n "${2:-}" ] && targets=(--target ${2//,/ })
  if [ "$BUILD" != "$ROOT/build" ]; then
    args=(-B "$BUILD/$preset" -DREELBOX_TEST_ENV="$BUILD/env")
    case $preset in
      web) args+=(-DREELBOX_PLAYER="$BUILD/windows/src/app/reelbox.exe") ;;
      windows) args+=(-DREELBOX_NATIVE_BUILD="$BUILD/native") ;;
      native) args+=(-DREELBOX_WINDOWS_BUILD="$BUILD/windows" -DREELBOX_WEB_BUILD="$BUILD/web"
                     -DREELBOX_FUZZ_BUILD="$BUILD/fuzz") ;;
    esac
  fi
  # Every tree is built with Ninja; a tree configured before with another generator is
  # configured afresh (cmake refuses to switch generators in place).
  local cache="$BUILD/$preset/CMakeCache.txt"
  if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
    rm -rf "$cache" "$BUILD/$preset/CMakeFiles"
  fi
  (cd "$ROOT" && cmake --preset "$preset" "${args[@]}" >/dev/null)
  cmake --build "$BUILD/$preset" -j "$JOBS" "${targets[@]}"
}

trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(windows web fuzz native)
for tree in "${trees[@]}"; do
  case ${tree%%:*} in
    windows | web | fuzz | native) build_tree "${tree%%:*}" "$([ "$tree" = "${tree#*:}" ] || echo "${tree#*:}")" ;;
    *) echo "usage: build.sh [windows|web|fuzz|native[:TARGET,...]] ..." >&2; exit 2 ;;
  esac
done
