#!/usr/bin/env bash
# Checks the picture at other screen sizes and the screen keys, on a virtual X
# display, with and without a window manager (openbox), as a person would:
#   - --windowed --scale 2 on a 1920×1080 desktop gives a 1280×960 window;
#   - F12 writes screenshots/vortalis-*.png, 640×480, equal to the window's
#     picture (a second one gets a new name);
#   - Alt+Enter and F11 switch to full screen (the whole 1920×1080) and back;
#   - full screen at 1920×1080 and at 1366×768: the game's own screenshot
#     scaled by the largest whole multiple that fits, centred, black bars all
#     round (a virtual display has no graphics card: see sdl_present.cpp);
#   - the game quits from the title with exit code 0.
# Each step waits, up to a time limit, for its effect (the window's size, a
# new screenshot, the picture), and a step that cannot be checked fails with
# its reason: a lost F12 is not a picture check skipped.
#
#   scripts/screen-check.sh [--short] [vortalis binary] [dat folder] [output folder]
#
# --short: the 1920×1080 desktop without a window manager only: --scale 2,
# one F12 screenshot against the window, Alt+Enter to full screen with its
# picture check and back, and the quit; well under a minute (ctest runs it as
# screen_check_short).
#
# Exit codes: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail
short=0
[ "${1:-}" = --short ] && { short=1; shift; }
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build/vortalis}")
dat=$(realpath "${2:-$root/build/dat}")
out=$(realpath -m "${3:-$root/build/screen-check}")
golden=$root/tests/golden

. "$root/scripts/x-drive.sh"
x_need screen-check Xvfb xdotool xwininfo import identify compare convert timeout
[ "$short" = 1 ] || x_need screen-check openbox
[ -x "$exe" ] || { echo "screen-check: no executable at $exe"; exit 1; }
[ -d "$dat" ] || { echo "screen-check: no data at $dat"; exit 1; }

failures=0
fail() { echo "screen-check: FAIL ($label): $*"; failures=$((failures + 1)); }
note() { echo "screen-check: ($label) $*"; }

size_of() { xwininfo -id "$1" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
wait_size() {   # wait_size WIN WxH: up to 15 s for the window to take that size
  local deadline=$((SECONDS + 15)) size
  while :; do
    size=$(size_of "$1")
    [ "$size" = "$2" ] && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    # SDL may replace the window it showed first: look for it again by name.
    [ "$size" = x ] && win=$(find_window Vortalis 1) && set -- "$win" "$2"
    sleep 0.1
  done
}
# Keys as x-drive.sh holds them, and chords (alt+Return) as one key event.
key() {
  local k
  for k in "$@"; do
    case $k in
      *+*) xdotool key --clearmodifiers "$k" ;;
      *) xdotool keydown "$k"; sleep 0.25; xdotool keyup "$k" ;;
    esac
    sleep 0.4
  done
}
# Root-mean-square difference of two pictures, 0..1 ("" when they cannot be read).
rmse() {
  local e; e=$(compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
  [[ $e =~ ^[0-9.e-]+$ ]] && echo "$e"
}
less_than() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a + 0 < b + 0)}'; }

start_display() {   # start_display WxH WM: Xvfb (and the window manager) for one run
  start_xvfb "$1x24" || { fail "Xvfb did not start"; return 1; }
  wmpid=""
  if [ "$2" = openbox ]; then openbox >"$dir/wm.log" 2>&1 & wmpid=$!; sleep 1; fi
  return 0
}

stop_display() {
  [ -n "$wmpid" ] && { kill "$wmpid" 2>/dev/null; wait "$wmpid" 2>/dev/null; }
  kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null
}

# The game's frame as the screen shows it: the picture of the window ($shown
# "window"), or of the whole screen ("root") for a window full screen from its
# start (import has hung on that window without a window manager), with the
# frame cut out and brought back to 640×480 ($frame: convert's arguments).
window_frame() {
  local w=$win; [ "$shown" = root ] && w=root
  snap "$w" "$dir/now-window.png" &&
    convert "$dir/now-window.png" "${frame[@]}" +repage "$dir/now.png" 2>/dev/null
}
# The title, past the logo: the heroine and the sky as the golden frame shows
# them (the logo sways above).
is_title() {
  looked="(no picture)"
  window_frame && looks 1 same_in "$dir/now.png" "$golden/e2e_title.png" 400x285+240+195
}

