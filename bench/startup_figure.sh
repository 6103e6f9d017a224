#!/usr/bin/env bash
# The start-up figure: process start to first frame for bench/gifs/startup.gif (150 frames,
# about 8 MB) under Wine, with this tree's player and with a base player in the same run.
# The base player is this tree with the decoder's files (the native tree lists them in
# bench/decoder_files.txt) taken from BASE_REF (default main), built into build/startup-base
# only for this measurement.
#
#   bench/startup_figure.sh [BASE_REF [ROUNDS]]
# Needs both build trees as make build configures them (the native tree knowing the Windows
# tree); the benchmark files are made here when missing.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BASE_REF="${1:-main}"
ROUNDS="${2:-5}"
NATIVE="$ROOT/build/native"
BASE="$ROOT/build/startup-base"

# The base tree is extracted afresh each time; ccache turns its rebuild into cache hits.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR=1
fi

cmake --build "$NATIVE" --target reelbox_startup_figure reelbox_bench_gifs -j 2 >/dev/null

rm -rf "$BASE/src"
mkdir -p "$BASE/src"
git -C "$ROOT" archive HEAD | tar -x -C "$BASE/src"
for file in $(cat "$NATIVE/bench/decoder_files.txt"); do
  git -C "$ROOT" show "$BASE_REF:$file" > "$BASE/src/$file"
done
cmake -S "$BASE/src" -B "$BASE/windows" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$BASE/src/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$BASE/windows" --target reelbox -j 2 >/dev/null
cmake --build "$ROOT/build/windows" --target reelbox -j 2 >/dev/null

# The figure program skips rather than fails when the native tree does not know the Windows
# tree, so the script looks for its closing line.
REELBOX_BASE_PLAYER="$BASE/windows/src/app/reelbox.exe" \
REELBOX_FIGURE_GIF="$NATIVE/bench/gifs/startup.gif" \
REELBOX_FIGURE_ROUNDS="$ROUNDS" \
  "$ROOT/scripts/test-env.sh" run "$NATIVE" "$ROOT/build/env" -- \
  "$NATIVE/bench/reelbox_startup_figure" | tee "$BASE/figure.txt"
grep -q "median of" "$BASE/figure.txt" || { echo "no start-up figure (see above)" >&2; exit 1; }
