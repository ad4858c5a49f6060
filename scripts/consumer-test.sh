#!/usr/bin/env bash
# Installs a built korvan into a temporary prefix, then configures, builds
# and runs tests/consumer against it with find_package(korvan CONFIG), as a
# user's project would. The consumer does not see nlohmann_json or the
# source tree.
#   scripts/consumer-test.sh [BUILD_DIR]     (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/korvan-consumer.XXXXXXXX")"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >"$work/install.log"

fail() { echo "consumer-test: $*" >&2; exit 1; }
for f in include/korvan/engine.h include/korvan/results.h include/korvan/korvan.h include/korvan/number_text.h \
         include/korvan/version.h; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
config="$(find "$prefix" -name korvanConfig.cmake -print -quit)"
[ -n "$config" ] || fail "korvanConfig.cmake is not installed"
[ -f "$(dirname "$config")/korvanConfigVersion.cmake" ] || fail "no package version file"
find "$prefix" -name 'libkorvan.so*' | grep -q . || fail "libkorvan.so is not installed"
find "$prefix" -name 'libkorvan_core.a' | grep -q . || fail "the static library is not installed"
# Only the public headers; the library's own dependencies stay inside it.
extra="$(find "$prefix/include" -type f ! -path '*/include/korvan/*')"
[ -z "$extra" ] || fail "headers installed outside include/korvan: $extra"
if grep -rq nlohmann "$prefix/include" "$(dirname "$config")"; then
  fail "the installed package refers to nlohmann_json"
fi

cmake -S "$root/tests/consumer" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON --no-warn-unused-cli \
  >"$work/configure.log" || { cat "$work/configure.log"; fail "configure failed"; }
cmake --build "$work/build" -j 2 >"$work/build.log" 2>&1 \
  || { cat "$work/build.log"; fail "build failed"; }
"$work/build/consumer" "$root/examples/cantilever_sheet_pile.dat"
"$work/build/consumer_c"
echo "consumer-test: the installed package builds and runs"
