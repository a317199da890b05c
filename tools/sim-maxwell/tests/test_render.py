import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from unittest import mock

from PIL import Image, ImageChops, ImageStat

import simtools

sys.path.insert(0, os.path.join(simtools.ROOT, "lib"))
import sim_picture  # noqa: E402

TIME = re.compile(r"^(\d+)h (\d+)m (\d+)s$")


def seconds(text):
    m = TIME.match(text)
    if not m:
        raise AssertionError("not a time text: %r" % text)
    return int(m.group(1)) * 3600 + int(m.group(2)) * 60 + int(m.group(3))


def sl_lines(lines):
    """(SL, text after ". ") of every SL line, read like the program does."""
    found = []
    for line in lines:
        if "SL of " in line and "Time left:" not in line:
            rest = line.split("SL of ", 1)[1]
            found.append((float(re.match(r"[\d.]+\d", rest).group(0)), rest.split(". ", 1)[1]))
    return found


class RenderTest(unittest.TestCase):
    def setUp(self):
        self.inst = simtools.Installation("--speed", "100", "--gpu")
        self.out = self.inst.path("out")
        os.makedirs(self.out)
        self.kitchen = os.path.join(self.inst.copy_scene("Kitchen"), "Kitchen.mxs")

    def tearDown(self):
        self.inst.close()

    def render(self, scene, *args):
        return self.inst.run("-mxs:" + scene, *args)

    def test_render_to_target_sl(self):
        jpg, mxi = os.path.join(self.out, "Kitchen.jpg"), os.path.join(self.out, "Kitchen.mxi")
        status, lines, _ = self.render(self.kitchen, "-res:1920x1080", "-t:9999999", "-s:13.00", "-th:0",
                                       "-rs:1", "-nomxi:off", "-noimage:off", "-mxi:" + mxi, "-o:" + jpg,
                                       "-hide", "-nogui", "-nowait")
        self.assertEqual(status, 0, lines)
        levels = sl_lines(lines)
        self.assertGreaterEqual(len(levels), 3)
        self.assertEqual(levels[-1][0], 13.0)
        self.assertEqual([sl for sl, _ in levels], sorted(sl for sl, _ in levels))
        self.assertTrue(all(text for _, text in levels))
        with Image.open(jpg) as im:
            self.assertEqual(im.format, "JPEG")
            self.assertAlmostEqual(im.size[0] / im.size[1], 1920 / 1080, places=2)
            self.assertLessEqual(im.size[1], 640)
        self.assertEqual(os.path.getsize(mxi), 96 * 1048576)
        self.assertEqual([n for n in os.listdir(self.out) if n.startswith(".")], [])

        # Predictions, each after the SL line that tells the render time so
        # far, converge on the time the render really took.
        total = seconds(next(l for l in lines if l.startswith("Render finished in ")).split(" in ", 1)[1])
        pairs = []
        for i, line in enumerate(lines):
            if "Time left:" in line:
                elapsed = seconds(re.search(r"Elapsed (.*)$", lines[i - 1]).group(1))
                pairs.append((elapsed, seconds(line.split("Time left: ", 1)[1])))
        self.assertGreaterEqual(len(pairs), 4)
        self.assertLess(pairs[-1][1], pairs[0][1])
        for elapsed, left in pairs[len(pairs) // 2:]:
            self.assertLess(abs(left - (total - elapsed)), 0.2 * (total - elapsed) + 2)

    def test_time_limit_with_speed_60_is_scaled_to_about_a_second(self):
        inst = simtools.Installation("--speed", "60")
        try:
            scene = inst.dir + "library/Scenes/Bottles_on_a_window/Bottles_on_a_window.mxs"
            start = time.monotonic()
            status, lines, _ = inst.run("-mxs:" + scene, "-res:1536x2048", "-t:1", "-th:0",
                                        "-o:" + os.path.join(self.out, "b.jpg"), "-nogui", "-nowait")
            elapsed = time.monotonic() - start
        finally:
            inst.close()
        self.assertEqual(status, 0)
        # About a second; the upper bound only shows that the speed factor
        # applies (unscaled, the render would take a minute), so a busy
        # machine cannot fail it.
        self.assertGreater(elapsed, 0.9)
        self.assertLess(elapsed, 45.0)
        self.assertIn("Time limit reached", lines[[i for i, l in enumerate(lines) if "SL of " in l][-1]])

    def test_gpu_renders_faster_than_cpu_and_falls_back_without_gpu(self):
        def finished(inst, *engine):
            _, lines, _ = inst.run("-mxs:" + self.kitchen, "-res:1536x2048", "-s:8", *engine)
            return seconds(next(l for l in lines if l.startswith("Render finished in ")).split(" in ", 1)[1])

        cpu = finished(self.inst, "-rs:1")
        self.assertLess(finished(self.inst, "-rs:2", "-gpuall", "-multigpu:coop"), cpu / 2)
        no_gpu = simtools.Installation("--speed", "100")
        try:
            self.assertEqual(finished(no_gpu, "-rs:2", "-gpuall"), cpu)
        finally:
            no_gpu.close()

    def test_unreadable_scenes_fail_without_readings(self):
        broken = os.path.join(self.inst.copy_scene("Broken"), "Broken.mxs")
        for scene in [broken, self.inst.path("nowhere", "Missing.mxs")]:
            jpg, mxi = os.path.join(self.out, "x.jpg"), os.path.join(self.out, "x.mxi")
            status, lines, _ = self.render(scene, "-res:800x600", "-s:10", "-mxi:" + mxi, "-o:" + jpg,
                                           "-nogui", "-nowait")
            self.assertEqual(status, 1)
            self.assertTrue(any("ERROR" in l for l in lines))
            self.assertFalse([l for l in lines if "SL of " in l or "Time left:" in l])
            self.assertEqual(os.listdir(self.out), [])

    def test_mxi_size_follows_the_scene_or_the_resolution(self):
        scene = self.inst.path("tiny.mxs")
        for extra, expected in [("mxi-size-mb 0.5\n", 524288), ("", 640 * 480 * 60)]:
            with open(scene, "w") as f:
                f.write("SIM-MXS 1\n" + extra)
            mxi = os.path.join(self.out, "tiny.mxi")
            status, _, _ = self.render(scene, "-res:640x480", "-s:4", "-mxi:" + mxi)
            self.assertEqual(status, 0)
            self.assertEqual(os.path.getsize(mxi), expected)


class BehaviourTest(unittest.TestCase):
    def test_first_predictions_err_as_each_behaviour_says(self):
        # Bounds of the relative errors of the first two predictions, the first
        # made 20 s into a 130 s render; default gives the same numbers as ever.
        cases = {"default": (-0.064, -0.064, -0.11, -0.11), "slow-high": (0.3, 0.5, 0.3, 0.5),
                 "slow-low": (-0.3, -0.1, -0.3, -0.1), "noise": (-0.2, 0.2, -0.2, 0.2),
                 "rate": (-0.8, -0.5, -0.7, -0.3), "drift": (-0.33, -0.15, -0.33, -0.15),
                 "alternate": (0.09, 0.11, -0.11, -0.09)}
        renders = {}
        for behaviour in cases:
            inst = simtools.Installation("--speed", "40", "--seed", "1", "--behaviour", behaviour)
            self.addCleanup(inst.close)
            renders[behaviour] = subprocess.Popen([inst.renderer, "-res:800x600", "-s:18", "-mxs:" + os.path.join(
                simtools.SCENES, "Teapot", "Teapot.mxs")], cwd=inst.dir, stdout=subprocess.PIPE, text=True)
        outputs = {b: render.communicate(timeout=60)[0].split("\n") for b, render in renders.items()}
        for behaviour, (low1, high1, low2, high2) in cases.items():
            lines = outputs[behaviour]
            total = seconds(next(l for l in lines if l.startswith("Render finished in "))[19:])
            errors = [round(seconds(lines[i][11:]) / (total - seconds(lines[i - 1].split("Elapsed ")[1])) - 1, 3)
                      for i in [i for i, l in enumerate(lines) if l.startswith("Time left: ")][:2]]
            self.assertTrue(low1 <= errors[0] <= high1 and low2 <= errors[1] <= high2, (behaviour, errors))


class ReplayTest(unittest.TestCase):
    def test_replayed_lines_and_pauses(self):
        tmp = simtools.Installation()  # only for a temporary folder
        replay = tmp.path("replay.txt")
        with open(replay, "w") as f:
            f.write("SL of 3.00. first pass\n@sleep 400\nTime left: 0h 12m 5s\nSL of 14.25. second pass\n")
        inst = simtools.Installation("--replay", replay)
        try:
            scene = os.path.join(inst.copy_scene("Teapot"), "Teapot.mxs")
            jpg, mxi = inst.path("t.jpg"), inst.path("t.mxi")
            start = time.monotonic()
            status, lines, _ = inst.run("-mxs:" + scene, "-res:1920x1080", "-s:20", "-mxi:" + mxi, "-o:" + jpg)
            elapsed = time.monotonic() - start
            self.assertEqual(status, 0)
            readings = [l for l in lines if "SL of " in l or "Time left:" in l or "@" in l]
            self.assertEqual(readings, ["SL of 3.00. first pass", "Time left: 0h 12m 5s",
                                        "SL of 14.25. second pass"])
            self.assertGreaterEqual(elapsed, 0.4)
            with Image.open(jpg) as im:
                self.assertEqual(im.size, (1138, 640))
            self.assertEqual(os.path.getsize(mxi), 12 * 1048576)
        finally:
            inst.close()
            tmp.close()

    def replay(self, text, **env):
        """Status and readings of a Teapot render that replays text."""
        inst = simtools.Installation()
        self.addCleanup(inst.close)
        with open(inst.path("replay.txt"), "w") as f:
            f.write(text)
        subprocess.run([simtools.MAKE_INSTALLATION, inst.dir, "--replay", inst.path("replay.txt")], check=True)
        with mock.patch.dict(os.environ, env):
            status, lines, _ = inst.run("-mxs:" + os.path.join(inst.copy_scene("Teapot"), "Teapot.mxs"),
                                        "-mxi:" + inst.path("t.mxi"), timeout=20)
        return status, [l for l in lines if "SL of " in l or l.startswith(("MXI", "@"))]

    def test_a_crash_or_an_exit_ends_the_render_at_once(self):
        for line, status in [("@signal SEGV", -signal.SIGSEGV), ("@signal KILL", -signal.SIGKILL),
                             ("@exit 3", 3)]:
            self.assertEqual(self.replay("SL of 1.00. x\n%s\nSL of 2.00. y\n" % line),
                             (status, ["SL of 1.00. x"]), line)

    def test_a_helper_outlives_the_render_without_holding_its_output(self):
        pidfile = os.path.join(self.enterContext(tempfile.TemporaryDirectory()), "helper.pid")
        status, lines = self.replay("@helper 30\nSL of 1.00. x\n", SIM_MAXWELL_HELPER_PIDFILE=pidfile)
        with open(pidfile) as f:
            pid = int(f.read())
        os.kill(pid, 0)  # still alive after the render
        os.kill(pid, signal.SIGTERM)
        self.assertEqual((status, lines[0]), (0, "SL of 1.00. x"))


class PictureTest(unittest.TestCase):
    def test_grain_fades_as_the_sampling_level_rises(self):
        clean = sim_picture.clean_picture(120, 160, "Kitchen")

        def grain(sl):
            return sum(ImageStat.Stat(ImageChops.difference(clean, sim_picture.refine(clean, sl))).mean)

        low, mid, high = grain(2), grain(10), grain(20)
        self.assertGreater(low, 2 * mid)
        self.assertGreater(mid, 2 * high)

    def test_size_keeps_the_aspect_within_bounds(self):
        self.assertEqual(sim_picture.picture_size(1536, 2048), (480, 640))
        self.assertEqual(sim_picture.picture_size(400, 300), (400, 300))
        w, h = sim_picture.picture_size(32768, 400)
        self.assertLessEqual(w, 1280)
        self.assertAlmostEqual(w / h, 32768 / 400, delta=2)


if __name__ == "__main__":
    unittest.main()
