"""Kavelo2Settings.exe under Wine, driven through its controls and its keyboard by
dialog_driver.exe: a folder set up from a plain-text file saved as UTF-8 with its mark (Browse
refusing the folder's own programs), saved, decoded byte for byte, tried (closing during the trial
asks and saves nothing) and run with the launcher; a save that the launcher could not read is
refused; a save into a folder that takes no new file keeps the old file and says why, and Try then
says that nothing was tried; the keyboard alone selects and saves; Try reports a failed start and
a box closed at once, and gives the keyboard back, and Save As elsewhere drops its report; Save As
into another folder, whose application's settings the group then reads and writes; help; a file
that cannot be read at start-up; a renamed launcher's folder, which Save As keeps showing while it
asks; the frame on an 800x600 desktop, whose screenshot the user guide shows; putting the display
back, asked first while a launcher runs; a folder the code page cannot spell, and one it can
(Café), whose name the explanation shows as it is."""
import re
import shutil
import subprocess
import time
import unittest

import harness

SETTINGS = harness.BIN / "Kavelo2Settings.exe"
DRIVER = harness.HELPERS / "dialog_driver.exe"
SCREENSHOT = harness.WORK / "screenshots" / "kavelo2-settings.png"
DISPLAY_MODE = harness.HELPERS / "display_mode.exe"


def drive(*args):
    """Runs one dialog_driver command; returns its output lines, unescaped. The driver says why
    whenever its command fails, so a status without a word came from outside it (seen once on a
    loaded machine, Wine's standard error discarded then); such a run is tried once more."""
    for attempt in range(2):
        status, out, err = harness.run_console(DRIVER, *args)
        if status == 0 or out.strip() or attempt == 1:
            break
    lines = [harness.unescape(line) for line in out.decode("latin-1").splitlines()]
    if status != 0:
        raise AssertionError(f"dialog_driver {' '.join(map(str, args))}: status {status} {lines} "
                             f"{err.decode('latin-1')[-400:]!r}")
    return lines


def seen_mode(start):
    """The display mode a stand-in application saw when it started."""
    return "x".join(start[f"mode_{key}"] for key in ("width", "height", "bits"))


def text(control):
    return drive("text", control)[0]


def modes_in(line):
    """The display modes a line names, in order (a try's report names before, during and after)."""
    return re.findall(r"\d+x\d+x\d+@\d+", line)


