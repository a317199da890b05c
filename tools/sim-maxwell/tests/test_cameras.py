import os
import subprocess
import unittest

import simtools


class CameraScriptTest(unittest.TestCase):
    """Pymaxwell running the camera script built from GetCameras.py."""

    @classmethod
    def setUpClass(cls):
        cls.inst = simtools.Installation()
        cls.bench = cls.inst.path("app", "benchmark")
        os.makedirs(cls.bench)

    @classmethod
    def tearDownClass(cls):
        cls.inst.close()

    def list_cameras(self, scene, digit="5"):
        out = self.inst.path("app", "cameras.txt")
        if os.path.exists(out):
            os.remove(out)
        script = os.path.join(self.bench, "GetCameras_tmp.py")
        simtools.write_camera_script(script, self.inst.dir, digit, scene, out)
        args = ["-nogui", script] if digit == "2" else ["-nogui", script, scene, out]
        proc = subprocess.run([self.inst.pymaxwell] + args, cwd=self.inst.dir,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
        if not os.path.exists(out):
            return proc, None
        with open(out, encoding="utf-8", newline="") as f:
            return proc, f.read()

    def test_several_cameras_in_scene_order_for_each_generation(self):
        scene = os.path.join(self.inst.copy_scene("Kitchen"), "Kitchen.mxs")
        for digit in ["5", "4", "3", "2"]:
            proc, text = self.list_cameras(scene, digit)
            self.assertEqual(proc.returncode, 0, proc.stderr)
            self.assertEqual(text, "Overview;1920x1080, 24mm, active\n"
                                   "Sink close-up;1920x1080, 85mm\n"
                                   "Window;1080x1920, 35mm\n")

    def test_single_camera_in_a_scene_with_blanks(self):
        scene = os.path.join(self.inst.copy_scene("Studio shots"), "studio shot with a long name.mxs")
        _, text = self.list_cameras(scene)
        self.assertEqual(text, "Front;1200x1600, 90mm, active\n")

    def test_names_outside_ascii_and_details_never_end_in_a_digit(self):
        scene = self.inst.path("Café.mxs")
        with open(scene, "w", encoding="utf-8") as f:
            f.write("SIM-MXS 1\ncamera Caméra terrasse;2000x1000 12.5mm\ncamera Plain\n")
        _, text = self.list_cameras(scene)
        self.assertEqual(text, "Caméra terrasse;2000x1000, 12.5mm\nPlain;800x600, 35mm\n")

    def test_unreadable_scene_writes_no_file(self):
        scene = os.path.join(self.inst.copy_scene("Broken"), "Broken.mxs")
        proc, text = self.list_cameras(scene)
        self.assertIsNone(text)
        self.assertIn(b"ERROR", proc.stdout)


if __name__ == "__main__":
    unittest.main()
