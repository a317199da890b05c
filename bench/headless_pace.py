#!/usr/bin/env python3
"""How fast the commands without a window pass the renderer on, side by side
with the bare renderer: the substitute renderer (its model, at --speed S)
traces when it prints each line (SIM_MAXWELL_TRACE), and this script notes
when the program shows it on standard error.

For each program given (say an older build beside build/src/torvameter-sandbox),
each round runs, in turn:
  estimate   a short headless estimation (800 x 600 up to SL --sl), against
             the same render run bare (same arguments, no program around it):
             the command's whole time, the bare render's, their ratio, and
             how long after the renderer printed it the first prediction
             was shown;
  benchmark  the headless benchmark (--estimates 3): how long after the
             renderer printed it the first estimation was shown, and when,
             from the command's start, beside when the bare PHASE 1 render
             prints it from its own start.
Medians over the rounds; programs alternate, since this machine's speed drifts.
With --burst every render replays BURST instead: its first prediction comes
at once with the opening lines, where a pace of one line in 100 ms shows most.

headless_pace.py [--rounds 5] [--speed 60] [--sl 14] [--burst] PROGRAM...
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, ".."))
SIM = os.path.join(SOURCE, "tools", "sim-maxwell")
SCENE = "SIM-MXS 1\ncamera Main;800x600 active\nmxi-size-mb 3\n"
BURST = "".join("SL of %d.00. Elapsed 0h 0m %ds\nTime left: 0h %dm 0s\n@sleep 250\n" % (8 + i, 15 * i, 59 - i)
                for i in range(4)) + "SL of 12.00. Time limit reached\nRender finished in 0h 1m 0s\n"


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw)


def read_trace(path):
    """The renderer runs in a trace: [{"argv", "cwd", "lines": [(time, text)]}]."""
    runs = []
    with open(path, encoding="utf-8") as f:
        for entry in f.read().splitlines():
            when, kind, text = (entry.split(" ", 2) + [""])[:3]
            if kind == "start":
                runs.append(dict(json.loads(text), lines=[]))
            elif kind == "line":
                runs[-1]["lines"].append((float(when), text))
    return runs


def first(lines, marker):
    return next(when for when, text in lines if marker in text)


def timed_run(args, env=None, cwd=None, stream="stderr", stop_at=None):
    """Runs `args` (ended once a line holds `stop_at`, when given); (start,
    end, [(time, line)]) of the lines of `stream`."""
    lines = []
    start = time.monotonic()
    proc = subprocess.Popen(args, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE if stream == "stdout" else subprocess.DEVNULL,
                            stderr=subprocess.PIPE if stream == "stderr" else subprocess.DEVNULL)
    pipe = proc.stdout if stream == "stdout" else proc.stderr

    def reader():
        for raw in iter(pipe.readline, b""):
            lines.append((time.monotonic(), raw.decode("utf-8", "replace").rstrip("\n")))
            if stop_at and stop_at in lines[-1][1]:
                proc.terminate()
                return

    thread = threading.Thread(target=reader)
    thread.start()
    status = proc.wait()
    thread.join()
    end = time.monotonic()
    if status != 0 and not stop_at:
        raise RuntimeError("%s ended with %d:\n%s" % (args, status,
                                                      "\n".join(t for _, t in lines)))
    return start, end, lines


class Sandbox:
    def __init__(self, root, speed, burst):
        self.root = root
        self.maxwell = os.path.join(root, "Maxwell")
        options = ["--speed", str(speed), "--seed", "7"]
        if burst:
            with open(os.path.join(root, "burst.txt"), "w") as f:
                f.write(BURST)
            options += ["--replay", os.path.join(root, "burst.txt")]
        run([os.path.join(SIM, "make-installation"), self.maxwell] + options)
        self.renderer = os.path.join(self.maxwell, "Maxwell.app", "Contents", "MacOS", "Maxwell")
        project = os.path.join(root, "project")
        os.makedirs(project)
        for name, text in (("Kitchen.mxs", SCENE), ("cameras.txt", "Main;800x600, 35mm, active;1\n"),
                           ("TORVAmeter_Maxwell.log", "project log\n")):
            with open(os.path.join(project, name), "w") as f:
                f.write(text)
        self.project = project
        self.bare = os.path.join(root, "bare")
        os.makedirs(self.bare)
        shutil.copy(os.path.join(project, "Kitchen.mxs"), self.bare)
        library = os.path.join(self.maxwell, "library", "Scenes", "Bottles_on_a_window")
        for name in os.listdir(library):
            shutil.copy(os.path.join(library, name), self.bare)

    def app_for(self, program):
        """An application folder of the program's own, set up and benchmarked."""
        app = os.path.join(self.root, "app-%d" % abs(hash(program)))
        if not os.path.isdir(app):
            run([os.path.join(SOURCE, "tools", "app-folder", "install-app-folder"), app])
            os.makedirs(os.path.join(app, "archive"))
            run(["7za", "a", "-mx=1", os.path.join(app, "archive", "Kitchen.vum"), "."],
                cwd=self.project)
            base = [program, "--app-dir", app, "--probe-limit", "600"]
            run(base + ["setup", "--maxwell", self.maxwell])
            run(base + ["benchmark", "--estimates", "2"])
        return app

    def command(self, program, args):
        """Runs a command with the renderer traced: (start, end, lines, renders)."""
        trace = os.path.join(self.root, "trace.txt")
        if os.path.exists(trace):
            os.remove(trace)
        env = dict(os.environ, SIM_MAXWELL_TRACE=trace)
        base = [program, "--app-dir", self.app_for(program), "--probe-limit", "600"]
        start, end, lines = timed_run(base + args, env=env)
        renders = [r for r in read_trace(trace) if any(a.startswith("-mxs:") for a in r["argv"])]
        return start, end, lines, renders

    def bare_render(self, render, work_dir, whole=True):
        """The same render without the program, to its end or only up to its
        first "Time left:": (seconds, that line's time since the start)."""
        argv = [a.replace(work_dir, self.bare) for a in render["argv"]]
        start, end, lines = timed_run([self.renderer] + argv, cwd=render["cwd"], stream="stdout",
                                      stop_at=None if whole else "Time left:")
        return end - start, first(lines, "Time left:") - start


