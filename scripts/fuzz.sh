#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/, seeds each corpus from the
# generated dat/ of a normal build and from fuzz_make_seeds, then runs every
# target for a set time. Exits non-zero when any target finds a crash.
# Usage: scripts/fuzz.sh [seconds-per-target [target...]]
#        (default 6 s, every target: CI's short run; VORTALIS_FUZZ_SEED fixes
#        libFuzzer's random seed, 0 = a new one each run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-6}
shift || true
only=" $* "
dir="$root/build-fuzz"
dat="${VORTALIS_DAT_DIR:-$root/build/dat}"

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DVORTALIS_FUZZ=ON -DVORTALIS_TESTS=OFF -DVORTALIS_BENCH=OFF >/dev/null
ninja -C "$dir" -j2 fuzz_all

# The data files come from a normal build; make them if that build has none.
if [ ! -d "$dat" ]; then
  cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
  ninja -C "$root/build" -j2 dat
fi

seeds="$dir/seeds"
"$root/fuzz/gather-seeds.sh" "$seeds" "$dir/fuzz/fuzz_make_seeds" "$dat"

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
failed=()
summary=()
while read -r target; do
  [ -n "$target" ] || continue
  [ "$only" = "  " ] || [[ "$only" == *" $target "* ]] || continue
  # Leak stacks must reach into libvorbisfile for lsan.supp to match them; the
  # full unwinder costs time, so only the targets that open Ogg data use it.
  case "$target" in
    ogg|sound_load) unwind=fast_unwind_on_malloc=0 ;;
    *) unwind=fast_unwind_on_malloc=1 ;;
  esac
  corpus="$dir/corpus/$target"
  crashes="$dir/crashes/$target"
  mkdir -p "$corpus" "$crashes" "$seeds/$target"
  log="$dir/logs/$target.log"
  mkdir -p "$dir/logs"
  echo "== fuzz_$target: ${seconds}s"
  rc=0
  (cd "$dir" && ASAN_OPTIONS="$ASAN_OPTIONS:$unwind" "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
      -max_len=65536 -seed="${VORTALIS_FUZZ_SEED:-0}" -print_final_stats=1 -artifact_prefix="$crashes/" \
      "$corpus" "$seeds/$target") >"$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$rc" -ne 0 ]; then
    failed+=("$target")
    tail -40 "$log"
    summary+=("$(printf '%-16s %10s execs  FAILED (exit %d, log %s)' "$target" "${execs:-?}" "$rc" "$log")")
  else
    summary+=("$(printf '%-16s %10s execs  %ss  corpus %s' "$target" "${execs:-?}" "$seconds" "$(ls "$corpus" | wc -l)")")
  fi
done < "$dir/fuzz/targets.txt"

printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz: crashes in ${failed[*]} (inputs under $dir/crashes/)" >&2
  exit 1
fi
