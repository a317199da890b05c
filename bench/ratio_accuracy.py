#!/usr/bin/env python3
"""How close the benchmark's speed ratio comes to the truth, over many seeds
of the substitute renderer (whose early predictions lean one way and settle,
as a progressive renderer's do). Each seed runs the sandbox program's
`benchmark --json` once with its default PHASE 1 (until the estimates settle)
and once with `--estimates N` for each N asked for. The truth is the
substitute's own whole render time to SL 20, from a run left to its end.

At speed 12 the substitute predicts every 3 simulated seconds, as it does in
real time, so the PHASE 1 lengths printed are real-time seconds.

ratio_accuracy.py --program build/src/torvameter-sandbox [--seeds 40] [--estimates 3,10]
"""
import argparse
import concurrent.futures
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, ".."))
SIM = os.path.join(SOURCE, "tools", "sim-maxwell")
FARM_SECONDS_V5 = 481
SPEED = 12


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw)


def true_whole_seconds(root, cpu_power):
    """The substitute's time to SL 20 for the benchmark scene, to its end."""
    maxwell = os.path.join(root, "truth")
    run([os.path.join(SIM, "make-installation"), maxwell, "--speed", "100000",
         "--cpu-power", str(cpu_power)])
    scene = os.path.join(maxwell, "library", "Scenes", "Bottles_on_a_window",
                         "Bottles_on_a_window.mxs")
    out = run([os.path.join(maxwell, "Maxwell.app", "Contents", "MacOS", "Maxwell"),
               "-mxs:" + scene, "-res:1536x2048", "-t:9999999", "-s:20", "-nomxi:on",
               "-noimage:on"], cwd=maxwell).stdout
    h, m, s = re.search(r"Render finished in (\d+)h (\d+)m (\d+)s", out).groups()
    return int(h) * 3600 + int(m) * 60 + int(s)


def one_seed(program, root, seed, cpu_power, variants):
    folder = os.path.join(root, f"seed{seed}")
    maxwell, app = os.path.join(folder, "Maxwell"), os.path.join(folder, "app")
    run([os.path.join(SIM, "make-installation"), maxwell, "--speed", str(SPEED),
         "--seed", str(seed), "--cpu-power", str(cpu_power)])
    run([os.path.join(SOURCE, "tools", "app-folder", "install-app-folder"), app])
    base = [program, "--app-dir", app, "--probe-limit", "600"]
    run(base + ["setup", "--maxwell", maxwell])
    results = {}
    for name, extra in variants:
        record = json.loads(run(base + ["benchmark", "--json"] + extra).stdout)
        estimates = record["phase1_estimates"]
        results[name] = (record["speed_ratio"], len(estimates),
                         estimates[-1]["rendered_seconds"] if estimates else 0)
    shutil.rmtree(folder, ignore_errors=True)
    return results


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--seeds", type=int, default=40)
    parser.add_argument("--estimates", default="3")
    parser.add_argument("--cpu-power", type=float, default=1.0)
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    variants = [("settled (default)", [])] + [
        (f"--estimates {n}", ["--estimates", n]) for n in args.estimates.split(",") if n]
    root = tempfile.mkdtemp(prefix="tm-ratio-")
    try:
        # A copy, so that a rebuild meanwhile does not pull it away.
        program = shutil.copy(args.program, os.path.join(root, "program"))
        truth = true_whole_seconds(root, args.cpu_power) / FARM_SECONDS_V5
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            runs = list(pool.map(
                lambda seed: one_seed(program, root, seed, args.cpu_power, variants),
                range(1, args.seeds + 1)))
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print(f"true ratio {truth:.4f} (cpu power {args.cpu_power}), {args.seeds} seeds")
    print(f"{'PHASE 1':<20}{'median err':>11}{'p90 |err|':>11}{'worst':>9}"
          f"{'estimates':>11}{'p90 s':>8}{'max s':>8}")
    for name, _ in variants:
        errors = [r[name][0] / truth - 1 for r in runs]
        counts = [r[name][1] for r in runs]
        seconds = [r[name][2] for r in runs]
        worst = max(errors, key=abs)
        print(f"{name:<20}{statistics.median(errors):>+10.1%} "
              f"{percentile([abs(e) for e in errors], 90):>10.1%} {worst:>+8.1%}"
              f"{statistics.median(counts):>11.0f}{percentile(seconds, 90):>8}{max(seconds):>8}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
