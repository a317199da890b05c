"""The substitute console renderer: version probe, gather-script run and
renders, driven by the settings that make-installation baked in."""
import fnmatch
import json
import math
import os
import platform
import random
import re
import resource
import shutil
import signal
import sys
import time

import sim_scene

SETTINGS_FILE = "sim_settings.json"
DEFAULTS = {
    "version": "5.2.1.49",
    "gpu": False,
    "speed": 1.0,
    "replay": None,
    "cpu_power": 1.0,
    "gpu_power": 4.5,
    "gpu_name": "Simulated RTX 4000 (8192 MB, 2304 CUDA cores)",
    "seed": None,
    "behaviour": "default",
}

# Seconds one CPU of power 1.0 needs per megapixel for the first sampling
# level; each further level costs 1.5 times the one before.
SECONDS_PER_MPIXEL = 0.368
LEVEL_GROWTH = 1.5
DEFAULT_TARGET_SL = 25.0
NO_TIME_LIMIT = 9999999.0


# How the predictions of the time left to the target sampling level err.
# Each behaviour gives the time left that a render predicts, from the job
# (its true `end`, its `rng` and `bias`), the prediction's index n (0 for
# the first) and the simulated render time t so far.

def _off_by(error):
    """Predicts the true time left times 1 + error(job, n, t)."""
    return lambda job, n, t: (job.end - t) * (1.0 + error(job, n, t))


def _from_current_rate(job, n, t):
    """What is left to the target over the current rate of SL growth: far
    too short at first, since the sampling level grows logarithmically."""
    return (job.target_sl - job.sl_at(t)) / job.sl_rate(t) * (1.0 + job.rng.gauss(0.0, 0.03))


PREDICTIONS = {
    "default": _off_by(lambda job, n, t: job.bias * math.exp(-(n + 1) / 4.0) + job.rng.gauss(0.0, 0.03)),
    "slow-high": _off_by(lambda job, n, t: 0.40 * math.exp(-n / 40.0) + job.rng.gauss(0.0, 0.03)),
    "slow-low": _off_by(lambda job, n, t: -0.20 * math.exp(-n / 40.0) + job.rng.gauss(0.0, 0.03)),
    "noise": _off_by(lambda job, n, t: job.rng.gauss(0.0, 0.06)),
    "rate": _from_current_rate,
    "drift": _off_by(lambda job, n, t: -0.25 * math.exp(-t / 600.0) + job.rng.gauss(0.0, 0.03)),
    "alternate": _off_by(lambda job, n, t: 0.10 if n % 2 == 0 else -0.10),
}


# A file that each run appends its start, each line it prints and its end
# to, with the time (time.monotonic(), the clock of C++'s steady_clock): a
# bench compares when a program shows a line with when the renderer printed it.
TRACE = os.environ.get("SIM_MAXWELL_TRACE")


def trace(kind, text):
    if TRACE:
        with open(TRACE, "a", encoding="utf-8") as f:
            f.write("%.6f %s %s\n" % (time.monotonic(), kind, text))


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()
    trace("line", text)


def time_text(seconds):
    s = int(round(max(seconds, 0)))
    return "%dh %dm %ds" % (s // 3600, s % 3600 // 60, s % 60)


def load_settings(here):
    settings = dict(DEFAULTS)
    try:
        with open(os.path.join(here, SETTINGS_FILE), encoding="utf-8") as f:
            settings.update(json.load(f))
    except (OSError, ValueError):
        pass
    if settings["replay"] and not os.path.isabs(settings["replay"]):
        settings["replay"] = os.path.join(here, settings["replay"])
    settings["speed"] = max(float(settings["speed"]), 1e-6)
    return settings


def parse_args(argv):
    opts = {}
    for arg in argv:
        if not arg.startswith("-"):
            continue
        key, sep, value = arg[1:].partition(":")
        opts[key] = value if sep else True
    return opts


def cpu_brand():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown processor"


def banner(settings):
    say("=" * 64)
    say("  Maxwell Render console renderer - simulated installation")
    say("=" * 64)
    say("Engine version " + settings["version"])
    say("Host: %s, CPU: %s, %d threads" % (platform.node() or "localhost", cpu_brand(), os.cpu_count() or 1))


def probe(settings):
    banner(settings)
    if settings["gpu"]:
        say("GPU INFO Device 0: " + settings["gpu_name"])
        say("GPU INFO CUDA driver 12.2, 1 device(s) available for rendering")
    say("No scene given, nothing to render.")
    return 0


# ---------------------------------------------------------------- scripts

def _files_in_branch(folder):
    found = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        found.extend(os.path.join(root, n) for n in sorted(files) if fnmatch.fnmatch(n, "*.*"))
    return found


def _copy(src, dst):
    try:
        if src is None or not os.path.isfile(src):
            return False
        shutil.copyfile(src, dst)
        return True
    except (OSError, shutil.Error):
        return False


_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "b": "\b", "f": "\f", "v": "\v", "0": "\0"}


