"""Reading the substitute scene format (".mxs" text files, see README.md).

Shared by the console renderer and the pymaxwell stand-in, so both see a
scene the same way.
"""
import os
import re

MAGIC = "SIM-MXS 1"


class SceneError(Exception):
    pass


class Camera(object):
    def __init__(self, name, details):
        self.name = name
        self.details = details
        self.width, self.height = 800, 600
        self.focal_mm = 35.0
        self.active = False
        for token in details.split():
            size = re.match(r"^(\d+)x(\d+)$", token)
            focal = re.match(r"^(\d+(?:\.\d+)?)mm$", token)
            if size:
                self.width, self.height = int(size.group(1)), int(size.group(2))
            elif focal:
                self.focal_mm = float(focal.group(1))
            elif token == "active":
                self.active = True


class Scene(object):
    def __init__(self, path):
        self.path = path
        self.folder = os.path.dirname(os.path.abspath(path))
        self.dependencies = []  # as recorded in the file
        self.cameras = []
        self.mxi_size_mb = None
        self.cost = 1.0
        self.look = os.path.splitext(os.path.basename(path))[0]
        self.objects = 12
        self.emitters = 1

    def active_camera(self):
        for cam in self.cameras:
            if cam.active:
                return cam
        return self.cameras[0] if self.cameras else None

    def resolve(self, recorded):
        """Local path of a recorded dependency, or None when it names a
        Windows drive or share, which cannot exist on this system."""
        if re.match(r"^[A-Za-z]:[\\/]", recorded) or recorded.startswith("\\\\"):
            return None
        path = recorded.replace("\\", "/")
        if not os.path.isabs(path):
            path = os.path.join(self.folder, path)
        return path


def file_name(recorded):
    """File name and extension of a recorded path, "/" or "\\" separated."""
    return re.split(r"[\\/]", recorded)[-1]


def _number(key, text, lineno):
    try:
        value = float(text)
    except ValueError:
        raise SceneError("line %d: %s needs a number, got %r" % (lineno, key, text))
    if value < 0:
        raise SceneError("line %d: %s must not be negative" % (lineno, key))
    return value


def read_scene(path):
    """Parses a substitute scene; raises SceneError when it cannot."""
    try:
        with open(path, "rb") as f:
            raw = f.read(1 << 20)
    except (IOError, OSError) as e:
        raise SceneError("cannot open %s (%s)" % (path, e.strerror or e))
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        raise SceneError("%s is not a scene this renderer can read" % path)
    lines = text.splitlines()
    if not lines or lines[0].lstrip("\ufeff").strip() != MAGIC:
        raise SceneError("%s is not a scene this renderer can read" % path)
    scene = Scene(path)
    for lineno, line in enumerate(lines[1:], start=2):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        key, _, value = line.partition(" ")
        value = value.strip()
        if key == "dependency" and value:
            scene.dependencies.append(value)
        elif key == "camera" and value:
            name, _, details = value.partition(";")
            scene.cameras.append(Camera(name.strip(), details.strip()))
        elif key == "mxi-size-mb":
            scene.mxi_size_mb = _number(key, value, lineno)
        elif key == "cost":
            scene.cost = max(_number(key, value, lineno), 0.001)
        elif key == "look" and value:
            scene.look = value
        elif key == "objects":
            scene.objects = int(_number(key, value, lineno))
        elif key == "emitters":
            scene.emitters = int(_number(key, value, lineno))
        # Other keys are left for later versions of the format.
    return scene
