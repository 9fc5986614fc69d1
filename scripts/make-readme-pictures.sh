#!/usr/bin/env bash
# The README's pictures, made by the game itself on the headless platform:
# the title, the replay list, the settings and the controls screens and the
# prologue's first page in both languages from a key script, and play, the
# five stages, a boss and a few seconds of play from the replays of
# tests/replays/. Written to docs/pictures/ (PNG, compressed losslessly; the
# animation as a GIF).
#
#   scripts/make-readme-pictures.sh [--check]      (BUILD=dir, default build/)
#
# --check makes them in a scratch folder and compares them, pixel for pixel,
# with the committed ones; it fails when the game no longer draws what the
# README shows (ctest runs it as readme_pictures).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${BUILD:-$root/build}")
check=0
[ "${1:-}" = "--check" ] && check=1
capture="$build/tools/capture/vortalis_capture"
[ -x "$capture" ] && [ -d "$build/dat" ] || { echo "readme-pictures: build $build first (vortalis_capture, dat)"; exit 1; }
for tool in convert compare identify; do
  command -v "$tool" >/dev/null || { echo "readme-pictures: $tool (ImageMagick) is missing"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/replays" "$work/shots" "$work/pictures"
ln -s "$build/dat" "$work/dat"
cp "$root"/tests/replays/*.vrp "$work/replays/"
export TZ=UTC   # the replay list shows dates

# The menus: past the logo; the title; リプレイ (two down); back; 設定 (two
# down from there); back; F1 for the controls; closed; スタート (two down,
# round past おわる); the prologue's first page once typed.
cat >"$work/menus.keys" <<'KEYS'
30 Z
110 Down
114 Down
118 Z
180 Escape
220 Down
224 Down
228 Z
290 Escape
330 F1
370 Escape
400 Down
404 Down
408 Z
KEYS
shoot() { (cd "$work" && "$capture" "$@" >/dev/null); }
for lang in ja en; do
  shoot --lang "$lang" --keys menus.keys shots "title-$lang@100" "replays-$lang@170" "settings-$lang@280" \
    "controls-$lang@360" "story-$lang@520"
done

# Play: the stages from their replays; a boss fight with its bullets; the last
# stage's boss; three seconds of the fourth stage at 20 frames a second.
shoot --replay replays/stage1.vrp shots stage1@1500 play@8250
shoot --replay replays/stage2.vrp shots stage2@7000
shoot --replay replays/stage3.vrp shots stage3@7000
frames=()
for ((f = 0; f < 60; f++)); do frames+=("$(printf 'loop%03d@%d' "$f" $((6900 + 3 * f)))"); done
shoot --replay replays/stage4.vrp shots stage4@7001 "${frames[@]}"
shoot --replay replays/stage5-epilogue-skip.vrp shots stage5@4000 boss@8250

s=$work/shots
p=$work/pictures
# convert's arguments, the output last, written as a compressed PNG.
png() { convert "${@:1:$#-1}" -strip -define png:compression-level=9 -define png:compression-filter=5 "${@: -1}"; }
png "$s/play.png" "$p/play.png"
png "$s/boss.png" "$p/boss.png"
png "$s"/stage{1,2,3,4,5}.png -resize 256x192 +append "$p/stages.png"
for screen in title story replays settings controls; do
  png "$s/$screen-ja.png" "$s/$screen-en.png" -resize 400x300 +append "$p/$screen.png"
done
# 400×300, 128 colours without dithering: about 1.7 MB for three seconds.
convert -delay 5 -loop 0 "$s"/loop*.png -resize 400x300 +dither -colors 128 -layers Optimize "$p/play.gif"

if [ "$check" = 0 ]; then
  mkdir -p "$root/docs/pictures"
  cp "$p"/* "$root/docs/pictures/"
  du -ch "$root/docs/pictures"/* | tail -n1 | sed 's/^/readme-pictures: written, /'
  exit 0
fi

# The committed pictures must be the ones the game draws now.
failed=0
for made in "$p"/*; do
  name=$(basename "$made")
  kept="$root/docs/pictures/$name"
  [ -f "$kept" ] || { echo "readme-pictures: docs/pictures/$name is missing"; failed=1; continue; }
  made_frames=$(identify "$made" | wc -l)
  kept_frames=$(identify "$kept" | wc -l)
  [ "$made_frames" = "$kept_frames" ] || { echo "readme-pictures: $name has $kept_frames frames, the game makes $made_frames"; failed=1; continue; }
  for ((i = 0; i < made_frames; i++)); do
    differing=$(compare -metric AE "$made[$i]" "$kept[$i]" null: 2>&1 || true)
    if [ "$differing" != 0 ]; then
      echo "readme-pictures: $name (frame $i) differs from what the game draws in $differing pixels; run scripts/make-readme-pictures.sh"
      failed=1
      break
    fi
  done
done
[ "$failed" = 0 ] && echo "readme-pictures: the README's pictures are the game's"
exit "$failed"
