"""Helpers shared by the tests: paths, making installations, running the
simulated programs, and the gather and camera scripts as the program writes
them."""
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
REPO = os.path.dirname(os.path.dirname(ROOT))
SCENES = os.path.join(ROOT, "scenes")
MAKE_INSTALLATION = os.path.join(ROOT, "make-installation")
MAKE_BENCHMARK_FILES = os.path.join(ROOT, "make-benchmark-files")
TEMPLATE = os.path.join(REPO, "data", "benchmark", "GetCameras.py")


class Installation(object):
    """A fresh simulated installation in a temporary folder."""

    def __init__(self, *options):
        self.tmp = tempfile.mkdtemp(prefix="sim-maxwell-")
        self.dir = os.path.join(self.tmp, "Maxwell") + "/"
        subprocess.run([MAKE_INSTALLATION, self.dir] + list(options), check=True)
        self.renderer = self.dir + "Maxwell.app/Contents/MacOS/Maxwell"
        self.pymaxwell = self.dir + "Pymaxwell.app/Contents/MacOS/Pymaxwell"

    def run(self, *args, timeout=30):
        """Runs the renderer as the program does: no shell, working folder
        the installation, output as UTF-8 lines."""
        proc = subprocess.run([self.renderer] + list(args), cwd=self.dir, stdout=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=timeout)
        return proc.returncode, proc.stdout.decode("utf-8").split("\n")[:-1], proc.stderr

    def path(self, *parts):
        return os.path.join(self.tmp, *parts)

    def copy_scene(self, folder):
        """A private copy of a sample scene folder."""
        dst = self.path("scenes", folder)
        shutil.copytree(os.path.join(SCENES, folder), dst)
        return dst

    def close(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


GATHER_TAIL = [
    'Maxwell.openMxs(mxsPath);',
    'var nDeps = Scene.getSceneDependenciesCount();',
    'var deps = Scene.getSceneDependencies();',
    'var lnDeps = FileManager.getNumberOfFilesInBranch(FileManager.getFileFolder(mxsPath),"*.*");',
    'var lDeps = FileManager.getFilesInBranch(FileManager.getFileFolder(mxsPath),"*.*");',
    'var i;',
]
GATHER_LOOP = [
    'FileManager.copyFile( mxsPath, targetFolder + "/" + FileManager.getFileNameAndExtension( mxsPath ));',
    'for( i = 0; i < nDeps; i++ )',
    '{',
    '\tvar currentDep = deps[i];',
    '\tvar target = targetFolder + "/" + FileManager.getFileNameAndExtension( currentDep );',
    '\tvar ok = FileManager.copyFile( currentDep, target );',
    '\tif( ok == 0 )',
    '\t{',
    '\t\tvar found=0;',
    '\t\tfor (j = 0; j < lnDeps; j++)',
    '\t\t{',
    '\t\t\tif (FileManager.getFileNameAndExtension(lDeps[j]) == FileManager.getFileNameAndExtension(currentDep))',
    '\t\t\t{',
    '\t\t\t\tfound=1;',
    '\t\t\t\ttarget = targetFolder + "/" + FileManager.getFileNameAndExtension( currentDep );',
    '\t\t\t\tFileManager.copyFile( lDeps[j], target );',
    '\t\t\t\tbreak;',
    '\t\t\t}',
    '\t\t}',
    '\t\tif (found == 0) Maxwell.print( "Not found: " + currentDep );',
    '\t}',
    '}',
]


def write_gather_script(path, scene_path, app_dir):
    lines = (['var mxsPath = "%s";' % scene_path] + GATHER_TAIL
             + ['var targetFolder = "%s/temp";' % app_dir] + GATHER_LOOP)
    assert len(lines) == 30
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_camera_script(path, maxwell_dir, digit, scene_path=None, out_path=None):
    """The camera script: header, template, and the call for the generation."""
    module = {"5": "pymaxwell5", "4": "pymaxwell4"}.get(digit, "pymaxwell")
    lines = ["import sys", "",
             "sys.path.append('%sPymaxwell.app/Contents/MacOS/../../../Libs/pymaxwell/python2.7')" % maxwell_dir,
             "sys.path.append('%sPymaxwell.app/Contents/MacOS/../../../Libs/numpy')" % maxwell_dir,
             "", "from %s import *" % module, ""]
    with open(TEMPLATE, encoding="utf-8") as f:
        lines += f.read().split("\n")[:-1]
    lines.append("")
    if digit == "2":
        lines.append('getCameras("%s","%s")' % (scene_path, out_path))
    else:
        lines.append("getCameras(sys.argv[1],sys.argv[2])")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
