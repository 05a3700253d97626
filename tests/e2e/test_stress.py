"""The launcher and Lisko under load and on hostile input, under Wine.

- eight launchers started at the same moment: one runs, the others leave at once and quietly;
- configuration files of random bytes, and of valid entries with random values: every run ends
  with status 0, shows only the launcher's own messages and leaves the display at 1024x768;
- PATH entries naming a folder, a file that is no program, and a program with blanks in its name;
- Lisko on a folder of 100,000 entries.

The random files come from fixed seeds, so a failure names a file that can be made again.
"""
import random
import shutil
import time
import unittest

import harness
import test_lisko

# The stand-in application runs this long: long enough that Wine does not drop the restore that
# follows a switch, short enough for many runs.
SHORT_RUN_MS = 300

# Every message the launcher can show: (caption, text), or a caption and the start of the text.
OWN_BOXES = {harness.MISSING_FILE_BOX, harness.NO_MODE_BOX}
OWN_CAPTION_PREFIXES = ("Kavelo Error: DISP_CHANGE_",)
LAUNCH_FAILURE_PREFIX = ("Kavelo2 Error", "Kavelo2 failed to launch '")

# Sizes that the Wine desktop offers; values that it offers, and some that it does not.
OFFERED_SIZES = [(320, 200), (640, 480), (800, 600), (1024, 768)]
WIDTHS = [320, 640, 800, 1024, 123, 0, -1, 4096]
HEIGHTS = [200, 480, 600, 768, 7, 0, -1]
DEPTHS = [8, 16, 24, 32, 15, 0, -24]
FREQS = [60, 75, 0, 85, -60]


def is_own_box(box):
    caption, text = box
    if box in OWN_BOXES:
        return True
    if caption == LAUNCH_FAILURE_PREFIX[0] and text.startswith(LAUNCH_FAILURE_PREFIX[1]):
        return True
    return caption.startswith(OWN_CAPTION_PREFIXES)


def random_number(rng, pool):
    """A value from the pool, written as the configuration may write it."""
    value = rng.choice(pool) if rng.random() < 0.8 else rng.randint(-2**31, 2**32)
    form = rng.choice(["{}", "{}", " {}", "+{}", "0x{:x}", "0{:o}"])
    if value < 0 or form == "+{}":
        return str(value)
    return form.format(value)


def random_entries(rng):
    """Plain text of valid entries with random values, in a random order and with random line
    ends. Most files aim at one of the sizes the desktop offers, so that many runs switch."""
    aim = rng.choice(OFFERED_SIZES)
    entries = []
    for key, pool, aimed in (("WIDTH", WIDTHS, aim[0]), ("HEIGHT", HEIGHTS, aim[1]),
                             ("DEPTH", DEPTHS, 32), ("FREQ", FREQS, 60)):
        for _ in range(rng.choice([0, 1, 1, 1, 2])):
            values = [random_number(rng, pool) for _ in range(rng.randint(1, 3))]
            if rng.random() < 0.7:
                values[rng.randrange(len(values))] = str(aimed)
            entries.append(f"{rng.choice([key, key.lower(), key.title()])}:{','.join(values)}")
    for key in ("STRICT", "BACKDROP"):
        if rng.random() < 0.4:
            entries.append(f"{key}:{rng.choice(['1', '0', '-1', '2', 'x'])}")
    if rng.random() < 0.3:
        entries.append("PATH:" + rng.choice(["PROJECTOR.EXE", "missing.exe", "sub/PROJECTOR.EXE",
                                             "", "./PROJECTOR.EXE"]))
    rng.shuffle(entries)
    return "".join(entry + rng.choice(["\r\n", "\n", "\r", ";"]) for entry in entries)