def _string_literal(body):
    """The value of an ECMAScript string literal's body (escapes read)."""
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        e = body[i + 1]
        if e == "x":
            out.append(chr(int(body[i + 2:i + 4], 16)))
            i += 4
        elif e == "u":
            out.append(chr(int(body[i + 2:i + 6], 16)))
            i += 6
        else:
            out.append(_ESCAPES.get(e, e))
            i += 2
    return "".join(out)


def _quoted_var(text, name):
    m = re.search(r'^var %s = "((?:[^"\\\n]|\\.)*)";[ \t]*$' % name, text, re.M)
    if not m:
        return None
    return _string_literal(m.group(1))


def _printed_prefix(text, variable):
    """The text a script prints before `variable`, as in
    Maxwell.print( "TEXT" + deps[i] ); None when it prints no such line."""
    m = re.search(r'Maxwell\.print\( *"((?:[^"\\\n]|\\.)*)" *\+ *%s *\);' % re.escape(variable),
                  text)
    return None if m is None else _string_literal(m.group(1))


def _list_dependencies(scene, dependency_prefix, below_prefix):
    """A listing script: each dependency as recorded, then (when the script
    asks for it) the first file of its name below the scene's folder."""
    branch = None
    for dep in scene.dependencies:
        say(dependency_prefix + dep)
        if below_prefix is None:
            continue
        if branch is None:
            branch = _files_in_branch(scene.folder)
        name = sim_scene.file_name(dep)
        match = next((f for f in branch if os.path.basename(f) == name), None)
        if match is not None:
            say(below_prefix + match)
    say("Script finished.")
    return 0


def run_script(settings, path):
    banner(settings)
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except (OSError, UnicodeDecodeError) as e:
        say("ERROR: cannot read the script %s (%s)" % (path, e))
        return 1
    say("Running script: " + path)
    mxs_path = _quoted_var(text, "mxsPath")
    target_folder = _quoted_var(text, "targetFolder")
    dependency_prefix = _printed_prefix(text, "deps[i]")
    if mxs_path is None or (target_folder is None and dependency_prefix is None):
        say("ERROR: script error: mxsPath or targetFolder is not defined")
        return 1
    try:
        scene = sim_scene.read_scene(mxs_path)
    except sim_scene.SceneError as e:
        say("ERROR: Maxwell.openMxs: " + str(e))
        return 1
    say("Scene opened: " + mxs_path)
    if target_folder is None:
        return _list_dependencies(scene, dependency_prefix, _printed_prefix(text, "lDeps[j]"))
    _copy(mxs_path, target_folder + "/" + os.path.basename(mxs_path))
    branch = None
    for dep in scene.dependencies:
        name = sim_scene.file_name(dep)
        target = target_folder + "/" + name
        if _copy(scene.resolve(dep), target):
            continue
        if branch is None:
            branch = _files_in_branch(scene.folder)
        match = next((f for f in branch if os.path.basename(f) == name), None)
        if match is not None:
            _copy(match, target)
        else:
            say("Not found: " + dep)
    say("Script finished.")
    return 0


# ---------------------------------------------------------------- renders

