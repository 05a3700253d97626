"""What the end-to-end tests need to run the launcher under Wine and see what it did.

The environment is the running one in KAVELO_E2E_WORK (see wine_env.py), which the test
registration sets; it names the build under test, whose programs (Kavelo2.exe, Lisko.exe, ...)
lie in its bin/ folder and the helper programs in test-programs/ beside it. Importing this module
prints which build that is and why, as the first line of every test's output.

Each test works in a folder of its own, WORK/runs/<test>/: the installation (launcher,
configuration, stand-in application) in install/, and the records of the helpers beside it.

CTest sets all of this up (label e2e). By hand, from this folder:
    python3 wine_env.py start --work /tmp/e2e --programs i686=<i686 build>/bin \
                              --programs x86_64=<x86_64 build>/bin
    KAVELO_E2E_WORK=/tmp/e2e python3 -m unittest -v test_launch
    python3 wine_env.py stop --work /tmp/e2e
"""
import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from dataclasses import dataclass, field
from pathlib import Path

import wine_env

WORK = Path(os.environ.get("KAVELO_E2E_WORK", "")).resolve()
# Without KAVELO_E2E_WORK there is no build under test: the benchmarks import only functions.
RUNNING = wine_env.Running(WORK) if os.environ.get("KAVELO_E2E_WORK") else None
BUILD = RUNNING.build if RUNNING else None
BIN = RUNNING.programs if RUNNING else None
HELPERS = BIN.parent / "test-programs" if BIN else None
if RUNNING:
    print(RUNNING.line, flush=True)

REGISTRY_MODE = "1024x768x32@60"
LAUNCHER = "Kavelo2.exe"
STANDIN = "standin_app.exe"
LAUNCH_STUB = "launch_stub.exe"
# The launcher's black window, and the window a stand-in shows when KAVELO_TEST_WINDOW asks for one.
BACKDROP_CLASS = "Kavelo2WindowClass"
STANDIN_WINDOW_CLASS = "KaveloStandinWindow"

# The launcher's message boxes as (caption, text); \r is one carriage return.
MISSING_FILE_BOX = ("Kavelo2 Error", "Kavelo2 failed to find an '.ini' file.")
NO_MODE_BOX = ("Kavelo2",
               "This application failed to find a suitable screen resolution and/or color depth.\r")


def missing_application_box(path):
    return ("Kavelo2 Error", f"Kavelo2 failed to launch '{path}'\r\r"
                             "Either the application is in the wrong place or its name is wrong.")


# Generous limits: a launcher run takes about a second; these only stop a hung run.
RUN_TIMEOUT = 30
READY_TIMEOUT = 15
SWITCH_TIMEOUT = 30
# The X window that shows the virtual desktop; its size is the width and height in force.
DESKTOP_WINDOW = "Default - Wine desktop"


def encode_config(text):
    """The stored form of a configuration: every byte whose offset is not a multiple of 3 is
    complemented. The transform is its own inverse."""
    data = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    return bytes(b if i % 3 == 0 else b ^ 0xFF for i, b in enumerate(data))


def win_path(path):
    """The Windows name of a host path, as Wine's drive Z: shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def unescape(text):
    """Undoes the helpers' escaping of backslash, CR, LF and blank."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "r": "\r", "n": "\n", "s": " "}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def _environment(extra=None):
    return {**RUNNING.env, **(extra or {})}


def start_windows_program(exe, *args, cwd=None, env=None, stdout=subprocess.DEVNULL):
    """Starts a Windows program under Wine; its output goes to /dev/null or an open file (GUI
    programs print nothing, and a pipe could be held open by Wine's own background processes)."""
    return subprocess.Popen(RUNNING.command(exe, *args), cwd=cwd, env=_environment(env),
                            stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.DEVNULL)


def run_console(exe, *args, cwd=None, stdin=b"", timeout=RUN_TIMEOUT):
    """Runs a console program under Wine and returns (status, standard output, standard error),
    both as bytes. The streams go through files, not pipes, for the same reason as above."""
    with tempfile.TemporaryFile() as given, tempfile.TemporaryFile() as out, \
            tempfile.TemporaryFile() as err:
        given.write(stdin)
        given.seek(0)
        status = subprocess.run(RUNNING.command(exe, *args), cwd=cwd, env=_environment(),
                                stdin=given, stdout=out, stderr=err, timeout=timeout,
                                check=False).returncode
        out.seek(0)
        err.seek(0)
        return status, out.read(), err.read()