def verdict():
    """The explanation's first line: the verdict, in the dialog's words."""
    return text("explanation").split("\r\n")[0]


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
        # Written as plain text, never encoded, by an editor that saves UTF-8 with a byte order mark
        # in front; COLOR is no key of the launcher's.
        installation.write("Kavelo2.ini", b"\xEF\xBB\xBFWIDTH:1024\r\nCOLOR:16\r\n")
        application = installation.add_application("game/show.exe")
        # The application runs until the test lets it end, so that the window is used while it is
        # tried however loaded the machine is.
        release = installation.folder / "release-the-application"
        env = {"KAVELO_TEST_RECORD": harness.win_path(installation.start_records),
               "KAVELO_TEST_RUN_MS": "60000", "KAVELO_TEST_RUN_UNTIL": harness.win_path(release)}
        # Started without an argument, as from its icon: it opens the Kavelo2.ini beside it.
        with SettingsDialog(installation, env=env) as dialog:
            self.assertEqual(dialog.title, "*Kavelo2.ini - Kavelo2 Settings")
            self.assertEqual(text("file"), harness.win_path(installation.folder / "Kavelo2.ini"))
            # The folder's launcher, the file's length and form, and its mark (the words are the unit
            # tests' of the document).
            self.assertTrue(text("form").startswith("Read by Kavelo2.exe. Plain text, 25 bytes"), text("form"))
            self.assertIn("byte order mark", text("form"))
            # Counted as the file's lines, the mark's included.
            self.assertIn('\r\n  line 2 "COLOR:16": ', text("explanation"))
            self.assertEqual(drive("selected", "widths"), ["1024"])
            # Browse offers programs for the launcher to start: the folder's own launcher and this
            # program are refused, and the field stays as it was.
            for tool in (harness.LAUNCHER, SETTINGS.name):
                drive("click", "browse")
                drive("file-dialog", harness.win_path(installation.folder / tool))
                caption, message = drive("box", "ok")
                self.assertTrue(message.startswith(f"{tool} is "), message)
                self.assertEqual(text("application"), "")

            drive("deselect", "widths", "1024")
            drive("select", "widths", "640")
            drive("select", "heights", "480")
            drive("select", "depths", "32")
            drive("check", "strict", "1")
            drive("check", "wait-all", "1")
            # A path inside the folder is stored relative to it.
            drive("set-text", "application", harness.win_path(application))

            self.assertEqual(drive("selected", "modes"), ["6. 640x480x32@60"])
            explanation = text("explanation")
            self.assertIn("\r\nselection: mode 6 of 27: 640x480x32@60, ", explanation)
            self.assertTrue(explanation.startswith("result: "), explanation)

            drive("click", "save")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            stored = (installation.folder / "Kavelo2.ini").read_bytes()
            self.assertEqual(harness.encode_config(stored),
                             b"WIDTH:640\r\nHEIGHT:480\r\nDEPTH:32\r\nSTRICT:1\r\nWAITALL:1\r\n"
                             b"PATH:game\\show.exe\r\n")
            self.assertIn("74 bytes", text("form"))

            # Try runs the folder's launcher and reports the modes around it.
            drive("click", "try")
            # No Windows program starts while the launcher switches (see harness.desktop_size).
            self.assertTrue(harness.wait_for_desktop("640x480"), "the launcher did not switch")
            # While it runs, an edit changes neither the file nor the report to come, and closing
            # (Cancel or OK) says what it would do and asks; No keeps the window.
            drive("check", "backdrop", "1")
            for button in ("cancel", "ok"):
                drive("click", button)
                caption, message = drive("box", "no")
                self.assertEqual(message, "Kavelo2.exe, started by Try, is still running. Closing Kavelo2 Settings now "
                                          "leaves it and its application running, and the report of the try is lost. "
                                          "The changes to Kavelo2.ini are lost too: nothing is saved while a launcher "
                                          "is being tried.\n\nClose anyway?")
            self.assertEqual(text("try-report"), "Kavelo2.exe is running; the report follows when it ends.")
            release.write_bytes(b"")
            self.assertTrue(harness.wait_for_desktop("1024x768"), "the launcher did not switch back")
            drive("wait-enabled", "try")
            self.assertEqual((installation.folder / "Kavelo2.ini").read_bytes(), stored)
            # The modes it saw, and the check of the file as tried (the report's words are the unit
            # tests' of the trial).
            ran, seen, checked = text("try-report").split("\r\n")
            self.assertEqual(ran, "Kavelo2.exe ran.")
            self.assertEqual(modes_in(seen), [harness.REGISTRY_MODE, "640x480x32@60", harness.REGISTRY_MODE])
            self.assertTrue(checked.startswith("The check of this file: result: "), checked)
            self.assertIn(harness.win_path(application), checked)
            # The report is of the file as it was tried, and its label says so while it differs.
            self.assertEqual(text("try-label"), "&Last try, of Kavelo2.ini as it was then:")
            drive("check", "backdrop", "0")
            self.assertEqual(text("try-label"), "&Last try:")
            # Another file opened (here the same one again) starts without a report.
            drive("menu", "open")
            drive("file-dialog", harness.win_path(installation.folder / "Kavelo2.ini"))
            self.wait_for(lambda: text("try-report") == "", "the report stayed after File > Open")
            drive("click", "ok")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)

        self.assertEqual([seen_mode(record) for record in installation.starts()], ["640x480x32"])
        # The launcher on its own reads the same file.
        result = harness.launch(installation)
        self.assertEqual(result.boxes, [])
        self.assertEqual([seen_mode(record) for record in result.starts], ["640x480x32"] * 2)

    def test_a_failed_save_keeps_the_old_file_and_says_why(self):
        installation = self.settings_installation()
        config = installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        old = config.read_bytes()
        # A file given on the command line, as dropping it on the program gives.
        with SettingsDialog(installation, harness.win_path(config)) as dialog:
            self.assertEqual(dialog.title, "Kavelo2.ini - Kavelo2 Settings")

            # An application path that Windows starts no program from is refused before anything is
            # written (and so is a text longer than the launcher reads, which only so long a path
            # makes here).
            drive("set-text", "application", "C:\\" + "a" * 987)
            self.assertIn("Saving is refused", text("explanation"))
            drive("click", "save")
            caption, message = drive("box", "ok")
            self.assertEqual(caption, "Kavelo2 Settings")
            self.assertIn(" 259", message)  # the longest path Windows starts a program from
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
            self.assertTrue(message.startswith("Kavelo2.ini was not saved.\n\n"), message)
            self.assertIn("Windows error 5", message)
            self.assertIn("The file on disk is as it was before.", message)
            self.assertEqual(config.read_bytes(), old)
            self.assertEqual(sorted(path.name for path in installation.folder.iterdir()),
                             ["Kavelo2.exe", "Kavelo2.ini", "Kavelo2Settings.exe"])
            self.assertEqual(drive("title")[0], "*Kavelo2.ini - Kavelo2 Settings")

            # A read-only file is refused, and stays read-only.
            config.chmod(0o444)
            try:
                drive("click", "save")
                caption, message = drive("box", "ok")
                self.assertIn(" is read-only. To change it, clear \"Read-only\" in its Properties first.", message)
                # Try saves first: it meets the same refusal, and says that nothing was tried.
                drive("click", "try")
                caption, message = drive("box", "ok")
                self.assertIn(" is read-only.", message)
                self.assertIn("Nothing was tried", message)
                self.assertEqual(config.read_bytes(), old)
                self.assertEqual(config.stat().st_mode & 0o777, 0o444)
            finally:
                config.chmod(0o644)

            # Closing with unsaved changes asks first; No closes without saving.
            drive("click", "cancel")
            caption, message = drive("box", "no")
            self.assertEqual(message, "Save the changes to Kavelo2.ini?")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)
        self.assertEqual(config.read_bytes(), old)

    def test_the_keyboard_alone_selects_and_saves(self):
        installation = self.settings_installation()
        config = installation.write("Kavelo2.ini", "WIDTH:800,1024\r\nHEIGHT:600\r\n")
        # What earlier saves left: an old file that could not take its name back, which saving
        # never writes over, and the new file of a save cut short, which it does.
        older = installation.folder / "Kavelo2.ini.replaced"
        older.write_bytes(b"older")
        (installation.folder / "Kavelo2.ini.saving").write_bytes(b"cut short")
        with SettingsDialog(installation) as dialog:
            # Alt+W reaches the widths (320 to 1024) with the caret on 800, the first selected; the
            # arrows move it, and Space toggles the value under it: 1024 off, then 640 on.
            drive("keys", "alt+w", "down", "space")
            self.assertEqual(drive("selected", "widths"), ["800"])
            self.assertEqual(drive("title")[0], "*Kavelo2.ini - Kavelo2 Settings")
            drive("keys", "up", "up", "up", "space", "ctrl+s")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            self.assertEqual(harness.encode_config(config.read_bytes()), b"WIDTH:640,800\r\nHEIGHT:600\r\n")
            self.assertEqual(older.read_bytes(), b"older")
            self.assertEqual(sorted(path.name for path in installation.folder.iterdir()),
                             ["Kavelo2.exe", "Kavelo2.ini", "Kavelo2.ini.replaced", "Kavelo2Settings.exe"])
            # A mode picked in the list of modes selects its own values, so the launcher picks it:
            # from 800x600, the launcher's pick, the arrow goes to the next mode.
            drive("keys", "alt+m", "down")
            self.assertEqual(drive("selected", "modes"), ["9. 1024x768x32@60"])
            self.assertEqual([drive("selected", name)[0] for name in ("widths", "heights", "depths", "rates")],
                             ["1024", "768", "32", "60"])
            # Alt+F opens the File menu, not a field: Escape leaves it, and the focus stays.
            drive("keys", "alt+f", "escape", "escape")
            self.assertEqual(drive("focus"), ["modes"])
            drive("keys", "escape")
            caption, message = drive("box", "no")
            self.assertTrue(message.startswith("Save the changes"), message)
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)
        self.assertEqual(harness.encode_config(config.read_bytes()), b"WIDTH:640,800\r\nHEIGHT:600\r\n")

    def test_try_tells_a_failed_start_and_gives_the_keyboard_back(self):
        installation = self.settings_installation()
        installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\nBACKDROP:1\r\nPATH:Games\\NotThere.exe\r\n")
        missing = harness.win_path(installation.folder) + "\\Games\\NotThere.exe"
        with SettingsDialog(installation) as dialog:
            # In the dialog's words: its Application field, and no line of the text saving writes.
            failed_start = verdict()
            self.assertIn(missing, failed_start)
            self.assertIn("Application field", failed_start)
            self.assertNotIn("line ", failed_start)
            drive("keys", "alt+t")
            self.assertTrue(harness.wait_for_desktop("800x600"), "the launcher did not switch")
            caption, message = drive("launcher-box", "ok")
            self.assertEqual((caption, message), harness.missing_application_box(missing))
            self.assertTrue(harness.wait_for_desktop("1024x768"), "the launcher did not switch back")
            drive("wait-enabled", "try")
            # The box, the modes it saw and the check of the file as tried.
            showed, seen, checked = text("try-report").split("\r\n")
            self.assertEqual(showed, "Kavelo2.exe ran and showed: Kavelo2 Error: " + message.replace("\r", " "))
            self.assertEqual(modes_in(seen), [harness.REGISTRY_MODE, "800x600x32@60", harness.REGISTRY_MODE])
            self.assertEqual(checked, "The check of this file: " + failed_start)
            # The backdrop had the activation; the dialog has it back, with its focus, and keys
            # reach it again: Escape closes it (nothing was changed, so nothing is asked).
            self.assertEqual(drive("active"), ["1"])
            self.assertEqual(drive("focus"), ["try"])

            # With no mode that fits, STRICT shows its box, which is noted even when it is closed
            # the moment it is seen; its text ends its sentence.
            drive("deselect", "heights", "600")
            drive("select", "heights", "768")
            drive("check", "strict", "1")
            drive("check", "backdrop", "0")
            stops = verdict()
            for attempt in range(3):
                drive("click", "try")
                caption, message = drive("launcher-box", "ok", "0")
                self.assertEqual((caption, message), harness.NO_MODE_BOX)
                drive("wait-enabled", "try")
                showed, seen, checked = text("try-report").split("\r\n")
                self.assertEqual(showed, "Kavelo2.exe ran and showed: Kavelo2: " + message.rstrip("\r"),
                                 f"try {attempt + 1}")
                self.assertEqual(modes_in(seen), [harness.REGISTRY_MODE, harness.REGISTRY_MODE], f"try {attempt + 1}")
                self.assertEqual(checked, "The check of this file: " + stops, f"try {attempt + 1}")
            # Saved as a file elsewhere, the window no longer shows the try of this one.
            elsewhere = installation.folder / "B" / "Kavelo2.ini"
            elsewhere.parent.mkdir()
            drive("menu", "save-as")
            drive("file-dialog", harness.win_path(elsewhere))
            self.wait_for(lambda: text("file") == harness.win_path(elsewhere), "Save As did not save")
            self.assertEqual((text("try-label"), text("try-report")), ("&Last try:", ""))
            drive("keys", "escape")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)

    def test_save_as_into_another_folder_about_and_the_user_guide(self):
        installation = self.settings_installation()
        installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        other = installation.folder / "B" / "other.ini"
        other.parent.mkdir()
        here, there = (harness.win_path(folder / "x.exe") for folder in (installation.folder, other.parent))
        for program in (here, there):
            self.addCleanup(harness.run_text, "reg", "delete", harness.LAYERS_KEY, "/v", program, "/f")
        # The application the new file's launcher would start holds a value that is no text.
        harness.run_text("reg", "add", harness.LAYERS_KEY, "/v", there, "/t", "REG_DWORD", "/d", "1", "/f")
        with harness.windows_version("win7", "Kavelo2Settings.exe"), SettingsDialog(installation) as dialog:
            drive("check", "strict", "1")
            drive("set-text", "application", "x.exe")
            self.wait_for(lambda: "x.exe, for this user: none." in text("layers-note"), "x.exe was not settled")
            drive("check", "run-640x480", "1")
            drive("menu", "save-as")
            drive("file-dialog", harness.win_path(other))
            # The file is saved; the settings it carries over to B\x.exe cannot be written there,
            # and the window says both, keeps the new name and shows the registry's value.
            caption, message = drive("box", "ok")
            self.assertEqual(message, f"other.ini was saved.\n\nThe compatibility layers of {there} are left as they "
                                      "are: they are a value of registry type 4, which is not text.")
            self.wait_for_title("other.ini - Kavelo2 Settings")
            self.assertEqual(harness.encode_config(other.read_bytes()),
                             b"WIDTH:800\r\nHEIGHT:600\r\nSTRICT:1\r\nPATH:x.exe\r\n")
            self.assertEqual(harness.encode_config((installation.folder / "Kavelo2.ini").read_bytes()),
                             b"WIDTH:800\r\nHEIGHT:600\r\n")
            self.assertEqual(text("file"), harness.win_path(other))
            self.assertIn("45 bytes", text("form"))
            self.assertIn("registry type 4", text("layers-note"))
            self.assertEqual(drive("checked", "run-640x480"), ["0"])
            # Once the value is gone, the group is the new file's application's: written there alone.
            harness.run_text("reg", "delete", harness.LAYERS_KEY, "/v", there, "/f")
            drive("set-text", "application", "x.exe")
            self.wait_for(lambda: "x.exe, for this user: none." in text("layers-note"), "x.exe was not read again")
            drive("check", "run-640x480", "1")
            drive("keys", "ctrl+s")
            self.wait_for_title("other.ini - Kavelo2 Settings")
            self.assertEqual(harness.registry_data(harness.LAYERS_KEY, there), "640X480")
            self.assertIsNone(harness.registry_data(harness.LAYERS_KEY, here))

            drive("menu", "about")
            caption, message = drive("box", "ok")
            self.assertEqual(caption, "Kavelo2 Settings")
            self.assertTrue(message.startswith("Kavelo2 Settings 2.0.0\n"), message)
            # F1 opens the guide beside the program, or says that there is none; the build puts it
            # beside the programs.
            drive("keys", "f1")
            caption, message = drive("box", "ok")
            self.assertIn("There is no user-guide.txt beside Kavelo2Settings.exe", message)
            shutil.copy(harness.BIN / "user-guide.txt", installation.folder)
            drive("keys", "f1")
            self.assertEqual(drive("window", "user-guide.txt"), ["user-guide.txt - Notepad"])
            drive("click", "cancel")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)

    def test_a_file_that_cannot_be_read_is_told_before_the_window_opens(self):
        installation = self.settings_installation()
        (installation.folder / "Kavelo2.ini").mkdir()
        process = harness.start_windows_program(installation.folder / SETTINGS.name)
        try:
            caption, message, owner = drive("startup-box", "ok")
            self.assertEqual(caption, "Kavelo2 Settings")
            self.assertTrue(message.startswith(harness.win_path(installation.folder / "Kavelo2.ini") +
                                               " cannot be opened.\n\n"), message)
            # The window is never shown: the box stands on its own.
            self.assertEqual(owner, "no owner")
            self.assertEqual(harness.wait_for_exit(process), 1)
        finally:
            harness.end_if_running(process)

    def test_a_renamed_launchers_folder_and_the_files_that_would_take_over(self):
        installation = self.settings_installation()
        shutil.copy(harness.BIN / harness.LAUNCHER, installation.folder / "Show.exe")
        (installation.folder / harness.LAUNCHER).unlink()
        show = installation.write("Show.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        # Started without a file, as from its icon, it opens the file that Show.exe reads.
        with SettingsDialog(installation) as dialog:
            self.assertEqual(dialog.title, "Show.ini - Kavelo2 Settings")
            self.assertEqual(text("file"), harness.win_path(show))
            self.assertTrue(text("form").startswith("Read by Show.exe. "), text("form"))
            drive("check", "backdrop", "1")
            drive("click", "save")
            self.wait_for_title("Show.ini - Kavelo2 Settings")
            # Save As a Kavelo2.ini, which Show.exe would then read: while that is asked, the window
            # still shows the file it has, and No keeps it so.
            drive("menu", "save-as")
            drive("file-dialog", harness.win_path(installation.folder / "Kavelo2.ini"))
            caption, message = drive("box", "open")
            self.assertEqual(message, "Saving creates Kavelo2.ini, which Show.exe then reads instead of Show.ini. "
                                      "Create it anyway?")
            shown = (drive("title")[0], text("file"), text("form"))
            self.assertEqual(shown[:2], ("Show.ini - Kavelo2 Settings", harness.win_path(show)))
            self.assertIn("35 bytes", shown[2])
            drive("box", "no")
            self.assertEqual((drive("title")[0], text("file"), text("form")), shown)
            drive("click", "cancel")
            drive("wait-gone")
        self.assertEqual(harness.encode_config(show.read_bytes()), b"WIDTH:800\r\nHEIGHT:600\r\nBACKDROP:1\r\n")
        self.assertEqual(sorted(path.name for path in installation.folder.iterdir()),
                         ["Kavelo2Settings.exe", "Show.exe", "Show.ini"])

        # A new Kavelo2.ini would take Show.exe away from Show.ini: saving asks first; and a file
        # with which the launcher would do nothing asks too.
        kavelo2_ini = installation.folder / "Kavelo2.ini"
        with SettingsDialog(installation, harness.win_path(kavelo2_ini)) as dialog:
            drive("check", "strict", "1")
            drive("keys", "ctrl+s")
            caption, message = drive("box", "no")
            self.assertEqual(message, "With no width, height, depth or rate selected, the launcher starts nothing "
                                      "and shows nothing. Save Kavelo2.ini anyway?")
            drive("select", "widths", "640")
            drive("keys", "ctrl+s")
            caption, message = drive("box", "no")
            self.assertTrue(message.startswith("Saving creates Kavelo2.ini,"), message)
            self.assertFalse(kavelo2_ini.exists())
            drive("click", "cancel")
            drive("box", "no")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)
        self.assertFalse(kavelo2_ini.exists())

    def test_the_frame_fits_an_800x600_desktop_and_repaints_whole(self):
        installation = self.settings_installation()
        installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\nDEPTH:32,24\r\nBACKDROP:1\r\n"
                                          "PATH:PROJECTOR.EXE\r\n")
        installation.add_application()
        display = harness.RUNNING.display
        with SettingsDialog(installation) as dialog:
            # Opened on the 1024x768 desktop, then the display goes to 800x600, as a launcher that
            # was ended by force leaves it: the frame moves to stay inside.
            stop = self.work_dir() / "hold.stop"
            stop.unlink(missing_ok=True)
            said = self.work_dir() / "hold.out"
            with open(said, "wb") as out:
                holder = harness.start_windows_program(DISPLAY_MODE, "hold", "800x600", harness.win_path(stop),
                                                       stdout=out)
            try:
                self.assertTrue(harness.wait_for_mode("800x600x32@60"),
                                f"the display did not switch: {said.read_text()!r}, {holder.poll()}")
                self.wait_for(lambda: self.frame()[1] == (0, 0, 800, 600), "the work area did not follow")
                left, top, right, bottom = self.frame()[0]
                self.assertLessEqual((right - left, bottom - top), (800, 560))
                # Every label and check box is wide enough for its text, and a try's report of five
                # lines shows whole.
                self.assertEqual(drive("clipped"), [])
                self.assertGreaterEqual(int(drive("rows", "try-report")[0]), 5)
                self.assertTrue(0 <= left and 0 <= top and right <= 800 and bottom <= 600, self.frame())
                SCREENSHOT.parent.mkdir(parents=True, exist_ok=True)
                subprocess.run(["import", "-display", display, "-window", "root", "-crop", "800x600+0+0",
                                str(SCREENSHOT)], check=True, timeout=60)
                # A window over the dialog leaves nothing behind when it closes.
                before = self.work_dir() / "before.png"
                after = self.work_dir() / "after.png"
                crop = f"{right - left - 16}x{bottom - top - 60}+{left + 8}+{top + 52}"
                subprocess.run(["import", "-display", display, "-window", "root", "-crop", crop, str(before)],
                               check=True, timeout=60)
                drive("menu", "about")
                drive("box", "ok")
                time.sleep(0.5)
                subprocess.run(["import", "-display", display, "-window", "root", "-crop", crop, str(after)],
                               check=True, timeout=60)
                differing = subprocess.run(["compare", "-metric", "AE", str(before), str(after), "null:"],
                                           capture_output=True, text=True, timeout=60).stderr.strip()
                self.assertEqual(differing, "0")
            finally:
                # The holder puts the display back itself: one ended by force may leave the
                # desktop refusing every switch for a while.
                stop.touch()
                harness.wait_for_exit(holder)
            drive("click", "cancel")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)
        self.assertTrue(SCREENSHOT.read_bytes().startswith(b"\x89PNG"))

    def test_puts_the_display_back_and_sets_the_applications_own_settings(self):
        installation = self.settings_installation()
        installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:16\r\nPATH:Game\\GAME.EXE\r\n")
        game = harness.win_path(installation.add_application("Game/GAME.EXE"))
        self.addCleanup(harness.run_text, "reg", "delete", harness.LAYERS_KEY, "/v", game, "/f")
        harness.run_text("reg", "add", harness.LAYERS_KEY, "/v", game, "/d", "~ RUNASADMIN", "/f")
        # A launcher ended by force leaves the display switched (until its application ends).
        launcher = installation.start_held()
        self.addCleanup(harness.end_if_running, launcher)
        self.assertTrue(harness.wait_for_mode("640x480x32@60"), "the launcher did not switch")
        with harness.windows_version("win10", "Kavelo2Settings.exe"), SettingsDialog(installation) as dialog:
            # While the launcher runs, its application has the mode: asked first, No leaves it.
            drive("menu", "restore")
            caption, message = drive("box", "no")
            self.assertTrue(message.startswith("A launcher is running, and its application runs in the display "
                                               "mode the launcher switched to."), message)
            self.assertEqual(harness.current_mode(), "640x480x32@60")
            launcher.kill()
            launcher.wait()
            drive("menu", "restore")
            caption, message = drive("box", "ok")
            self.assertEqual(message, "Mode before: 640x480x32@60\nRegistry mode: 1024x768x32@60\n"
                                      "Answer: DISP_CHANGE_SUCCESSFUL\nMode after: 1024x768x32@60\n\n"
                                      "The display is back in the registry mode, 1024x768x32@60.")
            self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)

            # Windows 10 only emulates 16 bits for the launcher: the application needs its own
            # reduced colour mode, which the group sets, and the verdict follows at once.
            # The path gives way in its middle to fit the line.
            self.assertEqual(text("layers-note"), f'For {game[:48]}...\\GAME.EXE, for this user: "~ RUNASADMIN".')
            self.assertIn("16 bits per pixel is only emulated", verdict())
            drive("choose", "colour", "16-bit (65536 colours)")
            drive("check", "no-full-screen-optimisations", "1")
            self.assertTrue(verdict().startswith("result: "), verdict())
            self.assertEqual(drive("title")[0], "*Kavelo2.ini - Kavelo2 Settings")
            drive("keys", "ctrl+s")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            self.assertEqual(harness.registry_data(harness.LAYERS_KEY, game),
                             "~ RUNASADMIN 16BITCOLOR DISABLEDXMAXIMIZEDWINDOWEDMODE")
            # Off again: the choice stays the user's while the application is typed away and back,
            # and saving then keeps the other name; with none left, the value goes.
            drive("choose", "colour", "Off")
            drive("check", "no-full-screen-optimisations", "0")
            for typed in ("Game\\GAME.EX", "Game\\GAME.EXE"):
                drive("set-text", "application", typed)
                self.wait_for(lambda: f"\\{typed[5:]}, for this user" in text("layers-note"), f"{typed} was not settled")
            self.assertEqual(drive("selected", "colour"), ["Off"])
            self.assertEqual(drive("checked", "no-full-screen-optimisations"), ["0"])
            self.assertEqual(drive("title")[0], "*Kavelo2.ini - Kavelo2 Settings")
            drive("keys", "ctrl+s")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            self.assertEqual(harness.registry_data(harness.LAYERS_KEY, game), "~ RUNASADMIN")
            harness.run_text("reg", "delete", harness.LAYERS_KEY, "/v", game, "/f")
            drive("check", "run-640x480", "1")
            drive("keys", "ctrl+s")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            self.assertEqual(harness.registry_data(harness.LAYERS_KEY, game), "~ 640X480")
            drive("check", "run-640x480", "0")
            drive("keys", "ctrl+s")
            self.wait_for_title("Kavelo2.ini - Kavelo2 Settings")
            self.assertIsNone(harness.registry_data(harness.LAYERS_KEY, game))
            drive("click", "cancel")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)
        # The application's end, which would have put the display back too, changes nothing now.
        installation.release_held()
        self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)

    def test_a_folder_the_code_page_cannot_spell_is_told_and_the_dialog_stays(self):
        # Wine gives this prefix the Western code page (1252) under the host's C.UTF-8 locale; a
        # Cyrillic code page would need a Cyrillic locale on the host, which this machine lacks, so
        # only the name 1252 cannot spell is tried here.
        installation = self.settings_installation()
        cyrillic = installation.folder / "Папка"
        config = installation.write("Папка/Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        shutil.copy(SETTINGS, cyrillic)
        other = installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\n")
        shown = harness.win_path(installation.folder) + "\\?????\\Kavelo2.ini"
        told = shown + ": "  # then why, naming the code page
        # Given on the command line (as a drop on the program gives it), and as the program's own
        # folder when it is started from there without one.
        for case, program, args in (("given", installation.folder / SETTINGS.name, [harness.win_path(config)]),
                                    ("its own folder", cyrillic / SETTINGS.name, [])):
            with self.subTest(case):
                process = harness.start_windows_program(program, *args)
                try:
                    self.assertEqual(drive("find")[0], "Kavelo2.ini - Kavelo2 Settings")
                    # Said before the window is shown: the box stands on its own.
                    caption, message, owner = drive("startup-box", "ok")
                    self.assertEqual((caption, owner), ("Kavelo2 Settings", "no owner"))
                    self.assertTrue(message.startswith(told), message)
                    self.assertIn("(1252)", message)
                    self.assertIn("not the launcher", message)
                    self.assertEqual(text("file"), shown)
                    if case != "given":
                        drive("click", "cancel")
                        drive("wait-gone")
                        self.assertEqual(harness.wait_for_exit(process), 0)
                        continue
                    # An empty document that no save can write there, which the file's line and the
                    # refusal say in words; the file stays as it was.
                    self.assertIn("(1252)", text("form"))
                    drive("select", "widths", "800")
                    drive("click", "save")
                    caption, message = drive("box", "ok")
                    self.assertTrue(message.startswith("Kavelo2.ini was not saved.\n\n" + told), message)
                    self.assertNotIn("Windows error", message)
                    self.assertEqual(harness.encode_config(config.read_bytes()), b"WIDTH:800\r\nHEIGHT:600\r\n")
                    # File > Open opens another file, and the dialog goes on with it.
                    drive("menu", "open")
                    drive("box", "no")  # the unsaved change goes
                    drive("file-dialog", harness.win_path(other))
                    self.wait_for(lambda: text("file") == harness.win_path(other), "the other file did not open")
                    self.assertEqual(drive("selected", "widths"), ["640"])
                    drive("click", "cancel")
                    drive("wait-gone")
                    self.assertEqual(harness.wait_for_exit(process), 0)
                finally:
                    harness.end_if_running(process)

    def test_names_stand_in_the_explanation_as_the_code_page_spells_them(self):
        # "Café" is spelt in 1252: the file line and the explanation both show it as it is, where
        # kavelo2-config escapes it for the console.
        installation = self.settings_installation()
        config = installation.write("Café/Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        with SettingsDialog(installation, harness.win_path(config)) as dialog:
            folder = harness.win_path(installation.folder) + "\\Café\\"
            self.assertEqual(text("file"), folder + "Kavelo2.ini")
            explanation = text("explanation")
            self.assertIn(folder + "PROJECTOR.EXE", explanation)
            self.assertNotIn("\\xE9", explanation)
            drive("click", "cancel")
            drive("wait-gone")
            self.assertEqual(harness.wait_for_exit(dialog.process), 0)

    def frame(self):
        """The dialog's frame and the work area, each as (left, top, right, bottom)."""
        numbers = [int(word) for word in drive("frame")[0].split(" ") if word != "in"]
        return tuple(numbers[:4]), tuple(numbers[4:])

    def work_dir(self):
        folder = harness.WORK / "runs" / self.id().rsplit(".", 1)[-1]
        folder.mkdir(parents=True, exist_ok=True)
        return folder

    def wait_for(self, condition, message):
        deadline = time.monotonic() + harness.READY_TIMEOUT
        while not condition():
            if time.monotonic() > deadline:
                self.fail(message)
            time.sleep(0.1)

    def wait_for_title(self, title):
        deadline = time.monotonic() + harness.READY_TIMEOUT
        while drive("title")[0] != title:
            if time.monotonic() > deadline:
                self.fail(f"the title did not become {title!r}")
            time.sleep(0.1)


if __name__ == "__main__":
    unittest.main()
