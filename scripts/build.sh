#!/usr/bin/env bash
# Configures and builds the Windows tree (the player, tackon.exe) and the native tree with
# the presets of CMakePresets.json; `build.sh windows` or `build.sh native` builds one, and
# `build.sh windows:reelbox native:tackon,reelbox_desktop_pattern` only those targets.
# BUILD moves both trees elsewhere (default: build/), JOBS sets the parallel jobs.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="${JOBS:-2}"
# With ccache installed, sources compiled before (in any clone under the same folder) are
# not compiled again.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
fi

build_tree() {  # build_tree PRESET [TARGET,...]
  local preset="$1" targets=() args=()
  [ -n "${2:-}" ] && targets=(--target ${2//,/ })
  if [ "$BUILD" != "$ROOT/build" ]; then
    args=(-B "$BUILD/$preset" -DREELBOX_TEST_ENV="$BUILD/env")
    case $preset in
      native) args+=(-DREELBOX_WINDOWS_BUILD="$BUILD/windows") ;;
      windows) args+=(-DREELBOX_NATIVE_BUILD="$BUILD/native") ;;
    esac
  fi
  (cd "$ROOT" && cmake --preset "$preset" "${args[@]}" >/dev/null)
  cmake --build "$BUILD/$preset" -j "$JOBS" "${targets[@]}"
}

trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(windows native)
for tree in "${trees[@]}"; do
  case ${tree%%:*} in
    windows | native) build_tree "${tree%%:*}" "$([ "$tree" = "${tree#*:}" ] || echo "${tree#*:}")" ;;
    *) echo "usage: build.sh [windows[:TARGET,...]] [native[:TARGET,...]]" >&2; exit 2 ;;
  esac
done
