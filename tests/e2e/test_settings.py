"""Kavelo2Settings.exe under Wine, driven through its controls by dialog_driver.exe: a folder set
up from a plain-text file, saved, decoded byte for byte and run with the launcher; a save that
the launcher could not read is refused; a save into a folder that takes no new file keeps the old
file and says why. The first scenario also takes the screenshot that the user guide shows."""
import shutil
import subprocess
import time
import unittest

import harness

SETTINGS = harness.BIN / "Kavelo2Settings.exe"
DRIVER = harness.HELPERS / "dialog_driver.exe"
SCREENSHOT = harness.WORK / "screenshots" / "kavelo2-settings.png"


def drive(*args):
    """Runs one dialog_driver command; returns its output lines, unescaped."""
    status, out, _ = harness.run_console(DRIVER, *args)
    lines = [harness.unescape(line) for line in out.decode("latin-1").splitlines()]
    if status != 0:
        raise AssertionError(f"dialog_driver {' '.join(map(str, args))}: status {status} {lines}")
    return lines


def seen_mode(start):
    """The display mode a stand-in application saw when it started."""
    return "x".join(start[f"mode_{key}"] for key in ("width", "height", "bits"))


def text(control):
    return drive("text", control)[0]


class SettingsDialog:
    """Kavelo2Settings.exe for the duration of a with-block; ended if a test leaves it open."""

    def __init__(self, installation, *args, env=None):
        self.program = installation.folder / SETTINGS.name
        self.args, self.env = args, env

    def __enter__(self):
        self.process = harness.start_windows_program(self.program, *self.args, env=self.env)
        self.title = drive("find")[0]
        return self

    def __exit__(self, *exc):
        harness.end_if_running(self.process)


class SettingsTest(harness.EndToEndTest):

    def settings_installation(self, name=None):
        installation = self.installation(name)
        shutil.copy(SETTINGS, installation.folder)
        return installation

    def test_sets_a_folder_up_and_the_launcher_follows(self):
        installation = self.settings_installation()
        # Written as plain text, never encoded; COLOR is no key of the launcher's.
        installation.write("Kavelo2.ini", b"WIDTH:1024\r\nCOLOR:16\r\n")
        application = installation.add_application("game/show.exe")
        env = {"KAVELO_TEST_RECORD": harness.win_path(installation.start_records),
               "KAVELO_TEST_RUN_MS": "600"}
        # Started without an argument, as from its icon: it opens the Kavelo2.ini beside it.
        with SettingsDialog(installation, env=env) as dialog:
            self.assertEqual(dialog.title, "*Kavelo2.ini - Kavelo2 Settings")
            self.assertEqual(text("file"), harness.win_path(installation.folder / "Kavelo2.ini"))
            self.assertIn("Plain text, 22 bytes", text("form"))
            self.assertIn('"COLOR:16": the launcher ignores it; saving leaves it out',
                          text("explanation"))
            self.assertEqual(drive("selected", "widths"), ["1024"])

            drive("deselect", "widths", "1024")
            drive("select", "widths", "640")
            drive("select", "heights", "480")
            drive("select", "depths", "32")
            drive("check", "strict", "1")
            # A path inside the folder is stored relative to it.
            drive("set-text", "application", harness.win_path(application))

            self.assertEqual(drive("selected", "modes"), ["6. 640x480x32@60"])
            explanation = text("explanation")
            self.assertIn("selection: mode 6 of 27: 640x480x32@60, in the strict pass", explanation)
            self.assertIn("result: the launcher switches to 640x480", explanation)
            SCREENSHOT.parent.mkdir(parents=True, exist_ok=True)
            subprocess.run(["import", "-display", harness.RUNNING.display, "-window", "root",
                            str(SCREENSHOT)], check=True, timeout=60)

            drive("click", "save")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            stored = (installation.folder / "Kavelo2.ini").read_bytes()
            self.assertEqual(harness.encode_config(stored),
                             b"WIDTH:640\r\nHEIGHT:480\r\nDEPTH:32\r\nSTRICT:1\r\n"
                             b"PATH:game\\show.exe\r\n")
            self.assertIn("Stored form, 63 bytes.", text("form"))

            # Try saves, runs the folder's launcher and reports the modes around it.
            drive("click", "try")
            drive("wait-enabled", "try")
            self.assertEqual(text("try-report"),
                             "Kavelo2.exe ran. Display before: 1024x768x32@60; while it ran: "
                             "640x480x32@60; after: 1024x768x32@60.")
            drive("click", "ok")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)

        self.assertEqual([seen_mode(record) for record in installation.starts()], ["640x480x32"])
        # The launcher on its own reads the same file.
        result = harness.launch(installation)
        self.assertEqual(result.boxes, [])
        self.assertEqual([seen_mode(record) for record in result.starts], ["640x480x32"] * 2)
        self.assertTrue(SCREENSHOT.read_bytes().startswith(b"\x89PNG"))

    def test_a_failed_save_keeps_the_old_file_and_says_why(self):
        installation = self.settings_installation()
        config = installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        old = config.read_bytes()
        # A file given on the command line, as dropping it on the program gives.
        with SettingsDialog(installation, harness.win_path(config)) as dialog:
            self.assertEqual(dialog.title, "Kavelo2.ini - Kavelo2 Settings")

            # A text longer than the launcher reads is refused before anything is written.
            drive("set-text", "application", "a" * 990)
            self.assertIn("Saving is refused", text("explanation"))
            drive("click", "save")
            caption, message = drive("box", "ok")
            self.assertEqual(caption, "Kavelo2 Settings")
            self.assertIn("is 1020 bytes long, and the launcher reads only the first 998", message)
            self.assertEqual(config.read_bytes(), old)

            # A folder that takes no new file: the immutable attribute stops root too, whom Unix
            # permissions would not stop.
            drive("set-text", "application", "")
            drive("check", "backdrop", "1")
            if subprocess.run(["chattr", "+i", str(installation.folder)]).returncode != 0:
                self.skipTest("the file system cannot make a folder immutable")
            try:
                drive("click", "save")
                caption, message = drive("box", "ok")
            finally:
                subprocess.run(["chattr", "-i", str(installation.folder)], check=True)
            self.assertEqual(caption, "Kavelo2 Settings")
            self.assertIn("Kavelo2.ini was not saved.", message)
            self.assertIn("cannot be created: Permission denied.", message)
            self.assertIn("The file on disk is as it was before.", message)
            self.assertEqual(config.read_bytes(), old)
            self.assertEqual(sorted(path.name for path in installation.folder.iterdir()),
                             ["Kavelo2.exe", "Kavelo2.ini", "Kavelo2Settings.exe"])
            self.assertEqual(drive("title")[0], "*Kavelo2.ini - Kavelo2 Settings")

            # Closing with unsaved changes asks first; No closes without saving.
            drive("click", "cancel")
            caption, message = drive("box", "no")
            self.assertEqual(message, "Save the changes to Kavelo2.ini?")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)
        self.assertEqual(config.read_bytes(), old)

    def wait_for_title(self, title):
        deadline = time.monotonic() + harness.READY_TIMEOUT
        while drive("title")[0] != title:
            if time.monotonic() > deadline:
                self.fail(f"the title did not become {title!r}")
            time.sleep(0.1)


if __name__ == "__main__":
    unittest.main()