start_game() {   # start_game WxH ARGS...: the game in $dir, its window id in $win, at the title
  local size=$1; shift
  (cd "$dir" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" XDG_RUNTIME_DIR="$dir" \
     XDG_CONFIG_HOME="$dir/config" exec "$exe" --lang ja "$@") >"$dir/stdout.txt" 2>&1 &
  gpid=$!
  win=$(find_window Vortalis 60) || { fail "no game window"; return 1; }
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  wait_size "$win" "$size" || { fail "$* gives a window of $(size_of "$win"), not $size"; return 1; }
  # Z skips the logo; when the press comes too early to count, the logo ends
  # by itself. Never pressed again later, where it could land on the title's
  # スタート, nor held (a window manager's change of focus can make a held key
  # a new press).
  key z
  wait_until 60 is_title || { fail "the title did not show past the logo (${looked} % off)"; return 1; }
  return 0
}

stop_game() { kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null; }

quit_game() {   # up from スタート wraps to おわる
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  key Up z
  local i rc=124
  for ((i = 0; i < 300; i++)); do
    if ! kill -0 "$gpid" 2>/dev/null; then wait "$gpid"; rc=$?; break; fi
    sleep 0.1
  done
  [ "$rc" = 124 ] && stop_game
  [ "$rc" = 0 ] || fail "exit code $rc after おわる (124: still running after 30 s)"
}

# take_shot: F12 held until the game has written a new screenshot (up to
# 15 s): its path in $shot. No new file, or more than one, is a failure.
shot_list() { ls "$dir"/screenshots/vortalis-*.png 2>/dev/null; }
take_shot() {
  local before new
  before=$(shot_list)
  new_shot() { [ "$(shot_list)" != "$before" ]; }
  shot=""
  press_until 15 F12 new_shot || { fail "$1: F12 wrote no screenshot within 15 s"; return 1; }
  sleep 0.5   # a second file would have come by now
  new=$(comm -13 <(printf '%s\n' "$before") <(shot_list))
  [ "$(printf '%s\n' "$new" | grep -c .)" = 1 ] || { fail "$1: one F12 wrote $(echo $new)"; return 1; }
  shot=$new
  [ "$(identify -format '%wx%h' "$shot" 2>/dev/null)" = 640x480 ] ||
    { fail "$1: the screenshot is $(identify -format '%wx%h' "$shot" 2>/dev/null), not 640x480"; return 1; }
}

# The full-screen picture against the game's own 640×480 screenshot. A virtual
# display has no graphics card, so the game shows the largest whole multiple
# of the frame, nearest neighbour, centred with black bars all round (with a
# card it also filters the fractional rest to the full height, which a
# virtual display never shows). $1 the screenshot, $2 screen WxH. The screen
# is taken again until it shows that picture, for up to 10 s (a switch of
# mode may take some frames to show).
check_full_picture() {
  [ -f "${1:-}" ] || { fail "$2: no screenshot to check the full-screen picture against"; return; }
  local sw=${2%x*} sh=${2#*x} whole pw ph x y
  whole=$((sw / 640 < sh / 480 ? sw / 640 : sh / 480)); [ "$whole" -ge 1 ] || whole=1
  pw=$((640 * whole)); ph=$((480 * whole)); x=$(((sw - pw) / 2)); y=$(((sh - ph) / 2))
  local want="$dir/whole.png" got="$dir/got.png" full="$dir/full.png"
  convert "$1" -filter point -resize "${pw}x${ph}!" "$want"
  # The console's line about the screenshot and the swaying logo sit in the
  # top half: compare the lower half (menu, heroine, background).
  local cut="${pw}x$((ph / 2))+0+$((ph / 2))" e=""
  full_matches() {
    snap root "$full" && convert "$full" -crop "${pw}x${ph}+${x}+${y}" +repage "$got" &&
      e=$(rmse "$got[$cut]" "$want[$cut]") && less_than "$e" 0.03
  }
  wait_until 10 full_matches
  note "$2: picture ${pw}x${ph} at $x,$y, rmse to the frame × $whole ${e:-(none)}"
  [ -n "$e" ] && less_than "$e" 0.03 || { fail "$2: the picture is not the frame × $whole (rmse ${e:-none}; full.png)"; return; }
  local bar
  for bar in "${x}x${sh}+0+0" "$((sw - x - pw))x${sh}+$((x + pw))+0" "${sw}x${y}+0+0" "${sw}x$((sh - y - ph))+0+$((y + ph))"; do
    case $bar in 0x*|*x0+*) continue ;; esac
    [ "$(identify -format '%[fx:int(255*maxima)]' "$full[$bar]")" = 0 ] || fail "$2: the bar $bar is not black"
  done
}

# The window at --scale 2, F12, Alt+Enter (and F11 unless short) on a
# 1920×1080 desktop.
window_run() {
  local wm=$1
  label="$wm window"
  dir="$out/$wm-window"; rm -rf "$dir"; mkdir -p "$dir"; ln -s "$dat" "$dir/dat"
  start_display 1920x1080 "$wm" || return
  frame=(-sample 50%) shown=window
  if start_game 1280x960 --windowed --scale 2; then
    window_steps
  else
    stop_game
  fi
  stop_display
}
window_steps() {
  snap "$win" "$dir/window.png" || fail "no picture of the window"
  if take_shot "window"; then
    convert "$shot" -filter point -resize 200% "$dir/shot2.png"
    # Below the console line and the swaying logo (rows 220.. of the frame).
    local d; d=$(compare -metric AE "$dir/window.png[1280x520+0+440]" "$dir/shot2.png[1280x520+0+440]" null: 2>&1 | cut -d' ' -f1)
    note "screenshot $(basename "$shot"): $d of 665600 pixels differ from the window below the logo"
    [ "$d" = 0 ] || fail "the screenshot differs from the window's picture ($d pixels)"
  fi
  if [ "$short" = 0 ]; then
    if take_shot "second F12"; then
      [ "$(shot_list | wc -l)" = 2 ] || fail "a second F12 did not make a second file, or the first made none"
    fi
  fi
  key alt+Return
  if wait_size "$win" 1920x1080; then
    take_shot "full screen" && check_full_picture "$shot" 1920x1080
  else
    fail "Alt+Enter: the window is $(size_of "$win"), not full screen"
  fi
  key alt+Return
  wait_size "$win" 1280x960 || fail "Alt+Enter again: the window is $(size_of "$win"), not 1280x960"
  if [ "$short" = 0 ]; then
    key F11
    wait_size "$win" 1920x1080 || fail "F11: the window is $(size_of "$win"), not full screen"
    key F11
    wait_size "$win" 1280x960 || fail "F11 again: the window is $(size_of "$win"), not 1280x960"
  fi
  quit_game
}

# --fullscreen on a 1366×768 desktop: the frame × 1 in the middle.
small_run() {
  local wm=$1
  label="$wm 1366x768"
  dir="$out/$wm-1366"; rm -rf "$dir"; mkdir -p "$dir"; ln -s "$dat" "$dir/dat"
  start_display 1366x768 "$wm" || return
  frame=(-crop 640x480+363+144) shown=root
  if start_game 1366x768 --fullscreen; then
    take_shot "full screen" && check_full_picture "$shot" 1366x768
    quit_game
  else
    stop_game
  fi
  stop_display
}

if [ "$short" = 1 ]; then
  window_run none
else
  window_run none; small_run none
  window_run openbox; small_run openbox
fi

if [ "$failures" -ne 0 ]; then
  echo "screen-check: $failures check(s) failed; pictures and logs in $out"
  exit 1
fi
echo "screen-check: passed; pictures and logs in $out (${SECONDS} s)"
