#!/usr/bin/env bash
# Draws the sample show's animation with ImageMagick: a 320 x 240 GIF on a transparent
# background in which a ball rolls across, leaving a trail of three dots (disposal "none"),
# then bounces with each position cleared (disposal "background") and a blue star blinks
# over it (disposal "previous"); it ends on a green badge.
# Usage: make-demo-gif.sh OUTPUT.gif
set -euo pipefail
out="$1"
convert=/usr/bin/convert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The drawing is laid out on a 200 x 150 grid and scaled by 8/5.
s() { echo $(( $1 * 8 / 5 )); }
frame() {  # frame NAME DRAW-ARGS...
  local name="$1"; shift
  "$convert" -size "$(s 200)x$(s 150)" xc:none "$@" "$work/$name.png"
}
circle() { echo "circle $(s "$1"),$(s "$2") $(s $(($1 + $3))),$(s "$2")"; }  # X Y RADIUS

args=()
# Trail: three dots that stay.
for i in 0 1 2; do
  frame "trail$i" -fill '#f0c020' -stroke '#a07000' -strokewidth 2 -draw "$(circle $((20 + i * 30)) 130 8)"
  args+=(-dispose none -delay 20 "$work/trail$i.png")
done
# Bounce: the ball is cleared after each position.
for i in $(seq 0 11); do
  y=$(( 40 + (i % 6 < 3 ? (i % 6) * 25 : (6 - i % 6) * 25) ))
  frame "ball$i" -fill '#e03030' -stroke '#801010' -strokewidth 3 -draw "$(circle $((30 + i * 12)) "$y" 16)"
  args+=(-dispose background -delay 8 "$work/ball$i.png")
done
# Blink: a star drawn over the last ball and taken away again.
star=""
for p in 160,20 168,40 190,40 172,52 180,74 160,60 140,74 148,52 130,40 152,40; do
  star+="$(s "${p%,*}"),$(s "${p#*,}") "
done
frame star -fill '#3060ff' -stroke '#102080' -strokewidth 2 -draw "polygon $star"
args+=(-dispose previous -delay 40 "$work/star.png")
frame final -fill '#30c060' -stroke '#106030' -strokewidth 3 \
  -draw "roundrectangle $(s 60),$(s 50) $(s 140),$(s 100) 18,18" \
  -fill white -stroke none -draw "$(circle 100 75 12)"
args+=(-dispose none -delay 100 "$work/final.png")

"$convert" "${args[@]}" -set page "$(s 200)x$(s 150)+0+0" -loop 0 "$out"
