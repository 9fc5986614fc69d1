#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. With --sanitize the
# suite is built with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/, optimised at -O1: the checks are the same, and the suite, which
# plays the game for hundreds of thousands of frames, takes about 7 minutes on
# two cores instead of over 20 unoptimised.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
if [ "${1:-}" = "--sanitize" ]; then
  dir="$root/build-asan"
  # The data tools run during the build, so the options hold for it too.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  bash "$root/scripts/build.sh" "$dir" -DVORTALIS_SANITIZE=ON -DVORTALIS_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g"
else
  dir="$root/build"
  bash "$root/scripts/build.sh" "$dir"
fi
cd "$dir"
ctest --output-on-failure -j2
