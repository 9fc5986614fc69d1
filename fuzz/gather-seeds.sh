#!/usr/bin/env bash
# Writes the seed inputs of every fuzz target into SEEDS/<target>/: the small
# files fuzz_make_seeds encodes, the generated dat/ files that
# fuzz/dat_seeds.txt names, and the replay corpus. Files over 64 KiB are cut to
# their first 64 KiB (the targets' -max_len). Used by scripts/fuzz.sh, and by
# the suite's fuzz_inputs test, which runs every target once over these.
# Usage: fuzz/gather-seeds.sh SEEDS MAKE_SEEDS_PROGRAM DAT_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seeds=$1
make_seeds=$2
dat=$3

rm -rf "$seeds"
"$make_seeds" "$seeds"
while read -r target pattern; do
  case "$target" in ''|'#'*) continue ;; esac
  mkdir -p "$seeds/$target"
  for f in "$dat"/$pattern; do
    [ -f "$f" ] || continue
    head -c 65536 "$f" > "$seeds/$target/dat_$(echo "${f#"$dat"/}" | tr / _)"
  done
done < "$root/fuzz/dat_seeds.txt"
mkdir -p "$seeds/replay_file"
for f in "$root"/tests/replays/*.vrp; do
  [ -f "$f" ] && head -c 65536 "$f" > "$seeds/replay_file/$(basename "$f")"
done
