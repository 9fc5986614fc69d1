#!/usr/bin/env bash
# Drives the built vortalis as a person would, on a virtual X display, to check
# the score table, the continue menu and stage practice across restarts of the
# game:
#   1. two runs from スタート with the story skipped: the first left at once
#      with the play pause menu's タイトルへ戻る (score 0); the second shoots for
#      a few seconds, then flies into the enemies until the continue menu shows
#      (three continues left), answers はい, plays on and is left with
#      タイトルへ戻る; then おわる. scores.txt must hold both, the higher score
#      first, stage 1 reached. The first names its replay, whose header holds
#      its score and stage, a new game's start and the return to the title;
#      the continued run names none (a continue saves no replay), and
#      replays/ holds nothing else.
#   2. the game again: the title shows the best score; 記録 shows the two runs
#      (the newer marked NEW); 練習 offers stage1 only.
#   3. scores.txt as a run that reached stage 3 leaves it; the game again:
#      練習 offers three stages; stage3 starts from its card ("stage3") and
#      plays its undersea field; the replay it saves is a practice of stage 3
#      that returned to the title, and scores.txt stays as it was.
# Every screen is identified before the keys meant for it are pressed: the
# title and the continue menu against tests/golden/'s frames, the others
# against frames the game draws headless (vortalis_capture) from the same
# scores.txt. A screen that does not show in time fails with its reason, and
# so does a run that took another path. Keys whose effect can be seen are
# held until it shows, so a busy machine's slow frames do not lose them.
# Screenshots and logs stay in the output folder.
#
#   scripts/records-run.sh [vortalis binary] [dat folder] [output folder]
#   (VORTALIS_CAPTURE: the capture tool, by default tools/capture/ beside the binary)
#
# Exit codes: 0 passed, 1 failed, 3 failed because a screen did not show in
# time (the keys may have been lost on a busy machine), 77 skipped (Xvfb,
# xdotool or ImageMagick missing).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build/vortalis}")
dat=$(realpath "${2:-$root/build/dat}")
dir=$(realpath -m "${3:-$root/build/records-run}")
capture=${VORTALIS_CAPTURE:-$(dirname "$exe")/tools/capture/vortalis_capture}
golden=$root/tests/golden

. "$root/scripts/x-drive.sh"
x_need records-run Xvfb xdotool import compare convert identify od timeout
[ -x "$exe" ] || { echo "records-run: no executable at $exe"; exit 1; }
[ -d "$dat" ] || { echo "records-run: no data at $dat"; exit 1; }
[ -x "$capture" ] || { echo "records-run: no capture tool at $capture (build vortalis_capture)"; exit 1; }

failures=0 lost=0
fail() { echo "records-run: FAIL: $*"; failures=$((failures + 1)); }
# The run lost its way: a screen did not show in time (exit code 3).
lost() { fail "$@"; lost=1; }
note() { echo "records-run: [${SECONDS} s] $*"; }

rm -rf "$dir"; mkdir -p "$dir/ref"
ln -s "$dat" "$dir/dat"
ref=$dir/ref

# ---- The reference frames, drawn headless ----------------------------------------
# capture NAME SCORES KEYS SHOT...: vortalis_capture in a folder of its own
# with that scores.txt ("" for none) and key script; the shots into ref/.
capture() {
  local name=$1 scores=$2 keys=$3; shift 3
  local w=$dir/capture-$name
  mkdir -p "$w"; ln -s "$dat" "$w/dat"
  [ -n "$scores" ] && cp "$scores" "$w/scores.txt"
  printf '%s\n' "$keys" >"$w/keys.txt"
  (cd "$w" && "$capture" --lang ja --keys keys.txt "$ref" "$@") >"$w/out.txt" 2>&1 ||
    { fail "the capture tool failed ($name): $(head -c 300 "$w/out.txt")"; return 1; }
  local s
  for s in "$@"; do [ -f "$ref/${s%@*}.png" ] || { fail "the capture tool drew no $s ($name)"; return 1; }; done
}
printf 'vortalis-scores 1\nreached 3\nruns 0\n' >"$dir/reached3.txt"
# Stage 1 in play, from スタート with the story skipped.
capture new-game "" $'30 Z\n110 Z\n130 LCtrl 100' play1@300
# The title's cursor on 練習, the practice menu of three stages, stage3's card
# and play, and the play pause menu over it.
capture practice "$dir/reached3.txt" $'30 Z\n110 Down\n118 Z\n170 Down\n176 Down\n182 Z\n330 Escape' \
  title-practice@116 practice3@150 card3@220 play3@320 pause@360
