#!/bin/sh
# Times two builds of the program side by side on the inputs of
# make_inputs.sh: CPU time (user + system) and wall time per run, with
# hyperfine, the two builds alternating so that both see the same load
# (needs hyperfine and python3).
#   bench/compare.sh OLD_KORVAN NEW_KORVAN [INPUTS_DIR] [RUNS]
set -eu
old=$1
new=$2
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${3:-$here/build-bench/inputs}
runs=${4:-5}
[ -f "$dir/stages1000.dat" ] || "$here/bench/make_inputs.sh" "$dir"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/old" "$out/new"

# The batch files whose examples generate earth pressure.
pressure=""
for f in "$dir"/batch/*.dat; do
  case $f in
    *anchored_wall_fhwa* | *braced_excavation_clay_tp* | *drilled_shaft_weak_rock* | \
    *sand_cantilever_water_metric* | *sheet_pile_generated_pressure* | \
    *sheet_pile_soft_clay* | *soldier_pile_sand_two_tiebacks*) pressure="$pressure $f" ;;
  esac
done

time_pair() {  # name runs args...
  name=$1
  n=$2
  shift 2
  echo "== $name"
  hyperfine -N --warmup 1 --runs "$n" --export-json "$out/$name.json" \
    "$old run $* -o $out/old" "$new run $* -o $out/new" > /dev/null 2>&1 || true
  for which in 0 1; do
    python3 - "$out/$name.json" "$which" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]
cpu = [u + s for u, s in zip(r["user"], r["system"])] if "user" in r and isinstance(r["user"], list) else None
label = "old" if sys.argv[2] == "0" else "new"
print(f"  {label}: wall median {statistics.median(r['times']) * 1e3:.1f} ms, min {min(r['times']) * 1e3:.1f} ms;"
      f" CPU (user+sys) mean {(r['user'] + r['system']) * 1e3 if cpu is None else statistics.mean(cpu) * 1e3:.1f} ms")
PY
  done
}

time_pair stages1000 "$runs" "$dir/stages1000.dat"
time_pair batch200 "$runs" -j 1 "$dir"/batch/*.dat
# shellcheck disable=SC2086
time_pair batch_pressure "$runs" -j 1 $pressure
time_pair single_small "$((runs * 40))" "$here/examples/hand_check_cantilever.dat"
time_pair single_cantilever "$((runs * 40))" "$here/examples/cantilever_sheet_pile.dat"
