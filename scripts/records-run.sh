#!/usr/bin/env bash
# Drives the built vortalis as a person would, on a virtual X display, to check
# the score table and stage practice across restarts of the game:
#   1. two runs, each left with the play pause menu's タイトルへ戻る: the first
#      at once (score 0), the second after some seconds of shooting; then おわる.
#      scores.txt must hold both, the higher score first, stage 1 reached.
#   2. the game again: the title shows the best score; 記録 shows two rows, the
#      newer run marked NEW (yellow) on the first row; 練習 offers stage1 only.
#   3. scores.txt as a run that reached stage 3 leaves it; the game again:
#      練習 offers three stages, stage3 starts from its card and plays its
#      undersea field; the practice run leaves scores.txt as it was.
# Screenshots and logs stay in the output folder.
#
#   scripts/records-run.sh [vortalis binary] [dat folder] [output folder]
#
# Exit codes: 0 passed, 1 failed, 77 skipped (Xvfb, xdotool or ImageMagick missing).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build/vortalis}")
dat=$(realpath "${2:-$root/build/dat}")
dir=$(realpath -m "${3:-$root/build/records-run}")

. "$root/scripts/x-drive.sh"
x_need records-run Xvfb xdotool import compare
[ -x "$exe" ] || { echo "records-run: no executable at $exe"; exit 1; }
[ -d "$dat" ] || { echo "records-run: no data at $dat"; exit 1; }

failures=0
fail() { echo "records-run: FAIL: $*"; failures=$((failures + 1)); }
note() { echo "records-run: $*"; }

