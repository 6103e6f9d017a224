#!/usr/bin/env bash
# Draws the sample show's animation with ImageMagick: a 200 x 150 GIF on a transparent
# background in which a red ball rolls across, leaving a trail of three dots (disposal
# "none"), then bounces with each position cleared (disposal "background") and a blue
# star blinks over it (disposal "previous").
# Usage: make-demo-gif.sh OUTPUT.gif
set -euo pipefail
out="$1"
convert=/usr/bin/convert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

frame() {  # frame NAME DRAW-ARGS...
  local name="$1"; shift
  "$convert" -size 200x150 xc:none "$@" "$work/$name.png"
}

args=()
# Trail: three dots that stay.
for i in 0 1 2; do
  x=$((20 + i * 30))
  frame "trail$i" -fill '#f0c020' -draw "circle $x,130 $((x + 8)),130"
  args+=(-dispose none -delay 20 "$work/trail$i.png")
done
# Bounce: the ball is cleared after each position.
for i in $(seq 0 11); do
  x=$((30 + i * 12))
  y=$(( 40 + (i % 6 < 3 ? (i % 6) * 25 : (6 - i % 6) * 25) ))
  frame "ball$i" -fill '#e03030' -stroke '#801010' -strokewidth 2 -draw "circle $x,$y $((x + 16)),$y"
  args+=(-dispose background -delay 8 "$work/ball$i.png")
done
# Blink: a star drawn over the last ball and taken away again.
frame star -fill '#3060ff' -draw "polygon 160,20 168,40 190,40 172,52 180,74 160,60 140,74 148,52 130,40 152,40"
args+=(-dispose previous -delay 40 "$work/star.png")
frame final -fill '#30c060' -draw "roundrectangle 60,50 140,100 12,12" \
  -fill white -draw "circle 100,75 112,75"
args+=(-dispose none -delay 100 "$work/final.png")

"$convert" "${args[@]}" -set page 200x150+0+0 -loop 0 "$out"
