#!/usr/bin/env bash
# Every shipped example: its titles fit the 70 columns of the title record,
# examples/README.md describes it, and it runs to completion with status 0.
# Usage: examples_test.sh KORVAN_BINARY SOURCE_DIR
set -u
korvan=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

count=0
for input in "$src"/examples/*.dat; do
  name=$(basename "$input" .dat)
  count=$((count + 1))
  # Titles are the only records that start with a letter: the others start
  # with a number, a sign, a point or a quoted text.
  while IFS= read -r line; do
    line=${line%$'\r'}
    [ "${#line}" -le 70 ] || fail "$name.dat: title longer than 70 columns (${#line}): $line"
  done < <(grep '^[A-Za-z]' "$input")
  grep -qF "\`$name.dat\`" "$src/examples/README.md" || fail "examples/README.md does not describe $name.dat"
  "$korvan" run "$input" -o "$work" >"$work/$name.stdout" 2>"$work/$name.stderr"
  status=$?
  if [ "$status" -ne 0 ]; then
    fail "$name.dat: exit status $status"
    cat "$work/$name.stderr"
  fi
  problems=$(grep -c '^[A-Za-z]' "$input")
  completed=$(grep -c 'ANALYSIS COMPLETED' "$work/$name.out" 2>/dev/null)
  [ "$completed" -eq "$problems" ] || fail "$name.dat: $completed of $problems problems completed"
done
[ "$count" -gt 0 ] || fail "no examples found in $src/examples"

if [ "$failures" -eq 0 ]; then echo "examples: all $count examples checked"; fi
exit $((failures > 0))
