#!/usr/bin/env python3
"""How often the price range of an estimation holds the true price, against
renderers whose predictions err in different ways (the substitute's
--behaviour). For each behaviour and seed, the sandbox program sets up a
fresh application folder, runs the CPU benchmark, then estimates one packed
project (the Teapot sample, packed once per bench run) at --size and --sl.
The truth is the substitute's own whole render time of the benchmark scene
(1536x2048 to SL 20) and of the project, each from a run left to its end:

    true ratio  = benchmark scene's time / 481 s (the farm's time)
    true price  = project's time / true ratio / 3600 * 107.82 EUR

The default project, 1920x1080 to SL 20, takes the default machine about
21 minutes: tau = 0.368 s * 2.0736 megapixels * cost 0.5 = 0.3815 s, and
tau * (1.5**20 - 1) = 1268 s. So an estimation cannot simply wait for the end.

The installations run at real-time pace (--speed 1) unless --speed is given;
the runs mostly sleep, so many go at once (--jobs). A failed command is
counted, not fatal. Records the program does not write yet count as unknown.

price_range.py --program build/src/torvameter-sandbox [--seeds 20] [--jobs 20]
               [--behaviours default,rate] [--speed 1] [--size 1920x1080] [--sl 20]
               [--keep DIR]
"""
import argparse
import concurrent.futures
import json
import math
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, ".."))
SIM = os.path.join(SOURCE, "tools", "sim-maxwell")
MAKE_INSTALLATION = os.path.join(SIM, "make-installation")
INSTALL_APP_FOLDER = os.path.join(SOURCE, "tools", "app-folder", "install-app-folder")
PROJECT = os.path.join(SIM, "scenes", "Teapot")
BEHAVIOURS = "default,slow-high,slow-low,noise,rate,drift,alternate"
FARM_SECONDS_V5 = 481
EUR_PER_FARM_HOUR = 107.82
BENCH_SCENE_SECONDS = 3848  # the benchmark scene's whole render on the default machine

# Process groups of the commands running now, so that an interrupted bench
# leaves none of their renderers behind; once STOPPING, none starts.
RUNNING = set()
RUNNING_LOCK = threading.Lock()
STOPPING = threading.Event()


class Failed(Exception):
    def __init__(self, step, result):
        super().__init__(f"{step}: {result['error']}")
        self.step, self.result = step, result


def end_group(pid, sig):
    try:
        os.killpg(pid, sig)
    except ProcessLookupError:
        pass


def end_all_running():
    """Stops what still runs: asked first, killed after ten seconds."""
    STOPPING.set()
    for sig in (signal.SIGTERM, signal.SIGKILL):
        with RUNNING_LOCK:
            for pid in RUNNING:
                end_group(pid, sig)
        for _ in range(100):
            with RUNNING_LOCK:
                if not RUNNING:
                    return
            time.sleep(0.1)


def run(args, timeout, cwd=None):
    """{"status", "stdout", "error"}: the command in a process group of its
    own, all of which is killed when it outlasts `timeout` seconds."""
    with RUNNING_LOCK:
        if STOPPING.is_set():
            return {"status": None, "stdout": "", "error": "bench interrupted"}
        proc = subprocess.Popen(args, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True, start_new_session=True)
        RUNNING.add(proc.pid)
    try:
        out, err = proc.communicate(timeout=timeout)
        error = None if proc.returncode == 0 else "exit status %d: %s" % (
            proc.returncode, (err.strip().splitlines() or ["(no message)"])[-1])
    except subprocess.TimeoutExpired:
        # Asked first, so that the program can end its renderer.
        end_group(proc.pid, signal.SIGTERM)
        try:
            out, err = proc.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            end_group(proc.pid, signal.SIGKILL)
            out, err = proc.communicate()
        error = f"no end after {timeout:.0f} s"
    finally:
        with RUNNING_LOCK:
            RUNNING.discard(proc.pid)
    return {"status": proc.returncode, "stdout": out, "error": error}


def checked(step, args, timeout, cwd=None):
    result = run(args, timeout, cwd)
    if result["error"]:
        raise Failed(step, result)
    return result["stdout"]


def json_record(stdout):
    """The record a --json command printed (its last line), or None."""
    lines = [l for l in stdout.splitlines() if l.strip()]
    try:
        return json.loads(lines[-1]) if lines else None
    except ValueError:
        return None


def finished_seconds(maxwell, scene, size, sl):
    """The substitute's whole render time, from a run left to its end."""
    out = checked("truth", [os.path.join(maxwell, "Maxwell.app", "Contents", "MacOS", "Maxwell"),
                            "-mxs:" + scene, "-res:" + size, "-t:9999999", "-s:" + str(sl),
                            "-nomxi:on", "-noimage:on"], 600, cwd=maxwell)
    h, m, s = re.search(r"Render finished in (\d+)h (\d+)m (\d+)s", out).groups()
    return int(h) * 3600 + int(m) * 60 + int(s)


