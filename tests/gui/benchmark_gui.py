#!/usr/bin/env python3
"""GUI test of a real benchmark run in the FLTK window, against the substitute
renderer at 20 times real speed (the one-minute render lasts 3 s).

benchmark_gui.py --program P --wm-close P --source-dir D --artifacts D

The start-up offer is accepted, a close request during PHASE 1 is dropped,
the Benchmark button stops PHASE 1, the preview and result windows are
checked for place, size and pictures (screenshots in the artifacts folder),
and a close request of the main window ends only the result window.
"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gui_driver import (BUTTONS, MAIN_TITLE, PATIENCE, Failure, Program, check,  # noqa: E402
                        make_sandbox, run_scenario)

PREVIEW = r"^TORVAmeter benchmark running\.\.\. \(real size 1536 x 2048\)$"
RESULT = r"^TORVAmeter benchmark result - 1 minute render \(real size 1536 x 2048\)$"
ESTIMATES = r"^TORVAmeter benchmark - estimates of PHASE 1$"


def varied(image, x0, y0, x1, y1):
    """A picture, not a flat fill: many distinct colours in the box."""
    colours = {image.pixel(x, y) for x in range(x0, x1, 7) for y in range(y0, y1, 7)}
    return len(colours) > 50


def caption_box(image, x0, y0):
    """The black box behind a caption's white text."""
    dark = sum(1 for x in range(x0, x0 + 120) for y in range(y0 + 1, y0 + 14)
               if max(image.pixel(x, y)) < 40)
    light = sum(1 for x in range(x0, x0 + 120) for y in range(y0 + 1, y0 + 14)
                if min(image.pixel(x, y)) > 200)
    return dark > 300 and light > 20


def wm_close(x, opts, window):
    subprocess.run([opts.wm_close, str(window)], env=x.env, check=True, timeout=10)


def run(x, opts, root):
    app, _ = make_sandbox(root, opts.source_dir)
    maxwell = os.path.join(root, "maxwell")
    tools = os.path.join(opts.source_dir, "tools/sim-maxwell")
    subprocess.run([sys.executable, os.path.join(tools, "make-installation"), maxwell,
                    "--speed", "20"], check=True, stdout=subprocess.DEVNULL, timeout=60)
    subprocess.run([sys.executable, os.path.join(tools, "make-benchmark-files"),
                    os.path.join(app, "benchmark")], check=True, timeout=120)

    program = Program([opts.program, "--app-dir", app, "--probe-limit", "600"], x.env)
    main = x.find(MAIN_TITLE, timeout=15)
    mx, my, mw, _ = x.geometry(main)
    offer = x.find(r"^TORVAmeter benchmark\?$", timeout=15)
    x.key(offer, "Return")  # Yes: the benchmark starts at once

    # PHASE 1: a close request asks whether to stop and quit; "No" (Escape)
    # goes on. Clicks before the second estimate are refused, so click until
    # the one-minute render opens its preview.
    time.sleep(0.5)
    wm_close(x, opts, main)
    question = x.find(r"^TORVAmeter$", timeout=15 * PATIENCE)
    x.screenshot(question, os.path.join(opts.artifacts, "benchmark-quit-question.png"))
    x.key(question, "Escape")
    deadline = time.monotonic() + 60 * PATIENCE
    while not x.visible(PREVIEW):
        check(program.proc.poll() is None, "the program ended during PHASE 1")
        check(time.monotonic() < deadline, "PHASE 1 was never stopped")
        x.click(main, *BUTTONS[6])
        time.sleep(0.7)

    preview = x.find(PREVIEW, timeout=5)
    check(x.geometry(preview) == (mx + mw + 7, my, 480, 640),
          f"preview at {x.geometry(preview)}, main window at {(mx, my, mw)}")
    try:
        shot = x.screenshot_when(preview, os.path.join(opts.artifacts, "benchmark-preview.png"),
                                 lambda image: caption_box(image, 180, 616), timeout=10)
    except subprocess.CalledProcessError:
        raise Failure("the preview closed before it could be photographed")
    check((shot.width, shot.height) == (480, 640), f"preview is {shot.width}x{shot.height}")
    check(caption_box(shot, 180, 616), "no 'Current SL' caption in the preview")
    check(varied(shot, 0, 0, 480, 600), "the preview shows no picture")

    result = x.find(RESULT, timeout=30)
    check(x.geometry(result)[2:] == (1050, 724), f"result window is {x.geometry(result)}")
    shot = x.screenshot_when(result, os.path.join(opts.artifacts, "benchmark-result.png"),
                             lambda image: caption_box(image, 135, 676) and
                             caption_box(image, 525 + 135, 676))
    check(caption_box(shot, 135, 676), "no caption under this system's picture")
    check(caption_box(shot, 525 + 135, 676), "no caption under the farm's picture")
    check(varied(shot, 0, 0, 525, 660), "this system's picture is blank")
    check(varied(shot, 525, 0, 1050, 660), "the farm's picture is blank")

    estimates = x.find(ESTIMATES, timeout=5)
    shot = x.screenshot_when(estimates, os.path.join(opts.artifacts, "benchmark-estimates.png"),
                             lambda image: image.pixel(5, 5) == (255, 255, 255))
    blue = sum(1 for px in range(0, shot.width, 2) for py in range(0, shot.height, 2)
               if shot.pixel(px, py)[2] > 150 and shot.pixel(px, py)[0] < 60)
    check(blue > 5, "the chart shows no estimate")

    # A close request of the main window ends the result window only.
    wm_close(x, opts, main)
    x.gone(RESULT, timeout=10)
    x.gone(ESTIMATES, timeout=5)
    check(program.proc.poll() is None, "the program ended with the result window")
    check(x.visible(MAIN_TITLE), "the main window went with the result window")

    with open(os.path.join(app, "benchmark", "TORVAmeter_Benchmark.log")) as f:
        log = f.read().split("\n")
    # Stopped at the first chance, its estimates had not settled: a sixth line says so.
    check(len(log) == 7 and log[6] == "" and log[3].startswith("DeltaSL = ") and
          log[5].startswith("PHASE 1 ended before its estimates had settled"), f"log: {log}")

    # Back in the main loop: the buttons answer again, and closing ends it.
    x.click(main, *BUTTONS[9])
    about = x.find("^About TORVAmeter for Maxwell$", timeout=10)
    x.key(about, "Return")
    x.gone("^About TORVAmeter for Maxwell$")
    wm_close(x, opts, main)
    check(program.wait(10) == 0, "exit status")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program")
    ap.add_argument("--wm-close")
    ap.add_argument("--source-dir")
    ap.add_argument("--artifacts")
    opts = ap.parse_args()
    return run_scenario("benchmark", run, opts)


if __name__ == "__main__":
    sys.exit(main())
