# stage NAME COMMAND...: runs one stage of a script, prints its name and appends its wall
# time to $STAGE_TIMES. Sourced by the build and test scripts.
stage() {
  local name="$1"; shift
  local start; start=$(date +%s)
  echo "==> $name"
  "$@"
  local status=$?
  printf '  %-30s %5ds%s\n' "$name" $(( $(date +%s) - start )) \
    "$([ $status -ne 0 ] && echo "  (failed, exit $status)")" >> "${STAGE_TIMES:-/dev/null}"
  return $status
}
