#!/usr/bin/env python3
"""GUI test of the preparation's camera window, shown by the real FLTK desktop
with the cameras the substitute Pymaxwell lists:

- three cameras: OK with nothing ticked (the error box, the boxes unticked
  again), then a tick and OK;
- sixty cameras: the window fits the screen, its title is not cut, the list
  scrolls down to the last camera, which is ticked and taken with Return;
- Escape, and the window manager's close request, cancel the choice.

camera_window.py --probe CAMERA_STEP_PROBE --wm-close WM_CLOSE --source-dir D --artifacts D
"""
import argparse
import os
import shutil
import subprocess
import sys

from gui_driver import SCREEN_H, SCREEN_W, Failure, Program, check, run_scenario

TITLE = r"^Check cameras to render \(3 found\)$"
TITLE_60 = r"^Check cameras to render \(60 found\)$"
TITLE_2 = r"^Check cameras to render \(2 found\)$"
WIDTH = 290  # the window's width unless its title needs more


class Setup:
    def __init__(self, opts, root, env):
        self.opts, self.root, self.env = opts, root, env
        self.maxwell = os.path.join(root, "maxwell")
        subprocess.run([sys.executable,
                        os.path.join(opts.source_dir, "tools/sim-maxwell/make-installation"),
                        self.maxwell], check=True, stdout=subprocess.DEVNULL, timeout=60)
        self.runs = 0

    def probe(self, scene):
        """The camera step in a fresh application folder, on `scene`."""
        self.runs += 1
        app = os.path.join(self.root, "app%d" % self.runs)
        os.makedirs(os.path.join(app, "benchmark"))
        shutil.copy(os.path.join(self.opts.source_dir, "data/benchmark/GetCameras.py"),
                    os.path.join(app, "benchmark"))
        return Program([self.opts.probe, app, self.maxwell + "/", scene], self.env)

    def sample(self, name):
        scene = os.path.join(self.root, name)
        if not os.path.isdir(scene):
            shutil.copytree(os.path.join(self.opts.source_dir, "tools/sim-maxwell/scenes", name),
                            scene)
        return os.path.join(scene, name + ".mxs")


def find_window(x, probe, title):
    """The probe's camera window; when it does not come, what the probe said."""
    try:
        return x.find(title, timeout=20)
    except Failure as failure:
        status = probe.proc.poll()
        state = "still runs" if status is None else f"ended with status {status}"
        raise Failure(f"{failure}; the probe {state}, having printed {probe.seen + probe.drain()}")


def dark_pixels(image, top, left=10, right=260):
    """Dark pixels in the band of 20 rows from `top`: a box and its label."""
    return sum(1 for cx in range(left, right) for cy in range(top, top + 20)
               if max(image.pixel(cx, cy)) < 80)


