#!/usr/bin/env python3
"""End-to-end tests of tolvane.exe under Wine, in a private Xvfb display.

Each row of a group's table gets a fresh stand-in client store and its own folder holding
tolvane.exe and the libraries the row wants beside it, starts the program through our launcher
(which reports the full 32-bit exit code), acts as a user would with xdotool, and checks what the
user sees (read from the real windows by e2e_windows.exe) and the state the client keeps.

  run_e2e.py --group GROUP --build MINGW_BUILD --helpers E2E_BUILD --artifacts DIR [--case LABEL]
"""
import argparse
import os
import queue
import re
import shutil
import subprocess
import sys
import threading
import time

# Like Wine's ok(): a failed check is reported with the line of the test that made it, and the
# row goes on so that one run shows every fault.
HELPERS = set()


def helper(function):
    HELPERS.add(function.__code__)
    return function


class Context:
    row = None
    failures = 0


@helper
def where():
    frame = sys._getframe(1)
    while frame is not None and frame.f_code in HELPERS:
        frame = frame.f_back
    return "%s:%d" % (os.path.basename(frame.f_code.co_filename), frame.f_lineno) if frame else "?"


@helper
def ok(condition, message):
    if not condition:
        Context.failures += 1
        print("%s: [%s] %s" % (where(), Context.row, message), flush=True)
    return condition


class Abort(Exception):
    """A row cannot go on (a window never came); reported where the waiting helper was called."""


@helper
def abort(message):
    Context.failures += 1
    print("%s: [%s] %s" % (where(), Context.row, message), flush=True)
    raise Abort()


# --- the environment -------------------------------------------------------------------------

class Env:
    def __init__(self, args):
        self.build = os.path.abspath(args.build)
        self.helpers = os.path.abspath(args.helpers)
        self.artifacts = os.path.abspath(args.artifacts)
        self.prefix = os.environ.get("WINEPREFIX") or os.path.join(self.helpers, "wineprefix")
        # The native control tool shares the store with the client DLLs and starts in an instant.
        self.nwsim = [args.nwsim] if args.nwsim and os.path.exists(args.nwsim) else ["wine", os.path.join(self.build, "nwsim.exe")]
        self.driver = None
        self.shared = False
        self.own_prefix = "WINEPREFIX" not in os.environ
        self.display = None
        self.xvfb = None
        self.base = dict(os.environ)
        self.base.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEARCH="win32",
                         WINEDLLOVERRIDES="ctl3d32=n;mscoree,mshtml,winemenubuilder.exe=")

    def start(self):
        # A session the caller keeps up (display and wineserver) is joined as it is: a new one
        # would start Wine's services again, which is slow where Wine runs under an emulator.
        self.shared = "DISPLAY" in os.environ and not self.own_prefix
        if self.shared:
            self.display = os.environ["DISPLAY"]
        else:
            self.start_xvfb()
        self.base["DISPLAY"] = self.display
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            print("initialising the Wine prefix %s" % self.prefix, flush=True)
            subprocess.run(["wineboot", "-i"], env=self.base, timeout=3600,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.base, timeout=600)
        if not self.shared:
            # A wineserver left from another display would give our windows to that display.
            subprocess.run(["wineserver", "-k"], env=self.base, stderr=subprocess.DEVNULL)
            # Kept running for the group, so that each program starts without a new server.
            subprocess.run(["wineserver", "-p"], env=self.base, stderr=subprocess.DEVNULL)
        self.driver = Driver(os.path.join(self.helpers, "e2e_windows.exe"), self.base)
        # Brings up the desktop now, before the first case's program would wait for it.
        self.driver.request("list 0", timeout=1800)

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            raise SystemExit("Xvfb did not start")
        self.display = ":" + number.decode()

    def stop(self):
        if self.driver:
            self.driver.close()
        if not self.shared:
            subprocess.run(["wineserver", "-k"], env=self.base, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=30)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# --- one row ---------------------------------------------------------------------------------

