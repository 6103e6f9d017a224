#!/usr/bin/env bash
# Writes ordinary GIF files made by ImageMagick into the folder given as $1, for the
# differential test against giflib: single images of many sizes and colour depths (1 to 8
# bits), plain and interlaced, with and without transparency; animations with global and
# local colour tables, frame offsets, every disposal method ImageMagick writes, and delays;
# and GIF87a files. Deterministic: every random source is seeded.
# One convert process makes them all, each file in parentheses of its own. Colours are
# reduced without dithering: ImageMagick allocates and fills a 128 MB dither cache for each
# reduction, which made generating the corpus cost three minutes of processor time.
set -euo pipefail
out=$1
convert=/usr/bin/convert   # Debian's ImageMagick (not any stand-in earlier on PATH)
mkdir -p "$out"
n=0
files=()
next() { n=$((n + 1)); file=$(printf '%s/im%03d' "$out" "$n"); }
# add OUTPUT ARG...: makes one file from ARG... and writes it to OUTPUT.
add() { local output=$1; shift; files+=('(' "$@" -write "$output" +delete ')'); }

# Single images: size x colours x source, alternately interlaced and transparent.
for size in 1x1 2x3 7x5 16x16 33x17 100x80 257x3 3x257 320x240; do
  for colours in 2 4 8 16 32 64 128 256; do
    for source in plasma gradient; do
      next
      options=()
      [ $((n % 2)) -eq 0 ] && options+=(-interlace GIF)
      [ $((n % 3)) -eq 0 ] && options+=(-fuzz 10% -transparent '#808080')
      if [ "$source" = plasma ]; then
        add "$file.gif" -seed "$n" -size "$size" plasma:fractal -colors "$colours" "${options[@]}"
      else
        add "$file.gif" -size "$size" gradient:'#f00-#00f' -colors "$colours" "${options[@]}"
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
        frame_args=()
        for ((i = 0; i < frames; i++)); do
          frame_args+=(-page "+$((i * 3))+$((i * 2))" -delay "$((i * 7 + 1))"
                       -seed "$((n * 10 + i))" -size "$((20 + i * 5))x$((15 + i * 3))" plasma:fractal)
        done
        remap=()
        [ "$tables" = global ] && remap=(+remap)
        add "$file.gif" -dispose "$dispose" "${frame_args[@]}" -colors 64 "${remap[@]}" \
          -interlace "$interlace" -loop 0
      done
    done
  done
done

# Animations with transparency and mixed disposal, and checkerboards of few colours.
for k in 1 2 3 4 5 6 7 8; do
  next
  add "$file.gif" -seed "$k" -dispose Previous -delay 10 -size 30x30 xc:none \
    -fill red -draw "circle 15,15 15,$((k + 3))" \
    -dispose Background -delay 20 -size 30x30 xc:none -fill blue -draw "rectangle $k,$k 20,20" \
    -dispose None -delay 5 -size 30x30 plasma:fractal -colors $((k * 4)) -loop 0
  next
  add "$file.gif" -size "$((k * 9))x$((k * 7))" pattern:checkerboard -colors 2
done

# GIF87a files.
for size in 5x5 64x40 200x3; do
  next
  add "GIF87:$file.gif" -seed "$n" -size "$size" plasma:fractal -colors 128
done

"$convert" -respect-parentheses +dither "${files[@]}" -size 1x1 xc:none null:
echo "$n files in $out"
