#!/usr/bin/env bash
# Builds the Windows and the native tree, then runs every test inside a private test
# environment (Xvfb, Wine prefix, PulseAudio null sink) that is stopped again afterwards.
# `run-tests.sh soak` runs the long soak tests instead (make soak).
set -uo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
export JOBS="${JOBS:-2}"
export NATIVE="$BUILD/native" WINDOWS="$BUILD/windows" STAGE_TIMES="$BUILD/stage-times"
ENVDIR="$BUILD/env"
started=$(date +%s)
mkdir -p "$BUILD" && : > "$STAGE_TIMES"

source "$ROOT/scripts/stage.sh"

status=0
stage "build windows tree" "$ROOT/scripts/build.sh" windows || status=1
[ $status -eq 0 ] && { stage "build web tree" "$ROOT/scripts/build.sh" web || status=1; }
[ $status -eq 0 ] && { stage "build fuzz tree" "$ROOT/scripts/build.sh" fuzz || status=1; }
[ $status -eq 0 ] && { stage "build native tree" "$ROOT/scripts/build.sh" native || status=1; }
# REELBOX_TEST_UPTIME=SECONDS runs the test environment (Xvfb, wineserver, the tests) in a
# time namespace whose clocks say the machine has been up that long, as on a machine that
# has just started: Wine's tick count then starts near SECONDS * 1000.
in_time_namespace=()
if [ -n "${REELBOX_TEST_UPTIME:-}" ]; then
  uptime_s=$(cut -d. -f1 /proc/uptime)
  back=$(( uptime_s - REELBOX_TEST_UPTIME ))
  if [ $back -gt 0 ]; then
    in_time_namespace=(unshare --user --map-root-user --time --monotonic=-$back --boottime=-$back)
  fi
fi
if [ $status -eq 0 ]; then
  "${in_time_namespace[@]}" "$ROOT/scripts/test-env.sh" run "$NATIVE" "$ENVDIR" -- \
    "$ROOT/scripts/run-test-suites.sh" "$@" || status=1
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
