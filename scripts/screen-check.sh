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
#
#   scripts/screen-check.sh [vortalis binary] [dat folder] [output folder]
#
# Exit codes: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build/vortalis}")
dat=$(realpath "${2:-$root/build/dat}")
out=$(realpath -m "${3:-$root/build/screen-check}")

. "$root/scripts/x-drive.sh"
x_need screen-check Xvfb xdotool xwininfo import identify compare convert openbox
[ -x "$exe" ] || { echo "screen-check: no executable at $exe"; exit 1; }
[ -d "$dat" ] || { echo "screen-check: no data at $dat"; exit 1; }

failures=0
fail() { echo "screen-check: FAIL ($label): $*"; failures=$((failures + 1)); }
note() { echo "screen-check: ($label) $*"; }

size_of() { xwininfo -id "$1" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
wait_size() {   # wait_size WIN WxH: up to 10 s for the window to take that size
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(size_of "$1")" = "$2" ] && return 0
    # SDL may replace the window it showed first: look for it again by name.
    [ "$(size_of "$1")" = x ] && win=$(find_window Vortalis 1) && set -- "$win" "$2"
    sleep 0.1
  done
  return 1
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
# Root-mean-square difference of two pictures, 0..1.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
less_than() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a < b)}'; }

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

start_game() {   # start_game ARGS...: the game in $dir, its window id in $win
  (cd "$dir" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" XDG_RUNTIME_DIR="$dir" \
     XDG_CONFIG_HOME="$dir/config" exec "$exe" "$@") >"$dir/stdout.txt" 2>&1 &
  gpid=$!
  win=$(find_window Vortalis 60) || { fail "no game window"; return 1; }
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  sleep 2
  key z               # past the logo
  sleep 2
  return 0
}

quit_game() {   # up from スタート wraps to おわる
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  key Up z
  local i rc=124
  for ((i = 0; i < 300; i++)); do
    if ! kill -0 "$gpid" 2>/dev/null; then wait "$gpid"; rc=$?; break; fi
    sleep 0.1
  done
  [ "$rc" = 124 ] && { kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null; }
  [ "$rc" = 0 ] || fail "exit code $rc"
}

# The full-screen picture against the game's own 640×480 screenshot. A virtual
# display has no graphics card, so the game shows the largest whole multiple
# of the frame, nearest neighbour, centred with black bars all round (with a
# card it also filters the fractional rest to the full height, which a
# virtual display never shows). $1 the root capture, $2 the screenshot, $3
# screen WxH.
check_full_picture() {
  local sw=${3%x*} sh=${3#*x} whole pw ph x y
  whole=$((sw / 640 < sh / 480 ? sw / 640 : sh / 480)); [ "$whole" -ge 1 ] || whole=1
  pw=$((640 * whole)); ph=$((480 * whole)); x=$(((sw - pw) / 2)); y=$(((sh - ph) / 2))
  local want="$dir/whole.png" got="$dir/got.png"
  convert "$1" -crop "${pw}x${ph}+${x}+${y}" +repage "$got"
  convert "$2" -filter point -resize "${pw}x${ph}!" "$want"
  # The console's line about the screenshot and the swaying logo sit in the
  # top half: compare the lower half (menu, heroine, background).
  local cut="${pw}x$((ph / 2))+0+$((ph / 2))" e
  e=$(rmse "$got[$cut]" "$want[$cut]")
  note "$3: picture ${pw}x${ph} at $x,$y, rmse to the frame × $whole $e"
  less_than "$e" 0.03 || fail "$3: the picture is not the frame × $whole (rmse $e)"
  local bar
  for bar in "${x}x${sh}+0+0" "$((sw - x - pw))x${sh}+$((x + pw))+0" "${sw}x${y}+0+0" "${sw}x$((sh - y - ph))+0+$((y + ph))"; do
    case $bar in 0x*|*x0+*) continue ;; esac
    [ "$(identify -format '%[fx:int(255*maxima)]' "$1[$bar]")" = 0 ] || fail "$3: the bar $bar is not black"
  done
}

latest_shot() { ls -t "$dir"/screenshots/vortalis-*.png 2>/dev/null | head -n1; }

one_run() {
  local wm=$1
  label="$wm window"
  dir="$out/$wm-window"; rm -rf "$dir"; mkdir -p "$dir"; ln -s "$dat" "$dir/dat"
  start_display 1920x1080 "$wm" || return
  if start_game --windowed --scale 2; then
    [ "$(size_of "$win")" = 1280x960 ] || fail "--scale 2 gives $(size_of "$win"), not 1280x960"
    import -window "$win" "$dir/window.png" 2>/dev/null
    key F12; sleep 1
    local shot; shot=$(latest_shot)
    if [ -z "$shot" ]; then fail "F12 wrote no screenshot"
    else
      [ "$(identify -format '%wx%h' "$shot")" = 640x480 ] || fail "the screenshot is not 640x480"
      convert "$shot" -filter point -resize 200% "$dir/shot2.png"
      # Below the console line and the swaying logo (rows 220.. of the frame).
      local d; d=$(compare -metric AE "$dir/window.png[1280x520+0+440]" "$dir/shot2.png[1280x520+0+440]" null: 2>&1 | cut -d' ' -f1)
      note "screenshot $(basename "$shot"): $d of 665600 pixels differ from the window below the logo"
      [ "${d%.*}" = 0 ] 2>/dev/null || fail "the screenshot differs from the window's picture ($d pixels)"
      key F12; sleep 1
      [ "$(ls "$dir"/screenshots | wc -l)" = 2 ] || fail "a second F12 did not make a second file"
    fi
    key alt+Return
    wait_size "$win" 1920x1080 || fail "Alt+Enter: the window is $(size_of "$win"), not full screen"
    sleep 1
    key F12; sleep 1
    import -window root "$dir/full.png" 2>/dev/null
    check_full_picture "$dir/full.png" "$(latest_shot)" 1920x1080
    key alt+Return
    wait_size "$win" 1280x960 || fail "Alt+Enter again: the window is $(size_of "$win"), not 1280x960"
    key F11
    wait_size "$win" 1920x1080 || fail "F11: the window is $(size_of "$win"), not full screen"
    key F11
    wait_size "$win" 1280x960 || fail "F11 again: the window is $(size_of "$win"), not 1280x960"
    quit_game
  fi
  stop_display

  label="$wm 1366x768"
  dir="$out/$wm-1366"; rm -rf "$dir"; mkdir -p "$dir"; ln -s "$dat" "$dir/dat"
  start_display 1366x768 "$wm" || return
  if start_game --fullscreen; then
    wait_size "$win" 1366x768 || fail "--fullscreen gives $(size_of "$win"), not 1366x768"
    key F12; sleep 1
    import -window root "$dir/full.png" 2>/dev/null
    [ -n "$(latest_shot)" ] && check_full_picture "$dir/full.png" "$(latest_shot)" 1366x768
    quit_game
  fi
  stop_display
}

one_run none
one_run openbox

if [ "$failures" -ne 0 ]; then
  echo "screen-check: $failures check(s) failed; pictures and logs in $out"
  exit 1
fi
echo "screen-check: passed; pictures and logs in $out"
