#!/usr/bin/env bash
# Builds the drawing tests with clang's ThreadSanitizer in build-tsan/ and runs
# them with four drawing threads (the equivalence test with fewer sequences, so
# that the run stays short), the test of pictures preloaded on worker threads,
# and the screen composed by the drawing threads. Exits non-zero on a failure
# or a reported race.
# Usage: scripts/tsan.sh [sequences]   (default 150)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-tsan"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTALIS_TSAN=ON -DVORTALIS_BENCH=OFF >/dev/null
ninja -C "$dir" -j2 raster_tsan_tests
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
VORTALIS_RASTER_THREADS=4 VORTALIS_EQUIVALENCE_SEQUENCES="${1:-150}" \
  "$dir/tests/raster_tsan_tests" --gtest_filter='RasterPaths.*:RasterEquivalence.*:GraphicsDraw.*:GraphicsHandles.Preload*:PresentLayout.*'
