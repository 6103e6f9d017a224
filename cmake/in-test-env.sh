#!/bin/sh
# in-test-env.sh ENV_DIR PROGRAM ARGS...: runs PROGRAM in the test environment that
# scripts/test-env.sh started in ENV_DIR (ctest's test_env fixture), with the variables of its
# env.sh. A caller already inside an environment (scripts/test-env.sh run ... -- ctest ...,
# which sets REELBOX_WINE_TEMP) keeps its own.
env_dir=$1
shift
if [ -z "${REELBOX_WINE_TEMP:-}" ] && [ -f "$env_dir/env.sh" ]; then
    . "$env_dir/env.sh"
fi
exec "$@"
