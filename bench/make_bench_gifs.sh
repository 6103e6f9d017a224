#!/bin/sh
# Writes the benchmark's GIF files into the folder given as $1 (Debian's ImageMagick):
#   sprite.gif  8 frames of 48 x 48, 32 colours, transparency, disposal to background
#   large.gif   one 1000 x 1000 image, 256 colours
#   long.gif    120 frames of 160 x 120, 128 colours
set -e
out=$1
convert=/usr/bin/convert
mkdir -p "$out"
set --
for i in 0 1 2 3 4 5 6 7; do
  set -- "$@" -size 48x48 xc:none -fill "hsl($((i * 45)),80%,50%)" \
    -draw "circle 24,24 24,$((4 + i * 2))" -fill white -draw "rectangle $((i * 5)),10 $((i * 5 + 8)),38"
done
"$convert" -dispose Background -delay 8 "$@" -colors 32 -loop 0 "$out/sprite.gif"
"$convert" -seed 1 -size 1000x1000 plasma:fractal -colors 256 "$out/large.gif"
set --
i=0
while [ $i -lt 120 ]; do
  set -- "$@" -size 160x120 gradient:"hsl($((i * 3)),90%,40%)-hsl($((i * 3 + 120)),90%,60%)" \
    -fill black -draw "circle $((i + 20)),60 $((i + 20)),$((30 + i % 25))"
  i=$((i + 1))
done
"$convert" -delay 4 "$@" -colors 128 -loop 0 "$out/long.gif"
