#!/usr/bin/env bash
# Runs the test suites of both trees; called by run-tests.sh inside the test environment.
# The end-to-end and Windows-side tests run one at a time, after the native unit tests and
# the fuzz smoke test, so that nothing else loads the machine while they time frames.
# `run-test-suites.sh soak` runs only the long soak tests (label soak) instead.
set -uo pipefail
source "$(dirname "$0")/stage.sh"
status=0
echo "Machine uptime as the tests see it: $(cut -d' ' -f1 /proc/uptime) s"
if [ "${1:-}" = soak ]; then
  stage "soak tests (native)" ctest --test-dir "$NATIVE" -L soak --output-on-failure || status=1
  stage "soak tests (Wine)" ctest --test-dir "$WINDOWS" -L soak --output-on-failure || status=1
  exit $status
fi
stage "native unit and fuzz tests" ctest --test-dir "$NATIVE" -LE 'e2e|soak|bench' -j "$JOBS" --output-on-failure || status=1
# The show the web page test made in the first stage is played here; -FS keeps ctest from
# making it again.
stage "end-to-end tests" ctest --test-dir "$NATIVE" -L e2e -LE soak -FS web_show --output-on-failure || status=1
stage "windows tests (Wine)" ctest --test-dir "$WINDOWS" -LE soak --output-on-failure || status=1
exit $status