def prepare_project(program, root, size, sl):
    """Packs the project once, with a fast installation; (archive, truth)."""
    maxwell, app = os.path.join(root, "fast"), os.path.join(root, "fast-app")
    scene_folder = os.path.join(root, "project")
    shutil.copytree(PROJECT, scene_folder)
    scene = os.path.join(scene_folder, "Teapot.mxs")
    checked("installation", [MAKE_INSTALLATION, maxwell, "--speed", "100000"], 300)
    checked("app folder", [INSTALL_APP_FOLDER, app], 300)
    checked("setup", [program, "--app-dir", app, "setup", "--maxwell", maxwell], 900)
    record = json_record(checked("prepare", [program, "--app-dir", app, "prepare", scene, "--json"], 900))
    archive = (record or {}).get("archive")
    if not archive:
        raise Failed("prepare", {"error": "no archive in its record"})
    bench = finished_seconds(maxwell, os.path.join(maxwell, "library", "Scenes", "Bottles_on_a_window",
                                                   "Bottles_on_a_window.mxs"), "1536x2048", 20)
    project = finished_seconds(maxwell, scene, size, sl)
    ratio = bench / FARM_SECONDS_V5
    farm_seconds = project / ratio
    truth = {"benchmark_scene_seconds": bench, "project_seconds": project, "speed_ratio": ratio,
             "farm_seconds": farm_seconds, "cost_eur": farm_seconds / 3600 * EUR_PER_FARM_HOUR,
             "size": size, "sl": sl, "archive": os.path.basename(archive)}
    return archive, truth


def one_run(program, root, behaviour, seed, speed, archive, size, sl):
    """{"benchmark": record, "estimate": record, "failed": step or None, ...}."""
    folder = os.path.join(root, f"{behaviour}-{seed}")
    maxwell, app = os.path.join(folder, "Maxwell"), os.path.join(folder, "app")
    # Real time a whole benchmark-scene render would take, twice, and then some.
    timeout = 900 + 2 * BENCH_SCENE_SECONDS / speed
    result = {"behaviour": behaviour, "seed": seed, "benchmark": None, "estimate": None,
              "failed": None}
    base = [program, "--app-dir", app, "--probe-limit", "600"]
    try:
        checked("installation", [MAKE_INSTALLATION, maxwell, "--speed", str(speed), "--seed", str(seed),
                                 "--behaviour", behaviour], 300)
        checked("app folder", [INSTALL_APP_FOLDER, app], 300)
        checked("setup", base + ["setup", "--maxwell", maxwell], 900)
        for step, args in [("benchmark", ["benchmark", "--json"]),
                           ("estimate", ["estimate", archive, "--size", size, "--sl", str(sl), "--json"])]:
            outcome = run(base + args, timeout)
            result[step] = json_record(outcome["stdout"])
            if outcome["error"]:
                result["failed"], result["error"] = step, outcome["error"]
                break
    except Failed as e:
        result["failed"], result["error"] = e.step, e.result["error"]
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return result


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def contains(low, high, value):
    return (low is None or low <= value) and (high is None or value <= high)


def half_width(low, high, point):
    return math.inf if low is None or high is None else (high - low) / 2 / point


def share(flags):
    return f"{sum(flags) / len(flags):.0%}" if flags else "-"


def spread(values, fmt):
    """Median and p90 of values, or dashes when there are none."""
    if not values:
        return "-", "-"
    return tuple("open" if math.isinf(v) else format(v, fmt)
                 for v in (statistics.median(values), percentile(values, 90)))


def row(behaviour, runs, truth):
    # A benchmark finished when its record says so; a record without an
    # outcome, when the command succeeded with a ratio.
    finished = [b for b in (r["benchmark"] for r in runs if r["benchmark"])
                if b.get("outcome", "finished" if b.get("speed_ratio") is not None else None) == "finished"]
    ratio_known = [b for b in finished if "speed_ratio_low" in b and "speed_ratio_high" in b]
    priced = [r["estimate"] for r in runs if r["estimate"] and r["estimate"].get("cost_eur") is not None]
    ranged = [e for e in priced if "cost_low_eur" in e and "cost_high_eur" in e]
    price = truth["cost_eur"]
    widths = [half_width(e["cost_low_eur"], e["cost_high_eur"], e["cost_eur"]) for e in ranged]
    errors = [abs(e["cost_eur"] / price - 1) for e in priced]
    width_med, width_p90 = spread(widths, ".1%")
    error_med, error_p90 = spread(errors, ".1%")
    return [behaviour, len(runs), sum(1 for r in runs if r["failed"]), len(finished),
            share([contains(b["speed_ratio_low"], b["speed_ratio_high"], truth["speed_ratio"])
                   for b in ratio_known]),
            len(priced), share([contains(e["cost_low_eur"], e["cost_high_eur"], price) for e in ranged]),
            width_med, width_p90, error_med, error_p90,
            share([e["settled"] for e in priced if "settled" in e])]