def run_text(exe, *args):
    """Runs a console program under Wine; returns (status, its standard output as text)."""
    status, out, _ = run_console(exe, *args)
    return status, out.decode("latin-1").replace("\r", "")


# Where the current user's compatibility layers of programs are kept, by the program's path.
LAYERS_KEY = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers"


def registry_data(key, name):
    """The data of a string value as `reg query` shows it, or None when there is no such value."""
    status, out = run_text("reg", "query", key, "/v", name)
    for line in out.splitlines():
        if status == 0 and line.strip().startswith(name + "    REG_SZ"):
            return line.split("REG_SZ", 1)[1].strip()
    return None


@contextlib.contextmanager
def windows_version(version, *programs):
    """Has Wine report this Windows version ("win7", "win10") to the programs while the block
    runs, through their application defaults."""
    keys = [f"HKCU\\Software\\Wine\\AppDefaults\\{program}" for program in programs]
    for key in keys:
        run_text("reg", "add", key, "/v", "Version", "/d", version, "/f")
    try:
        yield
    finally:
        for key in keys:
            run_text("reg", "delete", key, "/f")


def wait_for_exit(process, timeout=RUN_TIMEOUT):
    """Waits for a started program; a program that hangs is ended so that it cannot hold the
    single-instance mutex or the display into the next test."""
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise AssertionError(f"program did not end within {timeout} s: {process.args}") from None


def end_if_running(process):
    """Ends a program that a failed test left running, before it holds the desktop into the next."""
    if process.poll() is None:
        process.kill()
        process.wait()


def programs_running_from(folder):
    """The host processes of Windows programs that lie in `folder`: Wine names a program in its
    command line by its Windows path, or by the host path it was started with."""
    names = [win_path(folder).lower().encode(), str(Path(folder).resolve()).lower().encode()]
    running = []
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                command = (entry / "cmdline").read_bytes().lower()
            except OSError:
                continue
            if any(name in command for name in names):
                running.append(int(entry.name))
    return running


def desktop_input(*args):
    """Clicks, types or brings a window forward as a user does, through desktop_input.exe (see its
    usage); it returns once the windows have had time to answer. A window to bring forward or
    close that does not exist is no error here: what is in front afterwards tells it."""
    status, out = run_text(HELPERS / "desktop_input.exe", *args)
    if status not in (0, 1):
        raise AssertionError(f"desktop_input {' '.join(args)}: status {status}: {out.strip()}")


def front_window(upper, lower):
    """The foreground window's class and process id, and whether the window of class `upper` lies
    in front of the one of class `lower`: {"class": ..., "pid": ..., "above": "1", "0" or "none"}
    (none: either window is missing)."""
    out = run_text(HELPERS / "desktop_input.exe", "front", upper, lower)[1]
    return dict(word.split("=", 1) for word in out.split())


def current_mode():
    return run_console(HELPERS / "display_mode.exe", "get")[1].decode("latin-1").strip()


def desktop_size():
    """The virtual desktop's width and height as "WxH", read from the X server, not through Wine:
    a Wine program that starts while another program's switch is under way can take the old size
    for the mode in force and so undo that switch (measured under load: 2 switches in 8 were lost
    to a program started every few tenths of a second, none in 8 without). So a test waits for a
    switch here, and starts its next Windows program only once the switch is complete."""
    info = subprocess.run(["xwininfo", "-display", RUNNING.display, "-name", DESKTOP_WINDOW],
                          capture_output=True, text=True, timeout=RUN_TIMEOUT).stdout
    sizes = dict(re.findall(r"^\s*(Width|Height): (\d+)$", info, re.MULTILINE))
    return f"{sizes.get('Width')}x{sizes.get('Height')}"


def wait_for_desktop(size, timeout=SWITCH_TIMEOUT):
    """Waits until the desktop has the size "WxH"; false when it has not by the time limit."""
    deadline = time.monotonic() + timeout
    while desktop_size() != size:
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)
    return True


def wait_for_mode(mode, timeout=SWITCH_TIMEOUT):
    """Waits until the desktop is in `mode` ("WxHxBITS@FREQ"); false when it is not by the time
    limit. Only the finished switch is asked about through Wine."""
    return wait_for_desktop("x".join(mode.split("x")[:2]), timeout) and current_mode() == mode


