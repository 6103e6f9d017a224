#!/usr/bin/env bash
# Builds the four trees (scripts/build.sh) and runs the test presets (CMakePresets.json): the
# native unit, fuzz and web tests, the end-to-end tests, and the Windows-side tests under Wine.
# The Wine tests share one private test environment (Xvfb, Wine prefix, PulseAudio null sink),
# started here once; their test_env fixtures then use it.
#
# The Wine tests spend most of their time waiting for the screen, so they do not wait for the
# whole build: once the Windows tree and the end-to-end test programs are built, they run one
# at a time in the environment while the web, fuzz and native trees are built beside them at a
# lower priority. Only compilation runs beside them: shows under test missed their frame
# times with the page tests' browser beside them and with a Windows tree rebuild (ccache and
# links), so the Windows tree is built before and the native tests run after. The Wine tests'
# output is printed when they are done.
set -uo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
ENV_DIR="$BUILD/env"
export STAGE_TIMES="$BUILD/stage-times"
started=$(date +%s)
mkdir -p "$BUILD" && : > "$STAGE_TIMES"

source "$ROOT/scripts/stage.sh"

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
tests() {  # tests TREE PRESET [CTEST ARGS...]: a test preset on the tree under $BUILD
  local tree=$1 preset=$2; shift 2
  (cd "$ROOT" && "${in_time_namespace[@]}" ctest --preset "$preset" --test-dir "$BUILD/$tree" "$@")
}
in_test_env() {  # in_test_env COMMAND...: with the variables of the running environment
  ( set -a && . "$ENV_DIR/env.sh" && set +a && "$@" )
}
summary() {
  echo
  echo "Stage times:"
  cat "$STAGE_TIMES"
  echo "  total                          $(( $(date +%s) - started ))s"
  if [ $status -ne 0 ]; then
    echo "FAILED: see the messages and ctest summaries above"
  else
    echo "PASSED: every test passed"
  fi
}

status=0
if [ "${1:-}" = soak ]; then
  stage "build" "$ROOT/scripts/build.sh" windows native || status=1
  [ $status -eq 0 ] && { stage "soak tests (Wine)" "${in_time_namespace[@]}" "$ROOT/scripts/test-env.sh" \
      run "$BUILD/native" "$ENV_DIR" -- ctest --preset soak --test-dir "$BUILD/windows" || status=1; }
  summary
  exit $status
fi

# The environment is made (the Wine prefix takes the longest) while the Windows tree builds.
stage "build the desktop painter" "$ROOT/scripts/build.sh" native:reelbox_desktop_pattern || status=1
[ $status -eq 0 ] || { summary; exit 1; }
"${in_time_namespace[@]}" "$ROOT/scripts/test-env.sh" start "$BUILD/native" "$ENV_DIR" \
  > "$BUILD/test-env.log" 2>&1 &
env_starter=$!
wine_lane=""
stop_everything() {
  [ -n "$wine_lane" ] && kill -TERM -- "-$wine_lane" 2>/dev/null
  wait "$env_starter" 2>/dev/null
  "$ROOT/scripts/test-env.sh" stop "$ENV_DIR"
}
trap stop_everything EXIT
trap 'status=130; exit 130' INT
trap 'status=143; exit 143' TERM

stage "build windows tree" "$ROOT/scripts/build.sh" windows || status=1
[ $status -eq 0 ] && { stage "build the end-to-end tests" "$ROOT/scripts/build.sh" native:reelbox_e2e_tests || status=1; }
wait "$env_starter" || { cat "$BUILD/test-env.log"; echo "the test environment did not start"; status=1; }
[ $status -eq 0 ] || { summary; exit 1; }
echo "Machine uptime as the tests see it: $("${in_time_namespace[@]}" cut -d' ' -f1 /proc/uptime) s"

# The Wine tests, one at a time, in a process group of their own (stopped as one on Ctrl-C).
set -m
(
  lane=0
  stage "end-to-end tests (Wine)" in_test_env tests native e2e -E '^web\.' || lane=1
  stage "windows tests (Wine)" in_test_env tests windows windows || lane=1
  exit $lane
) > "$BUILD/wine-tests.log" 2>&1 &
wine_lane=$!
set +m
echo "==> the Wine tests run beside the builds below; their output follows"

built=1
(
  renice -n 10 $BASHPID > /dev/null
  stage "build web tree" "$ROOT/scripts/build.sh" web || exit 1
  stage "build fuzz tree" "$ROOT/scripts/build.sh" fuzz || exit 1
  stage "build native tree" "$ROOT/scripts/build.sh" native || exit 1
) || { status=1; built=0; }

wait "$wine_lane" || status=1
wine_lane=""
echo
echo "==> output of the Wine tests"
cat "$BUILD/wine-tests.log"
# The web show's test under Wine needs the show the page tests make.
if [ $built -eq 1 ]; then
  stage "native unit and fuzz tests" tests native native || status=1
  stage "web show under Wine" in_test_env tests native e2e -R '^web\.' || status=1
fi
summary
exit $status
