import os
import shutil
import unittest

import simtools


class GatherScriptTest(unittest.TestCase):
    """The renderer running the program's gather script on the sample scenes."""

    @classmethod
    def setUpClass(cls):
        cls.inst = simtools.Installation()

    @classmethod
    def tearDownClass(cls):
        cls.inst.close()

    def gather(self, scene_path):
        app = self.inst.path("app")
        temp = os.path.join(app, "temp")
        if os.path.isdir(temp):
            for name in os.listdir(temp):
                os.remove(os.path.join(temp, name))
        os.makedirs(temp, exist_ok=True)
        script = os.path.join(app, "TORVAGather.ms")
        simtools.write_gather_script(script, scene_path, app)
        status, lines, _ = self.inst.run("-script:" + script, "-writestdout", "-nowait")
        missing = [l.split("Not found:", 1)[1] for l in lines if "Not found:" in l]
        return status, lines, missing, sorted(os.listdir(temp))

    def test_same_name_textures_and_windows_path_found_by_search(self):
        folder = self.inst.copy_scene("Kitchen")
        status, _, missing, copied = self.gather(os.path.join(folder, "Kitchen.mxs"))
        self.assertEqual(status, 0)
        self.assertEqual(missing, [])
        self.assertEqual(copied, ["Kitchen.mxs", "chrome.png", "diffuse.jpg", "sky.hdr"])

    def test_missing_files_are_reported_as_recorded(self):
        folder = self.inst.copy_scene("Loft")
        _, _, missing, copied = self.gather(os.path.join(folder, "Loft.mxs"))
        self.assertEqual(missing, [" D:\\assets\\ies\\spot_light.ies",
                                   " /nonexistent/textures/concrete.jpg",
                                   " textures/missing_normal.png"])
        self.assertEqual(copied, ["Loft.mxs", "brick.png"])

    def test_blanks_in_folder_and_file_names(self):
        folder = self.inst.copy_scene("Studio shots")
        _, _, missing, copied = self.gather(os.path.join(folder, "studio shot with a long name.mxs"))
        self.assertEqual(missing, [])
        self.assertEqual(copied, ["backdrop.png", "softbox light.hdr", "studio shot with a long name.mxs"])

    def test_scene_without_dependencies(self):
        folder = self.inst.copy_scene("Teapot")
        _, _, missing, copied = self.gather(os.path.join(folder, "Teapot.mxs"))
        self.assertEqual((missing, copied), ([], ["Teapot.mxs"]))

    def test_absolute_dependency_outside_the_scene_folder(self):
        elsewhere = self.inst.path("library-textures")
        os.makedirs(elsewhere)
        texture = os.path.join(elsewhere, "marble.jpg")
        with open(texture, "wb") as f:
            f.write(b"\xff\xd8 marble")
        folder = self.inst.path("abs")
        os.makedirs(folder)
        scene = os.path.join(folder, "Abs.mxs")
        with open(scene, "w") as f:
            f.write("SIM-MXS 1\ndependency %s\ndependency C:\\stock\\marble.jpg\n" % texture)
        _, _, missing, copied = self.gather(scene)
        # The second one cannot be copied and is not below the scene's folder.
        self.assertEqual(missing, [" C:\\stock\\marble.jpg"])
        self.assertEqual(copied, ["Abs.mxs", "marble.jpg"])
        with open(os.path.join(self.inst.path("app", "temp"), "marble.jpg"), "rb") as f:
            self.assertEqual(f.read(), b"\xff\xd8 marble")

    def test_escaped_quotes_and_backslashes_in_the_paths(self):
        folder = self.inst.path('odd "quoted" folder\\ it\'s')
        os.makedirs(folder)
        scene = os.path.join(folder, "Odd.mxs")
        with open(scene, "w") as f:
            f.write("SIM-MXS 1\n")
        temp = self.inst.path("app", "temp")
        os.makedirs(temp, exist_ok=True)
        for name in os.listdir(temp):
            os.remove(os.path.join(temp, name))
        def escaped(text):
            return text.replace("\\", "\\\\").replace('"', '\\"').replace("'", "\\'")
        script = self.inst.path("app", "TORVAGather.ms")
        simtools.write_gather_script(script, escaped(scene), escaped(self.inst.path("app")))
        status, _, _ = self.inst.run("-script:" + script, "-writestdout", "-nowait")
        self.assertEqual(status, 0)
        self.assertEqual(os.listdir(temp), ["Odd.mxs"])

    def test_listing_script_prints_each_dependency_and_its_namesake(self):
        folder = self.inst.path("listing", "Kitchen")
        shutil.copytree(os.path.join(simtools.SCENES, "Kitchen"), folder)
        script = self.inst.path("app", "TORVASources.ms")
        os.makedirs(os.path.dirname(script), exist_ok=True)
        with open(script, "w", encoding="utf-8") as f:
            f.write('var mxsPath = "%s";\n' % os.path.join(folder, "Kitchen.mxs")
                    + "var deps = Scene.getSceneDependencies();\n"
                    + "for( i = 0; i < nDeps; i++ )\n{\n"
                    + '\tMaxwell.print( "Dep: " + deps[i] );\n'
                    + "\tfor( j = 0; j < lnDeps; j++ )\n\t{\n"
                    + '\t\tif (same name)\n\t\t{\n\t\t\tMaxwell.print( "Below \\"it\\": " + lDeps[j] );\n'
                    + "\t\t\tbreak;\n\t\t}\n\t}\n}\n")
        status, lines, _ = self.inst.run("-script:" + script, "-writestdout", "-nowait")
        self.assertEqual(status, 0)
        tiles = os.path.join(folder, "textures", "tiles", "diffuse.jpg")
        self.assertEqual([l for l in lines if l.startswith(("Dep: ", "Below"))], [
            "Dep: textures/wood/diffuse.jpg", 'Below "it": ' + tiles,
            "Dep: textures/tiles/diffuse.jpg", 'Below "it": ' + tiles,
            "Dep: C:\\Users\\artist\\Projects\\Kitchen\\maps\\chrome.png",
            'Below "it": ' + os.path.join(folder, "maps", "chrome.png"),
            "Dep: sky.hdr", 'Below "it": ' + os.path.join(folder, "sky.hdr")])
        self.assertFalse(os.path.exists(self.inst.path("app", "temp", "Kitchen.mxs")))

    def test_unreadable_scene_copies_nothing(self):
        folder = self.inst.copy_scene("Broken")
        status, lines, missing, copied = self.gather(os.path.join(folder, "Broken.mxs"))
        self.assertEqual((missing, copied), ([], []))
        self.assertNotEqual(status, 0)
        self.assertTrue(any("ERROR" in l for l in lines))


if __name__ == "__main__":
    unittest.main()
