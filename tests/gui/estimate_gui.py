#!/usr/bin/env python3
"""GUI tests of an estimation in the real window: the sandbox program, the
substitute renderer replaying fixed lines, a packed project chosen in the file
chooser, the preview window checked for its place, size and picture; or a
close request while the project is unpacked; or an interrupt (SIGTERM, SIGINT).

estimate_gui.py [estimation | quit-while-unpacking | quit-over-preview | interrupted]
                --program P --wm-close P
                --source-dir D --artifacts D
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gui_driver as gd  # noqa: E402

WIDTH, HEIGHT = 720, 960  # the preview is 480 x 640 and fits beside the main window
PREVIEW = f"^TORVAmeter estimation running\\.\\.\\. \\(real size {WIDTH}x{HEIGHT}\\)$"
LOG = f"Kitchen_{WIDTH}x{HEIGHT}_SL20_estimate_CPU.log"
SCENE = "SIM-MXS 1\nlook Kitchen\ncamera Main;720x960 active\nmxi-size-mb 40\n"
REPLAY = "SL of 8.00\n@sleep 300\nSL of 10.00\nTime left: 0h 30m 0s\n@sleep 60000\n"


def prepare(root, source_dir, maxwell_options=None, width=WIDTH, height=HEIGHT):
    """A sandbox with a CPU benchmark and a packed Kitchen project of `width` x
    `height`; its renderer replays REPLAY unless `maxwell_options` are given
    (for make-installation). Returns the application folder."""
    app, _ = gd.make_sandbox(root, source_dir)
    maxwell = os.path.join(root, "maxwell")
    if maxwell_options is None:
        replay = os.path.join(root, "replay.txt")
        with open(replay, "w") as f:
            f.write(REPLAY)
        maxwell_options = ["--replay", replay]
    subprocess.run([sys.executable, os.path.join(source_dir, "tools/sim-maxwell/make-installation"),
                    maxwell, *maxwell_options], check=True, stdout=subprocess.DEVNULL, timeout=60)
    shutil.copy(shutil.which("7za"), os.path.join(app, "7za"))
    # A CPU benchmark made with this renderer: ratio 10, DeltaSL 3.
    os.makedirs(os.path.join(app, "benchmark"))
    with open(os.path.join(app, "benchmark", "TORVAmeter_Benchmark.log"), "w") as f:
        f.write("Mac, CPU: Simulated - 8 threads\nMaxwell Render 5.2.1.49\n"
                "The TORVA is 10.0 times faster (+/- 10%) than this system (with CPU-Low "
                "priority, 32 nodes V4).\nDeltaSL = 3.00\n(SL=10 on this system <=> SL=13.00 "
                "(+/- 0.2) on the TORVA.\n")
    project = os.path.join(root, "project")
    os.makedirs(project)
    size = f"{width}x{height}"
    for name, text in (("Kitchen.mxs", SCENE.replace("720x960", size)),
                       ("cameras.txt", f"Main;{size}, 35mm, active;1\n"),
                       ("TORVAmeter_Maxwell.log", "project log\n")):
        with open(os.path.join(project, name), "w") as f:
            f.write(text)
    os.makedirs(os.path.join(app, "archive"), exist_ok=True)
    subprocess.run(["7za", "a", "-mx=1", os.path.join(app, "archive", "Kitchen.vum"), "."],
                   cwd=project, check=True, stdout=subprocess.DEVNULL, timeout=60)
    return app


def answer(x, title, text):
    box = x.find(title, timeout=10)
    x.xdo("windowfocus", box)
    time.sleep(0.2)
    x.xdo("type", "--delay", 40, text)
    x.key(box, "Return")
    x.gone(title)


def wait_for(predicate, what, timeout=20):
    deadline = time.monotonic() + timeout
    while not predicate():
        gd.check(time.monotonic() < deadline, f"no {what} within {timeout} s")
        time.sleep(0.2)


def read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return ""


def picture_drawn(image):
    """The render (many colours) and the caption's black box at the bottom left."""
    colours = {image.pixel(px, py) for px in range(20, 460, 20) for py in range(20, 580, 20)}
    dark = sum(1 for cx in range(10, 150) for cy in range(617, 630) if max(image.pixel(cx, cy)) < 40)
    return len(colours) > 20 and dark > 300