def measure(sandbox, program, sl):
    result = {}
    app = sandbox.app_for(program)
    start, end, lines, renders = sandbox.command(
        program, ["estimate", os.path.join(app, "archive", "Kitchen.vum"), "--size", "800x600",
                  "--sl", str(sl)])
    result["estimate_s"] = end - start
    result["est_latency_ms"] = 1000 * (first(lines, "Est. at") -
                                       first(renders[0]["lines"], "Time left:"))
    bare_s, _ = sandbox.bare_render(renders[0], os.path.join(app, "workdir"))
    result["bare_render_s"] = bare_s
    result["ratio"] = result["estimate_s"] / bare_s

    start, end, lines, renders = sandbox.command(program, ["benchmark", "--estimates", "3"])
    shown = first(lines, "(estimation 1)")
    result["bench_latency_ms"] = 1000 * (shown - first(renders[0]["lines"], "Time left:"))
    result["bench_first_s"] = shown - start
    _, result["bare_first_s"] = sandbox.bare_render(renders[0], os.path.join(app, "benchmark"),
                                                    whole=False)
    return result


COLUMNS = [("estimate_s", "estimate s", "%.2f"), ("bare_render_s", "bare s", "%.2f"),
           ("ratio", "ratio", "%.2f"), ("est_latency_ms", "est. 1st ms", "%.0f"),
           ("bench_latency_ms", "bench 1st ms", "%.0f"), ("bench_first_s", "bench 1st s", "%.2f"),
           ("bare_first_s", "bare 1st s", "%.2f")]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("programs", nargs="+")
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--speed", type=float, default=60)
    ap.add_argument("--sl", type=int, default=14)
    ap.add_argument("--burst", action="store_true")
    opts = ap.parse_args()
    root = tempfile.mkdtemp(prefix="tm-pace-")
    try:
        # Copies, so that a rebuild meanwhile does not pull them away.
        programs = []
        for i, program in enumerate(opts.programs):
            programs.append(shutil.copy(program, os.path.join(root, "program%d" % i)))
        sandbox = Sandbox(root, opts.speed, opts.burst)
        results = {p: [] for p in programs}
        for _ in range(opts.rounds):
            for program in programs:
                results[program].append(measure(sandbox, program, opts.sl))
    finally:
        shutil.rmtree(root, ignore_errors=True)
    width = max(len(p) for p in opts.programs)
    print("%-*s" % (width, "program") + "".join("%14s" % title for _, title, _ in COLUMNS))
    for name, program in zip(opts.programs, programs):
        row = "%-*s" % (width, name)
        for key, _, form in COLUMNS:
            row += "%14s" % (form % statistics.median(r[key] for r in results[program]))
        print(row)
    return 0


if __name__ == "__main__":
    sys.exit(main())