# The HUD's "Player:" as stage 1's sky and stage 3's sea both show it.
outline_masks "$ref/hud" 70x22+198+458 "$ref/play1.png" "$ref/play3.png" 2>/dev/null ||
  fail "no HUD masks from the reference frames"

# ---- What the window shows ------------------------------------------------------
now() { snap "$win" "$dir/now.png"; }
shot() { cp "$dir/now.png" "$dir/$1.png"; }
# The title: the heroine and the sky (the logo sways above them).
is_title() { now && looks 1 same_in "$dir/now.png" "$golden/e2e_title.png" 400x285+240+195; }
# The title with its cursor on スタート (the golden frame's) or on 練習.
cursor_on_start() { now && looks 1 same_in "$dir/now.png" "$golden/e2e_title.png" 200x270+20+195; }
cursor_on_practice() { now && looks 1 same_in "$dir/now.png" "$ref/title-practice.png" 200x270+20+195; }
# Play: the HUD's words, whatever the stage behind them.
in_play() { now && looks 3 outlined_in "$dir/now.png" "$ref/hud" 70x22+198+458; }
# The text menus by their title and items on the red veil; the continue menu
# with three continues left.
is_pause() { now && looks 2 text_in "$dir/now.png" "$ref/pause.png" 300x110+170+150; }
is_continue() { now && looks 2 text_in "$dir/now.png" "$golden/e2e_continue_menu.png" 400x128+120+155; }
is_card3() { now && looks 1 same_in "$dir/now.png" "$ref/card3.png" 640x480+0+0; }
not() { ! "$@"; }

# The window is the 640×480 frame itself.
check_size() {
  now || { fail "no picture of the window ($1)"; return 1; }
  local size; size=$(identify -format '%wx%h' "$dir/now.png")
  [ "$size" = 640x480 ] || { fail "the window is $size, not 640x480 ($1)"; return 1; }
}

# One start of the game, windowed, in Japanese, with settings of its own; $1
# names its console output. Returns with the title shown, past the logo.
start_game() {
  (cd "$dir" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" XDG_RUNTIME_DIR="$dir" \
    XDG_CONFIG_HOME="$dir/config" exec "$exe" --windowed --lang ja) >"$dir/$1.txt" 2>&1 &
  gpid=$!
  if ! win=$(find_window Vortalis 60); then lost "no game window ($1)"; return 1; fi
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  past_logo || { lost "$1: the title did not show past the logo (the heroine ${looked} % off)"; return 1; }
  check_size "$1"
}
end_game() {
  local rc=124
  for ((i = 0; i < 300; i++)); do
    if ! kill -0 "$gpid" 2>/dev/null; then wait "$gpid"; rc=$?; break; fi
    sleep 0.1
  done
  [ "$rc" = 124 ] && { kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null; }
  [ "$rc" = 0 ] || lost "exit code $rc after $1 (124: still running 30 s after おわる)"
}
# Z skips the logo; when the press comes too early to count, the logo ends by
# itself (500 frames). Never pressed again, where it could land on the title's
# スタート.
past_logo() { key z; wait_until 60 is_title; }
quit_from_title() { key Up z; }   # up from スタート wraps to おわる

# From the title's スタート: the story skipped (Ctrl held) until play shows.
start_run() {
  cursor_on_start || { lost "$1: the title's cursor is not on スタート"; return 1; }
  key z
  wait_until 30 not is_title || { lost "$1: スタート was not taken"; return 1; }
  press_until 90 Control_L in_play || { lost "$1: no play after the story (the HUD ${looked} % off)"; return 1; }
}
# Play → the pause menu → タイトルへ戻る → the title past the logo.
to_title_from_play() {
  press_until 20 Escape is_pause || { lost "$1: Escape did not open the play pause menu (${looked} % off)"; return 1; }
  shot "${1// /}-pause"
  key Down z
  wait_until 30 not is_pause || { lost "$1: the pause menu did not close"; return 1; }
  past_logo || { lost "$1: タイトルへ戻る did not lead to the title"; return 1; }
}

# Every entry of scores.txt names its own run's replay or none: the file is
# under replays/, its header holds the entry's score and stage, no two
# entries share one, and a run with a continue names none.
check_entries() {
  local serial score stage continues date time replay f seen=" "
  while read -r _ serial score stage continues date time replay; do
    [ "$replay" = - ] && continue
    [ "$continues" = 0 ] || fail "$1: entry $serial used $continues continue(s) but names the replay $replay"
    case $seen in *" $replay "*) fail "$1: two entries name $replay" ;; esac
    seen="$seen$replay "
    f=$dir/replays/$replay
    [ -f "$f" ] || { fail "$1: entry $serial names $replay, which is not in replays/"; continue; }
    [ "$(head -c 4 "$f")" = VRPL ] || { fail "$1: $replay is not a replay"; continue; }
    [ "$(i32 "$f" 52)" = "$score" ] ||
      fail "$1: entry $serial (score $score) names $replay, whose run scored $(i32 "$f" 52)"
    [ "$stage" = clear ] && stage=5
    [ "$(( $(u8 "$f" 50) + 1 ))" = "$stage" ] ||
      fail "$1: entry $serial (stage $stage) names $replay, whose run reached stage $(( $(u8 "$f" 50) + 1 ))"
  done < <(grep '^entry ' "$dir/scores.txt")
}
replay_files() { ls "$dir/replays" 2>/dev/null | grep -c '\.vrp$'; }

