#!/usr/bin/env bash
# Proves that the README's two commands work on a fresh Debian 12 machine. It
# bootstraps a minimal bookworm root with debootstrap from the mirror this
# machine's apt uses, clones the current commit into it (uncommitted changes are
# not part of the check), and, as root inside it through chroot:
#   run-tests   ./scripts/run-tests.sh: installs what is missing, builds, runs every test
#   run-game    ./scripts/run-game.sh under Xvfb: the start-up question is answered
#               with Escape (windowed), the game runs 20 s and is ended with SIGTERM;
#               it must exit 0 and leave Log.txt with its start-up and shut-down lines
# When the build can make the Debian package, it is then built with cpack, installed
# with apt-get into a second fresh root, started from its menu command as a player
# under Xvfb (the same 20 s, Log.txt in the player's data folder), and removed with
# apt-get remove, which must leave none of its files behind.
#
#   sudo scripts/fresh-machine-check.sh [--keep]
#
# --keep caches a tarball of the root exactly as debootstrap left it (before
# anything runs inside it) under $VORTALIS_FRESH_CACHE (default
# /var/cache/vortalis-fresh) and unpacks it into a new folder on later runs, so a
# run still starts from debootstrap's result plus what the project installs.
# Each step prints its time; the last line is the verdict. The steps' logs are
# kept in /var/tmp/vortalis-fresh-logs.* (the line before the verdict names it). Exit codes: 0 passed,
# 1 failed, 77 cannot run here (not root, or debootstrap, chroot or git missing).
# It downloads a few hundred MB and builds the whole project: 20-40 minutes.
set -uo pipefail
# The whole script is one block, read before any of it runs, so that editing
# the file during a run cannot change the run.
{

readonly STARTUP_LINE="フレームワークの初期化が完了しました"
readonly SHUTDOWN_LINE="フレームワークを終了しました"
readonly GAME_SECONDS=20

# ---------------------------------------------------------------------------
# Inside a root: drive a game command under Xvfb.
#   fresh-machine-check.sh --drive-game OUTDIR COMMAND...
# Starts Xvfb on a free display, starts COMMAND, answers the start-up question
# with Escape, waits for the game window, lets it run GAME_SECONDS, sends
# SIGTERM and writes the exit code to OUTDIR/rc. Used by the steps below.
window_named() {   # window_named NAME: id of a window named exactly NAME
  local id
  # Names are compared whole (xdotool's --name cannot match Japanese).
  for id in $(xdotool search --classname '' 2>/dev/null); do
    if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then echo "$id"; return 0; fi
  done
  return 1
}

drive_game() {
  local out=$1; shift
  mkdir -p "$out"
  echo none >"$out/rc"
  : >"$out/display.txt"
  # -noreset: the readiness probe below is the only client for a moment, and a
  # server that resets when its last client leaves can refuse the game meanwhile.
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$out/display.txt" 2>"$out/xvfb.log" &
  local xpid=$! n="" i
  for ((i = 0; i < 300; i++)); do
    n=$(tr -dc 0-9 <"$out/display.txt")
    [ -n "$n" ] && break
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$n" ]; then echo "drive: Xvfb did not start"; kill "$xpid" 2>/dev/null; return 1; fi
  export DISPLAY=":$n"
  for ((i = 0; i < 100; i++)); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

  "$@" >"$out/game.txt" 2>&1 &
  local gpid=$! box="" win=""
  # Nobody is there to answer the question: Escape answers No (a window), as a
  # person would, and is pressed until the box has gone. When no box can be
  # shown the game starts in a window by itself. A build may come first.
  for ((i = 0; i < 3600; i++)); do
    box=$(window_named "スクリーン設定") && break
    win=$(window_named Vortalis) && break
    kill -0 "$gpid" 2>/dev/null || break
    sleep 0.5
  done
  if [ -n "$box" ]; then
    echo "drive: the start-up question is shown; answering with Escape"
    for ((i = 0; i < 60; i++)); do
      xdotool windowfocus --sync "$box" 2>/dev/null || true
      sleep 0.5
      xdotool key Escape 2>/dev/null
      sleep 0.5
      xdotool getwindowname "$box" >/dev/null 2>&1 || break
    done
  elif [ -n "$win" ]; then
    echo "drive: no start-up question; the game window came up"
  fi
  for ((i = 0; i < 120; i++)); do
    [ -n "$win" ] && break
    win=$(xdotool search --name '^Vortalis$' 2>/dev/null | head -n1) && [ -n "$win" ] && break
    kill -0 "$gpid" 2>/dev/null || break
    sleep 0.5
  done
  # The run is judged by its exit code and Log.txt; the window only says when
  # the game has started.
  if [ -n "$win" ]; then
    echo "drive: the game window is up; it runs $GAME_SECONDS s"
  else
    echo "drive: no game window was seen; the game runs $GAME_SECONDS s all the same"
  fi
  sleep "$GAME_SECONDS"
  local rc=none
  if kill -0 "$gpid" 2>/dev/null; then
    kill -TERM "$gpid"
    for ((i = 0; i < 100; i++)); do
      if ! kill -0 "$gpid" 2>/dev/null; then wait "$gpid"; rc=$?; break; fi
      sleep 0.1
    done
    if [ "$rc" = none ]; then
      echo "drive: still running 10 s after SIGTERM; killed"
      kill -KILL "$gpid" 2>/dev/null; wait "$gpid" 2>/dev/null
      rc=killed
    fi
  else
    wait "$gpid"; rc=$?
    echo "drive: the game had ended before SIGTERM"
  fi
  kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null
  echo "$rc" >"$out/rc"
  echo "drive: exit code $rc"
}

if [ "${1:-}" = "--drive-game" ]; then
  shift
  drive_game "$@"
  exit $?
fi

# ---------------------------------------------------------------------------
# Outside: the check itself.
keep=0
for arg in "$@"; do
  case "$arg" in
    --keep) keep=1 ;;
    *) echo "usage: $0 [--keep]" >&2; exit 2 ;;
  esac
