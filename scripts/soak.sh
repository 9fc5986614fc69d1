#!/usr/bin/env bash
# The long soak run: the headless game for N frames (default 1,000,000) with
# seeded random input, through the test program's two Soak tests: the first
# fails when the image, sound, font or file tables or the resident memory
# drift between returns to the title (figures every 1000 frames go to
# soak-N.txt); the second plays a player's whole session of every feature for
# N / 10 frames and fails unless every replay it saved verifies in a fresh
# process, every score entry names its own run's replay or none, and the
# settings file holds what was last set.
#
#   scripts/soak.sh [frames] [build folder] [seed]
#
# The build folder defaults to build/; pass build-asan/ (scripts/run-tests.sh
# --sanitize makes it) for the run under AddressSanitizer and UBSan. For a long
# sanitized run use an optimised sanitizer build (1,000,000 frames took 40
# minutes there, against 10 minutes without the sanitizers):
#   LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
#     scripts/build.sh build-asan-soak -DVORTALIS_SANITIZE=ON -DVORTALIS_BENCH=OFF
#   scripts/soak.sh 1000000 build-asan-soak
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
frames=${1:-1000000}
dir=$(realpath "${2:-$root/build}")
seed=${3:-1}
[ -x "$dir/tests/vortalis_tests" ] || { echo "soak: build $dir first (ninja -C $dir vortalis_tests)"; exit 1; }
report="$dir/soak-$frames.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
start=$(date +%s)
cd "$work"
status=0
VORTALIS_SOAK_FRAMES=$frames VORTALIS_SOAK_SEED=$seed VORTALIS_SOAK_REPORT=$report \
  VORTALIS_SESSION_FRAMES=$((frames / 10)) VORTALIS_SESSION_SEED=$seed \
  "$dir/tests/vortalis_tests" --gtest_filter='Soak.*' || status=$?
end=$(date +%s)
echo "soak: $frames frames in $((end - start)) s; figures in $report"
exit $status
