"""The part of the pymaxwell binding that scripts use to inspect a scene,
working on the simulated installation's scene files."""
import sim_scene as _scene

__all__ = ["Cmaxwell", "CmaxwellMxs", "Ccamera", "CmaxwellCameraIterator", "mwcallback",
           "getPyMaxwellVersion"]

_VERSION = "sim"


def mwcallback(*args):
    """Default message callback: the binding reports through it."""
    pass


def getPyMaxwellVersion():
    return _VERSION


class Ccamera(object):
    def __init__(self, camera=None):
        self._camera = camera

    def isNull(self):
        return self._camera is None

    def getName(self):
        return self._camera.name

    def getResolution(self):
        return (self._camera.width, self._camera.height)

    def getFocalLength(self):
        """In metres, like the rest of the scene units."""
        return self._camera.focal_mm / 1000.0

    def isActive(self):
        return self._camera.active


class Cmaxwell(object):
    def __init__(self, callback=mwcallback):
        self._callback = callback
        self._scene = None

    def readMXS(self, path):
        try:
            self._scene = _scene.read_scene(path)
        except _scene.SceneError as e:
            self._callback("ERROR: " + str(e))
            self._scene = None
            return False
        return True

    def _cameras(self):
        return self._scene.cameras if self._scene is not None else []

    def getCamerasNames(self):
        return [c.name for c in self._cameras()]

    getCameraNames = getCamerasNames

    def getCamerasCount(self):
        return len(self._cameras())

    def getCamera(self, name):
        for c in self._cameras():
            if c.name == name:
                return Ccamera(c)
        return Ccamera()

    def getActiveCamera(self):
        return Ccamera(self._scene.active_camera() if self._scene is not None else None)

    def getDependencies(self):
        return list(self._scene.dependencies) if self._scene is not None else []


CmaxwellMxs = Cmaxwell


class CmaxwellCameraIterator(object):
    def __init__(self):
        self._list, self._next = [], 0

    def first(self, scene):
        self._list, self._next = scene._cameras(), 0
        return self.next()

    def next(self):
        if self._next >= len(self._list):
            return Ccamera()
        self._next += 1
        return Ccamera(self._list[self._next - 1])
