#!/usr/bin/env bash
# Builds the web page into a folder (default out/web): the portable core compiled to
# WebAssembly and embedded in one script (so the page also works from file://), the page's
# own files, the player the page appends shows to, embedded as player.js, and the web show's
# template (reelbox-web-show.html, and web_show_template.js for the page).
#   scripts/build-web.sh [OUT] ; REELBOX_PLAYER=path/to/reelbox.exe picks another player.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:-$ROOT/out/web}"
PLAYER="${REELBOX_PLAYER:-$ROOT/build/windows/src/app/reelbox.exe}"
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

if [ ! -f "$PLAYER" ]; then
  echo "build-web: no player at $PLAYER (build the Windows tree first: scripts/build.sh)" >&2
  exit 1
fi

cd "$ROOT"
# The portable core: decoder, composition model, placement, package format, packing core.
# Every source of the decoder, the package format and the packing core is taken, so a new
# one needs no change here; only the decoder's Windows file mapping stays out.
sources=()
for source in web/core/*.cpp src/gif/*.cpp src/package/*.cpp src/pack/*.cpp \
              src/render/composition_model.cpp src/render/dib_layout.cpp src/show/placement.cpp; do
  [ "$source" = src/gif/file_mapping_win32.cpp ] || sources+=("$source")
done
exports='_WebAlloc,_WebFree,_WebLoadAnimation,_WebReleaseAnimation,_WebAnimationWidth,_WebAnimationHeight,_WebFrameDelay,_WebComposeFrames,_WebAnimationCorner,_WebMessageLayout,_WebPictureBudget,_WebCompositionBudget,_WebBuildWave,_WebReleaseWave,_WebPlayStart,_WebPlayNext,_WebPlayDelay,_WebSlideCorners,_WebShowRead,_WebMessageZoom'
exports+=$(grep -o 'ReelboxPack[A-Za-z0-9]*(' src/pack/pack_api.h | sort -u | sed 's/^/,_/; s/($//' | tr -d '\n')

mkdir -p "$OUT"
tmp="$(mktemp -d)"
objects="$(mktemp -d)"
trap 'rm -rf "$tmp" "$objects"' EXIT
# Each source is compiled on its own, JOBS at a time, and the objects linked in one step.
for i in "${!sources[@]}"; do
  printf '%s\0%s\0' "${sources[$i]}" "$objects/$i.o"
done | xargs -0 -n 2 -P "${JOBS:-2}" sh -c 'em++ -O2 -std=c++17 -Isrc -I. -c "$0" -o "$1"'
em++ -O2 "$objects"/*.o \
  -sSINGLE_FILE=1 -sMODULARIZE=1 -sEXPORT_NAME=ReelboxCore -sENVIRONMENT=web \
  -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS="[$exports]" \
  -sEXPORTED_RUNTIME_METHODS='["HEAPU8","UTF8ToString"]' \
  -o "$tmp/reelbox_core.js"
{ printf 'window.ReelboxPlayerBase64 = "'; base64 -w0 "$PLAYER"; printf '";\n'; } > "$tmp/player.js"
cp web/*.html web/*.js web/*.css "$tmp/"
# The page's download area links the guide to sending shows, shipped beside it.
if [ -f docs/sending-shows.md ]; then cp docs/sending-shows.md "$tmp/"; fi
cp web/show/web_show_download.js "$tmp/"
# The web show: the same core inline in one page. Its About dialog opens the web address the
# player was built with (REELBOX_WEB_ADDRESS overrides it).
export REELBOX_WEB_ADDRESS="${REELBOX_WEB_ADDRESS-$(sed -n 's/^REELBOX_WEB_ADDRESS:[A-Z]*=//p' \
  "$(dirname "$PLAYER")/../../CMakeCache.txt" 2>/dev/null)}"
# The web show links the core again with only what it calls, so that it carries no packer.
show_exports='_WebAlloc,_WebFree,_WebLoadAnimation,_WebReleaseAnimation,_WebAnimationWidth,_WebAnimationHeight,_WebMessageLayout,_WebMessageZoom,_WebPlayStart,_WebPlayNext,_WebPlayDelay,_WebShowRead,_WebSlideCorners,_ReelboxPackCreate,_ReelboxPackError,_ReelboxPackDrawMessage,_ReelboxPackCaptionToUtf8'
em++ -O2 "$objects"/*.o \
  -sSINGLE_FILE=1 -sMODULARIZE=1 -sEXPORT_NAME=ReelboxCore -sENVIRONMENT=web \
  -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS="[$show_exports]" \
  -sEXPORTED_RUNTIME_METHODS='["HEAPU8","UTF8ToString"]' \
  -o "$objects/web_show_core.js"
python3 web/show/make_template.py "$objects/web_show_core.js" "$tmp"
cp "$tmp"/* "$OUT/"
echo "web page in $OUT (player: $PLAYER)"