# Pixels of one colour (within 8%) in a part of a picture: count FILE GEOMETRY COLOUR.
# (the pixels that differ from a plain picture of that colour, taken from all)
count() {
  local size=${2%%+*} d
  d=$(compare -metric AE -fuzz 8% "$1[$2]" -size "$size" "xc:$3" null: 2>&1 | cut -d' ' -f1)
  echo $(( ${size%x*} * ${size#*x} - ${d%.*} ))
}

shot() {
  import -window "$win" "$dir/$1.png" 2>/dev/null || fail "no screenshot $1"
}

rm -rf "$dir"; mkdir -p "$dir"
ln -s "$dat" "$dir/dat"
start_xvfb 800x600x24 || { echo "records-run: Xvfb did not start"; exit 1; }
trap 'kill "$xpid" 2>/dev/null' EXIT

# One start of the game, windowed; $1 names its console output. The caller's
# keys follow; end_game waits for the process.
start_game() {
  (cd "$dir" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" XDG_RUNTIME_DIR="$dir" \
    exec "$exe" --windowed) >"$dir/$1.txt" 2>&1 &
  gpid=$!
  if ! win=$(find_window Vortalis 60); then fail "no game window ($1)"; return 1; fi
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  sleep 1.5
  key z            # past the logo
  sleep 1
}
end_game() {
  local rc=124
  for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$gpid" 2>/dev/null; then wait "$gpid"; rc=$?; break; fi
    sleep 0.1
  done
  [ "$rc" = 124 ] && { kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null; }
  [ "$rc" = 0 ] || fail "exit code $rc after $1 (124: still running after おわる)"
}
to_title_from_play() {   # pause, タイトルへ戻る, past the logo
  key Escape; sleep 0.7
  key Down z; sleep 1.5
  key z; sleep 1
}
quit_from_title() {      # up wraps to おわる, the last entry
  key Up z
}

# ---- 1. two runs --------------------------------------------------------------
if start_game first; then
  shot title-before
  key z                          # スタート
  hold 10 Control_L              # the story, page by page
  sleep 4                        # loading and the stage card
  shot play-stage1
  to_title_from_play             # run 1: score 0
  key z
  hold 10 Control_L
  sleep 3
  for ((i = 0; i < 40; i++)); do xdotool keydown z; sleep 0.12; xdotool keyup z; sleep 0.12; done
  to_title_from_play             # run 2: some enemies shot down
  quit_from_title
  end_game "the two runs"
fi
first_table=$(cat "$dir/scores.txt" 2>/dev/null)
note "scores.txt after two runs:"; printf '%s\n' "$first_table" | sed 's/^/    /'
scores=$(printf '%s\n' "$first_table" | awk '$1 == "entry" { print $3 }' | tr '\n' ' ')
set -- $scores
[ $# = 2 ] || fail "two entries expected, found: $scores"
[ $# = 2 ] && { [ "$1" -gt "$2" ] || fail "entries not in order of score, or equal: $scores"; }
printf '%s\n' "$first_table" | grep -qx 'reached 1' || fail "stage reached is not 1"

# ---- 2. the game again: best score, records screen, practice offers stage1 ---
if start_game second; then
  shot title-best
  key Down Down Down z; sleep 1 # 記録 (past 練習 and リプレイ)
  shot records
  key Escape; sleep 0.5
  key Up Up z; sleep 1          # 練習
  shot practice-one
  key Escape; sleep 0.5
  key Up Up z                   # from 練習 up to スタート, then to おわる
  end_game "the records screen"
fi
[ -f "$dir/title-best.png" ] && [ "$(differ "$dir/title-before.png[240x30+400+0]" "$dir/title-best.png[240x30+400+0]")" -gt 100 ] ||
  fail "no best score on the title"
if [ -f "$dir/records.png" ]; then
  new1=$(count "$dir/records.png" 70x18+30+120 '#ffff00')
  new2=$(count "$dir/records.png" 70x18+30+144 '#ffff00')
  row2=$(count "$dir/records.png" 500x18+100+144 '#ffffff')
  row3=$(count "$dir/records.png" 500x18+100+168 '#ffffff')
  note "records: NEW on row 1 $new1, on row 2 $new2; white on row 2 $row2, row 3 $row3"
  [ "$new1" -gt 20 ] && [ "$new2" -lt 5 ] || fail "the newest run is not marked on the first row"
  [ "$row2" -gt 100 ] && [ "$row3" -lt 5 ] || fail "the records screen does not show exactly two runs"
fi
if [ -f "$dir/practice-one.png" ]; then
  rows=$(count "$dir/practice-one.png" 200x18+220+230 '#ffffff')
  [ "$rows" -lt 5 ] || fail "practice offers more than stage1 and the way back ($rows light pixels on row 3)"
fi

# ---- 3. a table whose runs reached stage 3: practice of stage 3 -------------
sed -i 's/^reached 1$/reached 3/' "$dir/scores.txt"
reached_table=$(cat "$dir/scores.txt")
if start_game third; then
  key Down z; sleep 1           # 練習
  shot practice-three
  key Down Down z               # stage3
  sleep 4                       # loading and the stage card
  shot play-stage3
  to_title_from_play
  key Up                        # the title's cursor is still on 練習
  quit_from_title
  end_game "the practice run"
fi
if [ -f "$dir/practice-three.png" ]; then
  rows=$(count "$dir/practice-three.png" 200x18+220+230 '#ffffff')
  back=$(count "$dir/practice-three.png" 200x18+220+250 '#ffffff')
  [ "$rows" -gt 20 ] && [ "$back" -gt 20 ] || fail "practice does not offer stage3 ($rows, $back light pixels)"
fi
[ -f "$dir/play-stage3.png" ] && [ -f "$dir/play-stage1.png" ] &&
  [ "$(differ "$dir/play-stage1.png" "$dir/play-stage3.png")" -gt 100000 ] ||
  fail "the practice run does not look like stage 3"
[ "$(cat "$dir/scores.txt")" = "$reached_table" ] || fail "the practice run changed scores.txt"

if [ "$failures" -ne 0 ]; then
  echo "records-run: $failures check(s) failed; pictures and logs in $dir"
  exit 1
fi
echo "records-run: passed; pictures and logs in $dir"