def reset_mode():
    """Returns the desktop to its registry mode; retried, since a return issued right after a
    switch can be dropped."""
    for _ in range(5):
        run_console(HELPERS / "display_mode.exe", "reset")
        mode = current_mode()
        if mode == REGISTRY_MODE:
            return mode
        time.sleep(0.2)
    return mode


def read_records(path):
    """The stand-in's records: blocks of key=value lines between 'begin' and 'end'."""
    records, record = [], None
    if not Path(path).exists():
        return records
    for line in Path(path).read_text(encoding="latin-1").splitlines():
        if line == "begin":
            record = {}
        elif line == "end" and record is not None:
            records.append(record)
            record = None
        elif record is not None and "=" in line:
            key, value = line.split("=", 1)
            record[key] = unescape(value)
    return records


@dataclass
class DesktopObservations:
    """What desktop_watch saw: message boxes as (caption, text), posted notices as
    (wParam, lParam)."""
    boxes: list = field(default_factory=list)
    notices: list = field(default_factory=list)


class DesktopWatch:
    """Runs desktop_watch for the duration of a with-block: it plays the taskbar and records and
    dismisses message boxes. The observations are complete once the block has ended."""

    def __init__(self, folder):
        self.record = Path(folder) / "desktop_watch.txt"
        self.observed = DesktopObservations()
        self.process = None

    def __enter__(self):
        for stale in (self.record, Path(f"{self.record}.stop")):
            stale.unlink(missing_ok=True)
        self.process = start_windows_program(HELPERS / "desktop_watch.exe", win_path(self.record),
                                             RUN_TIMEOUT * 4)
        deadline = time.monotonic() + READY_TIMEOUT
        while not self._lines() or not self._lines()[0].startswith("ready"):
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.process.kill()
                raise RuntimeError("desktop_watch did not start")
            time.sleep(0.02)
        if self._lines()[0] != "ready found_self=1":
            self.__exit__(None, None, None)
            raise RuntimeError("the launcher would not find desktop_watch's taskbar window")
        return self.observed

    def __exit__(self, *exc):
        Path(f"{self.record}.stop").touch()
        wait_for_exit(self.process, READY_TIMEOUT)
        for line in self._lines():
            kind, _, rest = line.partition(" ")
            values = dict(word.split("=", 1) for word in rest.split() if "=" in word)
            if kind == "box":
                self.observed.boxes.append((unescape(values["caption"]), unescape(values["text"])))
            elif kind == "notice":
                self.observed.notices.append((int(values["wparam"]), int(values["lparam"], 16)))
        return False

    def _lines(self):
        return self.record.read_text(encoding="latin-1").splitlines() if self.record.exists() else []


class Installation:
    """A fresh folder with the launcher, its configuration files and stand-in applications."""

    def __init__(self, root, launcher_name=LAUNCHER):
        self.root = Path(root)
        if self.root.exists():
            shutil.rmtree(self.root)
        self.folder = self.root / "install"
        self.folder.mkdir(parents=True)
        self.launcher = self.folder / launcher_name
        shutil.copy(BIN / LAUNCHER, self.launcher)
        self.start_records = self.root / "starts.txt"

    def write(self, name, content):
        """Writes a file into the installation: text is stored encoded, bytes as they are."""
        path = self.folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(encode_config(content) if isinstance(content, str) else content)
        return path

    def add_application(self, relative="PROJECTOR.EXE", base=None, program=STANDIN):
        """Copies the stand-in application (or another helper program) to a place in (or, with
        base, outside) the installation."""
        path = Path(base or self.folder) / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(HELPERS / program, path)
        return path

    def start(self, cwd=None, run_ms=600, env=None):
        """Starts the launcher with the given current directory (default: its own folder) and
        environment variables besides the records' (which the application inherits)."""
        env = {"KAVELO_TEST_RECORD": win_path(self.start_records), "KAVELO_TEST_RUN_MS": str(run_ms),
               **(env or {})}
        return start_windows_program(self.launcher, cwd=cwd or self.folder, env=env)

    def run(self, cwd=None, run_ms=600, env=None):
        """Runs the launcher to its end; returns (exit status, seconds taken)."""
        began = time.monotonic()
        status = wait_for_exit(self.start(cwd, run_ms, env))
        return status, time.monotonic() - began

    def starts(self):
        """One record per start of a stand-in application."""
        return read_records(self.start_records)

    def start_held(self, env=None):
        """Starts the launcher with a stand-in that stays up until release_held() (at most a
        minute), so that a test can act while it runs however loaded the machine is."""
        self.release_file = self.root / "release-the-application"
        self.release_file.unlink(missing_ok=True)
        return self.start(run_ms=60000, env={"KAVELO_TEST_RUN_UNTIL": win_path(self.release_file),
                                             "KAVELO_TEST_RECORD_END": "1", **(env or {})})

    def release_held(self, timeout=RUN_TIMEOUT):
        """Lets the stand-in of start_held() end, and waits until its process is gone, so that its
        end cannot touch what comes next."""
        self.release_file.touch()
        deadline = time.monotonic() + timeout
        while not any(record.get("phase") == "end" for record in self.starts()) or \
                programs_running_from(self.folder):
            if time.monotonic() > deadline:
                raise AssertionError(f"the stand-in in {self.folder} did not end within {timeout} s")
            time.sleep(0.05)


