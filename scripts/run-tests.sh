#!/usr/bin/env bash
# Builds the four trees (scripts/build.sh), then runs the test presets (CMakePresets.json):
# the native unit, fuzz and web tests, the end-to-end tests, and the Windows-side tests under
# Wine. The tests that need the private test environment (Xvfb, Wine prefix, PulseAudio null
# sink) start and stop it as a ctest fixture. `run-tests.sh soak` runs the long soak tests
# instead (make soak).
set -uo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
export STAGE_TIMES="$BUILD/stage-times"
started=$(date +%s)
mkdir -p "$BUILD" && : > "$STAGE_TIMES"

source "$ROOT/scripts/stage.sh"

status=0
stage "build windows tree" "$ROOT/scripts/build.sh" windows || status=1
[ $status -eq 0 ] && { stage "build web tree" "$ROOT/scripts/build.sh" web || status=1; }
[ $status -eq 0 ] && { stage "build fuzz tree" "$ROOT/scripts/build.sh" fuzz || status=1; }
[ $status -eq 0 ] && { stage "build native tree" "$ROOT/scripts/build.sh" native || status=1; }
# REELBOX_TEST_UPTIME=SECONDS runs the tests (and the test environment they start: Xvfb,
# wineserver) in a time namespace whose clocks say the machine has been up that long, as on
# a machine that has just started: Wine's tick count then starts near SECONDS * 1000.
in_time_namespace=()
if [ -n "${REELBOX_TEST_UPTIME:-}" ]; then
  uptime_s=$(cut -d. -f1 /proc/uptime)
  back=$(( uptime_s - REELBOX_TEST_UPTIME ))
  if [ $back -gt 0 ]; then
    in_time_namespace=(unshare --user --map-root-user --time --monotonic=-$back --boottime=-$back)
  fi
fi
tests() {  # tests TREE PRESET: a test preset of CMakePresets.json on the tree under $BUILD
  (cd "$ROOT" && "${in_time_namespace[@]}" ctest --preset "$2" --test-dir "$BUILD/$1")
}
if [ $status -eq 0 ]; then
  echo "Machine uptime as the tests see it: $("${in_time_namespace[@]}" cut -d' ' -f1 /proc/uptime) s"
  if [ "${1:-}" = soak ]; then
    stage "soak tests (Wine)" tests windows soak || status=1
  else
    stage "native unit and fuzz tests" tests native native || status=1
    # The end-to-end and the Windows-side tests share one test environment, started once
    # here (their test_env fixtures then use it): ctest would start and stop one per tree.
    "${in_time_namespace[@]}" "$ROOT/scripts/test-env.sh" run "$BUILD/native" "$BUILD/env" -- \
      bash -c 'cd "$1" && source scripts/stage.sh; status=0
               stage "end-to-end tests" ctest --preset e2e --test-dir "$2/native" || status=1
               stage "windows tests (Wine)" ctest --preset windows --test-dir "$2/windows" || status=1
               exit $status' wine-tests "$ROOT" "$BUILD" || status=1
  fi
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
