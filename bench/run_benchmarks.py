#!/usr/bin/env python3
"""Measures Lisko and the launcher and writes bench/RESULTS.md (tools/run-benchmarks.sh runs it).

    run_benchmarks.py --bench-bin DIR --host-bench EXE --process-usage EXE --work DIR
                      [--output FILE] [--compare-lisko EXE]

Under Wine (a private environment from tests/e2e/wine_env.py, 1024x768 virtual desktop), the build
that the environment runs (the shipped i686 programs under the 32-bit Wine, or where the machine
cannot run 32-bit code the x86_64 test build under the 64-bit Wine), with the benchmarks' own
programs (--bench-bin) of the same build; the report names it and holds no figure of another:
- Lisko on 100,000 entries against find_loop.exe, the bare FindFirstFileW/FindNextFileW loop over
  the same folder, and against Lisko without a list file to write: the wall time inside Wine by
  time_run.exe (CreateProcessA to the end) and the CPU time of the program's own process (wait4
  in the host helper process_usage), alternated, median of fifteen; with --compare-lisko, another
  build of Lisko (an earlier one, say) takes part in the same rounds;
- peak memory of Lisko (and of the bare loop) at 1,000 and at 100,000 entries: under Wine a
  Windows process is the Unix process that `wine PROGRAM` started, so its peak resident set
  (ru_maxrss from wait4 in the small helper process_usage, the kernel's VmHWM) is the program's peak
  working set, Wine's own libraries included;
- the launcher: from the moment the host starts `wine PROGRAM` to the stand-in application's own
  first clock reading, for the stand-in started directly, for launch_floor.exe without and with
  the mode enumeration, and for Kavelo2.exe with a configuration that selects no mode (no
  switch); median of nine.
--compare-lisko must be a Lisko.exe of the same architecture.
On the host: Lisko's job against the simulated folder search (host_lisko_bench).
"""
import argparse
import datetime
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import wine_env  # noqa: E402
from harness import encode_config, win_path  # noqa: E402

RUNS = 15
LAUNCH_RUNS = 9


class Wine:
    def __init__(self, work):
        self.running = wine_env.Running(work)
        self.build = self.running.build
        self.programs = self.running.programs

    def run(self, program, *args, cwd=None, env=None, usage=None):
        """Runs a Windows program; answers its output. With usage (the host helper
        process_usage), answers (output, {"peak_rss_kb": kB, "cpu_ms": ms} of its process)
        instead."""
        command = self.running.command(program, *args)
        if usage:
            command.insert(0, usage)
        result = subprocess.run(command, cwd=cwd, env={**self.running.env, **(env or {})},
                                stdin=subprocess.DEVNULL, capture_output=True, check=False)
        output = result.stdout.decode("latin-1").strip()
        if not usage:
            return output
        line = [line for line in result.stderr.decode("latin-1").splitlines()
                if line.startswith("peak_rss_kb=")][-1]
        return output, {key: float(value) for key, value in (word.split("=") for word in line.split())}


def music_layout(root, entries):
    """run/, UserMP3s/ with the entries, fsxml/; made once and reused."""
    root = Path(root)
    music = root / "UserMP3s"
    if not (music.exists() and len(os.listdir(music)) == entries):
        shutil.rmtree(root, ignore_errors=True)
        music.mkdir(parents=True)
        for number in range(entries):
            (music / f"track {number:06d} - \u00e9t\u00e9.mp3").touch()
    (root / "run").mkdir(exist_ok=True)
    (root / "fsxml").mkdir(exist_ok=True)
    return root / "run"


def without_list_folder(music_run):
    """A second layout over the same music folder (a symbolic link) without ../fsxml/: Lisko
    there opens no list file and its stream drops every write, which leaves the job without its
    file output."""
    root = music_run.parent.with_name(music_run.parent.name + "_no_list")
    (root / "run").mkdir(parents=True, exist_ok=True)
    if not (root / "UserMP3s").exists():
        (root / "UserMP3s").symlink_to(music_run.parent / "UserMP3s", target_is_directory=True)
    return root / "run"


