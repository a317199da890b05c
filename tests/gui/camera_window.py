#!/usr/bin/env python3
"""GUI test of the preparation's camera window: three cameras listed by the
substitute Pymaxwell, shown in the real FLTK window, OK with nothing ticked
(the error box, the boxes unticked again), then a tick and OK.

camera_window.py --probe CAMERA_STEP_PROBE --source-dir D --artifacts D
"""
import argparse
import os
import shutil
import subprocess
import sys

from gui_driver import SCREEN_H, SCREEN_W, Program, check, run_scenario

TITLE = r"^Check cameras to render \(3 found\)$"


def run(x, opts, root):
    maxwell = os.path.join(root, "maxwell")
    subprocess.run([sys.executable, os.path.join(opts.source_dir, "tools/sim-maxwell/make-installation"),
                    maxwell], check=True, stdout=subprocess.DEVNULL, timeout=60)
    app = os.path.join(root, "app")
    os.makedirs(os.path.join(app, "benchmark"))
    shutil.copy(os.path.join(opts.source_dir, "data/benchmark/GetCameras.py"),
                os.path.join(app, "benchmark"))
    scene = os.path.join(root, "Kitchen")
    shutil.copytree(os.path.join(opts.source_dir, "tools/sim-maxwell/scenes/Kitchen"), scene)

    probe = Program([opts.probe, app, maxwell + "/", os.path.join(scene, "Kitchen.mxs")], x.env)
    window = x.find(TITLE, timeout=20)
    geometry = x.geometry(window)
    check(geometry == ((SCREEN_W - 290) // 2, (SCREEN_H - 140) // 2, 290, 140),
          f"camera window at {geometry}")
    # Each box and its label: dark pixels in the band of rows from its y.
    dark = lambda image, top: sum(1 for cx in range(10, 260) for cy in range(top, top + 20)
                                  if max(image.pixel(cx, cy)) < 80)
    shot = x.screenshot_when(window, os.path.join(opts.artifacts, "camera-window.png"),
                             lambda image: all(dark(image, y) > 100 for y in (20, 50, 80)))
    for y in (20, 50, 80):
        check(dark(shot, y) > 100, f"no check box drawn at y {y}")

    x.click(window, 230 + 22, 100 + 17)  # OK at y 140 - 40, nothing ticked
    box = x.find("^TORVAmeter error$", timeout=10)
    x.key(box, "Return")
    x.gone("^TORVAmeter error$")
    x.click(window, 20, 50 + 10)  # the second box, at y 50
    x.click(window, 230 + 22, 100 + 17)
    probe.expect_next("camera Overview;1920x1080, 24mm, active;0", timeout=15)
    probe.expect_next("camera Sink close-up;1920x1080, 85mm;1")
    probe.expect_next("camera Window;1080x1920, 35mm;0")
    probe.expect_next("done")
    check(probe.wait(10) == 0, "probe failed")
    check(not x.visible(TITLE), "camera window left open")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--probe")
    ap.add_argument("--source-dir")
    ap.add_argument("--artifacts")
    opts = ap.parse_args()
    return run_scenario("camera-window", run, opts)


if __name__ == "__main__":
    sys.exit(main())
