#!/usr/bin/env bash
# make demo: builds the player and tackon, makes a sample show from assets generated here
# and plays it under Wine, recording the screen and the sound. The show slides its animation
# (a GIF with transparency and several disposal methods) from the top-left to the
# bottom-right cell over a calm generated desktop, plays a WAV tune, zooms in its message with
# a caption, and ends in the About dialog with a looping logo. Saved under out/demo/:
#   run.mp4    the run with its sound (H.264 and AAC)
#   run.gif    the run as an animated GIF (half size, no sound)
#   frames/    screenshots of the run (half size, four a second)
#   show.exe   the show, and assets/ the files it was made from
# The show plays on your display when DISPLAY is set (your desktop is left as it is),
# otherwise in a private Xvfb. Its sound always goes to the private PulseAudio null sink, from
# which it is recorded into run.mp4.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
OUT="$ROOT/out/demo"
ENVDIR="$BUILD/demo-env"
USER_DISPLAY="${DISPLAY:-}"
TACKON="$BUILD/native/tools/tackon/tackon"
convert=/usr/bin/convert
say() { echo "demo: $*"; }

# Only what the demo plays: the player, tackon and the painter of the private desktop.
"$ROOT/scripts/build.sh" windows:reelbox native:tackon,reelbox_desktop_pattern

recorder=""
show=""
stop_all() {
  if [ -n "$show" ] && kill -0 "$show" 2>/dev/null; then kill "$show" 2>/dev/null || true; fi
  if [ -n "$recorder" ] && kill -0 "$recorder" 2>/dev/null; then kill -INT "$recorder" 2>/dev/null || true; fi
  "$ROOT/scripts/test-env.sh" stop "$ENVDIR"
}
"$ROOT/scripts/test-env.sh" start "$BUILD/native" "$ENVDIR"
trap stop_all EXIT
# shellcheck disable=SC1091
source "$ENVDIR/env.sh"

rm -rf "$OUT"
mkdir -p "$OUT/assets" "$OUT/frames"
A="$OUT/assets"
winpath() { echo "Z:${1//\//\\}"; }
read -r screen_w screen_h < <(xdotool getdisplaygeometry)

# The desktop: a quiet evening gradient with a few icons, on the private display only.
if [ -n "$USER_DISPLAY" ]; then
  export DISPLAY="$USER_DISPLAY"
  read -r screen_w screen_h < <(xdotool getdisplaygeometry)
  say "playing on your display $DISPLAY"
else
  icons=()
  for i in 0 1 2 3; do
    y=$((30 + i * 96))
    colour=('#f2c14e' '#5fa8d3' '#8ac926' '#e9e9e9')
    label=('Letters' 'Photos' 'Garden' 'Recycle')
    icons+=(-fill "${colour[$i]}" -stroke '#20304080' -strokewidth 2
            -draw "roundrectangle 34,$y 82,$((y + 44)) 8,8"
            -fill white -stroke none -font DejaVu-Sans -pointsize 13 -annotate "+$((58 - ${#label[$i]} * 4))+$((y + 62))" "${label[$i]}")
  done
  "$convert" -size "${screen_w}x${screen_h}" gradient:'#2b4a6f'-'#a9c6d9' \
    -fill '#ffffff18' -draw "circle $((screen_w * 3 / 4)),$((screen_h / 3)) $((screen_w * 3 / 4 + 90)),$((screen_h / 3))" \
    "${icons[@]}" "$A/desktop.png"
  # display sets the root window's background and answers 1 even when it did.
  display -window root "$A/desktop.png" || true
  say "playing in a private Xvfb ($DISPLAY)"
fi

# The assets: the animation, the message picture (top left kept clear for the caption, which
# tackon draws into it: the emoji make it a picture caption), a tune and a looping logo for
# the About dialog.
"$ROOT/scripts/make-demo-gif.sh" "$A/animation.gif"
"$convert" -size 400x400 xc:'#142878' \
  -fill '#ffc828' -draw 'circle 320,250 370,250' \
  -fill '#287846' -draw 'ellipse 355,405 205,115 0,360' \
  -fill '#3ca050' -draw 'ellipse 70,430 230,110 0,360' \
  -fill none -stroke '#e6b428' -strokewidth 12 -draw 'rectangle 6,6 394,394' "$A/message.png"
notes=(523 659 784 1047 784 659 587 698 880 1175 880 698 523 659 784 1047)
parts=()
for i in "${!notes[@]}"; do
  sox -n -r 22050 -b 16 -c 1 "$A/note$i.wav" synth 0.45 pluck "${notes[$i]}" fade 0 0.45 0.2 vol 0.7
  parts+=("$A/note$i.wav")
