#!/usr/bin/env bash
# Replays must play the same on a package built elsewhere, for another CPU:
# this builds the game a second time with clang for x86-64-v3 (FMA and AVX2,
# where a compiler left to itself fuses multiply-adds) and verifies every
# replay of the corpus with that build, from the data of the first build.
#
#   scripts/replays-across-builds.sh [data build folder, default build/]
#
# The build goes to build-clang-v3/. On a CPU without x86-64-v3 it says so and
# skips (exit 77).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=$(realpath "${1:-$root/build}")
out="$root/build-clang-v3"
[ -d "$data/dat" ] || { echo "replays-across-builds: no dat/ in $data: build the game there first"; exit 1; }
for feature in avx2 fma bmi2 movbe; do
  if ! grep -qw "$feature" /proc/cpuinfo; then
    echo "replays-across-builds: this CPU lacks $feature, so an x86-64-v3 build cannot run here; skipped"
    exit 77
  fi
done
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS=-march=x86-64-v3 -DCMAKE_CXX_FLAGS=-march=x86-64-v3 \
  -DVORTALIS_TESTS=OFF -DVORTALIS_BENCH=OFF >/dev/null
cmake --build "$out" --target vortalis
cd "$data"
failed=0
for replay in "$root"/tests/replays/*.vrp; do
  if ! "$out/vortalis" --replay "$replay" --verify; then
    echo "replays-across-builds: $(basename "$replay") does not verify with the clang x86-64-v3 build"
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "replays-across-builds: every corpus replay verifies with the clang x86-64-v3 build"
exit "$failed"
