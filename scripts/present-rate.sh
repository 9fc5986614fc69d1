#!/usr/bin/env bash
# Frames per second of the real game presented on a virtual X display (no
# graphics card): window ×1 and full screen on a 1920×1080 desktop, taken in
# turns within one run so that both see the same machine, first as the machine
# is ("alone"), then with one busy process per extra core beside the game
# ("busy"). Each line gives the load average, since other work on the machine
# counts too.
#
#   scripts/present-rate.sh [seconds per turn [turns [vortalis binary [dat folder]]]]
#
# Each turn starts `vortalis --windowed` or `vortalis --fullscreen` in a scratch
# folder whose dat points at the build's, lets it sit on its title and demo for
# the given seconds, ends it with SIGTERM and reads the pacing log txt.txt: per
# window of 60 frames the game logs the wait of slot 0, so a window took
# max(1000, 1000 − wait) ms. The first window (the logo fading in) is left out.
# Prints one line per turn and the median of each mode and load.
#
# Exit codes: 0 measured, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-12}
turns=${2:-3}
exe=$(realpath "${3:-$root/build/vortalis}")
dat=$(realpath "${4:-$root/build/dat}")

dir=$(mktemp -d "${TMPDIR:-/tmp}/present-rate.XXXXXX")
. "$root/scripts/x-drive.sh"
x_need present-rate Xvfb xdotool
[ -x "$exe" ] || { echo "present-rate: no executable at $exe"; exit 1; }
[ -d "$dat" ] || { echo "present-rate: no data at $dat"; exit 1; }

busy=()
cleanup() {
  local p
  for p in "${busy[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  [ -n "${xpid:-}" ] && { kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null; }
  rm -rf "$dir"
}
trap cleanup EXIT

start_xvfb 1920x1080x24 || { echo "present-rate: Xvfb did not start"; exit 1; }

# rate MODE: one turn; prints frames per second, or "-" when the game drew
# too few windows to tell.
rate() {
  local run="$dir/run" pid
  rm -rf "$run"; mkdir -p "$run/config"
  ln -s "$dat" "$run/dat"
  (cd "$run" && XDG_RUNTIME_DIR="$run" XDG_CONFIG_HOME="$run/config" exec "$exe" "--$1") >"$run/out.txt" 2>&1 &
  pid=$!
  # Without a window manager nobody gives the window the focus, and the game
  # waits while it has none.
  local win
  win=$(find_window Vortalis 30) && xdotool windowfocus --sync "$win" 2>/dev/null
  sleep "$seconds"
  kill -TERM "$pid" 2>/dev/null
  for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  awk -F: '$1 == 0 { n++; if (n > 2) { w = 1000 - $2; t += (w > 1000 ? w : 1000); k++ } }
           END { if (k > 0) printf "%.1f\n", 60000 * k / t; else print "-" }' "$run/txt.txt" 2>/dev/null || echo -
}

median() { tr ' ' '\n' | grep -v '^-\?$' | sort -n | awk '{a[NR] = $1} END { if (NR == 0) print "-"; else if (NR % 2) print a[(NR + 1) / 2]; else printf "%.1f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

cores=$(nproc)
for load in alone busy; do
  if [ "$load" = busy ]; then
    # One busy loop per core but the game's, each ending by itself.
    for ((c = 1; c < cores; c++)); do
      timeout $((turns * 2 * (seconds + 5) + 10)) sh -c 'while :; do :; done' &
      busy+=($!)
    done
  fi
  win="" full=""
  for ((t = 1; t <= turns; t++)); do
    w=$(rate windowed); f=$(rate fullscreen)
    echo "present-rate: $load turn $t: window ×1 $w, full screen $f frames per second (load average $(cut -d' ' -f1 /proc/loadavg))"
    win="$win $w"; full="$full $f"
  done
  echo "present-rate: $load median: window ×1 $(echo $win | median), full screen $(echo $full | median) frames per second"
done
