#!/usr/bin/env bash
# make demo: builds everything, makes a sample show from assets generated here (an animated
# GIF with transparency and several disposal methods, an enhanced-metafile message drawn by
# tools/demo/make_message, a caption), plays it under Wine and saves what the screen showed
# under out/demo/: a screenshot sequence (frames/) and one animated GIF of the run (run.gif).
# The show plays on your display when DISPLAY is set, otherwise in a private Xvfb.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
OUT="$ROOT/out/demo"
ENVDIR="$BUILD/demo-env"
USER_DISPLAY="${DISPLAY:-}"

"$ROOT/scripts/build.sh"

"$ROOT/scripts/test-env.sh" start "$BUILD/native" "$ENVDIR"
trap '"$ROOT/scripts/test-env.sh" stop "$ENVDIR"' EXIT
# shellcheck disable=SC1091
source "$ENVDIR/env.sh"
if [ -n "$USER_DISPLAY" ]; then
  export DISPLAY="$USER_DISPLAY"
  echo "demo: playing on your display $DISPLAY"
else
  echo "demo: playing in a private Xvfb ($DISPLAY)"
fi

rm -rf "$OUT"
mkdir -p "$OUT/assets" "$OUT/frames"
winpath() { echo "Z:${1//\//\\}"; }

"$ROOT/scripts/make-demo-gif.sh" "$OUT/assets/animation.gif"
wine "$BUILD/windows/tools/demo/make_message.exe" "$(winpath "$OUT/assets/message.emf")"
"$BUILD/native/tools/tackon/tackon" --player "$BUILD/windows/src/app/reelbox.exe" \
  --animation "$OUT/assets/animation.gif" --message "$OUT/assets/message.emf" \
  --caption "Hello from Reelbox! This show was packed by tackon and played by the Reelbox player." \
  --font "Arial,-22,bold" --colour "#FFE060" --start top-left --end bottom-right \
  -o "$OUT/show.exe"

wine "$OUT/show.exe" &
show=$!
started=$(date +%s%N)
elapsed_ms() { echo $(( ($(date +%s%N) - started) / 1000000 )); }

# Screenshots until the show has ended; once the message has zoomed in and its caption is
# written, a click on the message window ends the show.
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
side=$((screen_h / 2))
n=0 clicked=0
while kill -0 "$show" 2>/dev/null && [ "$(elapsed_ms)" -lt 20000 ]; do
  # A window that changes while the screen is read can fail one capture; the next one counts.
  if xwd -root -silent 2>/dev/null | /usr/bin/convert xwd:- -resize 50% "$OUT/frames/$(printf '%03d' $n).png" 2>/dev/null; then
    n=$((n + 1))
  fi
  if [ $clicked -eq 0 ] && [ "$(elapsed_ms)" -gt 8000 ]; then
    xdotool mousemove $((screen_w - side / 2)) $((screen_h - side / 2)) click 1
    clicked=1
  fi
done
if kill -0 "$show" 2>/dev/null; then
  echo "demo: the show did not end in time; stopping it" >&2
  kill "$show"
fi
wait "$show" || true

/usr/bin/convert -delay 15 -loop 0 "$OUT/frames/"*.png "$OUT/run.gif"
echo
echo "demo: the show:          $OUT/show.exe"
echo "demo: its assets:        $OUT/assets/"
echo "demo: screenshots:       $OUT/frames/ ($n pictures)"
echo "demo: the run as a GIF:  $OUT/run.gif"
