#!/usr/bin/env python3
"""Starts and stops the Wine environment that the end-to-end tests run in.

    wine_env.py start --work DIR    own Xvfb display, private prefix with a 1024x768 virtual desktop,
                                    wine server and desktop already running (quiet)
    wine_env.py stop --work DIR     ends the wine server (and with it every program of the prefix)
                                    and the Xvfb display

The prefix lives in DIR/wineprefix and is prepared once; later starts reuse it. What the tests
need to reach the running environment (display, prefix) is written to DIR/wine_env.json.
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import time
from pathlib import Path

STATE_FILE = "wine_env.json"
# Written into the prefix once it has been booted and given its virtual desktop.
READY_MARK = ".kavelo-e2e-ready"
DESKTOP_SIZE = "1024x768"


def wine_environment(prefix, display):
    """The environment every Wine call of the tests uses."""
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": "-all",
        # No network here: the first start must not ask to install the .NET or HTML runtimes.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "DISPLAY": display,
    })
    return env


def read_state(work):
    path = Path(work) / STATE_FILE
    if not path.exists():
        return None
    return json.loads(path.read_text())


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


def prepare_prefix(prefix, env):
    """Boots a new prefix and gives it the virtual desktop that offers real display modes."""
    if (prefix / READY_MARK).exists():
        return
    prefix.mkdir(parents=True, exist_ok=True)
    if quiet(["wineboot", "-i"], env, 300) != 0:
        raise RuntimeError("wineboot failed")
    for key, name, value in (("HKCU\\Software\\Wine\\Explorer", "Desktop", "Default"),
                             ("HKCU\\Software\\Wine\\Explorer\\Desktops", "Default", DESKTOP_SIZE)):
        if quiet(["wine", "reg", "add", key, "/v", name, "/d", value, "/f"], env, 120) != 0:
            raise RuntimeError("could not set the virtual desktop")
    # The desktop settings take effect when the server and desktop start anew.
    quiet(["wineserver", "-k"], env, 60)
    quiet(["wineserver", "-w"], env, 60)
    (prefix / READY_MARK).write_text("prepared\n")


def start(work):
    work = Path(work).resolve()
    stop(work)  # a previous run that was cut short may have left its environment up
    work.mkdir(parents=True, exist_ok=True)
    prefix = work / "wineprefix"
    display, xvfb_pid = start_xvfb()
    # The state is written first so that stop() cleans up even when the set-up fails below.
    (work / STATE_FILE).write_text(json.dumps(
        {"display": display, "xvfb_pid": xvfb_pid, "prefix": str(prefix)}))
    env = wine_environment(prefix, display)
    prepare_prefix(prefix, env)
    # Start the server and the desktop with their output closed; otherwise the first captured wine
    # call would hand its pipes to them and never see its end of file.
    quiet(["wineserver", "-p"], env, 60)
    if quiet(["wine", "cmd", "/c", "exit"], env, 120) != 0:
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
    state = read_state(work)
    if state is None:
        return
    env = wine_environment(state["prefix"], state["display"])
    quiet(["wineserver", "-k"], env, 60)
    quiet(["wineserver", "-w"], env, 60)
    pid = state["xvfb_pid"]
    if process_alive(pid):
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=("start", "stop"))
    parser.add_argument("--work", required=True, help="folder for the prefix and the state file")
    args = parser.parse_args()
    try:
        (start if args.action == "start" else stop)(args.work)
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        print(f"wine environment: {error}", file=sys.stderr)
        stop(args.work)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
