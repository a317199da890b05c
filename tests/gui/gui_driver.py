#!/usr/bin/env python3
"""GUI smoke tests: runs a program in its own Xvfb and drives it with xdotool.

gui_driver.py SCENARIO --program P --probe P --wm-close P --source-dir D --artifacts D

Scenarios on the real program (a sandbox application folder with a simulated
renderer): main-window, about-box, cpu-box, close-request, update-status. Scenarios on the
desktop probe (tests/gui/fltk_probe.cpp): probe-clicks, probe-long-command,
probe-pictures, probe-check-boxes, probe-dialogs. Exit status 0 when the scenario passes.
"""
import argparse
import os
import queue
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

# Every wait for the program may take this many times longer than written: a
# busy machine must not turn a slow start into a failure. Waits end as soon
# as what they wait for happens, so a passing run is not slowed.
PATIENCE = 4

MAIN_TITLE = "^TORVAmeter 2.8 for Maxwell Render"
SCREEN_W, SCREEN_H = 1920, 1080

# The main window's gadgets by number: places (x, y, width, height) and
# centres, and the buttons' centres. Read from the program (load_gadgets),
# which builds its window from the same table.
PLACES = {}
CENTRES = {}
BUTTONS = {}
LOGO_GADGET = 0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def load_gadgets(program):
    """Fills PLACES, CENTRES and BUTTONS from `program --gadget-table`: one line
    per gadget, "NUMBER X Y WIDTH HEIGHT LABEL", a button being a gadget with a
    label."""
    done = subprocess.run([program, "--gadget-table"], capture_output=True, text=True,
                          timeout=30 * PATIENCE)
    check(done.returncode == 0, f"{program} --gadget-table: exit status {done.returncode}")
    for line in done.stdout.splitlines():
        fields = line.split(" ", 5)
        check(len(fields) >= 5 and all(f.isdigit() for f in fields[:5]),
              f"gadget table line {line!r}")
        number, x, y, width, height = map(int, fields[:5])
        PLACES[number] = (x, y, width, height)
        CENTRES[number] = (x + width // 2, y + height // 2)
        if len(fields) == 6:
            BUTTONS[number] = CENTRES[number]
    check(LOGO_GADGET in CENTRES and BUTTONS, f"gadget table: {done.stdout!r}")


class Xserver:
    """An Xvfb of our own: -displayfd picks a free display number. With
    `wm`, openbox manages its windows (title bars, stacking, transients).
    -noreset: by default the server starts afresh each time its last client
    leaves (an xdotool or xprop call, when no window manager is connected),
    and a program that connects meanwhile cannot open the display."""

    def __init__(self, width=SCREEN_W, height=SCREEN_H, wm=False):
        read_end, write_end = os.pipe()
        self.wm = None
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15 * PATIENCE
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([read_end], [], [], left)[0]:
                raise Failure("Xvfb did not start")
            chunk = os.read(read_end, 32)
            if not chunk:
                raise Failure("Xvfb ended at start")
            number += chunk
        os.close(read_end)
        # What the window remembers between runs stays with this server.
        self.state_home = tempfile.mkdtemp(prefix="tm-state-")
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip(),
                        XDG_STATE_HOME=self.state_home)
        if wm:
            # A busy machine may take a long while to start it; one that
            # ended, or never took the screen, is started again.
            for _ in range(3):
                self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
                if self.wm_ready(20 * PATIENCE):
                    break
                self.wm.kill()
                self.wm.wait(5)
            else:
                raise Failure("openbox did not start")

    def wm_ready(self, seconds):
        deadline = time.monotonic() + seconds
        while "window id" not in self.prop("-root", "_NET_SUPPORTING_WM_CHECK"):
            if self.wm.poll() is not None or time.monotonic() > deadline:
                return False
            time.sleep(0.1)
        return True

    def prop(self, *args):
        return subprocess.run(["xprop", *map(str, args)], env=self.env, capture_output=True,
                              text=True, timeout=10).stdout

    def frame(self, window):
        """The window's inside (x, y, width, height) and the frame around it
        (left, right, top, bottom)."""
        extents = self.prop("-id", window, "_NET_FRAME_EXTENTS").partition("=")[2]
        margins = tuple(map(int, extents.split(","))) if extents.strip() else (0, 0, 0, 0)
        return self.geometry(window), margins

    def stacking(self):
        """The managed windows, bottom to top."""
        ids = self.prop("-root", "_NET_CLIENT_LIST_STACKING").partition("#")[2]
        return [int(w, 16) for w in ids.replace(",", " ").split()]

    def stop(self):
        if self.wm:
            self.wm.terminate()
            self.wm.wait(5)
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        shutil.rmtree(self.state_home, ignore_errors=True)

    def xdo(self, *args, timeout=10, ok_codes=(0,)):
        try:
            done = subprocess.run(["xdotool", *map(str, args)], env=self.env, timeout=timeout,
                                  capture_output=True, text=True)
        except subprocess.TimeoutExpired:
            raise Failure(f"xdotool {' '.join(map(str, args))}: no result in {timeout} s")
        if done.returncode not in ok_codes:
            raise Failure(f"xdotool {' '.join(map(str, args))}: {done.stderr.strip()}")
        return done.stdout

    def visible(self, name):
        out = self.xdo("search", "--onlyvisible", "--name", name, ok_codes=(0, 1))
        return [int(w) for w in out.split()]

    def find(self, name, timeout=10):
        """The first visible window named `name`, asked for again until it
        shows: a search that meets a window closing under it ends with an X
        error, as one that finds nothing does."""
        timeout *= PATIENCE
        deadline = time.monotonic() + timeout
        while not (found := self.visible(name)):
            if time.monotonic() > deadline:
                raise Failure(f"no window named {name!r} within {timeout} s; "
                              f"visible: {self.titles()}")
            time.sleep(0.05)
        return found[0]

    def gone(self, name, timeout=5):
        deadline = time.monotonic() + timeout * PATIENCE
        while self.visible(name):
            check(time.monotonic() < deadline, f"window {name!r} is still open")
            time.sleep(0.05)

    def titles(self):
        return [self.xdo("getwindowname", w, ok_codes=(0, 1)).strip() for w in self.visible(".")]

    def geometry(self, window):
        values = dict(line.split("=", 1) for line in
                      self.xdo("getwindowgeometry", "--shell", window).split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def click(self, window, x, y, button=1, repeat=1, control=False):
        self.xdo("mousemove", "--window", window, x, y)
        time.sleep(0.05)
        args = ["click", "--repeat", repeat, "--delay", 60, button]
        if control:
            args = ["keydown", "ctrl", *args, "keyup", "ctrl"]
        self.xdo(*args)

    def key(self, window, key):
        self.xdo("windowfocus", window)
        time.sleep(0.1)
        self.xdo("key", key)

    def screenshot_when(self, window, path, drawn, timeout=15):
        """Screenshots the window until `drawn(image)` holds (the window may be
        mapped before its pictures are painted); returns the last image."""
        deadline = time.monotonic() + timeout * PATIENCE
        while True:
            shot = self.screenshot(window, path)
            if drawn(shot) or time.monotonic() > deadline:
                return shot
            time.sleep(0.2)

    def screenshot(self, window, path):
        """Saves the window as a PNG file and returns it as an Image."""
        done = subprocess.run(["import", "-window", str(window), "-depth", "8", "ppm:-"], env=self.env,
                              check=True, timeout=120, capture_output=True)
        image = Image.from_ppm(done.stdout)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        image.save_png(path)
        return image


class Image:
    """RGB pixels, read from ImageMagick's PPM output; the standard library only."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_ppm(data):
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        check(fields[0] == b"P6" and fields[3] == b"255", "screenshot is not an 8-bit PPM")
        width, height = int(fields[1]), int(fields[2])
        return Image(width, height, data[pos + 1:pos + 1 + width * height * 3])

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])

    def save_png(self, path):
        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff))
        stride = self.width * 3
        rows = b"".join(b"\0" + self.rgb[y * stride:(y + 1) * stride] for y in range(self.height))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(rows, 6)))
            f.write(chunk(b"IEND", b""))


RUNNING = []


class Program:
    """A program under test; its standard output is read line by line."""

    def __init__(self, args, env):
        RUNNING.append(self)
        self.proc = subprocess.Popen(args, env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, text=True)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)  # the end of its output: it has ended

    def _ended(self, text):
        status = self.proc.wait()
        self.lines.put(None)
        raise Failure(f"expected output {text!r}; the program ended (exit status {status}) "
                      f"after {self.seen[-10:]}")

    def expect(self, text, timeout=5):
        deadline = time.monotonic() + timeout * PATIENCE
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise Failure(f"expected output {text!r}; got {self.seen[-10:]}")
            if line is None:
                self._ended(text)
            self.seen.append(line)
            if line == text:
                return

    def expect_next(self, text, timeout=5):
        """The next line must be `text`: whatever an earlier action caused has
        been printed before it, so nothing else may come first."""
        try:
            line = self.lines.get(timeout=timeout * PATIENCE)
        except queue.Empty:
            raise Failure(f"expected output {text!r}; got nothing")
        if line is None:
            self._ended(text)
        self.seen.append(line)
        check(line == text, f"expected output {text!r} next; got {line!r}")

    def wait(self, timeout=5):
        try:
            return self.proc.wait(timeout * PATIENCE)
        except subprocess.TimeoutExpired:
            raise Failure(f"program still runs after {timeout} s")

    def drain(self):
        """The lines read but not yet expected."""
        lines = []
        while not self.lines.empty():
            line = self.lines.get()
            if line is not None:
                lines.append(line)
        return lines

    def report_end(self):
        """After a failure: how a program that ended did, and its last words."""
        status = self.proc.poll()
        if status is None:
            return
        said = list(self.seen)
        try:  # the rest of its output, up to its end
            while (line := self.lines.get(timeout=2)) is not None:
                said.append(line)
        except queue.Empty:
            pass
        print(f"  {os.path.basename(self.proc.args[0])} ended with exit status {status}; "
              f"its last output: {said[-10:]}")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def make_sandbox(root, source_dir):
    """An application folder with a configuration file and a renderer."""
    app = os.path.join(root, "app")
    maxwell = os.path.join(root, "maxwell")
    os.makedirs(app)
    subprocess.run([sys.executable, os.path.join(source_dir, "tools/sim-maxwell/make-installation"),
                    maxwell], check=True, stdout=subprocess.DEVNULL, timeout=60)
    lines = [";Maxwell Render path", maxwell + "/",
             ";TORVA login (crypted - do not modify)", "",
             ";TORVA password (crypted - do not modify)", "",
             ";Last directory from previous session", app,
             ";Check for updates?", "No"]
    with open(os.path.join(app, "TORVAmeter_Maxwell.ini"), "w") as f:
        f.write("\n".join(lines) + "\n")
    return app, lines


def answer_startup_questions(x, main_window, settle=1.5):
    """Says No to any box shown right after the main window (the benchmark offer)."""
    main_title = x.xdo("getwindowname", main_window).strip()
    quiet_since = time.monotonic()
    while time.monotonic() - quiet_since < settle:
        others = [w for w in x.visible(".") if w != main_window and
                  x.xdo("getwindowname", w, ok_codes=(0, 1)).strip() not in ("", main_title)]
        if others:
            x.key(others[0], "Escape")
            time.sleep(0.3)
            quiet_since = time.monotonic()
        else:
            time.sleep(0.1)


def start_real_program(x, opts, root, extra=()):
    app, lines = make_sandbox(root, opts.source_dir)
    program = Program([opts.program, "--app-dir", app, "--probe-limit", "600", *extra], x.env)
    main = x.find(MAIN_TITLE, timeout=15)
    answer_startup_questions(x, main)
    return program, main, app, lines


def main_window(x, opts, root):
    program, main, _, _ = start_real_program(x, opts, root)
    _, _, width, height = x.geometry(main)
    check((width, height) == (440, 640), f"main window is {width}x{height}")
    left, top, _, _ = x.geometry(main)
    check((left, top) == ((SCREEN_W - 440) // 2, (SCREEN_H - 640) // 2),
          f"main window not centred: at {left},{top}")
    # The embedded logo at 10,2: its orange bottom band and dark background.
    near = lambda p, q: all(abs(a - b) < 12 for a, b in zip(p, q))
    shot = x.screenshot_when(main, os.path.join(opts.artifacts, "main-window.png"),
                             lambda image: near(image.pixel(10 + 200, 2 + 86), (0xf2, 0x8c, 0x28)))
    check(near(shot.pixel(10 + 200, 2 + 86), (0xf2, 0x8c, 0x28)), "logo band not drawn")
    check(max(shot.pixel(10 + 390, 2 + 6)) < 60, "logo background not drawn")
    check(shot.pixel(200, 300) == (255, 255, 255), "LogPanel is not white")
    # Each button's label is drawn inside the place the table gives it.
    for gadget in BUTTONS:
        bx, by, bw, bh = PLACES[gadget]
        ink = sum(1 for px in range(bx + 3, bx + bw - 3) for py in range(by + 3, by + bh - 3)
                  if max(shot.pixel(px, py)) < 100)
        check(ink > 10, f"button {gadget}: no label drawn at {PLACES[gadget]}")
    check(program.proc.poll() is None, "program ended")
    program.stop()


def message_box(x, opts, root, gadget, title, artifact):
    program, main, _, _ = start_real_program(x, opts, root)
    x.click(main, *BUTTONS[gadget])
    box = x.find(title, timeout=5)
    x.screenshot(box, os.path.join(opts.artifacts, artifact))
    x.key(box, "Return")
    x.gone(title)
    check(program.proc.poll() is None, "program ended with the box")
    program.stop()


def close_request(x, opts, root):
    program, main, app, lines = start_real_program(x, opts, root)
    config = os.path.join(app, "TORVAmeter_Maxwell.ini")
    os.remove(config)  # read at start; must come back at the end
    x.key(main, "Escape")
    # The program still answers its buttons after Escape.
    x.click(main, *BUTTONS[9])
    box = x.find("^About TORVAmeter for Maxwell$", timeout=10)
    x.key(box, "Return")
    x.gone("^About TORVAmeter for Maxwell$")
    check(program.proc.poll() is None, "Escape ended the program")
    check(x.visible(MAIN_TITLE), "Escape closed the main window")
    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    status = program.wait(10)
    check(status == 0, f"exit status {status}")
    check(os.path.exists(config), "configuration file not written")
    with open(config) as f:
        written = f.read().split("\n")
    check(written[:2] == lines[:2] and written[6:8] == lines[6:8] and len(written) >= 10,
          f"configuration file: {written}")


def update_status(x, opts, root):
    """The update check's status window says what the program waits for while
    it waits: a server that takes the connection and never answers."""
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(4)  # never accepted: the system completes the connection
    try:
        port = server.getsockname()[1]
        program, main, _, _ = start_real_program(x, opts, root,
                                                 ("--update-host", f"127.0.0.1:{port}"))
        x.click(main, *BUTTONS[12])
        status = x.find("^Connecting to TORVAUpdateServer...$", timeout=10)
        _, _, width, height = x.geometry(status)
        check((width, height) == (340, 50), f"status window is {width}x{height}")
        dark = lambda image: any(max(image.pixel(px, py)) < 80
                                 for px in range(0, width, 2) for py in range(height))
        shot = x.screenshot_when(status, os.path.join(opts.artifacts, "update-status.png"), dark,
                                 timeout=8)
        check(dark(shot), "the status window shows no text")
        box = x.find("^TORVAmeter for Maxwell update$", timeout=30)
        x.key(box, "Return")
        x.gone("^TORVAmeter for Maxwell update$")
        check(program.proc.poll() is None, "program ended")
        program.stop()
    finally:
        server.close()


def start_probe(x, opts):
    probe = Program([opts.probe], x.env)
    probe.expect("ready", timeout=15)
    return probe, x.find("^FLTK probe$")


def probe_clicks(x, opts, root):
    probe, main = start_probe(x, opts)
    for gadget, (bx, by) in BUTTONS.items():
        if gadget in (4, 5, 6, 7, 8, 10, 11, 12, 13):  # these start probe actions
            continue
        x.click(main, bx, by)
        probe.expect(f"gadget {gadget} left=1 repeated=0 control=0")
    x.click(main, *CENTRES[LOGO_GADGET])
    probe.expect("gadget 0 left=1 repeated=0 control=0")
    time.sleep(1.1)  # FLTK joins clicks less than a second apart
    x.click(main, *CENTRES[LOGO_GADGET], repeat=2)
    probe.expect("gadget 0 left=1 repeated=0 control=0")
    probe.expect("gadget 0 left=1 repeated=1 control=0")
    time.sleep(1.1)
    x.click(main, *CENTRES[LOGO_GADGET], control=True)
    probe.expect("gadget 0 left=1 repeated=0 control=1")
    time.sleep(1.1)
    x.click(main, *CENTRES[LOGO_GADGET], button=3)
    probe.expect("gadget 0 left=0 repeated=0 control=0")

    x.click(main, *BUTTONS[6])  # greys out the others
    probe.expect("gadget 6 left=1 repeated=0 control=0")
    x.click(main, *BUTTONS[9])
    x.click(main, *BUTTONS[13])
    x.click(main, *BUTTONS[6])  # restores them; the greyed clicks gave nothing
    probe.expect_next("gadget 6 left=1 repeated=0 control=0")
    x.click(main, *BUTTONS[9])
    probe.expect("gadget 9 left=1 repeated=0 control=0")
    probe.stop()


def probe_long_command(x, opts, root):
    probe, main = start_probe(x, opts)
    x.click(main, *BUTTONS[4])
    probe.expect("gadget 4 left=1 repeated=0 control=0")
    probe.expect("long start")
    x.click(main, *BUTTONS[10])
    probe.expect("during 10", timeout=10)
    probe.expect_next("long end")
    probe.stop()


def probe_pictures(x, opts, root):
    probe, main = start_probe(x, opts)
    mx, my, mw, _ = x.geometry(main)
    x.click(main, *BUTTONS[7])
    probe.expect("window 1")
    probe.expect("repaint 1")
    window = x.find("^Probe pictures$")
    check(x.geometry(window) == (mx + mw + 7, my, 480, 640),
          f"picture window at {x.geometry(window)}")
    # The probe's gradient: red grows to the right, blue downwards, green 90.
    gradient = lambda rgb: abs(rgb[0] - 212) < 8 and abs(rgb[1] - 90) < 8 and abs(rgb[2] - 39) < 8
    shot = x.screenshot_when(window, os.path.join(opts.artifacts, "probe-pictures.png"),
                             lambda image: gradient(image.pixel(400, 100)))
    check((shot.width, shot.height) == (480, 640), "screenshot size")
    r, g, b = shot.pixel(400, 100)
    check(abs(r - 212) < 8 and abs(g - 90) < 8 and abs(b - 39) < 8,
          f"picture not drawn: {(r, g, b)} at 400,100")
    # The caption: white text on black from 180,616; the gradient has no dark
    # pixels that low.
    dark = sum(1 for cx in range(180, 300) for cy in range(617, 630)
               if max(shot.pixel(cx, cy)) < 40)
    check(dark > 400, f"caption box missing ({dark} dark pixels)")
    x.key(window, "Escape")  # not a close request
    subprocess.run([opts.wm_close, str(window)], env=x.env, check=True, timeout=10)
    probe.expect_next("close 1")
    x.gone("^Probe pictures$")
    x.key(main, "Escape")
    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    probe.expect_next("close 0")
    check(probe.wait() == 0, "probe failed")


def probe_check_boxes(x, opts, root):
    probe, main = start_probe(x, opts)
    x.click(main, *BUTTONS[5])
    window = x.find("^Probe cameras$")
    check(x.geometry(window) == ((SCREEN_W - 290) // 2, (SCREEN_H - 140) // 2, 290, 140),
          f"check-box window at {x.geometry(window)}")
    x.screenshot(window, os.path.join(opts.artifacts, "probe-check-boxes.png"))
    x.click(window, 20, 20 + 10)  # first box at y 20
    x.click(window, 20, 80 + 10)  # third box at y 80
    x.click(window, 230 + 22, 100 + 17)  # OK at y 140 - 40
    probe.expect("ticks 101")
    x.gone("^Probe cameras$")
    probe.stop()


def probe_dialogs(x, opts, root):
    probe, main = start_probe(x, opts)
    x.click(main, *BUTTONS[11])
    box = x.find("^Probe input$")
    x.xdo("type", "--delay", 30, "name@farm 1%")
    x.screenshot(box, os.path.join(opts.artifacts, "probe-input.png"))
    x.key(box, "Return")
    probe.expect("input name@farm 1%")
    x.click(main, *BUTTONS[11])
    box = x.find("^Probe input$")
    x.xdo("type", "--delay", 30, "typed")
    x.key(box, "Escape")
    probe.expect("input cancelled")
    x.gone("^Probe input$")

    # A secret shows marks only: two texts of one length look the same.
    x.click(main, *BUTTONS[13])
    box = x.find("^Probe secret$")
    x.xdo("type", "--delay", 30, "s3cret")
    typed = x.screenshot(box, os.path.join(opts.artifacts, "probe-secret.png"))
    x.key(box, "ctrl+a")
    x.xdo("type", "--delay", 30, "wxyz12")
    retyped = x.screenshot(box, os.path.join(opts.artifacts, "probe-secret-2.png"))
    check(typed.rgb == retyped.rgb, "the secret input shows what was typed")
    x.key(box, "Return")
    probe.expect("secret wxyz12")
    x.gone("^Probe secret$")

    x.click(main, *BUTTONS[8])
    box = x.find("^Probe message$")
    x.screenshot(box, os.path.join(opts.artifacts, "probe-message.png"))
    x.key(box, "Return")
    probe.expect("message done")

    # Return presses the focused button: Yes at first, No after a Tab.
    for keys, answer in ((["Return"], "yes"), (["Escape"], "no"), (["Tab", "Return"], "no")):
        x.click(main, *BUTTONS[12])
        box = x.find("^Probe question$")
        x.key(box, keys[0])
        for key in keys[1:]:
            x.xdo("key", key)
        probe.expect(f"answer {answer}")
    probe.stop()


def with_window_manager(width, height):
    """The scenario runs on a `width` x `height` screen managed by openbox."""
    def mark(scenario):
        scenario.screen = (width, height)
        return scenario
    return mark


def ink_right_edge(image, top, bottom, left, right):
    """The rightmost column between `left` and `right` with dark pixels in rows
    `top` to `bottom`; `left` when there are none."""
    for px in range(right - 1, left, -1):
        if any(max(image.pixel(px, py)) < 100 for py in range(top, bottom)):
            return px
    return left


@with_window_manager(1024, 768)
def probe_resize(x, opts, root):
    """The main window opens at 440 x 640 and may be made larger: the log panel
    takes the room and shows its long first line whole; the buttons follow the
    bottom edge."""
    probe, main = start_probe(x, opts)
    hints = x.prop("-id", main, "WM_NORMAL_HINTS")
    check("minimum size: 440 by 640" in hints and "maximum size" not in hints, hints)
    (_, _, width, height), _ = x.frame(main)
    check((width, height) == (440, 640), f"main window is {width}x{height}")
    px, py, pw, ph = PLACES[1]
    line = (py + 3, py + 18)  # the panel's first line
    shot = x.screenshot(main, os.path.join(opts.artifacts, "main-window-440.png"))
    check(ink_right_edge(shot, *line, px, px + pw - 3) > px + pw - 20, "first line not cut at 440")
    x.xdo("windowsize", main, 800, 700)
    shot = x.screenshot_when(main, os.path.join(opts.artifacts, "main-window-800.png"),
                             lambda image: image.width == 800 and
                             image.pixel(px + pw + 300, py + 200) == (255, 255, 255))
    check(shot.pixel(px + pw + 300, py + 200) == (255, 255, 255), "the panel did not widen")
    right = ink_right_edge(shot, *line, px, 800 - 3)
    check(px + pw < right < 800 - 40, f"the first line ends at x {right} of 800")
    x.click(main, BUTTONS[9][0], BUTTONS[9][1] + 60)  # About, 60 rows lower
    probe.expect("gadget 9 left=1 repeated=0 control=0")
    probe.stop()


@with_window_manager(1024, 768)
def result_window(x, opts, root):
    """The benchmark's result window, on a screen smaller than its pictures:
    scaled down into the work area with its frame, and closed by Escape."""
    probe = Program([opts.result_probe], x.env)
    probe.expect("ready", timeout=15)
    window = x.find("^Probe result$")
    (wx, wy, width, height), (left, right, top, bottom) = x.frame(window)
    check(top > 0, "no title bar: not managed")
    check(wx - left >= 0 and wy - top >= 0 and wx + width + right <= 1024 and
          wy + height + bottom <= 768, f"result window at {wx},{wy} {width}x{height}")
    # The line under the pictures: white text on black in the last 24 rows.
    shot = x.screenshot_when(window, os.path.join(opts.artifacts, "result-window-1024.png"),
                             lambda image: any(min(image.pixel(px, height - 12)) > 200
                                               for px in range(10, 300)))
    check(any(min(shot.pixel(px, height - 12)) > 200 for px in range(10, 300)), "no note drawn")
    x.key(window, "Escape")
    probe.expect("closed")
    check(probe.wait() == 0, "probe failed")


@with_window_manager(1024, 768)
def probe_choice(x, opts, root):
    """A question whose No starts work as well: Escape and the close box give
    neither answer. An input box starts with the current value, kept by Return."""
    probe, main = start_probe(x, opts)
    x.click(main, *BUTTONS[10])
    box = x.find("^Probe choice$")
    x.screenshot(box, os.path.join(opts.artifacts, "probe-choice-1024.png"))
    x.key(box, "Escape")
    probe.expect("choice dismissed")
    x.click(main, *BUTTONS[10])
    box = x.find("^Probe choice$")
    subprocess.run([opts.wm_close, str(box)], env=x.env, check=True, timeout=10)
    probe.expect("choice dismissed")
    x.click(main, *BUTTONS[11])
    box = x.find("^Probe input$")
    x.screenshot(box, os.path.join(opts.artifacts, "probe-input-start-1024.png"))
    x.key(box, "Return")
    probe.expect("input old@farm")
    probe.stop()


def result_with_chart(x, opts, side_by_side):
    probe = Program([opts.result_probe, "--chart"], x.env)
    probe.expect("ready", timeout=15)
    window = x.find("^Probe result$")
    chart = x.find("^TORVAmeter benchmark - estimates of PHASE 1$")
    (rx, ry, rw, rh), (rl, rr, rt, rb) = x.frame(window)
    (cx, cy, cw, ch), (cl, cr, ct, cb) = x.frame(chart)
    size = "1920" if side_by_side else "1024"
    x.screenshot(window, os.path.join(opts.artifacts, f"result-over-chart-{size}.png"))
    if side_by_side:
        check(cx - cl >= rx + rw + rr, f"chart at x {cx} over the result, which ends at {rx + rw}")
    x.key(window, "Escape")
    probe.expect("closed")
    if side_by_side:
        x.gone("^TORVAmeter benchmark - estimates of PHASE 1$")
        subprocess.run([opts.wm_close, str(x.find("^Result probe$"))], env=x.env, check=True,
                       timeout=10)
    else:
        # The chart, covered until now, comes up and stays until it is closed.
        time.sleep(0.5)
        check(x.visible("^TORVAmeter benchmark - estimates of PHASE 1$"), "chart closed too")
        check(x.stacking()[-1] == int(chart), f"chart not on top: {x.stacking()}")
        x.screenshot(chart, os.path.join(opts.artifacts, "chart-after-result-1024.png"))
        subprocess.run([opts.wm_close, str(chart)], env=x.env, check=True, timeout=10)
        probe.expect("chart closed")
    check(probe.wait() == 0, "probe failed")


@with_window_manager(1024, 768)
def result_chart_small(x, opts, root):
    result_with_chart(x, opts, False)


@with_window_manager(1920, 1080)
def result_chart_large(x, opts, root):
    result_with_chart(x, opts, True)


@with_window_manager(1024, 768)
def window_memory(x, opts, root):
    """The main window opens at the place and size it was closed at; Tab shows
    which button has the focus."""
    program, main, app, _ = start_real_program(x, opts, root)
    before = x.screenshot(main, os.path.join(opts.artifacts, "main-window-focus-0.png"))
    x.key(main, "Tab")
    time.sleep(0.5)
    after = x.screenshot(main, os.path.join(opts.artifacts, "main-window-focus-1.png"))
    rows = range(PLACES[5][1], PLACES[8][1] + PLACES[8][3])
    changed = sum(1 for px in range(0, 440) for py in rows
                  if before.pixel(px, py) != after.pixel(px, py))
    check(changed > 20, f"Tab changed {changed} pixels of the buttons")
    x.xdo("windowsize", main, 760, 700)
    x.xdo("windowmove", main, 40, 30)
    time.sleep(1)
    left = x.frame(main)
    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    check(program.wait(10) == 0, "program failed")
    again = Program([opts.program, "--app-dir", app, "--probe-limit", "600"], x.env)
    main = x.find(MAIN_TITLE, timeout=15)
    answer_startup_questions(x, main)
    x.screenshot(main, os.path.join(opts.artifacts, "main-window-remembered-1024.png"))
    with open(os.path.join(x.state_home, "torvameter", "window")) as remembered:
        kept = remembered.read()
    check(x.frame(main) == left, f"opened at {x.frame(main)}, closed at {left}, kept {kept!r}")
    again.stop()


SCENARIOS = {
    "main-window": main_window,
    "about-box": lambda x, o, r: message_box(x, o, r, 9, "^About TORVAmeter for Maxwell$",
                                             "about-box.png"),
    "cpu-box": lambda x, o, r: message_box(x, o, r, 13, "^CPU Info$", "cpu-box.png"),
    "close-request": close_request,
    "update-status": update_status,
    "probe-clicks": probe_clicks,
    "probe-long-command": probe_long_command,
    "probe-pictures": probe_pictures,
    "probe-check-boxes": probe_check_boxes,
    "probe-dialogs": probe_dialogs,
    "probe-resize": probe_resize,
    "result-window": result_window,
    "probe-choice": probe_choice,
    "result-chart-1024": result_chart_small,
    "result-chart-1920": result_chart_large,
    "window-memory": window_memory,
}


def run_scenario(name, scenario, opts):
    """Runs scenario(x, opts, root) on an X server of its own and prints PASS or
    FAIL; returns the exit status. Programs left running are stopped."""
    root = tempfile.mkdtemp(prefix="tm-gui-")
    screen = getattr(scenario, "screen", None)
    x = Xserver(*screen, wm=True) if screen else Xserver()
    # A home of its own: GTK's file chooser keeps its settings there, and one
    # another run left (a location field filled in) mangles what is typed.
    x.env["HOME"] = root
    try:
        if getattr(opts, "program", None):
            load_gadgets(opts.program)
        scenario(x, opts, root)
    except Failure as failure:
        print(f"FAIL {name}: {failure}")
        for program in RUNNING:
            program.report_end()
        return 1
    finally:
        for program in RUNNING:
            program.stop()
        x.stop()
        shutil.rmtree(root, ignore_errors=True)
    print(f"PASS {name}")
    return 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("scenario", choices=SCENARIOS)
    ap.add_argument("--program")
    ap.add_argument("--probe")
    ap.add_argument("--result-probe")
    ap.add_argument("--wm-close")
    ap.add_argument("--source-dir")
    ap.add_argument("--artifacts")
    opts = ap.parse_args()
    return run_scenario(opts.scenario, SCENARIOS[opts.scenario], opts)


if __name__ == "__main__":
    sys.exit(main())