@dataclass
class LaunchResult:
    status: int
    seconds: float
    boxes: list
    notices: list
    starts: list
    mode_after: str


def launch(installation, cwd=None, run_ms=600):
    """Runs the launcher once under a desktop watch and gathers everything it did."""
    with DesktopWatch(installation.root) as observed:
        status, seconds = installation.run(cwd, run_ms)
    return LaunchResult(status, seconds, observed.boxes, observed.notices, installation.starts(),
                        current_mode())


# A launch stub stays up a little after the stand-in it started is up: a restore issued right after
# a switch can be dropped (see standin_app.cpp).
STUB_STAYS_MS = 600


def seen_size(record):
    """The size of the display mode a stand-in's record saw, "WxH"."""
    return f"{record.get('mode_width')}x{record.get('mode_height')}"


class StubbedApplication:
    """An installation whose PROJECTOR.EXE is the launch stub: it starts app/standin_app.exe, which
    may start app/helper.exe (another stand-in) in turn. Both stand-ins record their start and
    their end."""

    def __init__(self, installation, config, standin_ms, helper_ms=None):
        self.installation = installation
        self.config = installation.write("Kavelo2.ini", config)
        installation.add_application(program=LAUNCH_STUB)
        self.standin = installation.add_application("app/standin_app.exe")
        self.env = {"KAVELO_TEST_STUB_TARGET": win_path(self.standin),
                    "KAVELO_TEST_STUB_RUN_MS": str(STUB_STAYS_MS), "KAVELO_TEST_RECORD_END": "1"}
        self.standin_ms = standin_ms
        self.expected = 2  # the stand-in's two records
        if helper_ms is not None:
            helper = installation.add_application("app/helper.exe")
            self.env.update({"KAVELO_TEST_START_CHILD": win_path(helper),
                             "KAVELO_TEST_CHILD_RUN_MS": str(helper_ms)})
            self.expected += 2

    def run(self):
        """Runs the launcher under a desktop watch; returns (status, the wall-clock time in ms at
        which the launcher had ended, the watch's observations)."""
        with DesktopWatch(self.installation.root) as observed:
            status, _ = self.installation.run(run_ms=self.standin_ms, env=self.env)
            ended_ms = time.time() * 1000
        return status, ended_ms, observed

    def records(self, timeout=RUN_TIMEOUT):
        """The stub's record and each stand-in's (start, end) by module name, once all are there."""
        deadline = time.monotonic() + timeout
        while True:
            records = self.installation.starts()
            stand_ins = [r for r in records if r.get("role") != "stub"]
            if len(stand_ins) >= self.expected or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        stubs = [r for r in records if r.get("role") == "stub"]
        by_program = {}
        for start in (r for r in stand_ins if "phase" not in r):
            name = start["module_path"].rsplit("\\", 1)[-1]
            ends = [r for r in stand_ins if r.get("phase") == "end" and r["pid"] == start["pid"]]
            by_program[name] = (start, ends[0] if ends else None)
        return stubs, by_program


class EndToEndTest(unittest.TestCase):
    """Base of the end-to-end tests: every test starts from the registry mode, in a folder of its
    own."""

    def setUp(self):
        self.start_from_registry_mode()

    def start_from_registry_mode(self):
        self.assertEqual(reset_mode(), REGISTRY_MODE, "the desktop did not return to its registry mode")

    def installation(self, name=None, launcher_name=LAUNCHER):
        """A fresh installation folder named after the test (and the given sub-case name)."""
        folder = self.id().rsplit(".", 2)[-2:] + ([name] if name else [])
        slug = re.sub(r"[^A-Za-z0-9]+", "_", "-".join(folder))
        return Installation(WORK / "runs" / slug, launcher_name)
