#!/usr/bin/env bash
# Drives the built vortalis as a person would, on a virtual X display: answers
# the start-up question with No (windowed), presses Z through the logo and the
# title, skips the story, plays a few seconds with movement and shots, pauses
# with Escape and quits with "終了する" (Down, Down, Z). Screenshots of the title,
# of play and of the pause menu are taken and checked (not black, enough
# colours, different from one another, the pause menu's red veil), and so are
# the exit code, Log.txt's start-up and shut-down lines, and the replay that
# 終了する in play saves (its header says so; scores.txt names it). It runs
# twice, with settings of its own and the C locale: with SDL's usual audio
# driver, where the title's buttons must be the Japanese ones, and with
# SDL_AUDIODRIVER=dummy and --lang en, where the question, the title's buttons
# and the prologue's first page must be the English ones (the title and the
# page match the headless golden frames, waited for until they do); no joypad
# is present.
#
#   scripts/person-run.sh [vortalis binary] [dat folder] [output folder]
#
# Exit codes: 0 passed, 1 failed, 2 failed because the start-up question box
# cannot be shown here (SDL's reason is printed), 77 skipped (Xvfb, xdotool or
# ImageMagick missing).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build/vortalis}")
dat=$(realpath "${2:-$root/build/dat}")
out=$(realpath -m "${3:-$root/build/person-run}")

. "$root/scripts/x-drive.sh"
x_need person-run Xvfb xdotool xwininfo import identify compare convert iconv od timeout
[ -x "$exe" ] || { echo "person-run: no executable at $exe"; exit 1; }
[ -d "$dat" ] || { echo "person-run: no data at $dat"; exit 1; }

failures=0
fail() { echo "person-run: FAIL ($label): $*"; failures=$((failures + 1)); }
note() { echo "person-run: ($label) $*"; }

# Numbers about a picture or a part of it ("file.png[WxH+X+Y]").
colours() { identify -format '%k' "$1" 2>/dev/null; }
mean() { identify -format "%[fx:int(255*mean${2:-})]" "$1" 2>/dev/null; }

shot() {   # shot NAME: the game window's picture into $dir/NAME.png
  snap "$win" "$dir/$1.png" || fail "no screenshot $1"
  note "$1: $(colours "$dir/$1.png") colours, mean $(mean "$dir/$1.png")"
}


