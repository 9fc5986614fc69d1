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
    n=$( { tr -dc 0-9 <"$dir/display.txt"; } 2>/dev/null)
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

# snap WINDOW FILE: a window's picture ("root": the whole screen), given up
# after 10 s. import can wait for ever on a window that is being replaced (a
# switch to full screen) while it holds the display, which stops the game too.
snap() {
  timeout -k 2 10 import -window "$1" "$2" 2>/dev/null
  local rc=$?
  [ "$rc" = 124 ] && echo "x-drive: import of window $1 given up after 10 s"
  return "$rc"
}

# wait_until SECONDS COMMAND...: COMMAND again every 0.2 s until it succeeds;
# 1 when SECONDS have passed without.
wait_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# press_until SECONDS KEY COMMAND...: KEY held down until COMMAND succeeds,
# then let go; 1 when it did not within SECONDS. The game reads which keys are
# down at each frame, so a short press can fall between two slow frames of a
# busy machine, while a held key is seen, and counts as one press however
# long it is held.
press_until() {
  local t=$1 k=$2 rc; shift 2
  xdotool keydown "$k"
  wait_until "$t" "$@"; rc=$?
  xdotool keyup "$k"
  return "$rc"
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

# A replay header's fields (docs/replay-format.md): u8 FILE OFFSET, the byte
# there; i32 FILE OFFSET, the signed 32-bit number there (little-endian hosts).
u8() { od -An -tu1 -j "$2" -N1 "$1" 2>/dev/null | tr -d ' '; }
i32() { od -An -td4 -j "$2" -N4 "$1" 2>/dev/null | tr -d ' '; }

# Pixels that differ by more than 10% between two pictures.
differ() { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# ---- What a picture shows ------------------------------------------------------
# Each of these prints a share in per cent (0 when the region is the
# reference's) and fails, printing 100, when a picture cannot be read.
# Pictures are 640×480 frames; GEOMETRY is WxH+X+Y.

# same_in PICTURE REFERENCE GEOMETRY: the region's pixels that differ by more
# than 15% (small colour changes, a blinking dot, aside).
same_in() {
  local n w=${3%%x*} rest=${3#*x}
  local h=${rest%%+*}
  n=$(compare -metric AE -fuzz 15% "$1[$3]" "$2[$3]" null: 2>&1 >/dev/null | cut -d' ' -f1)
  [[ $n =~ ^[0-9.e+]+$ ]] || { echo 100; return 1; }
  echo $(( ${n%.*} * 100 / (w * h) ))
}

# The pixels counted in a mask (white on black) that convert has made.
_count() { convert "$@" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null; }
# A region's light pixels (every channel at least 78%) as a white-on-black
# mask, or its dark ones (no channel above 24%), for convert: _light PICTURE
# GEOMETRY [-negate] puts the arguments in mask_args.
_light() {
  mask_args=("(" "$1" -alpha off -crop "$2" +repage -separate -evaluate-sequence min -threshold 78% "${@:3}" ")")
}
_dark() {
  mask_args=("(" "$1" -alpha off -crop "$2" +repage -separate -evaluate-sequence max -threshold 24% -negate "${@:3}" ")")
}

# text_in PICTURE REFERENCE GEOMETRY: white writing on a darker ground (a text
# menu on its red veil): the pixels light in one picture and not in the
# other, against those light in the reference. A reference without writing
# there counts as no match.
text_in() {
  local ref odd a
  _light "$2" "$3"; ref=$(_count "${mask_args[@]}")
  _light "$1" "$3"; a=("${mask_args[@]}")
  _light "$2" "$3"; odd=$(_count "${a[@]}" "${mask_args[@]}" -compose difference -composite)
  [[ $ref =~ ^[0-9]+$ ]] && [ "$ref" -ge 20 ] && [[ $odd =~ ^[0-9]+$ ]] || { echo 100; return 1; }
  echo $(( odd * 100 / ref ))
}

# outline_masks OUT GEOMETRY REFERENCE...: light writing with a dark edge over
# any ground (the play field's words): what every reference has in common
# there, the words and not the grounds, as OUT-light.png and OUT-dark.png.
outline_masks() {
  local out=$1 g=$2 r light=() dark=(); shift 2
  for r in "$@"; do
    _light "$r" "$g"; light+=("${mask_args[@]}")
    _dark "$r" "$g"; dark+=("${mask_args[@]}")
  done
  convert "${light[@]}" -evaluate-sequence min "$out-light.png" &&
    convert "${dark[@]}" -evaluate-sequence min "$out-dark.png"
}
# outlined_in PICTURE MASKS GEOMETRY: the share of the masks' light pixels
# that are not light in the picture, and of their dark ones not dark.
outlined_in() {
  local want miss_l miss_d
  want=$(_count "$2-light.png" "$2-dark.png" +append)
  _light "$1" "$3" -negate; miss_l=$(_count "$2-light.png" "${mask_args[@]}" -compose multiply -composite)
  _dark "$1" "$3" -negate; miss_d=$(_count "$2-dark.png" "${mask_args[@]}" -compose multiply -composite)
  [[ $want =~ ^[0-9]+$ ]] && [ "$want" -ge 20 ] && [[ $miss_l =~ ^[0-9]+$ ]] && [[ $miss_d =~ ^[0-9]+$ ]] ||
    { echo 100; return 1; }
  echo $(( (miss_l + miss_d) * 100 / want ))
}

# looks PERCENT COMMAND ARGS...: true when the share COMMAND prints is at
# most PERCENT; the share is kept in $looked for messages.
looks() {
  local limit=$1; shift
  looked=$("$@")
  [[ $looked =~ ^[0-9]+$ ]] && [ "$looked" -le "$limit" ]
}
