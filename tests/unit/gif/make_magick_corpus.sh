#!/bin/sh
# Writes ordinary GIF files made by ImageMagick into the folder given as $1, for the
# differential test against giflib: single images of many sizes and colour depths (1 to 8
# bits), plain and interlaced, with and without transparency; animations with global and
# local colour tables, frame offsets, every disposal method ImageMagick writes, and delays;
# and GIF87a files. Deterministic: every random source is seeded.
set -e
out=$1
convert=/usr/bin/convert   # Debian's ImageMagick (not any stand-in earlier on PATH)
mkdir -p "$out"
n=0
next() { n=$((n + 1)); file=$(printf '%s/im%03d' "$out" "$n"); }

# Single images: size x colours x source, alternately interlaced and transparent.
for size in 1x1 2x3 7x5 16x16 33x17 100x80 257x3 3x257 320x240; do
  for colours in 2 4 8 16 32 64 128 256; do
    for source in plasma gradient; do
      next
      set --
      [ $((n % 2)) -eq 0 ] && set -- "$@" -interlace GIF
      [ $((n % 3)) -eq 0 ] && set -- "$@" -fuzz 10% -transparent '#808080'
      if [ "$source" = plasma ]; then
        "$convert" -seed "$n" -size "$size" plasma:fractal -colors "$colours" "$@" "$file.gif"
      else
        "$convert" -size "$size" gradient:'#f00-#00f' -colors "$colours" "$@" "$file.gif"
      fi
    done
  done
done

# Animations: disposal x colour table arrangement x interlace.
for dispose in Undefined None Background Previous; do
  for tables in local global; do
    for interlace in None GIF; do
      for frames in 2 5; do
        next
        set --
        i=0
        while [ $i -lt "$frames" ]; do
          set -- "$@" -page "+$((i * 3))+$((i * 2))" -delay "$((i * 7 + 1))" \
            -seed "$((n * 10 + i))" -size "$((20 + i * 5))x$((15 + i * 3))" plasma:fractal
          i=$((i + 1))
        done
        if [ "$tables" = global ]; then
          "$convert" -dispose "$dispose" "$@" -colors 64 +remap -interlace "$interlace" \
            -loop 0 "$file.gif"
        else
          "$convert" -dispose "$dispose" "$@" -colors 64 -interlace "$interlace" \
            -loop 0 "$file.gif"
        fi
      done
    done
  done
done

# Animations with transparency and mixed disposal, and checkerboards of few colours.
for k in 1 2 3 4 5 6 7 8; do
  next
  "$convert" -seed "$k" -dispose Previous -delay 10 -size 30x30 xc:none \
    -fill red -draw "circle 15,15 15,$((k + 3))" \
    -dispose Background -delay 20 -size 30x30 xc:none -fill blue -draw "rectangle $k,$k 20,20" \
    -dispose None -delay 5 -size 30x30 plasma:fractal -colors $((k * 4)) \
    -loop 0 "$file.gif"
  next
  "$convert" -size "$((k * 9))x$((k * 7))" pattern:checkerboard -colors 2 "$file.gif"
done

# GIF87a files.
for size in 5x5 64x40 200x3; do
  next
  "$convert" -seed "$n" -size "$size" plasma:fractal -colors 128 "GIF87:$file.gif"
done
echo "$n files in $out"