def lisko(wine, args, work):
    results = {}
    run_100k = music_layout(work / "music_100000", 100_000)
    run_1k = music_layout(work / "music_1000", 1_000)
    lisko_exe = wine.programs / "Lisko.exe"
    loop_exe = Path(args.bench_bin) / "find_loop.exe"
    # name: (program, current directory)
    timed = {"Lisko.exe": (lisko_exe, run_100k),
             "find_loop.exe": (loop_exe, run_100k),
             "Lisko.exe without a list file": (lisko_exe, without_list_folder(run_100k))}
    if args.compare_lisko:
        timed["compared Lisko"] = (Path(args.compare_lisko), run_100k)
    times = {name: [] for name in timed}
    cpu = {name: [] for name in timed}
    time_run = Path(args.bench_bin) / "time_run.exe"
    for _ in range(RUNS + 1):  # the first round warms the caches and is dropped
        for name, (program, run) in timed.items():
            output = wine.run(time_run, win_path(program), cwd=run)
            times[name].append(float(output.split("ms=")[-1]))
            cpu[name].append(wine.run(program, cwd=run, usage=args.process_usage)[1]["cpu_ms"])
    for name in times:
        results[f"time_{name}"] = statistics.median(times[name][1:])
        results[f"cpu_{name}"] = statistics.median(cpu[name][1:])
    listed = (run_100k.parent / "fsxml" / "usermp3.xml").read_bytes().count(b"<filename>")
    if listed != 100_000:
        raise RuntimeError(f"Lisko listed {listed} entries of 100,000")
    programs = {"Lisko.exe": lisko_exe, "find_loop.exe": loop_exe}
    for entries, run in ((1_000, run_1k), (100_000, run_100k)):
        for name, program in programs.items():
            results[f"peak_{name}_{entries}"] = max(
                int(wine.run(program, cwd=run, usage=args.process_usage)[1]["peak_rss_kb"])
                for _ in range(3))
    host_run = work / "host" / "run"
    (work / "host" / "fsxml").mkdir(parents=True, exist_ok=True)
    host_run.mkdir(exist_ok=True)
    results["host"] = subprocess.run([args.host_bench, "100000"], cwd=host_run, check=True,
                                     capture_output=True, text=True).stdout.strip()
    return results


def launcher(wine, args, work):
    folder = work / "launch"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copy(wine.programs / "Kavelo2.exe", folder)
    helpers = wine.programs.parent / "test-programs"
    shutil.copy(helpers / "standin_app.exe", folder / "PROJECTOR.EXE")
    shutil.copy(Path(args.bench_bin) / "launch_floor.exe", folder)
    # No mode is 123 pixels wide: the launcher enumerates, reads, selects nothing and starts the
    # application in the current mode.
    (folder / "Kavelo2.ini").write_bytes(encode_config("WIDTH:123\r\n"))
    record = folder / "starts.txt"
    env = {"KAVELO_TEST_RECORD": win_path(record), "KAVELO_TEST_RUN_MS": "0"}
    application = win_path(folder / "PROJECTOR.EXE")
    ways = {
        "application started directly": ["PROJECTOR.EXE"],
        "floor: CreateProcessA only": ["launch_floor.exe", "--no-modes", application],
        "floor: mode enumeration + CreateProcessA": ["launch_floor.exe", application],
        "Kavelo2 (no switch)": ["Kavelo2.exe"],
    }
    delays = {way: [] for way in ways}
    for _ in range(LAUNCH_RUNS + 1):  # the first round is dropped
        for way, command in ways.items():
            record.unlink(missing_ok=True)
            began_ms = time.time() * 1000.0
            wine.run(folder / command[0], *command[1:], cwd=folder, env=env)
            started = [line for line in record.read_text().splitlines() if line.startswith("time_ms=")]
            delays[way].append(float(started[0].split("=")[1]) - began_ms)
    return {way: statistics.median(values[1:]) for way, values in delays.items()}


def program_facts(wine):
    facts = []
    for name in ("Kavelo2.exe", "Lisko.exe"):
        path = wine.programs / name
        # The build's names are those of its MinGW-w64 tools.
        dump = subprocess.run([f"{wine.build.arch}-w64-mingw32-objdump", "-p", str(path)], check=True,
                              capture_output=True, text=True).stdout
        dlls = [line.split("DLL Name:")[1].strip() for line in dump.splitlines() if "DLL Name:" in line]
        facts.append((name, path.stat().st_size, dlls))
    return facts


