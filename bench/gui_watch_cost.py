#!/usr/bin/env python3
"""What watching an estimation costs the real program in its window: the
sandbox program on an Xvfb of its own, a project of 800 x 600 pixels rendered
by the substitute renderer at its real-time speed, measured while the preview
window is open. Reports the program's own processor share (its children's
time not counted) and its wake-ups per second (voluntary context switches).

gui_watch_cost.py --source-dir D [--seconds S] PROGRAM...
Several programs (an older build beside a newer one) are measured in turn.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "gui"))
import estimate_gui  # noqa: E402
import gui_driver as gd  # noqa: E402

PREVIEW = "^TORVAmeter estimation running"


def usage(pid):
    """(seconds on a processor, voluntary context switches) of one process."""
    with open(f"/proc/{pid}/schedstat") as f:
        cpu_ns = int(f.read().split()[0])
    with open(f"/proc/{pid}/status") as f:
        switches = next(int(line.split()[1]) for line in f
                        if line.startswith("voluntary_ctxt_switches"))
    return cpu_ns / 1e9, switches


def measure(program_path, source_dir, seconds):
    root = tempfile.mkdtemp(prefix="tm-gui-cost-")
    x = gd.Xserver()
    try:
        gd.load_gadgets(program_path)
        app = estimate_gui.prepare(root, source_dir, ["--speed", "1"], 800, 600)
        program = gd.Program([program_path, "--app-dir", app, "--probe-limit", "600"], x.env)
        main = x.find(gd.MAIN_TITLE, timeout=15)
        gd.answer_startup_questions(x, main)
        x.click(main, *gd.BUTTONS[7])
        estimate_gui.answer(x, "^Choose a vum project to estimate: $", "Kitchen.vum")
        estimate_gui.answer(x, "^Project X \\(width\\) resolution$", "800")
        estimate_gui.answer(x, "^Project Y \\(height\\) resolution$", "600")
        estimate_gui.answer(x, "^Sampling Level$", "25")
        try:
            x.find(PREVIEW, timeout=30)
        except gd.Failure:
            for window in x.visible("TORVAmeter"):
                x.screenshot(window, os.path.join(tempfile.gettempdir(), "gui-watch-cost-%s.png" % window))
            raise
        start_cpu, start_switches = usage(program.proc.pid)
        start = time.monotonic()
        time.sleep(seconds)
        cpu, switches = usage(program.proc.pid)
        wall = time.monotonic() - start
        gd.check(x.visible(PREVIEW), "the preview closed before the end of the measure")
        return 100 * (cpu - start_cpu) / wall, (switches - start_switches) / wall, wall
    finally:
        for running in gd.RUNNING:
            running.stop()
        gd.RUNNING.clear()
        x.stop()
        shutil.rmtree(root, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("programs", nargs="+")
    ap.add_argument("--source-dir", default=os.path.join(HERE, ".."))
    ap.add_argument("--seconds", type=float, default=60)
    opts = ap.parse_args()
    for program in opts.programs:
        cpu, wakeups, wall = measure(program, opts.source_dir, opts.seconds)
        print(f"{program}: own_cpu_percent={cpu:.3f} wakeups_per_s={wakeups:.2f} "
              f"watched_s={wall:.1f}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
