#!/bin/sh
# Times two builds of the program side by side on the inputs of
# make_inputs.sh: CPU time (user + system, from the kernel's accounting of
# each process) and wall time per run, the two builds alternating run by
# run so that both see the same load (needs python3).
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
  echo "== $1"
  python3 - "$old" "$new" "$out" "$@" <<'PY'
import os, statistics, subprocess, sys, time
old, new, out, name, runs, *args = sys.argv[1:]
cpu = {"old": [], "new": []}
sys_ = {"old": [], "new": []}
wall = {"old": [], "new": []}
for i in range(int(runs) + 1):          # the first round warms the caches
    for label, program in (("old", old), ("new", new)):
        start = time.perf_counter()
        child = subprocess.Popen([program, "run", *args, "-o", f"{out}/{label}"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        if i > 0:
            wall[label].append(time.perf_counter() - start)
            cpu[label].append(usage.ru_utime + usage.ru_stime)
            sys_[label].append(usage.ru_stime)
for label in ("old", "new"):
    print(f"  {label}: CPU (user+sys) mean {statistics.mean(cpu[label]) * 1e3:.1f} ms"
          f" (sys {statistics.mean(sys_[label]) * 1e3:.1f} ms);"
          f" wall median {statistics.median(wall[label]) * 1e3:.1f} ms,"
          f" min {min(wall[label]) * 1e3:.1f} ms")
print(f"  CPU ratio old/new {statistics.mean(cpu['old']) / statistics.mean(cpu['new']):.2f}")
PY
}

time_pair stages1000 "$runs" "$dir/stages1000.dat"
time_pair batch200 "$runs" -j 1 "$dir"/batch/*.dat
# shellcheck disable=SC2086
time_pair batch_pressure "$runs" -j 1 $pressure
time_pair single_small "$((runs * 40))" "$here/examples/hand_check_cantilever.dat"
time_pair single_cantilever "$((runs * 40))" "$here/examples/cantilever_sheet_pile.dat"