def three_cameras(x, setup):
    probe = setup.probe(setup.sample("Kitchen"))
    window = find_window(x, probe, TITLE)
    left, top, width, height = x.geometry(window)
    check(height == 140 and width >= WIDTH, f"camera window is {width} x {height}")
    check((left, top) == ((SCREEN_W - width) // 2, (SCREEN_H - height) // 2),
          f"camera window at {left}, {top}")
    shot = x.screenshot_when(window, os.path.join(setup.opts.artifacts, "camera-window.png"),
                             lambda image: all(dark_pixels(image, y) > 100 for y in (20, 50, 80)))
    for y in (20, 50, 80):
        check(dark_pixels(shot, y) > 100, f"no check box drawn at y {y}")

    ok = (width - 50, 117)  # OK 80 x 25 in the lower right corner, 10 from the edges
    x.click(window, *ok)  # nothing ticked
    box = x.find("^TORVAmeter error$", timeout=10)
    x.key(box, "Return")
    x.gone("^TORVAmeter error$")
    x.click(window, 20, 50 + 10)  # the second box, at y 50
    x.click(window, *ok)
    probe.expect_next("camera Overview;1920x1080, 24mm, active;0", timeout=15)
    probe.expect_next("camera Sink close-up;1920x1080, 85mm;1")
    probe.expect_next("camera Window;1080x1920, 35mm;0")
    probe.expect_next("done")
    check(probe.wait(10) == 0, "probe failed")
    check(not x.visible(TITLE), "camera window left open")


def sixty_cameras(x, setup):
    folder = os.path.join(setup.root, "Many")
    os.makedirs(folder)
    with open(os.path.join(folder, "Many.mxs"), "w", encoding="utf-8") as scene:
        scene.write("SIM-MXS 1\n")
        for i in range(1, 61):
            scene.write(f"camera Camera number {i};1920x1080 {20 + i}mm\n")
    probe = setup.probe(os.path.join(folder, "Many.mxs"))
    window = find_window(x, probe, TITLE_60)
    left, top, width, height = x.geometry(window)
    # With no window manager, the screen but the 20 rows FLTK keeps above a window.
    check(height == SCREEN_H - 20, f"sixty cameras in a window {height} high")
    check(top >= 0 and top + height <= SCREEN_H, f"window from y {top} to {top + height}")
    check(width > WIDTH, f"window {width} wide, not widened to its title")
    artifact = os.path.join(setup.opts.artifacts, "camera-window-60.png")
    shot = x.screenshot_when(window, artifact, lambda image: dark_pixels(image, 20) > 100)
    check(dark_pixels(shot, 20) > 100, "first camera not drawn")
    # The buttons stay in the window's last 40 rows, below the list.
    check(dark_pixels(shot, height - 30, width - 135, width - 15) > 50, "no buttons drawn")

    for _ in range(4):  # down to the end of the list with the wheel
        x.click(window, 100, height // 2, button=5, repeat=20)
    # At the end the last box stands just above the list's lower edge (the
    # list ends 50 rows above the window's).
    last = height - 50 - 20
    shot = x.screenshot_when(window, os.path.join(setup.opts.artifacts,
                                                  "camera-window-60-scrolled.png"),
                             lambda image: dark_pixels(image, last) > 100)
    check(dark_pixels(shot, last) > 100, "the list did not scroll to its last camera")
    x.click(window, 20, last + 10)
    x.key(window, "Return")
    for i in range(1, 61):
        probe.expect_next(f"camera Camera number {i};1920x1080, {20 + i}mm;{1 if i == 60 else 0}",
                          timeout=15)
    probe.expect_next("done")
    check(probe.wait(10) == 0, "probe failed")


def cancelled(x, setup, how):
    probe = setup.probe(setup.sample("Loft"))
    window = find_window(x, probe, TITLE_2)
    # 2 x 40 + 20 rows would put the buttons beside the second box: 10 more.
    _, _, width, height = x.geometry(window)
    check(width >= WIDTH and height == 110, f"two cameras: {x.geometry(window)}")
    how(window)
    probe.expect_next("cancelled", timeout=15)
    probe.expect_next("camera Main;2400x1600, 28mm, active")
    probe.expect_next("camera Detail;1600x1600, 60mm")
    probe.expect_next("done")
    check(probe.wait(10) == 0, "probe failed")
    x.gone(TITLE_2)


def ink_right(image, top, bottom, left, right):
    """The rightmost column from `left` to `right` with dark pixels in rows
    `top` to `bottom`, or `left`."""
    for px in range(right - 1, left, -1):
        if any(max(image.pixel(px, py)) < 80 for py in range(top, bottom)):
            return px
    return left


def three_cameras_managed(x, setup, size):
    """Under a window manager: every label whole inside the window, OK and
    Cancel at their usual size in the lower right corner."""
    probe = setup.probe(setup.sample("Kitchen"))
    window = find_window(x, probe, TITLE)
    _, _, width, height = x.geometry(window)
    check(height == 140 and width >= WIDTH, f"camera window is {width} x {height}")
    shot = x.screenshot_when(window, os.path.join(setup.opts.artifacts,
                                                  f"camera-window-{size}.png"),
                             lambda image: all(dark_pixels(image, y) > 100 for y in (20, 50, 80)))
    x.screenshot("root", os.path.join(setup.opts.artifacts, f"camera-window-{size}-screen.png"))
    for y in (20, 50, 80):
        right = ink_right(shot, y, y + 20, 10, width)
        check(right < width - 10, f"the label at y {y} reaches x {right} of {width}")
    # The buttons' rows hold nothing but the buttons: 80 x 25, 10 from the edges.
    check(ink_right(shot, 105, 130, 10, width) < width - 10, "OK flush with the edge")
    x.click(window, 20, 50 + 10)
    x.click(window, width - 50, 117)
    probe.expect_next("camera Overview;1920x1080, 24mm, active;0", timeout=15)
    probe.expect_next("camera Sink close-up;1920x1080, 85mm;1")
    probe.expect_next("camera Window;1080x1920, 35mm;0")
    probe.expect_next("done")
    check(probe.wait(10) == 0, "probe failed")


def run(x, opts, root):
    setup = Setup(opts, root, x.env)
    three_cameras(x, setup)
    sixty_cameras(x, setup)
    cancelled(x, setup, lambda window: x.key(window, "Escape"))
    cancelled(x, setup, lambda window: subprocess.run([opts.wm_close, str(window)], env=x.env,
                                                      check=True, timeout=10))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--probe")
    ap.add_argument("--wm-close")
    ap.add_argument("--source-dir")
    ap.add_argument("--artifacts")
    ap.add_argument("--screen", help="WxH: under openbox on a screen of that size")
    opts = ap.parse_args()
    if opts.screen:
        def managed(x, opts, root):
            three_cameras_managed(x, Setup(opts, root, x.env), opts.screen)
        managed.screen = tuple(map(int, opts.screen.split("x")))
        return run_scenario("camera-window-" + opts.screen, managed, opts)
    return run_scenario("camera-window", run, opts)


if __name__ == "__main__":
    sys.exit(main())