def print_table(behaviours, results, truth):
    print(f"true: benchmark scene {truth['benchmark_scene_seconds']} s, ratio {truth['speed_ratio']:.4f}; "
          f"project {truth['size']} SL {truth['sl']} {truth['project_seconds']} s, "
          f"farm {truth['farm_seconds']:.1f} s, {truth['cost_eur']:.2f} EUR")
    header = ["behaviour", "runs", "failed", "bench", "ratio cov", "priced", "coverage",
              "half med", "half p90", "|err| med", "|err| p90", "settled"]
    widths = [10] + [max(7, len(h) + 1) for h in header[1:]]
    print("".join(f"{h:<{w}}" if i == 0 else f"{h:>{w}}" for i, (h, w) in enumerate(zip(header, widths))))
    for behaviour in behaviours:
        cells = row(behaviour, [r for r in results if r["behaviour"] == behaviour], truth)
        print("".join(f"{c:<{w}}" if i == 0 else f"{c!s:>{w}}" for i, (c, w) in enumerate(zip(cells, widths))))
    failures = [r for r in results if r["failed"]]
    for r in failures:
        print(f"  failed: {r['behaviour']} seed {r['seed']}, {r['failed']}: {r['error']}")


def keep(folder, results, truth):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "truth.json"), "w") as f:
        json.dump(truth, f, indent=1)
    for r in results:
        run_folder = os.path.join(folder, r["behaviour"], f"seed{r['seed']}")
        os.makedirs(run_folder, exist_ok=True)
        for step in ("benchmark", "estimate"):
            with open(os.path.join(run_folder, step + ".json"), "w") as f:
                json.dump(r[step], f, indent=1)
        if r["failed"]:
            with open(os.path.join(run_folder, "failed.json"), "w") as f:
                json.dump({"step": r["failed"], "error": r["error"]}, f, indent=1)


def interrupted(signum, frame):
    raise KeyboardInterrupt


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--seeds", type=int, default=20)
    parser.add_argument("--behaviours", default=BEHAVIOURS)
    parser.add_argument("--jobs", type=int, default=20)
    parser.add_argument("--speed", type=float, default=1.0, help="pace of the substitute (1: real time)")
    parser.add_argument("--size", default="1920x1080")
    parser.add_argument("--sl", type=int, default=20)
    parser.add_argument("--keep", metavar="DIR", help="write every record and truth.json into DIR")
    args = parser.parse_args()
    behaviours = [b for b in args.behaviours.split(",") if b]
    signal.signal(signal.SIGTERM, interrupted)
    root = tempfile.mkdtemp(prefix="tm-price-")
    results = []
    try:
        # A copy, so that a rebuild meanwhile does not pull it away.
        program = shutil.copy(args.program, os.path.join(root, "program"))
        archive, truth = prepare_project(program, root, args.size, args.sl)
        runs = [(b, seed) for seed in range(1, args.seeds + 1) for b in behaviours]
        pool = concurrent.futures.ThreadPoolExecutor(args.jobs)
        futures = [pool.submit(one_run, program, root, b, seed, args.speed, archive, args.size, args.sl)
                   for b, seed in runs]
        try:
            for done in concurrent.futures.as_completed(futures):
                r = done.result()
                results.append(r)
                price = (r["estimate"] or {}).get("cost_eur")
                print(f"[{len(results)}/{len(runs)}] {r['behaviour']} seed {r['seed']}: "
                      + (f"failed at {r['failed']}: {r['error']}" if r["failed"] else f"{price} EUR"),
                      file=sys.stderr, flush=True)
        finally:
            end_all_running()  # nothing, unless interrupted
            pool.shutdown(cancel_futures=True)
    except Failed as e:
        print(f"price_range.py: cannot prepare the project, {e}", file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print("price_range.py: interrupted", file=sys.stderr)
        return 130
    finally:
        shutil.rmtree(root, ignore_errors=True)
    results.sort(key=lambda r: (behaviours.index(r["behaviour"]), r["seed"]))
    if args.keep:
        keep(args.keep, results, truth)
    print(f"{args.seeds} seeds at speed {args.speed:g}, project {args.size} to SL {args.sl}")
    print_table(behaviours, results, truth)
    return 0


if __name__ == "__main__":
    sys.exit(main())
