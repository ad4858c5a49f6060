#!/usr/bin/env python3
"""Benchmark: a study on two threads against the same study on one.

The engine runs without the GIL, so two threads should take close to half
the time of one on a machine with two free cores. Prints the times and the
speed-up; exit status 1 when the speed-up is below --expect (default 1.6).

    PYTHONPATH=build/python /usr/bin/python3 python/bench/study_threads.py [--runs 400]
"""
import argparse
import pathlib
import time

import korvan

ROOT = pathlib.Path(__file__).resolve().parents[2]


def main() -> int:
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=400)
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--expect", type=float, default=1.6)
    args = ap.parse_args()
    # The examples with generated soil: the longer runs.
    examples = [ROOT / "examples" / f for f in (
        "soldier_pile_sand_two_tiebacks.dat", "sand_cantilever_water_metric.dat",
        "sheet_pile_soft_clay.dat", "drilled_shaft_weak_rock.dat")]
    models = [korvan.Model.load(examples[k % len(examples)]) for k in range(args.runs)]
    korvan.study(models[:8], workers=2, progress=False)  # warm up

    def best(workers):
        times = []
        for _ in range(args.repeat):
            t = time.perf_counter()
            korvan.study(models, workers=workers, progress=False)
            times.append(time.perf_counter() - t)
        return min(times)

    one, two = best(1), best(2)
    speedup = one / two
    print(f"{args.runs} runs: 1 thread {one:.3f} s, 2 threads {two:.3f} s, "
          f"speed-up {speedup:.2f}")
    return 0 if speedup >= args.expect else 1


if __name__ == "__main__":
    raise SystemExit(main())