done
sox "${parts[@]}" "$A/tune.wav" reverb 30
rm -f "${parts[@]}"
logo_frames=()
for i in $(seq 0 11); do
  x=$((i * 20))
  "$convert" -size 240x60 xc:'#1c2c5c' -fill '#ffd84a' -draw "roundrectangle $x,8 $((x + 40)),52 8,8" \
    -fill white -font DejaVu-Sans-Bold -pointsize 26 -annotate +62+40 'Reelbox' "$A/logo$i.png"
  logo_frames+=("$A/logo$i.png")
done
"$convert" -delay 12 -loop 0 "${logo_frames[@]}" "$A/logo.gif"
rm -f "${logo_frames[@]}"

"$TACKON" --player "$BUILD/windows/src/app/reelbox.exe" --animation "$A/animation.gif" \
  --message-image "$A/message.png" --message-background '#142878' \
  --caption "Joyeux anniversaire, Zoé ! 🎂🎉 This show was packed by tackon and played by Reelbox." \
  --font "Arial,-30,bold" --colour "#FFE060" --sound "$A/tune.wav" --logo "$A/logo.gif" --about \
  --start top-left --end bottom-right -o "$OUT/show.exe"

# Record the screen and the null sink's sound while the show plays.
ffmpeg -hide_banner -loglevel error -nostdin -y \
  -f x11grab -framerate 15 -video_size "${screen_w}x${screen_h}" -i "$DISPLAY" \
  -f pulse -i nullsink.monitor \
  -c:v libx264rgb -preset ultrafast -crf 0 -c:a pcm_s16le "$OUT/raw.mkv" &
recorder=$!
sleep 1   # the recorder's first frame: without it the run's start is not on the video

wine "$OUT/show.exe" &
show=$!
started=$(date +%s)
elapsed() { echo $(( $(date +%s) - started )); }

# When the message has zoomed in and its caption is written, a click on it ends the show in
# the About dialog; its logo loops for a while, then OK closes it.
side=$((screen_h / 2))
caption_shown() {  # some caption-coloured pixels in the end cell's message square
  [ "$(xwd -root -silent 2>/dev/null | "$convert" xwd:- -crop "${side}x${side}+$((screen_w - side))+$((screen_h - side))" \
        -fuzz 6% -fill black +opaque '#FFE060' -format '%[fx:maxima.r > 0.5 ? 1 : 0]' info: 2>/dev/null)" = 1 ]
}
until caption_shown || ! kill -0 "$show" 2>/dev/null || [ "$(elapsed)" -ge 40 ]; do sleep 0.3; done
caption_shown || say "the caption did not appear on the message"
sleep 3   # time to read it
xdotool mousemove $((screen_w - side / 2)) $((screen_h - side / 2)) click 1
if about=$(timeout 15 xdotool search --sync --onlyvisible --name '^Reelbox$' 2>/dev/null | head -1) &&
   [ -n "$about" ]; then
  xdotool mousemove $((screen_w / 2)) $((screen_h - 40))
  sleep 5
  # Wine may have made the dialog's X window anew since it was found (its move to the end
  # cell); the key goes to the one there now, or to the focused window.
  about=$(xdotool search --onlyvisible --name '^Reelbox$' 2>/dev/null | tail -1)
  xdotool key --window "$about" Return 2>/dev/null || xdotool key Return
else
  say "the About dialog did not appear"
fi
while kill -0 "$show" 2>/dev/null && [ "$(elapsed)" -lt 60 ]; do sleep 0.2; done
if kill -0 "$show" 2>/dev/null; then
  say "the show did not end in time; stopping it" >&2
  kill "$show"
fi
wait "$show" || true
show=""
sleep 1
kill -INT "$recorder"
wait "$recorder" || true
recorder=""

ffmpeg -hide_banner -loglevel error -nostdin -y -i "$OUT/raw.mkv" \
  -c:v libx264 -pix_fmt yuv420p -crf 23 -c:a aac -b:a 128k -movflags +faststart "$OUT/run.mp4"
ffmpeg -hide_banner -loglevel error -nostdin -y -i "$OUT/raw.mkv" \
  -vf "fps=4,scale=iw/2:-1" "$OUT/frames/%03d.png"
ffmpeg -hide_banner -loglevel error -nostdin -y -i "$OUT/raw.mkv" \
  -vf "fps=8,scale=iw/2:-1:flags=lanczos,split[a][b];[a]palettegen[p];[b][p]paletteuse" \
  -loop 0 "$OUT/run.gif"
rm -f "$OUT/raw.mkv"

echo
say "the run with sound:     $OUT/run.mp4"
say "the run as a GIF:       $OUT/run.gif"
say "screenshots:            $OUT/frames/ ($(ls "$OUT/frames" | wc -l) pictures)"
say "the show:               $OUT/show.exe"
say "its assets:             $OUT/assets/"
