import json
import os
import subprocess
import tempfile
import unittest

from PIL import Image

import simtools


class LayoutTest(unittest.TestCase):
    def setUp(self):
        self.inst = simtools.Installation("--speed", "60", "--version", "4.2.0.3")

    def tearDown(self):
        self.inst.close()

    def test_programs_and_files_the_program_relies_on(self):
        d = self.inst.dir
        for exe in ["Maxwell.app/Contents/MacOS/Maxwell", "Pymaxwell.app/Contents/MacOS/Pymaxwell"]:
            self.assertTrue(os.access(d + exe, os.X_OK), exe)
            with open(d + exe) as f:
                # The interpreter with PIL by its path, or else whichever comes first.
                self.assertRegex(f.readline().strip(),
                                 r"^#!(/usr/bin/env python3|/\S*python3(\.\d+)?)$")
        self.assertGreater(os.path.getsize(d + "mximerge"), 0)
        for module in ["pymaxwell", "pymaxwell4", "pymaxwell5"]:
            self.assertTrue(os.path.isfile(d + "Libs/pymaxwell/python2.7/%s.py" % module))
        scene = d + "library/Scenes/Bottles_on_a_window/"
        self.assertTrue(os.path.isfile(scene + "Bottles_on_a_window.mxs"))
        with open(scene + "OpenfootageNEtHDRCow_small.hdr", "rb") as f:
            self.assertEqual(f.readline(), b"#?RADIANCE\n")

    def test_settings_are_baked_in_and_a_remake_drops_the_replay(self):
        settings_path = self.inst.dir + "Maxwell.app/Contents/MacOS/sim_settings.json"
        with open(settings_path) as f:
            settings = json.load(f)
        self.assertEqual((settings["speed"], settings["version"], settings["gpu"]), (60.0, "4.2.0.3", False))

        replay = self.inst.path("replay.txt")
        with open(replay, "w") as f:
            f.write("SL of 1.00. x\n")
        subprocess.run([simtools.MAKE_INSTALLATION, self.inst.dir, "--replay", replay], check=True)
        with open(settings_path) as f:
            self.assertEqual(json.load(f)["replay"], "replay.txt")
        subprocess.run([simtools.MAKE_INSTALLATION, self.inst.dir], check=True)
        with open(settings_path) as f:
            self.assertIsNone(json.load(f)["replay"])
        self.assertFalse(os.path.exists(self.inst.dir + "Maxwell.app/Contents/MacOS/replay.txt"))

    def test_bad_speed_is_refused(self):
        proc = subprocess.run([simtools.MAKE_INSTALLATION, self.inst.path("other"), "--speed", "0"],
                              stderr=subprocess.PIPE)
        self.assertNotEqual(proc.returncode, 0)


def after(line, marker):
    return line.split(marker, 1)[1]


class VersionProbeTest(unittest.TestCase):
    def probe(self, *options):
        inst = simtools.Installation(*options)
        try:
            return inst.run("-nogui", "-nowait")
        finally:
            inst.close()

    def test_default_version_without_gpu(self):
        status, lines, _ = self.probe()
        self.assertEqual(status, 0)
        versions = [after(l, "Engine version ") for l in lines if "Engine version " in l]
        self.assertEqual(versions, ["5.2.1.49"])
        self.assertFalse([l for l in lines if "GPU INFO " in l])

    def test_gpu_lines_come_after_the_version(self):
        status, lines, _ = self.probe("--gpu", "--version", "5.0.1")
        self.assertEqual(status, 0)
        version_at = next(i for i, l in enumerate(lines) if "Engine version " in l)
        self.assertEqual(after(lines[version_at], "Engine version "), "5.0.1")
        gpu_at = [i for i, l in enumerate(lines) if "GPU INFO " in l]
        self.assertTrue(gpu_at)
        self.assertGreater(min(gpu_at), version_at)

    def test_other_version_text(self):
        _, lines, _ = self.probe("--version", "2.7.2.0")
        self.assertIn("2.7.2.0", [after(l, "Engine version ") for l in lines if "Engine version " in l])


class BenchmarkFilesTest(unittest.TestCase):
    def test_scenes_and_farm_images(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([simtools.MAKE_BENCHMARK_FILES, tmp], check=True)
            for name in ["Absolute_Torva_1mn.jpg", "TrainSSS_Torva_1mn.jpg",
                         "Bottles_Torva_1mn.jpg", "Bottles_Torva_1mn_gpu.jpg"]:
                with Image.open(os.path.join(tmp, name)) as im:
                    self.assertEqual(im.format, "JPEG")
                    self.assertAlmostEqual(im.size[0] / im.size[1], 0.75, places=2)
            inst = simtools.Installation("--speed", "2000")
            try:
                for scene, res in [("Absolute.mxs", "768x1024"), ("TrainSSS.mxs", "768x1024")]:
                    status, lines, _ = inst.run("-mxs:" + os.path.join(tmp, scene), "-res:" + res,
                                                "-s:6", "-nogui", "-nowait")
                    self.assertEqual(status, 0, lines)
                    self.assertTrue(any("SL of 6.00" in l for l in lines))
            finally:
                inst.close()


if __name__ == "__main__":
    unittest.main()
