#!/usr/bin/env bash
# Builds the framework's examples the three ways another project would use the
# framework, and runs them on the headless platform:
#   1. installed into a scratch prefix from an existing build tree, then found
#      with CMake's find_package(VortalisFramework);
#   2. the same install through pkg-config (vortalis-framework.pc);
#   3. this checkout added with add_subdirectory (only the framework configured).
# headless_check is a test of pixels and exits non-zero on a fault; the other
# two examples run a few seconds of virtual time with --headless.
#
#   scripts/examples-check.sh [BUILD_DIR]      (default: build)
#
# The build tree needs only the framework built; what is missing is built.
# Scratch files go to BUILD_DIR/examples-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || { echo "examples-check: no configured build tree at $build" >&2; exit 1; }
build=$(cd "$build" && pwd)
work=$build/examples-check
examples=(hello_sprite input_pacing headless_check)

launcher=()
cc_launcher=
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cc_launcher=ccache
fi
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi

# Runs the three examples built in $1, each from a scratch folder of its own
# (they write Log.txt into their current folder).
run_examples() {
  local bin=$1 how=$2
  for example in "${examples[@]}"; do
    local dir=$work/run-$how-$example
    rm -rf "$dir" && mkdir -p "$dir"
    local args=()
    [ "$example" = headless_check ] || args=(--headless)
    if ! (cd "$dir" && "$bin/$example" "${args[@]}" >"$dir/out.txt" 2>&1); then
      echo "examples-check: $example ($how) failed:" >&2
      cat "$dir/out.txt" >&2
      return 1
    fi
  done
  grep -h '^headless_check:\|^input_pacing:' "$work/run-$how-headless_check/out.txt" "$work/run-$how-input_pacing/out.txt" |
    sed "s/^/  [$how] /"
}

mkdir -p "$work"
echo "examples-check: installing the framework from $build"
cmake --build "$build" --target framework vortalis_docs >/dev/null
prefix=$work/prefix
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" --component dev >/dev/null
# The library folder is lib/ or its multiarch folder (lib/x86_64-linux-gnu).
pc=$(find "$prefix/lib" -name vortalis-framework.pc -path '*/pkgconfig/*' | head -n1)
[ -n "$pc" ] || { echo "examples-check: the install has no vortalis-framework.pc" >&2; exit 1; }
libdir=$(dirname "$(dirname "$pc")")
for f in "$prefix/include/vortalis/framework.h" "$libdir/libvortalis-framework.a" \
         "$libdir/cmake/VortalisFramework/VortalisFrameworkConfig.cmake"; do
  [ -f "$f" ] || { echo "examples-check: the install has no $f" >&2; exit 1; }
done

echo "examples-check: 1. find_package(VortalisFramework) from the install"
cmake -S "$src/examples" -B "$work/find-package" "${generator[@]}" "${launcher[@]}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/find-package" >/dev/null
run_examples "$work/find-package" find-package

echo "examples-check: 2. pkg-config vortalis-framework from the install"
mkdir -p "$work/pkg-config"
flags=$(PKG_CONFIG_PATH="$(dirname "$pc")" pkg-config --cflags --libs vortalis-framework)
for example in "${examples[@]}"; do
  # shellcheck disable=SC2086  # the flags are words
  $cc_launcher c++ -std=c++17 -O2 -DEXAMPLE_ASSETS="\"$src/examples/assets\"" \
    "$src/examples/$example.cpp" $flags -o "$work/pkg-config/$example"
done
run_examples "$work/pkg-config" pkg-config

echo "examples-check: 3. add_subdirectory of the checkout"
cmake -S "$src/examples" -B "$work/subdirectory" "${generator[@]}" "${launcher[@]}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTALIS_SOURCE_DIR="$src" >/dev/null
# Only the framework may be configured there: no game, tests, tools or data.
for part in tests tools bench packaging; do
  if [ -e "$work/subdirectory/vortalis/$part" ]; then
    echo "examples-check: add_subdirectory configured $part, not only the framework" >&2
    exit 1
  fi
done
cmake --build "$work/subdirectory" >/dev/null
run_examples "$work/subdirectory" subdirectory

echo "examples-check: the examples build and run all three ways"
