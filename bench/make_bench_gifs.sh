#!/bin/sh
# Writes the benchmark's GIF files into the folder given as $1 (Debian's ImageMagick), one or
# more of every size class:
#   tiny.gif        6 frames of 12 x 12, 4 colours: a tiny sprite
#   sprite.gif      8 frames of 48 x 48, 32 colours, transparency, disposal to background
#   icon16.gif      16 x 16, 1-bit            icon32.gif  32 x 32, 256 colours
#   icon48.gif      48 x 48, 16 colours
#   image128.gif    128 x 128, 256 colours    image300.gif  300 x 200, 64 colours
#   large.gif       one 1000 x 1000 image, 256 colours (plasma)
#   photo.gif       a 1000 x 657 photograph, 256 colours, dithered
#   mono.gif        800 x 600, 1-bit, dithered
#   interlaced.gif  640 x 480, 256 colours, interlaced
#   long.gif        120 frames of 160 x 120, 128 colours
#   changes.gif     100 frames of 320 x 240 where only a small area changes (optimised frames)
#   startup.gif     150 frames of 300 x 220, 256 colours each, about 8 MB: the start-up figure's
#                   large animation (see startup_figure.sh)
set -e
out=$1
convert=/usr/bin/convert
mkdir -p "$out"

set --
for i in 0 1 2 3 4 5; do
  set -- "$@" -size 12x12 xc:black -fill "hsl($((i * 60)),90%,50%)" -draw "rectangle $i,2 $((i + 5)),9"
done
"$convert" -delay 10 "$@" -colors 4 -loop 0 "$out/tiny.gif"

set --
for i in 0 1 2 3 4 5 6 7; do
  set -- "$@" -size 48x48 xc:none -fill "hsl($((i * 45)),80%,50%)" \
    -draw "circle 24,24 24,$((4 + i * 2))" -fill white -draw "rectangle $((i * 5)),10 $((i * 5 + 8)),38"
done
"$convert" -dispose Background -delay 8 "$@" -colors 32 -loop 0 "$out/sprite.gif"

"$convert" -size 16x16 xc:white -fill black -draw "circle 8,8 8,2" -draw "line 0,15 15,0" \
  -monochrome "$out/icon16.gif"
"$convert" -seed 2 -size 32x32 plasma:fractal -colors 256 "$out/icon32.gif"
"$convert" -size 48x48 radial-gradient:yellow-blue -colors 16 "$out/icon48.gif"
"$convert" -seed 3 -size 128x128 plasma:fractal -colors 256 "$out/image128.gif"
"$convert" -size 300x200 gradient:red-navy -fill white -draw "circle 150,100 150,40" \
  -fill black -draw "rectangle 20,20 80,180" -colors 64 "$out/image300.gif"
"$convert" -seed 1 -size 1000x1000 plasma:fractal -colors 256 "$out/large.gif"
"$convert" rose: -resize 1000x -colors 256 "$out/photo.gif"
"$convert" -seed 4 -size 800x600 plasma:fractal -colorspace gray -monochrome "$out/mono.gif"
"$convert" -seed 5 -size 640x480 plasma:fractal -colors 256 -interlace GIF "$out/interlaced.gif"

set --
i=0
while [ $i -lt 120 ]; do
  set -- "$@" -size 160x120 gradient:"hsl($((i * 3)),90%,40%)-hsl($((i * 3 + 120)),90%,60%)" \
    -fill black -draw "circle $((i + 20)),60 $((i + 20)),$((30 + i % 25))"
  i=$((i + 1))
done
"$convert" -delay 4 "$@" -colors 128 -loop 0 "$out/long.gif"

set --
i=0
while [ $i -lt 100 ]; do
  set -- "$@" \( mpr:scene -fill red -draw "circle $((40 + i * 2)),120 $((40 + i * 2)),$((110 + i % 7))" \)
  i=$((i + 1))
done
"$convert" -seed 6 -size 320x240 plasma:fractal -colors 64 -write mpr:scene +delete "$@" \
  -delay 4 -layers OptimizeFrame -loop 0 "$out/changes.gif"

set --
i=0
while [ $i -lt 150 ]; do
  set -- "$@" \( mpr:field -crop 300x220+$((i % 15 * 10))+$((i / 15 * 15)) +repage \)
  i=$((i + 1))
done
"$convert" -seed 7 -size 450x370 plasma:fractal -write mpr:field +delete "$@" \
  -delay 4 -colors 256 -loop 0 "$out/startup.gif"
