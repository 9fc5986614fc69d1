# What the scripts that drive the real game on a virtual X display share
# (person-run.sh, records-run.sh, screen-check.sh). Sourced, not run.

# x_need SCRIPT TOOL...: exits 77 (skipped) when a tool is missing.
x_need() {
  local name=$1 tool; shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "$name: $tool is not installed; skipped"
      exit 77
    fi
  done
}

# start_xvfb GEOMETRY: Xvfb at WxHxDEPTH on a display it picks itself, its
# number in $dir/display.txt and its log in $dir/xvfb.log; sets xpid and
# DISPLAY once it accepts connections (the game must not start before, or its
# question box finds no display). Returns 1, Xvfb stopped, when it did not start.
# -noreset: an X server resets when its last client leaves, and a client that
# connects meanwhile (the game's question box, just after the probe below or a
# window lookup) can be refused or lose its windows to the reset.
start_xvfb() {
  Xvfb -displayfd 1 -screen 0 "$1" -nolisten tcp -noreset >"$dir/display.txt" 2>"$dir/xvfb.log" &
  xpid=$!
  local n="" i
  for ((i = 0; i < 300; i++)); do
    n=$(tr -dc 0-9 <"$dir/display.txt" 2>/dev/null)
    [ -n "$n" ] && break
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$n" ]; then
    kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null
    return 1
  fi
  export DISPLAY=":$n"
  for ((i = 0; i < 100; i++)); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
  return 0
}

# find_window NAME SECONDS: waits up to SECONDS (0: looks once) for a window
# named exactly NAME and prints its id. Names are compared whole (xdotool's
# --name cannot match Japanese).
find_window() {
  local i id
  for ((i = 0; i <= $2 * 10; i++)); do
    for id in $(xdotool search --classname '' 2>/dev/null); do
      if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}

# Keys are held for a quarter of a second, so that a frame sees them down even
# when the machine is busy and frames come slowly.
key() {
  local k
  for k in "$@"; do xdotool keydown "$k"; sleep 0.25; xdotool keyup "$k"; sleep 0.25; done
}
hold() {   # hold SECONDS KEY...: keys down together for a while
  local t=$1; shift
  xdotool keydown "$@"; sleep "$t"; xdotool keyup "$@"
}

# Pixels that differ by more than 10% between two pictures.
differ() { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
