#!/usr/bin/env python3
"""Chooses the Windows build that runs under Wine here, and starts and stops the Wine environment
that the end-to-end tests, the demo and the benchmarks run it in.

    wine_env.py choose              which build runs here and why: the reason on standard error,
                                    and on standard output shell assignments of its name, its
                                    build folder and its toolchain file (arch=... tree=...
                                    toolchain=...)
    wine_env.py start --work DIR [--programs ARCH=DIR ...] [--display :N]
                                    chooses the build, then starts its Wine: own Xvfb display (or
                                    the given one), private prefix with a 1024x768 virtual desktop,
                                    wine server and desktop already running (quiet); with
                                    --programs, the chosen build's folder of programs is checked
                                    and recorded for the tests
    wine_env.py shell --work DIR    shell commands that give a script the running environment:
                                    the Wine variables, $wine (the loader), $arch and $programs
    wine_env.py stop --work DIR     ends the wine server (and with it every program of the prefix)
                                    and the Xvfb display it started

Two builds of the same sources exist. The i686 build is the one that ships; it runs under the
32-bit Wine wherever the machine runs 32-bit code. Some kernels have 32-bit execution switched
off: there the 32-bit Wine loader does not even start, and the x86_64 build (a test build, never
shipped) runs under the 64-bit Wine instead. The choice is whether the 32-bit loader executes at
all; KAVELO2_E2E_ARCH=i686 or x86_64 forces one, and a forced build that cannot run here is an
error, never a skip.

Each build has a prefix of its own, DIR/wineprefix-ARCH, prepared once and reused by later
starts. What the tests need to reach the running environment is written to DIR/wine_env.json.
"""
import argparse
import json
import os
import shlex
import signal
import struct
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

STATE_FILE = "wine_env.json"
# Written into the prefix once it has been booted and given its virtual desktop.
READY_MARK = ".kavelo-e2e-ready"
DESKTOP_SIZE = "1024x768"
ARCH_VARIABLE = "KAVELO2_E2E_ARCH"


@dataclass(frozen=True)
class Build:
    """One Windows build of the sources and the Wine that runs it."""
    arch: str              # as KAVELO2_E2E_ARCH names it
    what: str
    tree: str              # its build folder, relative to the sources
    toolchain: str
    wine: str
    loader: str            # the Wine loader that runs its programs
    server: str            # that loader's wine server
    machine: int           # the machine field of its programs' PE header
    startupinfo_size: int  # sizeof(STARTUPINFOA) in its programs


BUILDS = {
    # Debian's wineserver script, which the 32-bit loader finds on its own too.
    "i686": Build("i686", "the shipped programs", "build/windows", "cmake/mingw-w64-i686.cmake",
                  "32-bit Wine", "/usr/lib/wine/wine", "/usr/lib/wine/wineserver", 0x014C, 68),
    # The wine, wineboot and wineserver commands try the 32-bit side first: the 64-bit loader
    # and its server are named directly.
    "x86_64": Build("x86_64", "a test build of the same sources, never shipped",
                    "build/windows-x86_64", "cmake/mingw-w64-x86_64.cmake", "64-bit Wine",
                    "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64", 0x8664, 104),
}


class ChoiceError(RuntimeError):
    """No build can run here, or the forced one cannot."""


def loader_problem(build):
    """Why the build's Wine loader does not run here, or None when `LOADER --version` answers."""
    try:
        result = subprocess.run([build.loader, "--version"], stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=30, check=False)
    except OSError as error:
        return f"{build.loader} does not execute ({error.strerror})"
    except subprocess.TimeoutExpired:
        return f"{build.loader} --version did not answer within 30 s"
    if result.returncode != 0:
        return f"{build.loader} --version failed with status {result.returncode}"
    return None


def choose(environ=None, builds=None):
    """The build that runs here and why, as (Build, reason)."""
    environ = os.environ if environ is None else environ
    builds = BUILDS if builds is None else builds
    forced = environ.get(ARCH_VARIABLE, "")
    if forced:
        if forced not in builds:
            raise ChoiceError(f"{ARCH_VARIABLE}={forced}: expected one of {', '.join(builds)}")
        problem = loader_problem(builds[forced])
        if problem:
            raise ChoiceError(f"{ARCH_VARIABLE}={forced}, but the {builds[forced].wine} cannot run "
                              f"here: {problem}")
        return builds[forced], f"forced by {ARCH_VARIABLE}={forced}"
    problem = loader_problem(builds["i686"])
    if problem is None:
        return builds["i686"], "this machine runs 32-bit code"
    fallback = builds["x86_64"]
    other = loader_problem(fallback)
    if other:
        raise ChoiceError(f"no Wine runs here: {problem}; {other}")
    return fallback, f"the {builds['i686'].wine} cannot run here: {problem}"