def machine(build):
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                if line.startswith("model name")), platform.processor())
    memory_kb = next(int(line.split()[1]) for line in open("/proc/meminfo") if line.startswith("MemTotal"))
    wine_version = subprocess.run([build.loader, "--version"], capture_output=True, text=True).stdout.strip()
    return (f"{os.cpu_count()} CPUs ({cpu}), {memory_kb / 1024 / 1024:.1f} GiB memory, "
            f"{platform.system()} {platform.release()}, {wine_version}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--bench-bin", "--host-bench", "--process-usage", "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("--output")
    parser.add_argument("--compare-lisko", help="another Lisko.exe to time in the same rounds")
    args = parser.parse_args()
    for name in ("bench_bin", "host_bench", "process_usage", "compare_lisko"):
        if getattr(args, name):
            setattr(args, name, str(Path(getattr(args, name)).resolve()))
    work = Path(args.work).resolve()
    wine = Wine(work)
    # Figures of two builds are never set side by side: the compared Lisko and the benchmarks'
    # own programs must be of the build measured.
    for program in [args.compare_lisko, *Path(args.bench_bin).glob("*.exe")]:
        if program and wine_env.pe_machine(program) != wine.build.machine:
            parser.error(f"{program} is not a program of the {wine.build.arch} build measured")
    measured_lisko = lisko(wine, args, work)
    measured_launch = launcher(wine, args, work)
    facts = program_facts(wine)
    report = render(measured_lisko, measured_launch, facts, args.compare_lisko, wine.build)
    print(report)
    if args.output:
        Path(args.output).write_text(report)


SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll"}


def goals(ratio, cpu_ratio, lisko_growth, loop_growth, peak, own, facts):
    """One line per goal: met, or missed by how much."""
    def verdict(met):
        return "met" if met else "MISSED"
    lisko_own = [peak[f"peak_Lisko.exe_{n}"] - peak[f"peak_find_loop.exe_{n}"] for n in (1000, 100000)]
    foreign = sorted({dll for _, _, dlls in facts for dll in dlls if dll.lower() not in SYSTEM_DLLS})
    return [
        f"- Lisko within 1.05x of the bare loop: {verdict(ratio <= 1.05)} ({ratio:.2f}x wall time, "
        f"{cpu_ratio:.2f}x CPU time).",
        f"- Lisko's peak memory within 1 MB between 1,000 and 100,000 entries: "
        f"{verdict(lisko_growth <= 1024)} as measured ({lisko_growth} kB). The bare loop grows by "
        f"{loop_growth} kB too: the growth is Wine's (its directory search keeps the folder's "
        f"entries in memory), not Lisko's. Lisko's own share above the bare loop is "
        f"{lisko_own[0]} kB at 1,000 and {lisko_own[1]} kB at 100,000 entries, a difference of "
        f"{lisko_own[1] - lisko_own[0]:+d} kB.",
        f"- The launcher's own work under 10 ms over the floor: {verdict(own < 10)} ({own:+d} ms).",
        f"- System DLLs only: {verdict(not foreign)}" + (f" ({', '.join(foreign)})." if foreign else "."),
    ]


def render(lisko_results, launch, facts, compared, build):
    lisko_ms = lisko_results["time_Lisko.exe"]
    loop_ms = lisko_results["time_find_loop.exe"]
    no_list_ms = lisko_results["time_Lisko.exe without a list file"]
    lisko_cpu = lisko_results["cpu_Lisko.exe"]
    loop_cpu = lisko_results["cpu_find_loop.exe"]
    no_list_cpu = lisko_results["cpu_Lisko.exe without a list file"]
    peak = {key: value for key, value in lisko_results.items() if key.startswith("peak_")}
    host = dict(word.split("=") for word in lisko_results["host"].split())
    floor = launch["floor: mode enumeration + CreateProcessA"]
    own = round(launch["Kavelo2 (no switch)"] - floor)
    enumeration = round(floor - launch["floor: CreateProcessA only"])
    lisko_growth = peak["peak_Lisko.exe_100000"] - peak["peak_Lisko.exe_1000"]
    loop_growth = peak["peak_find_loop.exe_100000"] - peak["peak_find_loop.exe_1000"]
    lines = [
        "# Benchmark results",
        "",
        f"Measured {datetime.date.today().isoformat()} by `tools/run-benchmarks.sh` on {machine(build)}.",
        "",
        f"Build measured: {build.arch} ({build.what}), under {build.wine} (`{build.loader}`). Every "
        "figure below is of this build; figures of the other build are not comparable with them.",
        "",
        "## Lisko, 100,000 entries",
        "",
        "| Run | Wall time | Ratio | CPU time | Ratio |",
        "|---|---|---|---|---|",
        *(f"| Wine: {label} | {lisko_results['time_' + name]:.0f} ms | "
          f"{lisko_results['time_' + name] / loop_ms:.2f}x | {lisko_results['cpu_' + name]:.0f} ms | "
          f"{lisko_results['cpu_' + name] / loop_cpu:.2f}x |"
          for name, label in (("Lisko.exe", "Lisko.exe"),
                              ("find_loop.exe", "bare FindFirstFileW/FindNextFileW loop (find_loop.exe)"),
                              ("Lisko.exe without a list file", "Lisko.exe without a list file (no ../fsxml/)"),
                              *((("compared Lisko", f"compared: {Path(compared).name}"),) if compared else ()))),
        f"| Host, simulated search: the job | {float(host['job_ms']):.1f} ms | {float(host['ratio']):.2f}x | | |",
        f"| Host, simulated search: bare loop | {float(host['bare_ms']):.1f} ms | 1.00x | | |",
        "",
        "Under Wine the wall time runs from CreateProcessA to the end of the process (time_run.exe",
        "inside Wine); the CPU time is the program's own process, user and system (process_usage on",
        "the host), which other work on the machine barely moves. Each is the median of "
        f"{RUNS} rounds after",
        "a warm-up round, the programs alternating within each round; the list file was",
        "checked to hold 100,000 lines. Without a list file the job does all its work but its stream",
        "drops the output, so the difference to Lisko.exe is the list file's writing: the runtime's",
        f"text-mode output and the file system ({lisko_ms - no_list_ms:.0f} ms wall, "
        f"{lisko_cpu - no_list_cpu:.0f} ms CPU here).",
        "On the host the folder search is the simulated one, which costs almost nothing, so the ratio",
        "there is the job's own cost per entry (narrowing, stream output) against an in-memory loop.",
        "",
        "## Lisko, peak memory",
        "",
        "| Program | 1,000 entries | 100,000 entries | Growth |",
        "|---|---|---|---|",
        f"| Lisko.exe | {peak['peak_Lisko.exe_1000']} kB | {peak['peak_Lisko.exe_100000']} kB | {lisko_growth} kB |",
        f"| find_loop.exe | {peak['peak_find_loop.exe_1000']} kB | {peak['peak_find_loop.exe_100000']} kB | {loop_growth} kB |",
        "",
        "Peak resident set of the Windows process (under Wine the process that `wine PROGRAM`",
        "starts is the program itself; ru_maxrss from wait4 in the host helper process_usage), highest of",
        "three runs. It includes Wine's own libraries and Wine's directory buffers, which the bare",
        "loop shows on its own.",
        "",
        "## Launcher: from the start command to the application's start (Wine)",
        "",
        "| Started | Delay |",
        "|---|---|",
        *(f"| {way} | {delay:.0f} ms |" for way, delay in launch.items()),
        "",
        f"The launcher's own work on top of the floor: {own:+d} ms (median of nine after a",
        "warm-up; from the host's clock before `wine PROGRAM` to the stand-in's first clock reading).",
        "The configuration selects no mode, so nothing is switched. The mode enumeration alone",
        f"costs {enumeration} ms here: Wine answers each EnumDisplaySettingsA call slowly, and the",
        "launcher must make every one of them before it can choose.",
        "",
        "## Goals",
        "",
        *goals(lisko_ms / loop_ms, lisko_cpu / loop_cpu, lisko_growth, loop_growth, peak, own, facts),
        "",
        f"## Programs ({build.arch} build)",
        "",
        "| Program | Size | Imported DLLs |",
        "|---|---|---|",
        *(f"| {name} | {size:,} bytes | {', '.join(dlls)} |" for name, size, dlls in facts),
        "",
    ]
    return "\n".join(lines)


if __name__ == "__main__":
    main()
