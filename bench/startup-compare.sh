#!/usr/bin/env bash
# Start-up of two players in the same run: wall time from starting a show to its first frame
# on the screen (the end-to-end start-up figure), for a small and a long show, with the two
# players taking turns so that the machine's load falls on both alike. Prints each round and
# the medians. Run inside the test environment:
#   scripts/test-env.sh run build/native build/env -- bench/startup-compare.sh [ROUNDS]
# OLD_PLAYER names the player to compare with (another tree's build/windows/src/app/reelbox.exe,
# or build/windows-debug's); NEW_PLAYER defaults to this tree's reelbox.exe.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
NATIVE="${NATIVE:-$ROOT/build/native}"
WINDOWS="${WINDOWS:-$ROOT/build/windows}"
rounds="${1:-5}"
old="${OLD_PLAYER:?OLD_PLAYER must name the player to compare with}"
new="${NEW_PLAYER:-$WINDOWS/src/app/reelbox.exe}"
test_program="$NATIVE/tests/e2e/show_e2e_test"
results="$(mktemp)"
trap 'rm -f "$results"' EXIT

echo "old: $old ($(stat -c %s "$old") bytes)"
echo "new: $new ($(stat -c %s "$new") bytes)"
for round in $(seq 1 "$rounds"); do
  for which in old new; do
    player=$old
    [ "$which" = new ] && player=$new
    out=$(REELBOX_E2E_PLAYER="$player" "$test_program" --gtest_filter='ShowStartupTest.*' 2>&1) ||
      { echo "$out"; echo "startup-compare: the start-up test failed with the $which player" >&2; exit 1; }
    small=$(echo "$out" | sed -n 's/.*small show.*first frame after \([0-9-]*\) ms.*/\1/p')
    long=$(echo "$out" | sed -n 's/.*long show.*first frame after \([0-9-]*\) ms.*/\1/p')
    printf 'round %d  %-3s  small show %5s ms   long show %5s ms\n' "$round" "$which" "$small" "$long"
    echo "$which $small $long" >> "$results"
  done
done
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
for which in old new; do
  printf 'median %-3s  small show %5s ms   long show %5s ms\n' "$which" \
    "$(awk -v w="$which" '$1 == w {print $2}' "$results" | median)" \
    "$(awk -v w="$which" '$1 == w {print $3}' "$results" | median)"
done
