#!/usr/bin/env bash
# The suite's fuzz_inputs test: gathers the fuzz targets' seeds (the files
# fuzz_make_seeds encodes, dat/ files and the replay corpus) into a temporary
# folder, then runs each target, built as an ordinary program, over its seeds
# and the saved inputs under fuzz/known/. Fails when any target does.
# Usage: fuzz/run-inputs.sh BIN_DIR DAT_DIR TARGET...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$1
dat=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/fuzz/gather-seeds.sh" "$work/seeds" "$bin/fuzz_input_make_seeds" "$dat" >/dev/null
failed=()
for target in "$@"; do
  mkdir -p "$work/seeds/$target"
  # Under the sanitizers, leak stacks must reach into libvorbisfile for the
  # suppression file to match them (as in scripts/fuzz.sh).
  case "$target" in
    ogg|sound_load) asan="${ASAN_OPTIONS:-}:fast_unwind_on_malloc=0" ;;
    *) asan="${ASAN_OPTIONS:-}" ;;
  esac
  if ! ASAN_OPTIONS="$asan" "$bin/fuzz_input_$target" "$work/seeds/$target" "$root/fuzz/known"; then
    failed+=("$target")
  fi
done
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz_inputs: failed: ${failed[*]}" >&2
  exit 1
fi