done

skip() { echo "fresh-machine-check: cannot run here: $*; skipped"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root (debootstrap, mount and chroot)"
for tool in debootstrap chroot git mount umount tar iconv; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (apt-get install debootstrap)"
done

src=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$src" rev-parse HEAD) || skip "$src is not a git checkout"

# The Debian mirror apt uses here, from the one-line or the deb822 sources.
mirror=$(
  {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk '$1 == "deb" && $3 ~ /^bookworm$/ { print $2; exit }'
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk 'BEGIN { RS = ""; FS = "\n" }
           { uri = ""; ok = 0
             for (i = 1; i <= NF; i++) {
               if ($i ~ /^URIs:/) { split($i, a, " "); uri = a[2] }
               if ($i ~ /^Suites:/ && $i ~ /[ \t]bookworm([ \t]|$)/) ok = 1
             }
             if (ok && uri != "") print uri }' "$f"
    done
  } | head -n1)
# Only the machine's own sources name a mirror: without one there is nothing
# to bootstrap from, and the check says so instead of guessing a host.
[ -n "$mirror" ] || skip "no bookworm mirror in /etc/apt/sources.list or /etc/apt/sources.list.d/ to bootstrap from"

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vortalis-fresh.XXXXXX")
cache_dir=${VORTALIS_FRESH_CACHE:-/var/cache/vortalis-fresh}
pristine="$work/pristine.tar.gz"
logs="${work%.*}-logs.${work##*.}"
t0=$(date +%s)
verdict_done=0
step_pid=""

say() { echo "[$(date -u +%H:%M:%S)] $*"; }

# Everything mounted under the work folder, deepest first.
mounts_under() {
  awk -v p="$work/" 'index($2, p) == 1 { print $2 }' /proc/mounts | sort -r
}

# Ends what still runs inside a root (only processes of this check live there),
# unmounts the roots' /proc, /sys and /dev, and deletes the work folder only when
# nothing is mounted under it any more: a recursive delete through a bound /dev
# would delete this machine's device nodes.
cleanup() {
  trap '' INT TERM
  set +m   # no job notices while the step is ended
  local p r m
  [ -n "$step_pid" ] && kill -TERM -- "-$step_pid" 2>/dev/null
  for p in /proc/[0-9]*; do
    r=$(readlink "$p/root" 2>/dev/null) || continue
    case "$r" in "$work"/*) kill -KILL "${p#/proc/}" 2>/dev/null ;; esac
  done
  sleep 0.5
  # The steps' logs outlive the roots.
  if compgen -G "$work/*.log" >/dev/null; then
    mkdir -p "$logs" && cp "$work"/*.log "$logs/" && echo "fresh-machine-check: the steps' logs are in $logs"
  fi
  for m in $(mounts_under); do umount -R "$m" 2>/dev/null; done
  for m in $(mounts_under); do umount -l "$m" 2>/dev/null; done
  if [ -n "$(mounts_under)" ]; then
    echo "fresh-machine-check: still mounted, so $work is left in place:"
    mounts_under
  elif [ -d "$work" ]; then
    rm -rf --one-file-system "$work"
  fi
}
on_exit() {
  local rc=$?
  cleanup
  if [ "$verdict_done" = 0 ]; then
    echo "fresh-machine-check: FAILED (interrupted after $(($(date +%s) - t0)) s)"
    [ "$rc" = 0 ] && rc=1
  fi
  exit "$rc"
}
set -m
trap on_exit EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

times=()
failed=""
# step NAME COMMAND...: runs and times one step, its output in $work/NAME.log
# (the last lines are shown when it fails).
step() {
  local name=$1; shift
  local s=$(date +%s)
  say "$name: started"
  # In the background and in a process group of its own (job control is on),
  # so that a signal to this script runs the traps at once rather than after
  # the step, and the cleanup can end the step with everything it started.
  "$@" >"$work/$name.log" 2>&1 &
  step_pid=$!
  wait "$step_pid"
  local rc=$? d=$(($(date +%s) - s))
  step_pid=""
  times+=("$name ${d}s")
  if [ "$rc" -eq 0 ]; then
    say "$name: ok in ${d} s"
    return 0
  fi
  say "$name: FAILED (exit $rc) in ${d} s; its last lines:"
  tail -n 40 "$work/$name.log" | sed 's/^/    /'
  failed=${failed:-$name}
  return 1
}
finish() {
  verdict_done=1
  local total=$(($(date +%s) - t0))
  if [ -f "$work/package.log" ]; then
    say "the package:"; grep -E '^(Package|Version|Installed-Size|Depends|Size):' "$work/package.log" | sed 's/^/    /'
  fi
  if [ -f "$work/lintian.log" ]; then
    say "lintian:"; sed 's/^/    /' "$work/lintian.log"
  fi
  say "times: ${times[*]}"
  if [ -z "$failed" ]; then
    echo "fresh-machine-check: PASSED in ${total} s on a fresh Debian 12 root ($commit)"
    exit 0
  fi
  echo "fresh-machine-check: FAILED at $failed after ${total} s ($commit)"
  exit 1
}

# A new root from the pristine tarball, with this machine's name resolution
# and /proc, /sys, /dev (with /dev/pts and /dev/shm) mounted.
make_root() {
  local r=$1
  mkdir -p "$r" && tar -C "$r" --numeric-owner -xpzf "$pristine" || return 1
  cp /etc/resolv.conf "$r/etc/resolv.conf"
  mount -t proc proc "$r/proc" &&
    mount --rbind /sys "$r/sys" && mount --make-rslave "$r/sys" &&
    mount --rbind /dev "$r/dev" && mount --make-rslave "$r/dev"
}
in_root() {   # in_root ROOT COMMAND...: as root, with a clean environment
  local r=$1; shift
  chroot "$r" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

bootstrap() {
  local cached="$cache_dir/bookworm-minbase-amd64.tar.gz"
  if [ "$keep" = 1 ] && [ -f "$cached" ] && [ -f "$cached.sha256" ] &&
     [ "$(cat "$cached.mirror" 2>/dev/null)" = "$mirror" ] &&
     (cd "$cache_dir" && sha256sum --quiet -c "$cached.sha256"); then
    echo "reusing the root bootstrapped on $(date -u -r "$cached" '+%F %H:%M') from $mirror"
    cp "$cached" "$pristine"
    return
  fi
  debootstrap --variant=minbase --arch=amd64 bookworm "$work/boot" "$mirror" || return 1
  # Packed before anything runs inside it, so every root starts as debootstrap left it.
  tar -C "$work/boot" --numeric-owner -czpf "$pristine" . || return 1
  rm -rf --one-file-system "$work/boot"
  if [ "$keep" = 1 ]; then
    mkdir -p "$cache_dir" &&
      cp "$pristine" "$cached.tmp" && mv -f "$cached.tmp" "$cached" &&
      (cd "$cache_dir" && sha256sum "$(basename "$cached")" >"$cached.sha256") &&
      echo "$mirror" >"$cached.mirror"
  fi
}

copy_clone() {
  git clone --quiet --no-hardlinks "$src" "$root/root/vortalis" &&
    git -C "$root/root/vortalis" checkout --quiet --detach "$commit" &&
    git -C "$root/root/vortalis" log --oneline -1
}

run_tests() { in_root "$root" bash -c 'cd /root/vortalis && ./scripts/run-tests.sh'; }

# Checks a game run's exit code and Log.txt: LOG is the Log.txt path.
check_game_run() {
  local out=$1 log=$2
  cat "$out/drive.txt" 2>/dev/null
  echo "--- the game's output:"; tail -n 20 "$out/game.txt"
  local rc; rc=$(cat "$out/rc")
  [ "$rc" = 0 ] || { echo "exit code $rc, not 0"; return 1; }
  [ -f "$log" ] || { echo "no $log"; return 1; }
  local text; text=$(iconv -f CP932 -t UTF-8 "$log" | tr -d '\r') || { echo "Log.txt is not Shift-JIS"; return 1; }
  echo "--- Log.txt:"; echo "$text"
  grep -q "$STARTUP_LINE" <<<"$text" || { echo "Log.txt has no start-up line"; return 1; }
  [[ "$(tail -n1 <<<"$text")" == *"$SHUTDOWN_LINE" ]] || { echo "Log.txt does not end with the shut-down line"; return 1; }
}

run_game() {
  local out=/root/game-run
  in_root "$root" bash -c "cd /root/vortalis && ./scripts/fresh-machine-check.sh --drive-game $out ./scripts/run-game.sh" \
    | tee "$root$out.drive.txt"
  mv "$root$out.drive.txt" "$root$out/drive.txt" 2>/dev/null
  check_game_run "$root$out" "$root/root/vortalis/build/Log.txt"
}

# The Debian package, made as the README says, from the build folder.
make_package() {
  in_root "$root" bash -c 'cd /root/vortalis/build && rm -f vortalis_*.deb && cpack -G DEB' || return 1
  local deb
  deb=$(ls "$root"/root/vortalis/build/vortalis_*_amd64.deb 2>/dev/null | head -n1)
  [ -f "$deb" ] || { echo "cpack made no vortalis_*_amd64.deb"; return 1; }
  cp "$deb" "$work/" || return 1
  dpkg-deb --field "$deb" Package Version Installed-Size Depends
  echo "Size: $(stat -c %s "$deb") bytes"
}

# lintian, when this machine has it; its errors fail the step.
run_lintian() {
  if ! command -v lintian >/dev/null 2>&1; then
    echo "lintian is not installed here (apt-get install lintian); not checked"
    return 0
  fi
  [ -f "$package" ] || { echo "no package to check"; return 1; }
  local out
  out=$(lintian --tag-display-limit 0 "$package" 2>&1)
  echo "${out:-lintian: nothing to report}"
  ! grep -q '^E:' <<<"$out"
}

# A second fresh root gets the tools that drive the game, then the package
# through apt-get, which fetches what it depends on.
install_package() {
  cp "$package" "$root2/root/" &&
    in_root "$root2" bash -c 'export DEBIAN_FRONTEND=noninteractive
      apt-get update -qq &&
      apt-get install -y -qq --no-install-recommends xvfb xfonts-base xdotool &&
      apt-get install -y -qq /root/vortalis_*.deb &&
      dpkg-query -L vortalis >/root/vortalis.files &&
      useradd --create-home --shell /bin/bash player' || return 1
  cp "$root/root/vortalis/scripts/fresh-machine-check.sh" "$root2/usr/local/bin/fresh-machine-drive" && chmod 755 "$root2/usr/local/bin/fresh-machine-drive"
}

# The player starts the game with the desktop entry's command.
play_package() {
  local exec_line
  exec_line=$(sed -n 's/^Exec=//p' "$root2/usr/share/applications/vortalis.desktop" | sed 's/ %[A-Za-z]//g')
  [ -n "$exec_line" ] || { echo "the desktop entry has no Exec line"; return 1; }
  echo "menu command: $exec_line"
  local out=/home/player/game-run
  chroot --userspec=player:player "$root2" /usr/bin/env -i HOME=/home/player USER=player LANG=C.UTF-8 \
    TERM=dumb PATH=/usr/local/bin:/usr/bin:/bin:/usr/games \
    bash -c "cd /home/player && fresh-machine-drive --drive-game $out $exec_line" | tee "$work/drive.txt"
  cp "$work/drive.txt" "$root2$out/drive.txt" 2>/dev/null
  check_game_run "$root2$out" "$root2/home/player/.local/share/vortalis/Log.txt" || return 1
  [ "$(readlink "$root2/home/player/.local/share/vortalis/dat")" = /usr/share/vortalis/dat ] ||
    { echo "the player's dat is not a link to /usr/share/vortalis/dat"; return 1; }
}

# apt-get remove leaves none of the package's files or folders behind (folders
# other packages own stay), and dpkg forgets the package.
remove_package() {
  in_root "$root2" bash -c 'export DEBIAN_FRONTEND=noninteractive
    apt-get remove -y -qq vortalis || exit 1
    status=$(dpkg-query -W -f="\${db:Status-Abbrev}" vortalis 2>/dev/null)
    case "$status" in ""|un*) ;; *) echo "dpkg still lists vortalis: $status"; exit 1 ;; esac
    left=0
    while IFS= read -r p; do
      [ -e "$p" ] || [ -L "$p" ] || continue
      dpkg-query -S "$p" >/dev/null 2>&1 && continue
      echo "left behind: $p"; left=1
    done </root/vortalis.files
    exit $left'
}

say "fresh-machine-check: commit $commit, mirror $mirror, work folder $work"
step bootstrap bootstrap || finish
root="$work/root"
step root make_root "$root" || finish
step clone copy_clone || finish
step run-tests run_tests
step run-game run_game
if [ -f "$root/root/vortalis/cmake/Package.cmake" ]; then
  package=""
  root2="$work/root2"
  # Each step runs in a process of its own, so the package's path is taken
  # from the work folder, where make_package left it.
  step package make_package &&
    package=$(ls "$work"/vortalis_*_amd64.deb 2>/dev/null | head -n1) &&
    { step lintian run_lintian; step package-root make_root "$root2"; } &&
    step package-install install_package &&
    step package-play play_package &&
    step package-remove remove_package
fi
finish
exit 1
}
