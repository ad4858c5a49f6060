#!/bin/sh
# Writes the inputs of the whole-program benchmarks into DIR (default
# build-bench/inputs), from the shipped examples:
#   DIR/stages1000.dat  one file of 1,000 problems: the soldier-pile wall
#                       in sand (generated p-y curves and earth pressure),
#                       each stage continued by a continuation code of 7;
#   DIR/batch/*.dat     200 files, the examples in turn.
# See docs/performance.md for the commands that time them.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build-bench/inputs}
mkdir -p "$dir/batch"
rm -f "$dir/batch/"*.dat
examples=$(ls "$here"/examples/*.dat)
count=$(echo "$examples" | wc -l)

# The stages: the example but its last record (the continuation code),
# then 7 (not its stage code: another problem follows), and 0 after the
# last.
out="$dir/stages1000.dat"
stage="$here/examples/soldier_pile_sand_two_tiebacks.dat"
: > "$out"
i=0
while [ "$i" -lt 1000 ]; do
  i=$((i + 1))
  sed '$d' "$stage" >> "$out"
  if [ "$i" -lt 1000 ]; then echo 7 >> "$out"; else echo 0 >> "$out"; fi
done

i=0
while [ "$i" -lt 200 ]; do
  for f in $examples; do
    [ "$i" -lt 200 ] || break
    i=$((i + 1))
    cp "$f" "$dir/batch/$(printf %03d "$i")_$(basename "$f")"
  done
done
echo "$dir/stages1000.dat: $(grep -c . "$out") lines; $dir/batch: 200 files of $count examples"
