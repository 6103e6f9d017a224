#!/usr/bin/env bash
# make dist-check: builds the release twice from the same commit, in two different folders
# (the second deeper, with the compiler cache off, so nothing is reused from the first) at two
# different times, and compares the archives byte for byte. The first build's archives stay
# in out/dist/.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
first="$ROOT/out/dist"
second="$ROOT/build/dist-check/out"

DIST_COMMIT=$(git -C "$ROOT" rev-parse HEAD)
export DIST_COMMIT
DIST_WORK="$ROOT/build/dist" DIST_OUT="$first" "$ROOT/scripts/dist.sh" || exit 1
rm -rf "$ROOT/build/dist-check"
DIST_WORK="$ROOT/build/dist-check/elsewhere/a/deeper/tree" DIST_OUT="$second" CCACHE_DISABLE=1 \
  "$ROOT/scripts/dist.sh" || exit 1

status=0
for archive in "$first"/reelbox-* "$first/SHA256SUMS"; do
  name=$(basename "$archive")
  if cmp -s "$archive" "$second/$name"; then
    echo "dist-check: identical  $name"
  else
    echo "dist-check: DIFFERENT  $name"
    status=1
  fi
done
[ "$(ls "$first" | sort)" = "$(ls "$second" | sort)" ] || { echo "dist-check: the two runs made different files"; status=1; }
if [ $status -eq 0 ]; then
  echo "dist-check: PASSED: two builds in different folders gave identical archives"
  rm -rf "$ROOT/build/dist-check"
else
  echo "dist-check: FAILED: the second build's archives are in $second"
fi
exit $status
