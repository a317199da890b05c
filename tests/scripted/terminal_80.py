#!/usr/bin/env python3
"""The commands without a window on a terminal of 80 columns (a pseudo-terminal
sized with TIOCSWINSZ), against a substitute Maxwell installation:

- --help fits the 80 columns;
- setup --password - asks for the password without showing it, and says what
  to do next;
- prepare without --allow-same-names names the files of one name;
- a benchmark's progress lines fit the 80 columns, and Ctrl-C says what it
  left and where the run's record is.

terminal_80.py --program TORVAMETER_SANDBOX --source-dir D
"""
import argparse
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

COLUMNS = 80


class Terminal:
    """A program on a pseudo-terminal of 80 x 24; `screen` is what it wrote."""

    def __init__(self, args):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "COLUMNS")}
            os.execve(args[0], args, env)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, COLUMNS, 0, 0))
        self.screen = b""
        self.status = None

    def read_until(self, pattern, timeout=120):
        deadline = time.monotonic() + timeout
        while not re.search(pattern.encode(), self.screen):
            left = deadline - time.monotonic()
            if left <= 0 or not self._read(left):
                raise AssertionError(f"no {pattern!r} in {self.screen.decode(errors='replace')}")

    def _read(self, timeout):
        if not select.select([self.fd], [], [], timeout)[0]:
            return False
        try:
            chunk = os.read(self.fd, 4096)
        except OSError:  # the program ended and the terminal closed
            return False
        self.screen += chunk
        return bool(chunk)

    def send(self, text):
        os.write(self.fd, text.encode())

    def wait(self, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self._read(0.2)
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                while self._read(0.2):
                    pass
                self.status = os.waitstatus_to_exitcode(status)
                return self.status
        os.kill(self.pid, signal.SIGKILL)
        raise AssertionError("the program did not end")

    def text(self):
        return self.screen.decode(errors="replace")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def rows(screen):
    """What each redraw and each line puts on one row: the pieces between line
    ends and carriage returns, without the escape that clears a row."""
    return [piece for piece in re.split(r"\r\n|\n|\r", screen.replace("\x1b[K", ""))]


def run(opts, root):
    app = os.path.join(root, "app")
    maxwell = os.path.join(root, "maxwell")
    subprocess.run([sys.executable, os.path.join(opts.source_dir, "tools/sim-maxwell/make-installation"),
                    "--speed", "60", "--seed", "7", maxwell], check=True, stdout=subprocess.DEVNULL)
    kitchen = os.path.join(root, "Kitchen")
    shutil.copytree(os.path.join(opts.source_dir, "tools/sim-maxwell/scenes/Kitchen"), kitchen)
    program = [opts.program, "--app-dir", app, "--probe-limit", "600"]

    help_run = Terminal([opts.program, "--help"])
    check(help_run.wait() == 0, "--help failed")
    long_rows = [row for row in rows(help_run.text()) if len(row) > COLUMNS]
    check(not long_rows, f"--help rows over {COLUMNS} columns: {long_rows}")

    setup = Terminal(program + ["setup", "--maxwell", maxwell, "--login", "ann", "--password", "-"])
    setup.read_until("TORVA password for ann: ")
    setup.send("s3cret-typed\r")
    check(setup.wait() == 0, f"setup failed: {setup.text()}")
    check("s3cret-typed" not in setup.text(), f"the password was shown: {setup.text()}")
    check("Next: run \"" in setup.text() and " benchmark\"" in setup.text(),
          f"setup does not say what comes next: {setup.text()}")

    prepare = Terminal(program + ["prepare", os.path.join(kitchen, "Kitchen.mxs"), "--fast"])
    check(prepare.wait(300) == 1, f"prepare did not fail: {prepare.text()}")
    for folder in ("tiles", "wood"):
        path = os.path.join(kitchen, "textures", folder, "diffuse.jpg")
        check(path in prepare.text(), f"{path} not named: {prepare.text()}")

    bench = Terminal(program + ["benchmark"])
    bench.read_until(r"\(estimation 3\)", timeout=300)
    bench.send("\x03")
    status = bench.wait(300)
    screen = bench.text()
    check(status == 130, f"status {status} after Ctrl-C: {screen}")
    # A path longer than a row cannot be folded.
    long_rows = [row for row in rows(screen) if len(row) > COLUMNS and "/" not in row]
    check(not long_rows, f"rows over {COLUMNS} columns: {long_rows}")
    end = " ".join(screen.strip().splitlines()[-4:])
    check(end.endswith("benchmark: stopped by SIGINT") and
          "earlier log, record and chart were kept" in end and ".unfinished.json" in end,
          f"the last lines: {end}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--source-dir", required=True)
    opts = ap.parse_args()
    root = tempfile.mkdtemp(prefix="tm-pty-")
    try:
        run(opts, root)
    except AssertionError as failure:
        print(f"FAIL terminal-80: {failure}")
        return 1
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("PASS terminal-80")
    return 0


if __name__ == "__main__":
    sys.exit(main())