def describe(build, reason):
    """The line that every run begins with."""
    return f"build under test: {build.arch} ({build.what}) under {build.wine} {build.loader}: {reason}"


def pe_machine(path):
    """The machine field of a Windows program's PE header (0x014C i386, 0x8664 x86-64)."""
    with open(path, "rb") as program:
        head = program.read(4096)
    offset = struct.unpack_from("<I", head, 0x3C)[0] if len(head) >= 0x40 else len(head)
    if head[offset:offset + 4] != b"PE\0\0":
        raise RuntimeError(f"{path} is no Windows program")
    return struct.unpack_from("<H", head, offset + 4)[0]


def check_programs(build, folder):
    """The folder (None: none given) holds the build's programs, and test-programs/ beside it
    its helpers."""
    folder = Path(folder).resolve() if folder else None
    if folder is None or not (folder / "Kavelo2.exe").is_file():
        raise RuntimeError(f"the {build.arch} build is not in {folder or 'the folders given'}: "
                           f"build it with cmake -S . -B {build.tree} "
                           f"-DCMAKE_TOOLCHAIN_FILE={build.toolchain} and give its bin folder")
    for place in (folder, folder.parent / "test-programs"):
        for program in sorted(place.iterdir()):
            if program.suffix.lower() == ".exe" and pe_machine(program) != build.machine:
                raise RuntimeError(f"{program} is not a program of the {build.arch} build")
    return folder


def wine_environment(build, prefix, display):
    """The environment every Wine call of a run uses."""
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": "-all",
        # No network here: the first start must not ask to install the .NET or HTML runtimes.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "DISPLAY": display,
        # Every process of the run, and each that Wine starts on its own, uses the build's loader
        # and server.
        "WINELOADER": build.loader,
        "WINESERVER": build.server,
    })
    return env


def read_state(work):
    path = Path(work) / STATE_FILE
    if not path.exists():
        return None
    return json.loads(path.read_text())


class Running:
    """A started environment as start() recorded it: the build, its Wine and its programs."""

    def __init__(self, work):
        state = read_state(work)
        if state is None:
            raise RuntimeError(f"no Wine environment in {work}: run wine_env.py start first")
        self.build = BUILDS[state["arch"]]
        self.line = state["line"]
        self.display = state["display"]
        self.xvfb_pid = state["xvfb_pid"]  # None when the display is not our own
        self.env = wine_environment(self.build, state["prefix"], state["display"])
        self.programs = Path(state["programs"]) if state["programs"] else None

    def command(self, program, *args):
        """The command line that runs a Windows program in this environment."""
        return [self.build.loader, str(program), *map(str, args)]


def quiet(cmd, env, timeout):
    """Runs a command with its output closed: wine programs started by it must not hold our pipes."""
    return subprocess.run(cmd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=timeout, check=False).returncode


def start_xvfb():
    """Starts a private Xvfb on a free display number; returns (display, pid)."""
    read_end, write_end = os.pipe()
    # -displayfd lets Xvfb pick a free number itself and report it once it accepts clients.
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip().isdigit():
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return ":" + number.decode().strip(), proc.pid


def prepare_prefix(build, prefix, env):
    """Boots a new prefix and gives it the virtual desktop that offers real display modes."""
    if (prefix / READY_MARK).exists():
        return
    prefix.mkdir(parents=True, exist_ok=True)
    if quiet([build.loader, "wineboot", "-i"], env, 300) != 0:
        raise RuntimeError("wineboot failed")
    for key, name, value in (("HKCU\\Software\\Wine\\Explorer", "Desktop", "Default"),
                             ("HKCU\\Software\\Wine\\Explorer\\Desktops", "Default", DESKTOP_SIZE)):
        if quiet([build.loader, "reg", "add", key, "/v", name, "/d", value, "/f"], env, 120) != 0:
            raise RuntimeError("could not set the virtual desktop")
    # The desktop settings take effect when the server and desktop start anew.
    quiet([build.server, "-k"], env, 60)
    quiet([build.server, "-w"], env, 60)
    (prefix / READY_MARK).write_text("prepared\n")


