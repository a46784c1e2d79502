#!/usr/bin/python3
"""Robustness run of the real desktop program.

Starts the program under Xvfb, clicks at random on the board, the buttons and
the menu commands for a bounded time, answers every dialog that opens, then
closes the main window. Passes only if the program never died, no dialog was
left blocking, and it exited cleanly. Keeps a screenshot of the last state.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, display, protocol

# The program's own windows besides the main one; any other window (a box, a
# file dialog, a notice) is a dialog to answer.
KNOWN = {"Quadrivane Stats", "Quadrivane Settings", "Testing Data", "Quadrivane Analysis",
         "Quadrivane Evolution", "Quadrivane Moves", "How to Play Quadrivane"}


# The main window's X id once found: a click on its size grip may shrink it
# below any height that would tell it from a box.
MAIN_ID = None


def is_main(w):
    if MAIN_ID is not None:
        return w[0].id == MAIN_ID
    # Boxes share the main window's caption; at the start the main window is
    # the tall one.
    return w[1] == "Quadrivane" and w[5] > 200


def dialogs_of(wins):
    return [w for w in wins if not w[6] and not is_main(w) and w[1] not in KNOWN]


def run(*args):
    return subprocess.run(args, capture_output=True, text=True, timeout=10)


class Screen:
    def __init__(self, name):
        self.name = name
        self.d = display.Display(name)
        self.root = self.d.screen().root

    def windows(self):
        """Visible top-level windows: (id, title, x, y, w, h, override_redirect)."""
        out = []
        for w in self.root.query_tree().children:
            try:
                attrs = w.get_attributes()
                if attrs.map_state != X.IsViewable:
                    continue
                g = w.get_geometry()
                title = w.get_wm_name() or ""
                if isinstance(title, bytes):
                    title = title.decode("utf-8", "replace")
                out.append((w, title, g.x, g.y, g.width, g.height, attrs.override_redirect))
            except Exception:
                continue
        return out

    def close(self, window):
        proto = self.d.intern_atom("WM_PROTOCOLS")
        delete = self.d.intern_atom("WM_DELETE_WINDOW")
        ev = protocol.event.ClientMessage(window=window, client_type=proto,
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(ev)
        self.d.flush()


def xdo(*args):
    run("xdotool", *map(str, args))


def click(x, y, button=1, shift=False, drag=None):
    xdo("mousemove", x, y)
    if shift:
        xdo("keydown", "shift")
    if drag:
        xdo("mousedown", button)
        xdo("mousemove", drag[0], drag[1])
        xdo("mouseup", button)
    else:
        xdo("click", button)
    if shift:
        xdo("keyup", "shift")


def main():
    program = os.path.abspath(sys.argv[1])
    seconds = float(os.environ.get("ROBUSTNESS_SECONDS", "60"))
    artefacts = os.path.abspath(os.environ.get("ROBUSTNESS_ARTEFACTS", "build/robustness"))
    os.makedirs(artefacts, exist_ok=True)
    seed = int(os.environ.get("ROBUSTNESS_SEED", str(int(time.time()))))
    print("robustness run: seed %d (ROBUSTNESS_SEED repeats it)" % seed)
    rng = random.Random(seed)
    disp = ":%d" % (90 + os.getpid() % 9)
    home = tempfile.mkdtemp(prefix="qv-robust-")
    xvfb = subprocess.Popen(["Xvfb", disp, "-screen", "0", "1600x900x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=disp, HOME=home, QT_QPA_PLATFORM="xcb")
    os.environ["DISPLAY"] = disp
    log = open(os.path.join(artefacts, "program.log"), "w")
    proc = None
    try:
        for _ in range(100):
            try:
                scr = Screen(disp)
                break
            except Exception:
                time.sleep(0.1)
        else:
            print("Xvfb did not start")
            return 1
        # ROBUSTNESS_WRAPPER, e.g. "gdb -batch -ex run -ex bt --args", runs the program under a tool.
        wrapper = os.environ.get("ROBUSTNESS_WRAPPER", "").split()
        proc = subprocess.Popen(wrapper + [program], env=env, stdout=log, stderr=log)
        main_win = None
        for _ in range(200):
            main_win = next((w for w in scr.windows() if is_main(w)), None)
            if main_win:
                break
            time.sleep(0.05)
        if not main_win:
            print("the main window did not appear")
            return 1
        global MAIN_ID
        MAIN_ID = main_win[0].id
        time.sleep(0.5)
        clicks = dialogs = menus = 0
        end = time.time() + seconds
        while time.time() < end:
            if proc.poll() is not None:
                print("the program died during the run, exit code %s" % proc.returncode)
                return 1
            wins = scr.windows()
            main_win = next((w for w in wins if is_main(w)), main_win)
            extra = dialogs_of(wins)
            if extra:  # a dialog: answer it the way a hurried person would
                w = extra[-1]
                if rng.random() < 0.7:
                    xdo("key", "--window", w[0].id, "Escape")
                else:
                    xdo("key", "--window", w[0].id, "Return")
                dialogs += 1
                time.sleep(0.15)
                continue
            _, _, mx, my, mw, mh, _ = main_win
            r = rng.random()
            if r < 0.15:
                # Menu bar: File, Options, Game, Temp, Help from the left.
                title_x = mx + rng.choice([12, 46, 85, 120, 151])
                click(title_x, my + 10)
                time.sleep(0.25)
                popups = [w for w in scr.windows() if w[6] and w[4] > 40]
                if popups:
                    _, _, px, py, pw, ph, _ = popups[-1]
                    click(px + pw // 2, py + 4 + rng.randrange(max(1, ph - 8)))
                    menus += 1
                else:
                    xdo("key", "Escape")
            elif r < 0.25:
                # The Cancel button, so long work ends.
                click(mx + 80, my + mh - 19 - 43 + 21)
            else:
                x = mx + rng.randrange(mw)
                y = my + rng.randrange(mh)
                button = rng.choice([1, 1, 1, 2, 3])
                shift = rng.random() < 0.15
                drag = None
                if shift and rng.random() < 0.5:
                    drag = (mx + rng.randrange(mw), my + rng.randrange(mh))
                click(x, y, button, shift, drag)
            clicks += 1
            time.sleep(0.05)

        shot = os.path.join(artefacts, "last.png")
        run("import", "-display", disp, "-window", "root", shot)
        # Answer what is still open, then close the main window.
        for _ in range(20):
            extra = dialogs_of(scr.windows())
            if not extra:
                break
            xdo("key", "--window", extra[-1][0].id, "Escape")
            time.sleep(0.2)
        for w in scr.windows():
            if is_main(w):
                scr.close(w[0])
        try:
            code = proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            run("import", "-display", disp, "-window", "root", os.path.join(artefacts, "blocked.png"))
            print("the program did not exit after its main window was closed (a dialog blocked?)")
            return 1
        print("robustness run: %d clicks, %d menu commands, %d dialogs answered; exit code %d"
              % (clicks, menus, dialogs, code))
        return 0 if code == 0 else 1
    finally:
        if proc and proc.poll() is None:
            proc.kill()
        xvfb.terminate()
        log.close()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
