# Camera listing, run by Pymaxwell after a header that imports the pymaxwell
# module of the installed renderer generation and followed by the call
# getCameras(scene path, output file path).
# Writes one line per camera: name;resolution, focal length[, active]
# Keep it valid Python 2.7 as well as Python 3.
import io


def _unicode(value):
    try:
        return value.decode('utf-8')
    except (AttributeError, UnicodeError):
        return value


def getCameras(scenePath, outPath):
    scene = Cmaxwell(mwcallback)
    if not scene.readMXS(scenePath):
        print('ERROR: cannot read the scene ' + scenePath)
        return 0
    out = io.open(outPath, 'w', encoding='utf-8', newline='\n')
    count = 0
    iterator = CmaxwellCameraIterator()
    camera = iterator.first(scene)
    while not camera.isNull():
        # Everything before the first ';' of a line is taken as the name.
        name = _unicode(camera.getName()).replace(u';', u',')
        width, height = camera.getResolution()
        details = u'%dx%d, %gmm' % (width, height, round(camera.getFocalLength() * 1000.0, 1))
        if camera.isActive():
            details += u', active'
        out.write(name + u';' + details + u'\n')
        count += 1
        camera = iterator.next()
    out.close()
    return count