class StressTest(harness.EndToEndTest):

    def assertCleanRuns(self, installation, configs, run_ms=SHORT_RUN_MS):
        """Runs the launcher once per configuration (name, stored bytes) under one desktop watch.
        Every run ends with status 0 and leaves the registry mode; every box is the launcher's
        own. Answers the number of runs that started the application."""
        started = 0
        with harness.DesktopWatch(installation.root) as observed:
            for name, stored in configs:
                installation.write("Kavelo2.ini", stored)
                before = len(installation.starts())
                status, _ = installation.run(run_ms=run_ms)
                self.assertEqual(status, 0, name)
                started += len(installation.starts()) - before
                # A switch is followed by the application's start; only then can the display
                # have changed, so only then is it read (reading it costs a Wine process).
                if len(installation.starts()) > before:
                    self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE, name)
        unknown = [box for box in observed.boxes if not is_own_box(box)]
        self.assertEqual(unknown, [], "a message that is not the launcher's own (a crash?)")
        self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)
        return started

    # The host's fuzz targets feed the launcher's reading any bytes; here a few dozen files show
    # that the real platform, too, meets them with nothing but the launcher's own boxes.
    def test_fifty_files_of_random_bytes(self):
        rng = random.Random(20240601)
        installation = self.installation()
        installation.add_application()
        configs = []
        for number in range(50):
            size = rng.choice([1, 2, 3, 10, 100, 500, 997, 998, 999, 1500, 4096])
            configs.append((f"random file {number}", bytes(rng.getrandbits(8) for _ in range(size))))
        self.assertCleanRuns(installation, configs)

    def test_files_of_valid_entries_with_random_values(self):
        rng = random.Random(7)
        installation = self.installation()
        installation.add_application()
        installation.add_application("sub/PROJECTOR.EXE")
        configs = []
        for number in range(16):
            text = random_entries(rng)
            configs.append((f"entries {number}: {text!r}", harness.encode_config(text)))
        started = self.assertCleanRuns(installation, configs)
        self.assertGreater(started, 3, "too few runs reached the application to stress it")

    def test_eight_launchers_at_once(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\n")
        installation.add_application()
        with harness.DesktopWatch(installation.root) as observed:
            began = time.monotonic()
            launchers = [installation.start(run_ms=5000) for _ in range(8)]
            for launcher in launchers:
                self.addCleanup(harness.end_if_running, launcher)
            # Seven leave at once; the one that runs waits for its application.
            ended, seconds = [], []
            deadline = began + 4
            while len(ended) < 7 and time.monotonic() < deadline:
                for launcher in launchers:
                    if launcher not in ended and launcher.poll() is not None:
                        ended.append(launcher)
                        seconds.append(time.monotonic() - began)
                time.sleep(0.02)
            self.assertEqual(len(ended), 7, "all but one launcher end within 4 s")
            self.assertEqual([launcher.returncode for launcher in ended], [0] * 7)
            running = [launcher for launcher in launchers if launcher not in ended]
            self.assertEqual(harness.wait_for_exit(running[0]), 0)
        self.assertEqual(len(installation.starts()), 1, "exactly one application start")
        self.assertEqual(observed.boxes, [])
        self.assertEqual(len(observed.notices), 1, "only one launcher switched")
        self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)

    def test_path_that_is_no_program(self):
        # (case, the PATH value, what lies there: "folder", "text", "garbage" or "program")
        cases = [
            ("a folder", "media", "folder"),
            ("a text file", "notes.txt", "text"),
            ("a file that only looks like a program", "broken.exe", "garbage"),
            ("a program with blanks in its name", "My Apps/The Show 2.exe", "program"),
        ]
        for case, value, kind in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case)
                installation.write("Kavelo2.ini", f"WIDTH:640\r\nHEIGHT:480\r\nPATH:{value}\r\n")
                target = installation.folder / value
                if kind == "folder":
                    target.mkdir()
                elif kind == "text":
                    target.write_text("not a program\n")
                elif kind == "garbage":
                    target.write_bytes(b"MZ" + bytes(random.Random(3).getrandbits(8) for _ in range(4000)))
                    # Whether the system refuses such a file or starts something for it (Wine,
                    # like a 32-bit Windows, may run an "MZ" file as a DOS program) is its own
                    # affair; the launcher must only survive either answer.
                else:
                    installation.add_application(value)

                result = harness.launch(installation, run_ms=SHORT_RUN_MS)
                self.assertEqual(result.status, 0)
                self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
                windows_path = harness.win_path(installation.folder) + "\\" + value.replace("/", "\\")
                if kind == "garbage":
                    self.assertIn(result.boxes, ([], [harness.missing_application_box(windows_path)]))
                elif kind == "program":
                    self.assertEqual(result.boxes, [])
                    self.assertEqual([start["module_path"] for start in result.starts], [windows_path])
                else:
                    self.assertEqual(result.boxes, [harness.missing_application_box(windows_path)])
                    self.assertEqual(result.starts, [])


class LiskoStressTest(unittest.TestCase):

    ENTRIES = 100_000

    def test_a_hundred_thousand_entries_are_all_listed(self):
        layout = test_lisko.Layout(harness.WORK / "runs" / "stress_lisko")
        names = [f"track {number:06d} - \u00e9t\u00e9.mp3" for number in range(self.ENTRIES)]
        for name in names:
            (layout.music / name).touch()
        (layout.music / ".hidden").touch()

        status, printed = layout.run_lisko()
        self.assertEqual((status, printed), (0, b""))
        stored = layout.stored()
        self.assertTrue(stored.startswith(test_lisko.HEADER) and stored.endswith(test_lisko.FOOTER))
        lines = stored[len(test_lisko.HEADER):len(stored) - len(test_lisko.FOOTER)].split(b"\r\n")
        self.assertEqual(lines[-1], b"")
        expected = {test_lisko.entry_line(name.encode("latin-1"))[:-2] for name in names}
        self.assertEqual(len(lines) - 1, self.ENTRIES, "one line per entry")
        self.assertEqual(set(lines[:-1]), expected)
        shutil.rmtree(layout.root)


if __name__ == "__main__":
    unittest.main()