one_run() {
  label=$1
  shift   # the rest are the game's options
  local lang=ja caption="スクリーン設定" golden="$root/tests/golden"
  [ "${1:-}" = "--lang" ] && [ "${2:-}" = en ] && { lang=en; caption="Screen settings"; }
  local title_golden="$golden/e2e_title.png" words=Japanese
  [ "$lang" = en ] && { title_golden="$golden/e2e_en_title.png"; words=English; }
  dir="$out/$label"
  rm -rf "$dir"; mkdir -p "$dir"
  ln -s "$dat" "$dir/dat"
  if ! start_xvfb 800x600x24; then
    fail "Xvfb did not start (see $dir/xvfb.log)"
    return
  fi

  # Built with the sanitizers, the game keeps its checks but not LeakSanitizer's:
  # D-Bus and the X11 libraries that SDL loads keep allocations to the end of
  # the process. The headless tests and the soak check the game's own leaks.
  # Settings of its own (none: the defaults), and the C locale, whose
  # language is Japanese, whatever the machine's.
  (cd "$dir" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" XDG_RUNTIME_DIR="$dir" \
     XDG_CONFIG_HOME="$dir/config" LC_ALL=C.UTF-8 exec "$exe" "$@") >"$dir/stdout.txt" 2>&1 &
  local gpid=$!

  # The start-up question: Escape answers No, so the game runs in a window.
  # The box may show before it takes keys, so Escape is pressed again until
  # the box has gone.
  # A machine that cannot show the box (an X server without core fonts, say)
  # makes the game say why on standard error and start without asking: that
  # is the run's failure, said at once, and no retry or second run mends it.
  local box="" nobox=""
  for ((i = 0; i < 600; i++)); do
    box=$(find_window "$caption" 0) && break
    nobox=$(grep -a -m1 "the question box cannot be shown" "$dir/stdout.txt") && break
    kill -0 "$gpid" 2>/dev/null || { nobox="the game ended before asking: $(head -c 300 "$dir/stdout.txt" | tr '\n' ' ')"; break; }
  done
  if [ -n "$nobox" ]; then
    fail "the start-up question cannot be shown on this machine: $nobox"
    box_failed=1
    # SDL shows the box from a child process and loses that child's reason, so
    # keep what the display itself says: whether it still answers, its fonts.
    {
      echo "display $DISPLAY, Xvfb $(kill -0 "$xpid" 2>/dev/null && echo running || echo gone)"
      xdpyinfo 2>&1 | head -n 8
      echo "core fonts: $(xlsfonts 2>/dev/null | wc -l)"
      cat "$dir/xvfb.log"
    } >"$dir/box-failure.txt" 2>&1
    note "the display's state is in $dir/box-failure.txt"
    kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null
    kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null
    return
  fi
  if [ -n "$box" ]; then
    for ((i = 0; i < 60; i++)); do
      xdotool windowfocus --sync "$box" 2>/dev/null || true
      sleep 0.5
      xdotool key Escape
      sleep 0.5
      xdotool getwindowname "$box" >/dev/null 2>&1 || break
    done
    xdotool getwindowname "$box" >/dev/null 2>&1 && fail "the start-up question took no Escape"
  else
    fail "the start-up question never showed ($(head -c 300 "$dir/stdout.txt" | tr '\n' ' '))"
  fi
  if win=$(find_window Vortalis 60); then
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    sleep 1.5
    shot logo
    # Past the logo (a press too early to count leaves it to end by itself),
    # until the title's buttons are those of the language asked for.
    key z
    wait_until 30 eval 'snap "$win" "$dir/title.png" && looks 3 same_in "$dir/title.png" "$title_golden" 200x270+20+195' ||
      fail "the title's buttons are not the $words ones ($looked % of the pixels differ)"
    shot title
    key z                 # "start"
    if [ "$lang" = en ]; then
      wait_until 30 eval 'snap "$win" "$dir/story.png" && looks 3 same_in "$dir/story.png" "$golden/e2e_en_story_page.png" 560x90+40+385' ||
        fail "the prologue's first page is not the English one ($looked % of the pixels differ)"
      shot story
    else
      sleep 3
      shot story          # the prologue's first page, typed out
    fi
    hold 10 Control_L     # the story, page by page; in play it does nothing
    sleep 4               # loading and the stage card
    hold 1.5 Right z
    hold 1 Down z
    key z z
    hold 1 Up Left z
    shot play
    key Escape            # pause
    sleep 0.7
    shot pause
    key Down Down         # to "終了する"
    sleep 0.3
    key z
  else
    xwininfo -root -tree >"$dir/windows.txt" 2>&1
    fail "no game window (the display's windows are listed in $dir/windows.txt)"
  fi

  local rc=124
  for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$gpid" 2>/dev/null; then wait "$gpid"; rc=$?; break; fi
    sleep 0.1
  done
  if [ "$rc" = 124 ]; then kill "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null; fi
  kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null

  [ "$rc" = 0 ] || fail "exit code $rc (124: still running after the quit)"
  local log="$dir/Log.utf8.txt"
  iconv -f CP932 -t UTF-8 "$dir/Log.txt" >"$log" 2>/dev/null || fail "no readable Log.txt"
  grep -q "フレームワークの初期化が完了しました" "$log" || fail "no start-up line in Log.txt"
  [ "$(tail -n1 "$log" | tr -d '\r' | sed 's/.*フレームワークを終了しました$/ok/')" = ok ] ||
    fail "Log.txt does not end with the shut-down line"
  grep -q "ウインドウモード" "$log" || fail "Log.txt does not say the game ran in a window"
  # 終了する in the play pause menu ends the run: its replay saved, saying so,
  # and its score entered with that replay's name (the story's pause menu
  # saves neither).
  local saved f
  saved=$(ls "$dir/replays" 2>/dev/null | grep '\.vrp$')
  if [ "$(printf '%s' "$saved" | grep -c .)" = 1 ]; then
    f=$dir/replays/$saved
    [ "$(u8 "$f" 51)" = 3 ] || fail "the run's replay does not end with 終了する (end $(u8 "$f" 51))"
    grep -q "^entry 1 .* $saved\$" "$dir/scores.txt" 2>/dev/null || fail "scores.txt does not name the run's replay $saved"
  else
    fail "the run saved $(printf '%s' "$saved" | grep -c .) replays, not the one of a run left with 終了する"
  fi

  # The pictures: each one lit and varied, and each step different from the last.
  local s
  for s in title play pause; do
    [ -f "$dir/$s.png" ] || { fail "no $s screenshot"; continue; }
    [ "$(mean "$dir/$s.png")" -ge 12 ] || fail "$s is black"
    [ "$(colours "$dir/$s.png")" -ge 64 ] || fail "$s has too few colours"
  done
  [ -f "$dir/title.png" ] && [ -f "$dir/play.png" ] && [ -f "$dir/pause.png" ] ||
    { fail "the pictures are not compared: a screenshot is missing"; return; }
  [ "$(differ "$dir/logo.png" "$dir/title.png")" -gt 20000 ] || fail "the title looks like the logo"
  [ "$(differ "$dir/title.png" "$dir/play.png")" -gt 20000 ] || fail "play looks like the title"
  [ "$(differ "$dir/play.png" "$dir/pause.png")" -gt 20000 ] || fail "the pause menu looks like play"
  # The title's two menu images lie in the left third of its lower part.
  [ "$(colours "$dir/title.png[240x150+0+320]")" -ge 16 ] || fail "no menu images on the title"
  # The pause menu veils the frame in red: red rises against green from play.
  local pr pg qr qg
  pr=$(mean "$dir/play.png" .r); pg=$(mean "$dir/play.png" .g)
  qr=$(mean "$dir/pause.png" .r); qg=$(mean "$dir/pause.png" .g)
  [ $((qr - qg)) -gt $((pr - pg + 20)) ] || fail "the pause menu has no red veil (play r-g $((pr - pg)), pause $((qr - qg)))"
  # Its three items sit in the middle: light text on the veil.
  [ "$(colours "$dir/pause.png[200x70+220+186]")" -ge 8 ] || fail "no items in the pause menu"
}

box_failed=0
one_run audio-default
[ "$box_failed" = 1 ] || SDL_AUDIODRIVER=dummy one_run audio-dummy-english --lang en

if [ "$box_failed" = 1 ]; then
  echo "person-run: the machine cannot show the start-up question (see above); logs in $out"
  exit 2
fi

if [ "$failures" -ne 0 ]; then
  echo "person-run: $failures check(s) failed; pictures and logs in $out"
  exit 1
fi
echo "person-run: passed; pictures and logs in $out"
