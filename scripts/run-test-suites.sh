#!/usr/bin/env bash
# Runs the test suites of both trees; called by run-tests.sh inside the test environment.
# The Windows-side tests run one at a time: they share the one screen and Wine prefix.
set -uo pipefail
source "$(dirname "$0")/stage.sh"
status=0
stage "native tests" ctest --test-dir "$NATIVE" -j "$JOBS" --output-on-failure || status=1
stage "windows tests (Wine)" ctest --test-dir "$WINDOWS" --output-on-failure || status=1
exit $status