def estimation(x, opts, root):
    app = prepare(root, opts.source_dir)
    program = gd.Program([opts.program, "--app-dir", app, "--probe-limit", "600"], x.env)
    main = x.find(gd.MAIN_TITLE, timeout=15)
    gd.answer_startup_questions(x, main)
    mx, my, mw, _ = x.geometry(main)

    x.click(main, *gd.BUTTONS[7])
    # The archive folder holds one archive: its name is enough for the chooser.
    answer(x, "^Choose a vum project to estimate: $", "Kitchen.vum")
    answer(x, "^Project X \\(width\\) resolution$", str(WIDTH))
    answer(x, "^Project Y \\(height\\) resolution$", str(HEIGHT))
    answer(x, "^Sampling Level$", "20")

    preview = x.find(PREVIEW, timeout=20)
    geometry = x.geometry(preview)
    gd.check(geometry == (mx + mw + 7, my, 480, 640), f"preview window at {geometry}")
    shot = x.screenshot_when(preview, os.path.join(opts.artifacts, "estimate-preview.png"),
                             picture_drawn, timeout=20)
    gd.check((shot.width, shot.height) == (480, 640), f"screenshot {shot.width}x{shot.height}")
    gd.check(picture_drawn(shot), "preview picture or its caption not drawn")

    log = os.path.join(app, "estimate", LOG)
    # The log is written beside its place and renamed there once complete.
    # The whole render here: the 30 minutes left and the few seconds rendered.
    wait_for(lambda: "Est. at SL=10.00 -->  0h3m0s (TORVA) - 0h 30m " in read(log + ".new"),
             "estimate line in the log")
    x.click(main, *gd.BUTTONS[7])  # stop: one estimation is done
    x.gone(PREVIEW, timeout=15)
    wait_for(lambda: "...or less with volume discounts!" in read(log), "cost in the log")
    gd.check("            5.39 EUR (With CPU-Low priority)\n" in read(log), read(log))
    wait_for(lambda: not os.path.exists(os.path.join(app, "workdir")), "clean-up of the work folder")
    gd.check(os.path.exists(os.path.join(app, "estimate", LOG[:-4] + ".png")), "no plot")
    x.screenshot(main, os.path.join(opts.artifacts, "estimate-main-window.png"))

    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    gd.check(program.wait(10) == 0, "exit status")


