#!/usr/bin/env bash
# Builds the Windows and the native tree, then runs every test inside a private test
# environment (Xvfb, Wine prefix, PulseAudio null sink) that is stopped again afterwards.
set -uo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
export JOBS="${JOBS:-2}"
export NATIVE="$BUILD/native" WINDOWS="$BUILD/windows" STAGE_TIMES="$BUILD/stage-times"
ENVDIR="$BUILD/env"
started=$(date +%s)
: > "$STAGE_TIMES" 2>/dev/null || { mkdir -p "$BUILD"; : > "$STAGE_TIMES"; }

source "$ROOT/scripts/stage.sh"

build_tree() {  # build_tree DIR CMAKE-ARGS...
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null &&
    cmake --build "$dir" -j "$JOBS"
}

status=0
stage "build windows tree" build_tree "$WINDOWS" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" || status=1
[ $status -eq 0 ] && { stage "build native tree" build_tree "$NATIVE" -DREELBOX_WINDOWS_BUILD="$WINDOWS" || status=1; }
if [ $status -eq 0 ]; then
  "$ROOT/scripts/test-env.sh" run "$NATIVE" "$ENVDIR" -- "$ROOT/scripts/run-test-suites.sh" || status=1
fi

echo
echo "Stage times:"
cat "$STAGE_TIMES"
echo "  total                          $(( $(date +%s) - started ))s"
if [ $status -ne 0 ]; then
  echo "FAILED: see the messages and ctest summaries above"
else
  echo "PASSED: every test passed"
fi
exit $status