class RenderJob(object):
    def __init__(self, settings, opts, scene):
        self.settings = settings
        self.scene = scene
        self.speed = settings["speed"]
        self.width, self.height = self._resolution(opts.get("res"), scene)
        self.target_sl = self._number(opts.get("s"), DEFAULT_TARGET_SL)
        self.limit = self._number(opts.get("t"), NO_TIME_LIMIT) * 60.0
        self.image_path = opts.get("o") if isinstance(opts.get("o"), str) and opts.get("o") else None
        self.mxi_path = opts.get("mxi") if isinstance(opts.get("mxi"), str) and opts.get("mxi") else None
        self.wants_gpu = opts.get("rs") == "2" or "gpuall" in opts
        self.gpu = self.wants_gpu and settings["gpu"]
        self.threads = os.cpu_count() or 1
        th = self._number(opts.get("th"), 0)
        if not self.gpu and 0 < th < self.threads:
            power_share = th / float(self.threads)
            self.threads = int(th)
        else:
            power_share = 1.0
        power = (settings["gpu_power"] if self.gpu else settings["cpu_power"]) * power_share
        mpixels = self.width * self.height / 1e6
        self.tau = SECONDS_PER_MPIXEL * mpixels * scene.cost / max(power, 1e-6)
        self.rng = random.Random(settings["seed"])
        self.predict = PREDICTIONS[settings["behaviour"]]
        self.bias = 0.0
        self.end = 0.0
        self.picture = None
        self.grain = None
        self.mxi_written = False
        self.warned = set()

    @staticmethod
    def _number(text, default):
        if not isinstance(text, str):
            return default
        m = re.match(r"^\s*[+-]?(\d+(\.\d*)?|\.\d+)", text)
        return float(m.group(0)) if m else default

    @staticmethod
    def _resolution(text, scene):
        m = re.match(r"^(\d+)x(\d+)$", text) if isinstance(text, str) else None
        if m and int(m.group(1)) > 0 and int(m.group(2)) > 0:
            return int(m.group(1)), int(m.group(2))
        cam = scene.active_camera()
        return (cam.width, cam.height) if cam else (800, 600)

    def time_to(self, sl):
        return self.tau * (LEVEL_GROWTH ** sl - 1.0)

    def sl_at(self, seconds):
        return math.log(1.0 + seconds / self.tau) / math.log(LEVEL_GROWTH)

    def sl_rate(self, seconds):
        """d sl_at / d seconds."""
        return 1.0 / ((self.tau + seconds) * math.log(LEVEL_GROWTH))

    # Outputs -------------------------------------------------------------

    def _warn_once(self, key, text):
        if key not in self.warned:
            self.warned.add(key)
            say(text)

    def mxi_bytes(self):
        mb = self.scene.mxi_size_mb
        if mb is None:
            mb = self.width * self.height * 60 / 1048576.0
        return int(round(mb * 1048576))

    def write_mxi(self):
        if not self.mxi_path or self.mxi_written:
            return
        size = self.mxi_bytes()
        folder, name = os.path.split(os.path.abspath(self.mxi_path))
        tmp = os.path.join(folder, "." + name + ".part")
        try:
            with open(tmp, "wb") as f:
                f.write(b"SIM-MXI 1\n"[:size])
                f.truncate(size)
            os.replace(tmp, self.mxi_path)
            self.mxi_written = True
        except OSError as e:
            self._warn_once("mxi", "Warning: cannot write the MXI file %s (%s)" % (self.mxi_path, e.strerror))

    def write_picture(self, sl):
        if not self.image_path:
            return
        try:
            import sim_picture
            if self.picture is None:
                size = sim_picture.picture_size(self.width, self.height)
                self.picture = sim_picture.cached_clean_picture(size[0], size[1], self.scene.look)
                self.grain = sim_picture.grain(size)
            sim_picture.save_atomically(sim_picture.refine(self.picture, sl, self.grain),
                                        self.image_path)
        except OSError as e:
            self._warn_once("image", "Warning: cannot write the image %s (%s)" % (self.image_path, e.strerror))

    # The run -------------------------------------------------------------

    def describe(self):
        scene = self.scene
        say("Loading scene: " + scene.path)
        say("Scene \"%s\": %d objects, %d emitter(s), %d camera(s)"
            % (os.path.splitext(os.path.basename(scene.path))[0], scene.objects, scene.emitters,
               len(scene.cameras)))
        for dep in scene.dependencies:
            local = scene.resolve(dep)
            # Like the real thing, a file missing at its recorded place is
            # also looked for beside the scene (a gathered project is flat).
            beside = os.path.join(scene.folder, sim_scene.file_name(dep))
            if not (local and os.path.isfile(local)) and not os.path.isfile(beside):
                say("Warning: texture not found: " + dep)
        if self.wants_gpu and not self.gpu:
            say("Warning: no GPU device available, rendering with the CPU engine")
        if self.gpu:
            say("Render engine: GPU, 1 device (" + self.settings["gpu_name"] + ")")
        else:
            say("Render engine: CPU, %d threads" % self.threads)
        limit = "none" if self.limit >= NO_TIME_LIMIT * 60 else "%g min" % (self.limit / 60)
        say("Resolution: %dx%d - target sampling level: %.2f - time limit: %s"
            % (self.width, self.height, self.target_sl, limit))

    def run_model(self):
        start = time.monotonic()

        def wait_until(sim_seconds):
            delay = start + sim_seconds / self.speed - time.monotonic()
            if delay > 0:
                time.sleep(delay)

        say("Preprocessing the scene...")
        prep = min(2.0 + 0.6 * self.width * self.height / 1e6 * self.scene.cost, 60.0)
        wait_until(prep)
        say("Voxelization done in " + time_text(prep))
        say("Rendering...")

        end = self.end = min(self.time_to(self.target_sl), self.limit)
        step = max(3.0, 0.25 * self.speed)
        self.bias = self.rng.uniform(-0.2, 0.4)
        t, n = step, 0
        while t < end:
            wait_until(prep + t)
            sl = self.sl_at(t)
            self.write_mxi()
            self.write_picture(sl)
            say("SL of %.2f. Elapsed %s" % (sl, time_text(t)))
            if n >= 1:
                # A time limit is known exactly; the time to a sampling level
                # is extrapolated, wrongly at first.
                left = end - t if end == self.limit else self.predict(self, n - 1, t)
                say("Time left: " + time_text(max(1.0, left)))
            n += 1
            t += step
        wait_until(prep + end)
        if end >= self.time_to(self.target_sl):
            final_sl, why = self.target_sl, "Target sampling level reached"
        else:
            final_sl, why = self.sl_at(end), "Time limit reached"
        self.write_mxi()
        self.write_picture(final_sl)
        say("SL of %.2f. %s" % (final_sl, why))
        say("Render finished in " + time_text(end))

    def run_replay(self, path):
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        if lines and lines[-1] == "":
            lines.pop()
        self.write_mxi()
        for line in lines:
            if replay_directive(line):
                continue
            if "SL of " in line:
                self.write_picture(self._number(line.split("SL of ", 1)[1], 0.0))
            say(line)

    def finish(self):
        if self.mxi_path and self.mxi_written:
            say("MXI written: %s (%.2f MB)" % (self.mxi_path, self.mxi_bytes() / 1048576.0))
        if self.image_path and self.picture is not None:
            say("Image written: " + self.image_path)