def process_runs(command_line, anywhere=False):
    """Whether a process runs whose arguments, joined by blanks, begin so
    (or hold it `anywhere`)."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                words = f.read().replace(b"\0", b" ")
                if words.startswith(command_line.encode()) or (
                        anywhere and command_line.encode() in words):
                    return True
        except OSError:
            pass
    return False


def quit_while_unpacking(x, opts, root):
    """Closing the main window while 7za unpacks asks whether to quit; Yes ends
    7za and the program, and leaves neither a log nor a work folder."""
    app = prepare(root, opts.source_dir)
    # 7za takes its time over the whole extraction (not the camera list's),
    # in a sleep nothing else runs.
    marker = "sleep 120.75"
    archiver = os.path.join(app, "7za")
    os.rename(archiver, archiver + ".real")
    with open(archiver, "w") as f:
        f.write(f'#!/bin/sh\ncase "$*" in *cameras.txt*) ;; e\\ *) {marker};; esac\n'
                'exec "$0.real" "$@"\n')
    os.chmod(archiver, 0o755)
    unpacking = lambda: process_runs(marker)
    program, main = start_estimation(x, opts, app)
    wait_for(unpacking, "7za at work", timeout=60)

    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    question = x.find("^TORVAmeter$", timeout=15)
    x.screenshot(question, os.path.join(opts.artifacts, "estimate-unpacking-quit-question.png"))
    x.key(question, "Escape")  # No: the unpacking goes on
    x.gone("^TORVAmeter$")
    gd.check(program.proc.poll() is None and unpacking(), "No ended the program or 7za")
    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    question = x.find("^TORVAmeter$", timeout=15)
    x.key(question, "Tab")  # from No, the safe default, to Yes
    x.xdo("key", "Return")
    gd.check(program.wait(15) == 0, "exit status")
    wait_for(lambda: not unpacking(), "the end of 7za")
    gd.check(not os.path.exists(os.path.join(app, "workdir")), "work folder left behind")
    gd.check(not os.path.exists(os.path.join(app, "estimate", LOG)), "estimation log left behind")


def start_estimation(x, opts, app):
    program = gd.Program([opts.program, "--app-dir", app, "--probe-limit", "600"], x.env)
    main = x.find(gd.MAIN_TITLE, timeout=15)
    gd.answer_startup_questions(x, main)
    x.click(main, *gd.BUTTONS[7])
    answer(x, "^Choose a vum project to estimate: $", "Kitchen.vum")
    answer(x, "^Project X \\(width\\) resolution$", str(WIDTH))
    answer(x, "^Project Y \\(height\\) resolution$", str(HEIGHT))
    answer(x, "^Sampling Level$", "20")
    return program, main


@gd.with_window_manager(1024, 768)
def quit_over_preview(x, opts, root):
    """On a 1024 x 768 screen the preview keeps off the main window and the
    screen's edges; a close request asks whether to quit in a box above the
    preview, and Return answers No."""
    app = prepare(root, opts.source_dir)
    program, main = start_estimation(x, opts, app)
    preview = x.find(PREVIEW, timeout=20)
    (mx, my, mw, mh), (left, right, top, bottom) = x.frame(main)
    (px, py, pw, ph), _ = x.frame(preview)
    gd.check(px - left >= mx + mw + right or px + pw + right <= mx - left or
             py - top >= my + mh + bottom, f"preview {px},{py} {pw}x{ph} over the main window")
    gd.check(px - left >= 0 and px + pw + right <= 1024 and py - top >= 0 and
             py + ph + bottom <= 768, f"preview {px},{py} {pw}x{ph} off the screen")

    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    question = x.find("^TORVAmeter$", timeout=15)
    x.screenshot("root", os.path.join(opts.artifacts, "estimate-quit-over-preview.png"))
    stack = x.stacking()
    gd.check(stack.index(question) > stack.index(preview), f"question below the preview: {stack}")
    x.key(question, "Return")  # No, the default
    x.gone("^TORVAmeter$")
    gd.check(program.proc.poll() is None and x.visible(PREVIEW), "Return stopped the estimation")

    log = os.path.join(app, "estimate", LOG)
    wait_for(lambda: "Est. at SL=10.00" in read(log + ".new"), "estimate line in the log")
    x.click(main, *gd.BUTTONS[7])
    wait_for(lambda: "...or less with volume discounts!" in read(log), "cost in the log")
    subprocess.run([opts.wm_close, str(main)], env=x.env, check=True, timeout=10)
    gd.check(program.wait(10) == 0, "exit status")


def interrupted(x, opts, root):
    """SIGTERM during an estimation ends it as a close of the main window
    answered Yes does, without the question: the renderer ended, the work
    folder gone, the earlier log kept, status 143. At rest, SIGINT ends the
    program as a close of the main window does: status 130."""
    app = prepare(root, opts.source_dir)
    log = os.path.join(app, "estimate", LOG)
    os.makedirs(os.path.dirname(log))
    with open(log, "w") as f:
        f.write("an earlier estimation\n")
    renderer = lambda: process_runs(os.path.join(root, "maxwell"), anywhere=True)
    program, main = start_estimation(x, opts, app)
    x.find(PREVIEW, timeout=20)
    wait_for(lambda: "Est. at SL=10.00" in read(log + ".new"), "estimate line in the log")
    gd.check(renderer(), "no renderer seen at work")
    x.screenshot("root", os.path.join(opts.artifacts, "estimate-before-sigterm.png"))
    program.proc.send_signal(signal.SIGTERM)
    gd.check(program.wait(15) == 128 + signal.SIGTERM, "exit status after SIGTERM")
    wait_for(lambda: not renderer(), "the end of the renderer")
    for left in ("workdir", ".workdir.torvameter", os.path.join("estimate", LOG + ".new")):
        gd.check(not os.path.exists(os.path.join(app, left)), f"{left} left behind")
    gd.check(read(log) == "an earlier estimation\n", "the earlier log was changed")

    program = gd.Program([opts.program, "--app-dir", app, "--probe-limit", "600"], x.env)
    main = x.find(gd.MAIN_TITLE, timeout=15)
    gd.answer_startup_questions(x, main)
    x.screenshot(main, os.path.join(opts.artifacts, "estimate-before-sigint.png"))
    program.proc.send_signal(signal.SIGINT)
    gd.check(program.wait(15) == 128 + signal.SIGINT, "exit status after SIGINT")


SCENARIOS = {"estimation": estimation, "quit-while-unpacking": quit_while_unpacking,
             "quit-over-preview": quit_over_preview, "interrupted": interrupted}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("scenario", nargs="?", choices=SCENARIOS, default="estimation")
    ap.add_argument("--program")
    ap.add_argument("--wm-close")
    ap.add_argument("--source-dir")
    ap.add_argument("--artifacts")
    opts = ap.parse_args()
    return gd.run_scenario(opts.scenario, SCENARIOS[opts.scenario], opts)


if __name__ == "__main__":
    sys.exit(main())