class Driver:
    """e2e_windows.exe serving requests for a whole group: one Wine process start, not dozens."""

    def __init__(self, exe, env):
        self.process = subprocess.Popen(["wine", exe, "serve"], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\r\n"))
        self.lines.put(None)

    @helper
    def request(self, line, timeout=600):
        """Sends one request and returns its answer's lines."""
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                got = self.lines.get(timeout=max(0.1, deadline - time.monotonic()))
            except queue.Empty:
                abort("the driver did not answer %r within %d s" % (line, timeout))
            if got is None:
                abort("the driver ended while answering %r" % line)
            if got == "end":
                return answer
            answer.append(got)

    def close(self):
        try:
            self.process.stdin.write("quit\n")
            self.process.stdin.close()
            self.process.wait(timeout=60)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()


class Run:
    """A started tolvane.exe: its Windows process id, and its full exit code once it ends."""

    def __init__(self, pid):
        self.pid = pid
        self.code = None


class Row:
    def __init__(self, env, group, label):
        self.env = env
        self.dir = os.path.join(env.artifacts, group, re.sub(r"[^A-Za-z0-9_.-]", "_", label))
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(os.path.join(self.dir, "bin"))
        self.ctl3d_log = os.path.join(self.dir, "ctl3d.log")
        self.env_vars = dict(env.base)
        self.env_vars.update(NWSIM_HOME=os.path.join(self.dir, "store"),
                             TOLVANE_E2E_CTL3D_LOG=windows_path(self.ctl3d_log))
        self.shots = 0

    def install(self, client=True):
        """Puts tolvane.exe, our CTL3D32.DLL and, unless told not to, the client beside it."""
        names = ["tolvane.exe"] + (["CALWIN32.DLL", "NETWIN32.DLL"] if client else [])
        for name in names:
            shutil.copy(os.path.join(self.env.build, name), os.path.join(self.dir, "bin"))
        shutil.copy(os.path.join(self.env.helpers, "ctl3d", "CTL3D32.DLL"),
                    os.path.join(self.dir, "bin"))

    @helper
    def nwsim(self, *args):
        result = subprocess.run(self.env.nwsim + list(args), env=self.env_vars,
                                capture_output=True, text=True, timeout=300)
        return result.returncode, result.stdout + result.stderr

    @helper
    def mapped(self, drive):
        return self.nwsim("mapped", drive)[0] == 0

    @helper
    def start(self, text):
        driver = self.env.driver
        for name in ("NWSIM_HOME", "TOLVANE_E2E_CTL3D_LOG"):
            if driver.request("env %s=%s" % (name, self.env_vars[name])) != ["ok"]:
                abort("the driver did not take %s" % name)
        answer = driver.request("start %s\t%s" % (
            windows_path(os.path.join(self.dir, "bin", "tolvane.exe")), text))
        if not answer or not answer[0].startswith("pid "):
            abort("the driver did not start tolvane.exe: %r" % answer)
        return Run(int(answer[0].split()[1]))

    @helper
    def ended(self, run):
        """True once the program has ended; its full exit code is then in run.code."""
        if run.code is None:
            answer = self.env.driver.request("status %d" % run.pid)
            if answer and answer[0].startswith("exit "):
                run.code = int(answer[0].split()[1], 16)
        return run.code is not None

    @helper
    def finish(self, run, timeout=600):
        """Waits for the program's end and returns its full exit code."""
        deadline = time.monotonic() + timeout
        while not self.ended(run):
            if time.monotonic() > deadline:
                self.env.driver.request("kill %d" % run.pid)
                abort("tolvane.exe did not end within %d s" % timeout)
            time.sleep(0.2)
        return run.code

    @helper
    def windows(self, pid):
        return parse_windows("\n".join(self.env.driver.request("list %d" % pid)))

    @helper
    def wait_window(self, run, predicate, what, timeout=300):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            screen, tops = self.windows(run.pid)
            for window in tops:
                if predicate(window):
                    return screen, window
            if self.ended(run):
                abort("tolvane.exe ended (0x%08X) before %s appeared" % (run.code, what))
            time.sleep(0.2)
        abort("%s did not appear within %d s" % (what, timeout))

    @helper
    def wait_gone(self, run, window, what, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.ended(run):
                return
            if all(w["hwnd"] != window["hwnd"] for w in self.windows(run.pid)[1]):
                return
            time.sleep(0.2)
        abort("%s stayed up for %d s" % (what, timeout))

    @helper
    def focus(self, window, timeout=60):
        """Under Xvfb there is no window manager to give focus: ask Wine and X for it."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            foreground = self.env.driver.request("foreground %d" % window["hwnd"])
            if window.get("xwin"):
                subprocess.run(["xdotool", "windowfocus", "--sync", str(window["xwin"])],
                               env=self.env_vars, capture_output=True, timeout=60)
            if foreground == ["ok"]:
                return
            time.sleep(0.2)
        abort("window %s did not come to the foreground" % window["caption"])

    def keys(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "60"] + list(keys), env=self.env_vars,
                       check=True, timeout=120)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "60", text], env=self.env_vars,
                       check=True, timeout=120)

    def screenshot(self, name):
        self.shots += 1
        path = os.path.join(self.dir, "%02d-%s.png" % (self.shots, name))
        subprocess.run(["import", "-window", "root", path], env=self.env_vars, timeout=120)
        return path

    def ctl3d_calls(self):
        try:
            with open(self.ctl3d_log) as log:
                return [line.strip() for line in log]
        except FileNotFoundError:
            return []


WINDOW_LINE = re.compile(r'(window|control) (\d+)(?: id=(-?\d+))? class="((?:[^"\\]|\\.)*)" '
                         r'(?:caption|text)="((?:[^"\\]|\\.)*)" rect=(-?\d+),(-?\d+),(-?\d+),'
                         r'(-?\d+) style=0x([0-9A-F]+)(?: xwin=(\d+))?')


def unquote(text):
    return re.sub(r'\\x([0-9A-F]{2})|\\(.)',
                  lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), text)


def parse_windows(output):
    screen, tops = None, []
    for line in output.splitlines():
        if line.startswith("screen "):
            screen = tuple(int(n) for n in line.split()[1:3])
            continue
        match = WINDOW_LINE.match(line)
        if not match:
            continue
        item = dict(hwnd=int(match.group(2)), cls=unquote(match.group(4)),
                    caption=unquote(match.group(5)),
                    rect=tuple(int(match.group(n)) for n in range(6, 10)),
                    style=int(match.group(10), 16), xwin=match.group(11))
        if match.group(1) == "window":
            item["controls"] = []
            tops.append(item)
        elif tops:
            item["id"] = int(match.group(3)) & 0xFFFF
            tops[-1]["controls"].append(item)
    return screen, tops


def control(window, control_id):
    for item in window["controls"]:
        if item["id"] == control_id:
            return item
    return None


# Control ids of ENTRY_DIALOG and of a message box's text.
IDOK, IDCANCEL, IDC_PASSWORD, IDC_USERNAME, IDC_PATH, IDC_DRIVE = 1, 2, 101, 102, 103, 104
MESSAGE_TEXT = 0xFFFF
SS_ICON = 3


def icon_kind(shot, rect):
    """Which system icon a box shows. Icon handles mean nothing in another process, so this one
    check looks at the pixels: the warning icon is a yellow triangle, the information icon blue."""
    left, top, right, bottom = rect
    result = subprocess.run(
        ["convert", shot, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
         "+repage", "-scale", "1x1!", "-format",
         "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]", "info:"],
        capture_output=True, text=True, timeout=120)
    try:
        red, green, blue = (int(n) for n in result.stdout.split())
    except ValueError:
        return "unreadable"
    if red - blue > 40 and green - blue > 20:
        return "warning"
    if blue - red > 40:
        return "information"
    return "unknown (%d,%d,%d)" % (red, green, blue)
STARTED_AND_STOPPED = ["12 exe", "16 exe", "13 exe"]


def is_dialog(window):
    return window["caption"] == "Tolvane" and control(window, IDC_DRIVE) is not None


def is_message(window):
    # The dialog's labels have the id 0xFFFF too: a box is the window without the drive field.
    return (window["caption"] == "Tolvane" and control(window, MESSAGE_TEXT) is not None and
            control(window, IDC_DRIVE) is None)


# --- the checks each row's steps use ---------------------------------------------------------

@helper
def run_without_window(row, text, timeout=300):
    """Runs to the end, looking at the screen all the while; returns the exit code."""
    run = row.start(text)
    seen = []
    while not row.ended(run):
        seen += [w["caption"] for w in row.windows(run.pid)[1]]
    code = row.finish(run, timeout)
    ok(not seen, "windows were shown: %r" % seen)
    return code


@helper
def expect_message(row, run, text, name):
    """Waits for a message box, checks it, keeps a screenshot and dismisses it with Enter."""
    screen, box = row.wait_window(run, is_message, "the message box %r" % text)
    shot = row.screenshot(name)
    ok(box["caption"] == "Tolvane", "caption %r" % box["caption"])
    ok(control(box, MESSAGE_TEXT)["caption"] == text,
       "message %r, expected %r" % (control(box, MESSAGE_TEXT)["caption"], text))
    icons = [icon_kind(shot, c["rect"]) for c in box["controls"]
             if c["cls"].upper() == "STATIC" and c["style"] & 0x1F == SS_ICON]
    ok(icons == ["warning"], "icons %r, expected the warning icon" % icons)
    buttons = [c for c in box["controls"] if c["cls"].upper() == "BUTTON"]
    ok([b["caption"] for b in buttons] == ["OK"],
       "buttons %r" % [b["caption"] for b in buttons])
    row.focus(box)
    row.keys("Return")
    row.wait_gone(run, box, "the message box %r" % text)


@helper
def open_dialog(row, text):
    run = row.start(text)
    screen, dialog = row.wait_window(run, is_dialog, "the login dialog")
    return run, screen, dialog


@helper
def check_exit(row, run, expected):
    code = row.finish(run)
    ok(code == expected, "exit code 0x%08X, expected 0x%08X" % (code, expected))


# --- the tables --------------------------------------------------------------------------------

def no_login_rows():
    """No log-in needed on ACCOUNTS: mapping, unmapping and refusals, all without a window."""

    def map_rows(text, drive, expected, setup=(), unmapped=()):
        def steps(row):
            for command in setup:
                code, output = row.nwsim(*command)
                ok(code == 0, "nwsim %s: %s" % (" ".join(command), output))
            code = run_without_window(row, text)
            ok(code == expected, "exit code 0x%08X, expected 0x%08X" % (code, expected))
            if drive:
                ok(row.mapped(drive) == (expected == 0), "%s: mapped is %s" %
                   (drive, row.mapped(drive)))
            for other in unmapped:
                ok(not row.mapped(other), "%s: is mapped" % other)
        return steps

    return [
        ("map ACCOUNTS SYS:PUBLIC", map_rows("F:=ACCOUNTS/SYS:PUBLIC", "F", 0)),
        ("map in lower case", map_rows("g:=accounts/sys:public\\forms", "G", 0)),
        ("map on the default server", map_rows("H:=SYS:PUBLIC", "H", 0)),
        ("refused specification", map_rows("1:=ACCOUNTS/SYS:PUBLIC", None, 1,
                                           unmapped=["F", "N"])),
        ("attach failure", map_rows("F:=ACCOUNTS/SYS:PUBLIC", None, 0x8847,
                                    setup=[("fail", "NwAttachServer", "1", "0x8847")],
                                    unmapped=["F"])),
        ("mapping failure", map_rows("F:=ACCOUNTS/SYS:PUBLIC", None, 0x899C,
                                     setup=[("fail", "NwMapDrive", "1", "0x899C")],
                                     unmapped=["F"])),
        ("-d removes", unmap_row("-d F:=ACCOUNTS/SYS:PUBLIC", "F", 0)),
        ("/D after the specification", unmap_row("F:=ACCOUNTS/SYS:PUBLIC /D", "F", 0)),
        ("-d gives the unmapping's code", unmap_row("-d F:=ACCOUNTS/SYS:PUBLIC", "F", 0x8800,
                                                    fault=True)),
        ("-d with a refused letter", unmap_row("-d 1:=ACCOUNTS/SYS:PUBLIC", "F", 1)),
    ]


def unmap_row(text, drive, expected, fault=False):
    def steps(row):
        # The drive to remove is mapped the way a user would have mapped it.
        code = run_without_window(row, "%s:=ACCOUNTS/SYS:PUBLIC" % drive)
        ok(code == 0 and row.mapped(drive), "setup: %s: not mapped (0x%X)" % (drive, code))
        if fault:
            code, output = row.nwsim("fail", "NwUnmapDrive", "1", "0x%X" % expected)
            ok(code == 0, "nwsim fail: %s" % output)
        open(row.ctl3d_log, "w").close()
        code = run_without_window(row, text)
        ok(code == expected, "exit code 0x%08X, expected 0x%08X" % (code, expected))
        ok(row.mapped(drive) == (expected != 0), "%s: mapped is %s" % (drive, row.mapped(drive)))
    return steps


def client_rows():
    """The client cannot be used: one message box, exit 1, no 3-D controls."""

    def steps_for(client, fault):
        def steps(row):
            if fault:
                code, output = row.nwsim("fail", "NwInitClient", "1", "0x%X" % fault)
                ok(code == 0, "nwsim fail: %s" % output)
            run = row.start("F:=ACCOUNTS/SYS:PUBLIC")
            expect_message(row, run, "Error Loading Netware API", "error-loading")
            check_exit(row, run, 1)
            ok(not row.mapped("F"), "F: is mapped")
        return steps

    return [
        ("no client libraries", steps_for(False, 0), dict(client=False, ctl3d=[])),
        ("NwInitClient fails", steps_for(True, 0x8801), dict(ctl3d=[])),
    ]


def login_rows():
    """PAYROLL needs a log-in: the dialog, typed into with real keystrokes."""

    def log_in(user, password):
        def steps(row):
            run, screen, dialog = open_dialog(row, "F:=PAYROLL/DATA:REPORTS")
            row.screenshot("dialog")
            check_dialog(row, screen, dialog, "F", "PAYROLL/DATA:REPORTS")
            row.focus(dialog)
            row.type(user)
            row.keys("Tab")
            row.type(password)
            row.keys("Return")
            check_exit(row, run, 0)
            ok(row.mapped("F"), "F: is not mapped")
        return steps

    def refused(user, password, message, name):
        def steps(row):
            run, screen, dialog = open_dialog(row, "F:=PAYROLL/DATA:REPORTS")
            row.focus(dialog)
            row.type(user)
            row.keys("Tab")
            row.type(password)
            row.keys("Return")
            expect_message(row, run, message, name)
            ok(not row.ended(run), "the dialog ended after the message")
            row.focus(dialog)
            row.keys("Escape")
            check_exit(row, run, 0)
            ok(not row.mapped("F"), "F: is mapped")
        return steps

    def corrected_path(row):
        run, screen, dialog = open_dialog(row, "f:=payroll/data:nosuch")
        check_dialog(row, screen, dialog, "F", "PAYROLL/DATA:NOSUCH")
        row.focus(dialog)
        row.type("clerk")
        row.keys("Tab")
        row.type("ledger")
        row.keys("Return")
        expect_message(row, run, "Error Finding Directory", "error-finding")
        row.focus(dialog)
        # The box gave the focus back to the password field: on past OK, Cancel and the drive
        # into the path, whose text the tab selects.
        row.keys("Tab", "Tab", "Tab", "Tab", "End", *["BackSpace"] * len("NOSUCH"))
        row.type("reports")
        row.keys("Return")
        check_exit(row, run, 0)
        ok(row.mapped("F"), "F: is not mapped after the correction")

    def capitals(row):
        run, screen, dialog = open_dialog(row, "F:=PAYROLL/DATA:NOSUCH")
        row.focus(dialog)
        row.type("clerk")
        row.keys("Tab")
        row.type("ledger")
        # Password, OK, Cancel, then the drive field, whose text the tab selects.
        row.keys("Tab", "Tab", "Tab")
        row.type("g")
        row.keys("Tab", "End", *["BackSpace"] * len("NOSUCH"))
        row.type("reports")
        fields = row.wait_window(run, is_dialog, "the login dialog")[1]
        for field, expected in ((IDC_USERNAME, "CLERK"), (IDC_DRIVE, "G"),
                                (IDC_PATH, "PAYROLL/DATA:REPORTS")):
            ok(control(fields, field)["caption"] == expected, "field %d reads %r, expected %r" %
               (field, control(fields, field)["caption"], expected))
        row.keys("Return")
        check_exit(row, run, 0)
        # The password was typed in lower case too: the log-in took it only in capitals.
        ok(row.mapped("G"), "G: is not mapped")
        ok(not row.mapped("F"), "F: is mapped")

    def ended_by(*keys, label):
        def steps(row):
            run, screen, dialog = open_dialog(row, "F:=PAYROLL/DATA:REPORTS")
            row.focus(dialog)
            row.type("clerk")
            row.keys("Tab")
            row.type("ledger")
            row.keys(*keys)
            check_exit(row, run, 0)
            ok(not row.mapped("F"), "F: is mapped after %s" % label)
        return steps

    def empty_user(row):
        run, screen, dialog = open_dialog(row, "F:=PAYROLL/DATA:REPORTS")
        row.focus(dialog)
        row.keys("Return")
        check_exit(row, run, 0)
        ok(not row.mapped("F"), "F: is mapped")

    def digit_drive(row):
        run, screen, dialog = open_dialog(row, "F:=PAYROLL/DATA:REPORTS")
        row.focus(dialog)
        row.type("clerk")
        row.keys("Tab")
        row.type("ledger")
        row.keys("Tab", "Tab", "Tab")
        row.type("1")
        row.keys("Return")
        expect_message(row, run, "Error Parsing Command Line", "error-parsing")
        row.focus(dialog)
        row.keys("Escape")
        check_exit(row, run, 0)
        ok(not row.mapped("F"), "F: is mapped")

    return [
        ("log in and map", log_in("clerk", "ledger")),
        ("typed letters arrive in capitals", capitals),
        ("wrong password", refused("clerk", "wrong", "Invalid Password", "invalid-password")),
        ("unknown user", refused("guest", "x", "Invalid User GUEST For Server PAYROLL ",
                                 "invalid-user")),
        ("bad path, then corrected", corrected_path),
        ("Cancel", ended_by("Tab", "Tab", "space", label="Cancel")),
        ("Escape", ended_by("Escape", label="Escape")),
        ("close command", ended_by("alt+F4", label="the close command")),
        ("empty user name", empty_user),
        ("digit in the drive field", digit_drive),
    ]


@helper
def check_dialog(row, screen, dialog, drive, path):
    left, top, right, bottom = dialog["rect"]
    # Centred on the screen within a pixel, whatever the frame's size.
    ok(abs((left + right) - screen[0]) <= 2 and abs((top + bottom) - screen[1]) <= 2,
       "dialog at %r is not centred on a %dx%d screen" % (dialog["rect"], screen[0], screen[1]))
    for field, expected in ((IDC_DRIVE, drive), (IDC_PATH, path), (IDC_USERNAME, ""),
                            (IDC_PASSWORD, "")):
        item = control(dialog, field)
        ok(item is not None and item["caption"] == expected, "field %d reads %r, expected %r" %
           (field, item and item["caption"], expected))


GROUPS = {"no_login": no_login_rows, "client": client_rows, "login": login_rows}


def run_row(env, group, entry):
    label, steps = entry[0], entry[1]
    options = entry[2] if len(entry) > 2 else {}
    Context.row = label
    before = Context.failures
    row = Row(env, group, label)
    row.install(client=options.get("client", True))
    code, output = row.nwsim("demo")
    ok(code == 0, "nwsim demo: %s" % output)
    try:
        steps(row)
        expected = options.get("ctl3d", STARTED_AND_STOPPED)
        calls = row.ctl3d_calls()
        ok(calls == expected, "3-D controls called %r, expected %r" % (calls, expected))
    except Abort:
        row.screenshot("abort")
    except subprocess.TimeoutExpired as error:
        ok(False, "timed out: %s" % error)
    print("%s: %s" % ("FAIL" if Context.failures > before else "ok", label), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--group", required=True, action="append", choices=sorted(GROUPS),
                        help="a table to run; repeat for more, run in one session")
    parser.add_argument("--build", required=True)
    parser.add_argument("--helpers", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--case", action="append", help="run only the rows with these labels")
    parser.add_argument("--nwsim", help="a native nwsim to set up and read the client's store")
    args = parser.parse_args()
    env = Env(args)
    rows = [(group, r) for group in args.group for r in GROUPS[group]()
            if args.case is None or r[0] in args.case]
    if not rows:
        raise SystemExit("no row labelled %r" % args.case)
    env.start()
    started = time.monotonic()
    try:
        for group, entry in rows:
            run_row(env, group, entry)
    finally:
        env.stop()
    print("%s: %d rows, %d failed checks, %.0f s" % ("+".join(args.group), len(rows),
                                                     Context.failures, time.monotonic() - started))
    return 1 if Context.failures else 0


if __name__ == "__main__":
    sys.exit(main())