start_xvfb 800x600x24 || { echo "records-run: Xvfb did not start"; exit 1; }
trap 'kill "$xpid" 2>/dev/null' EXIT

# ---- 1. two runs ----------------------------------------------------------------
note "the references drawn; the two runs"
stop_game() { kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null; }
two_runs() {
  shot title-before
  start_run "run 1" || return 1
  shot play-stage1
  to_title_from_play "run 1" || return 1         # score 0
  start_run "run 2" || return 1
  # Some enemies shot down, then into the enemies, Z untouched, until the
  # continue menu opens.
  for ((i = 0; i < 30; i++)); do xdotool keydown z; sleep 0.12; xdotool keyup z; sleep 0.12; done
  press_until 300 Right is_continue ||
    { lost "run 2: no continue menu with three continues left after 300 s in the enemies (${looked} % off)"; return 1; }
  shot continue
  note "run 2: the continue menu"
  key z                                            # はい
  wait_until 30 in_play || { lost "run 2: はい in the continue menu did not lead back to play"; return 1; }
  to_title_from_play "run 2" || return 1
  quit_from_title
}
if start_game first; then
  if two_runs; then end_game "the two runs"; else stop_game; fi
else
  stop_game
fi
note "scores.txt after two runs:"; sed 's/^/    /' "$dir/scores.txt" 2>/dev/null
scores=$(awk '$1 == "entry" { print $3 }' "$dir/scores.txt" 2>/dev/null | tr '\n' ' ')
set -- $scores
[ $# = 2 ] || fail "two entries expected, found: $scores"
[ $# = 2 ] && { [ "$1" -gt "$2" ] || fail "entries not in order of score, or equal: $scores"; }
grep -qx 'reached 1' "$dir/scores.txt" 2>/dev/null || fail "stage reached is not 1"
read -r _ _ s1 _ c1 _ _ r1 < <(grep '^entry 1 ' "$dir/scores.txt" 2>/dev/null)
read -r _ _ s2 _ c2 _ _ r2 < <(grep '^entry 2 ' "$dir/scores.txt" 2>/dev/null)
[ "${s1:-}" = 0 ] && [ "${c1:-}" = 0 ] || fail "run 1: score ${s1:-?} with ${c1:-?} continues, not 0 and 0"
[ "${c2:-}" = 1 ] || fail "run 2: ${c2:-?} continues, not the one answered はい"
[ "${r2:-}" = - ] || fail "run 2 used a continue, yet its entry names the replay ${r2:-?}"
if [ -n "${r1:-}" ] && [ "$r1" != - ] && [ -f "$dir/replays/$r1" ]; then
  f=$dir/replays/$r1
  [ "$(u8 "$f" 48)" = 0 ] || fail "run 1's replay does not start as a new game (start $(u8 "$f" 48))"
  [ "$(u8 "$f" 51)" = 2 ] || fail "run 1's replay does not end with the return to the title (end $(u8 "$f" 51))"
else
  fail "run 1 names no replay in replays/ (${r1:-no entry})"
fi
check_entries "after two runs"
[ "$(replay_files)" = 1 ] || fail "replays/ holds $(replay_files) replays, not run 1's alone: $(ls "$dir/replays" 2>/dev/null | tr '\n' ' ')"

# ---- 2. the game again: best score, records screen, practice offers stage1 ---
note "the records and the practice menu"
cp "$dir/scores.txt" "$dir/two-runs.txt"
capture two-runs "$dir/two-runs.txt" $'30 Z\n110 Down\n114 Down\n118 Down\n122 Z\n180 Escape\n220 Up\n224 Up\n228 Z' \
  title-best@100 records@170 practice1@280
is_records() { now && looks 1 same_in "$dir/now.png" "$ref/records.png" 640x480+0+0; }
is_practice1() { now && looks 2 text_in "$dir/now.png" "$ref/practice1.png" 300x130+170+150; }
records_and_practice() {
  shot title-best
  looks 1 same_in "$dir/title-best.png" "$ref/title-best.png" 240x30+400+0 ||
    fail "the title does not show the best score as the game draws it ($looked % off)"
  key Down Down Down z                           # 記録 (past 練習 and リプレイ)
  wait_until 20 is_records ||
    { shot records; lost "the records screen is not the two runs as the game draws them ($looked % off; records.png)"; return 1; }
  shot records
  key Escape
  wait_until 20 is_title || { lost "Escape on the records screen did not lead to the title"; return 1; }
  key Up Up z                                    # 練習
  wait_until 20 is_practice1 ||
    { shot practice-one; lost "the practice menu does not offer stage1 alone ($looked % off; practice-one.png)"; return 1; }
  shot practice-one
  key Escape
  wait_until 20 is_title || { lost "Escape in the practice menu did not lead to the title"; return 1; }
  key Up Up z                                    # from 練習 up to スタート, then to おわる
}
if start_game second; then
  if records_and_practice; then end_game "the records screen"; else stop_game; fi
else
  stop_game
fi
[ "$(cat "$dir/scores.txt")" = "$(cat "$dir/two-runs.txt")" ] || fail "looking at the records changed scores.txt"

# ---- 3. a table whose runs reached stage 3: practice of stage 3 -------------
note "practice of stage 3"
sed -i 's/^reached 1$/reached 3/' "$dir/scores.txt"
reached_table=$(cat "$dir/scores.txt")
before=$(ls "$dir/replays" 2>/dev/null)
is_practice3() { now && looks 2 text_in "$dir/now.png" "$ref/practice3.png" 300x130+170+150; }
# A picture's play field, 16×11 pixels: fields are told apart, not enemies.
small() { convert "$1" -crop 640x440+0+0 +repage -scale 16x11! "$2"; }
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
practice_stage3() {
  key Down
  wait_until 20 cursor_on_practice || { lost "Down on the title did not move the cursor to 練習"; return 1; }
  key z                                          # 練習
  wait_until 20 is_practice3 ||
    { shot practice-three; lost "the practice menu does not offer three stages ($looked % off; practice-three.png)"; return 1; }
  shot practice-three
  key Down Down
  # stage3, Z held until its card shows (for 99 frames).
  press_until 20 z is_card3 || { lost "no stage3 card after choosing stage3 (${looked} % off)"; return 1; }
  shot card-stage3
  wait_until 30 in_play || { lost "stage3's card did not lead to play"; return 1; }
  shot play-stage3
  # The undersea field: near stage3's first seconds as the game draws them,
  # far from stage1's sky.
  small "$dir/play-stage3.png" "$dir/small-play.png"
  small "$ref/play3.png" "$dir/small-3.png"
  small "$ref/play1.png" "$dir/small-1.png"
  local e3 e1
  e3=$(rmse "$dir/small-play.png" "$dir/small-3.png")
  e1=$(rmse "$dir/small-play.png" "$dir/small-1.png")
  note "practice play: rmse to stage3's field $e3, to stage1's $e1"
  awk -v a="$e3" -v b="$e1" 'BEGIN {exit !(a "" ~ /^[0-9.e-]+$/ && b "" ~ /^[0-9.e-]+$/ && a < 0.15 && b > 0.3)}' ||
    fail "the practice run does not show stage3's field (rmse $e3 to stage3, $e1 to stage1)"
  to_title_from_play "practice" || return 1
  key Up                                         # the title's cursor is still on 練習
  quit_from_title
}
if start_game third; then
  if practice_stage3; then end_game "the practice run"; else stop_game; fi
else
  stop_game
fi
[ "$(cat "$dir/scores.txt")" = "$reached_table" ] || fail "the practice run changed scores.txt"
new=$(comm -13 <(printf '%s\n' "$before") <(ls "$dir/replays" 2>/dev/null))
if [ "$(printf '%s' "$new" | grep -c .)" = 1 ]; then
  f=$dir/replays/$new
  note "practice replay $new: start $(u8 "$f" 48), stage $(u8 "$f" 49) to $(u8 "$f" 50), end $(u8 "$f" 51)"
  [ "$(u8 "$f" 48)" = 2 ] && [ "$(u8 "$f" 49)" = 2 ] && [ "$(u8 "$f" 50)" = 2 ] ||
    fail "the practice replay is not a practice of stage 3"
  [ "$(u8 "$f" 51)" = 2 ] || fail "the practice replay does not end with the return to the title"
else
  fail "the practice run saved $(printf '%s' "$new" | grep -c .) replays, not one: $new"
fi
check_entries "after the practice run"

if [ "$failures" -ne 0 ]; then
  echo "records-run: $failures check(s) failed; pictures and logs in $dir"
  [ "$lost" = 1 ] && exit 3
  exit 1
fi
echo "records-run: passed; pictures and logs in $dir"