def _kill_self(name):
    """Dies of the signal NAME (SEGV or SIGSEGV), as a crashing renderer does;
    no core file is left behind."""
    number = getattr(signal, name if name.startswith("SIG") else "SIG" + name)
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    try:
        signal.signal(number, signal.SIG_DFL)
    except (OSError, ValueError):
        pass  # KILL and STOP keep their action anyway
    os.kill(os.getpid(), number)


def _start_helper(seconds):
    """Forks a helper, as a renderer that starts processes of its own: with
    its output on /dev/null, it appends its pid as a line to the file
    $SIM_MAXWELL_HELPER_PIDFILE names (when set), then sleeps SECONDS. The
    render goes on once the pid is written, so a test can look for it at once."""
    ready, written = os.pipe()
    pid = os.fork()
    if pid == 0:
        try:
            os.close(ready)
            null = os.open(os.devnull, os.O_RDWR)
            os.dup2(null, 1)
            os.dup2(null, 2)
            pidfile = os.environ.get("SIM_MAXWELL_HELPER_PIDFILE")
            if pidfile:
                with open(pidfile, "a") as f:
                    f.write("%d\n" % os.getpid())
            os.close(written)
            time.sleep(float(seconds))
        finally:
            os._exit(0)
    os.close(written)
    while os.read(ready, 1):
        pass
    os.close(ready)


# Replay lines that act instead of being printed: pause MS milliseconds,
# die of a signal, end at once with a status, start a helper process.
REPLAY_DIRECTIVES = [
    (re.compile(r"^@sleep\s+(\d+(?:\.\d*)?)\s*$"), lambda ms: time.sleep(float(ms) / 1000.0)),
    (re.compile(r"^@signal\s+(\w+)\s*$"), _kill_self),
    (re.compile(r"^@exit\s+(\d+)\s*$"), lambda status: os._exit(int(status))),
    (re.compile(r"^@helper\s+(\d+(?:\.\d*)?)\s*$"), _start_helper),
]


def replay_directive(line):
    """Acts on a directive line; False for a line to print."""
    for pattern, act in REPLAY_DIRECTIVES:
        m = pattern.match(line)
        if m:
            act(m.group(1))
            return True
    return False


def render(settings, opts):
    banner(settings)
    path = opts.get("mxs")
    if not isinstance(path, str) or not path:
        say("ERROR: -mxs: needs a scene file")
        return 1
    try:
        scene = sim_scene.read_scene(path)
    except sim_scene.SceneError as e:
        say("ERROR: Unable to load the scene: " + str(e))
        return 1
    job = RenderJob(settings, opts, scene)
    job.describe()
    if settings["replay"]:
        job.run_replay(settings["replay"])
    else:
        job.run_model()
    job.finish()
    return 0


def main(argv, here):
    trace("start", json.dumps({"argv": argv, "cwd": os.getcwd()}))
    try:
        return run(argv, here)
    finally:
        trace("end", "")


def run(argv, here):
    try:
        sys.stdout.reconfigure(encoding="utf-8", errors="replace")
    except AttributeError:
        pass
    settings = load_settings(here)
    opts = parse_args(argv)
    try:
        if isinstance(opts.get("script"), str):
            return run_script(settings, opts["script"])
        if "mxs" in opts:
            return render(settings, opts)
        return probe(settings)
    except BrokenPipeError:
        return 1
    except KeyboardInterrupt:
        return 130