def start(work, programs=None, display=None):
    """Starts the chosen build's Wine. programs maps a build's name to its folder of programs;
    display is an X display to use instead of a private Xvfb."""
    work = Path(work).resolve()
    build, reason = choose()
    line = describe(build, reason)
    print(line, flush=True)
    folder = check_programs(build, programs.get(build.arch)) if programs is not None else None
    stop(work)  # a previous run that was cut short may have left its environment up
    work.mkdir(parents=True, exist_ok=True)
    prefix = work / f"wineprefix-{build.arch}"
    xvfb_pid = None
    if display is None:
        display, xvfb_pid = start_xvfb()
    # The state is written first so that stop() cleans up even when the set-up fails below.
    (work / STATE_FILE).write_text(json.dumps(
        {"display": display, "xvfb_pid": xvfb_pid, "prefix": str(prefix), "arch": build.arch,
         "line": line, "programs": str(folder) if folder else None}))
    env = wine_environment(build, prefix, display)
    prepare_prefix(build, prefix, env)
    # Start the server and the desktop with their output closed; otherwise the first captured wine
    # call would hand its pipes to them and never see its end of file.
    quiet([build.server, "-p"], env, 60)
    if quiet([build.loader, "cmd", "/c", "exit"], env, 120) != 0:
        raise RuntimeError("wine does not run programs")
    print(f"wine environment up: DISPLAY={display} WINEPREFIX={prefix}")


def process_alive(pid):
    """True while the process runs; an ended one that nobody has reaped yet counts as gone."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


def stop(work):
    work = Path(work).resolve()
    if read_state(work) is None:
        return
    running = Running(work)
    quiet([running.build.server, "-k"], running.env, 60)
    quiet([running.build.server, "-w"], running.env, 60)
    pid = running.xvfb_pid
    if pid is not None and process_alive(pid):
        os.kill(pid, signal.SIGTERM)
        for _ in range(50):
            try:
                # Reaps it when it is our child; otherwise just waits for it to be gone.
                if os.waitpid(pid, os.WNOHANG)[0] == pid:
                    break
            except ChildProcessError:
                if not process_alive(pid):
                    break
            time.sleep(0.1)
        else:
            os.kill(pid, signal.SIGKILL)
    (work / STATE_FILE).unlink()
    print("wine environment stopped")


def shell_lines(running):
    """Shell commands that give a script the running environment."""
    names = ("WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "DISPLAY", "WINELOADER", "WINESERVER")
    values = {
        "wine": running.build.loader, "arch": running.build.arch,
        "programs": str(running.programs or ""),
    }
    return [f"export {name}={shlex.quote(running.env[name])}" for name in names] + \
           [f"{name}={shlex.quote(value)}" for name, value in values.items()]


def programs_option(text):
    arch, separator, folder = text.partition("=")
    if not separator or arch not in BUILDS:
        raise argparse.ArgumentTypeError(f"expected ARCH=DIR with ARCH one of {', '.join(BUILDS)}")
    return arch, folder


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=("choose", "start", "shell", "stop"))
    parser.add_argument("--work", help="folder for the prefixes and the state file")
    parser.add_argument("--programs", type=programs_option, action="append",
                        help="ARCH=DIR: the folder of that build's programs (start)")
    parser.add_argument("--display", help="an X display to use instead of a private Xvfb (start)")
    args = parser.parse_args(argv)
    if args.action != "choose" and not args.work:
        parser.error(f"{args.action} needs --work")
    try:
        if args.action == "choose":
            build, reason = choose()
            print(describe(build, reason), file=sys.stderr)
            print(f"arch={build.arch} tree={build.tree} toolchain={build.toolchain}")
        elif args.action == "start":
            start(args.work, dict(args.programs) if args.programs else None, args.display)
        elif args.action == "shell":
            print("\n".join(shell_lines(Running(args.work))))
        else:
            stop(args.work)
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        print(f"wine environment: {error}", file=sys.stderr)
        if args.action == "start":
            stop(args.work)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
