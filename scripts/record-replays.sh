#!/bin/bash
# Re-records the replay corpus in tests/replays/ with the headless bot of
# tests/replays/replay_corpus_test.cpp, then verifies every file with the
# executable. Only for a change that is meant to alter play: the commit that
# carries the new files says why the old ones no longer match.
#
# Usage: scripts/record-replays.sh [scenario]     (BUILD=dir, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
cmake --build "$build" -j2 --target vortalis_tests vortalis dat
mkdir -p "$root/tests/replays"
if [ $# -gt 0 ]; then export VORTALIS_RECORD_ONLY="$1"; fi
VORTALIS_RECORD_REPLAYS="$root/tests/replays" "$build/tests/vortalis_tests" --gtest_filter=ReplayCorpus.Record
"$build/tests/vortalis_tests" --gtest_filter=ReplayCorpus.EveryReplayVerifiesAndTogetherTheyCoverThePlay
ls -l "$root/tests/replays"
