"""kavelo2-config.exe under Wine: the live display catalogue of the 1024x768 desktop, checks
against it that agree with what the launcher then does (WAITALL with a stub that starts the real
program included), exit statuses and byte-exact streams, the way back after a launcher that was
ended by force and beside one that runs, the depth Windows 8 and later only emulate, an
application Windows starts only with administrator rights, an application's compatibility layers
as the registry holds them, a file the code page cannot spell (by its full path or named relative
to such a folder), and a plain text saved as UTF-8 encoded for the launcher."""
import re
import time
import unittest

import harness

TOOL = harness.BIN / "kavelo2-config.exe"
LAYERS_HELPER = harness.HELPERS / "app_layers.exe"

# The desktop's catalogue: nine sizes at 32, then 16, then 8 bits, all at 60 Hz.
SIZES = ["320x200", "320x240", "400x300", "512x384", "640x400", "640x480", "768x576", "800x600",
         "1024x768"]
DESKTOP_MODES = [f"{size}x{bits}@60" for bits in (32, 16, 8) for size in SIZES]


def chosen(report):
    """The choice as the report's selection line gives it: "N of M: MODE, strict" (or relaxed), or
    "none" when no mode fits; the words around it are the golden reports' (tools/kavelo2-config/tests)."""
    match = re.search(r"^selection: mode (\d+ of \d+: [^,]+), in the (strict|relaxed) pass", report, re.MULTILINE)
    if match:
        return f"{match[1]}, {match[2]}"
    return "none" if re.search(r"^selection: no mode fits", report, re.MULTILINE) else None


def labelled(report):
    """The report's "label: value" lines as a dict (restore's and the settings' lines)."""
    return dict(re.findall(r"^([a-zA-Z ]+):\s+(.*)$", report, re.MULTILINE))


def run_tool(*args, stdin=b"", cwd=None):
    """Runs the tool under Wine; returns (status, standard output bytes, standard error text)."""
    status, out, err = harness.run_console(TOOL, *args, stdin=stdin, cwd=cwd)
    return status, out, err.decode("latin-1")


class ConfigToolTest(harness.EndToEndTest):

    def test_modes_lists_the_desktop_catalogue(self):
        status, out, err = run_tool("modes")
        self.assertEqual((status, err), (0, ""))
        numbered = [f"mode {n} of 27: {mode}" for n, mode in enumerate(DESKTOP_MODES, 1)]
        self.assertEqual(out.decode().split("\n"), numbered + [""])

    @harness.windows_version("win7", "kavelo2-config.exe")
    def test_check_against_the_display_agrees_with_the_launcher(self):
        # (case, plain text, the choice, what the result line says the switch asks for, the tool's
        #  exit status, the mode the application sees or None when nothing starts)
        cases = [
            ("strict pass", "WIDTH:800\r\nHEIGHT:600\r\n", "8 of 27: 800x600x32@60, strict", "800x600", 0, "800x600"),
            ("24 bits stand in for 32", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:24\r\n",
             "6 of 27: 640x480x32@60, relaxed", "640x480", 0, "640x480"),
            # The display offers 60 Hz alone: the application runs, but not at the rate the file asks.
            ("frequency relaxed", "WIDTH:640\r\nHEIGHT:480\r\nFREQ:75\r\n",
             "6 of 27: 640x480x32@60, relaxed", "640x480", 3, "640x480"),
            # The desktop goes on reporting 32 bits after a 16-bit switch: the request is what
            # can be seen, in the taskbar's notice.
            ("16 bits", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:16\r\n",
             "15 of 27: 640x480x16@60, strict", "640x480", 0, "640x480"),
            # Only the width is named: the desktop keeps its height and refuses 640x768.
            ("width alone", "WIDTH:640\r\n", "5 of 27: 640x400x32@60, strict", "640x768", 3, "1024x768"),
            ("width alone and strict", "WIDTH:640\r\nSTRICT:1\r\n", "5 of 27: 640x400x32@60, strict", "640x768",
             1, None),
            ("no mode, application in the current mode", "WIDTH:1280\r\n", "none", "current display mode", 3,
             "1024x768"),
            ("no mode and strict", "WIDTH:1280\r\nSTRICT:1\r\n", "none", "stops", 1, None),
        ]
        for case, text, choice, asked, expected_status, seen in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case)
                config = installation.write("Kavelo2.ini", text)
                installation.add_application()
                status, out, err = run_tool("check", harness.win_path(config), "--modes", "display")
                report = out.decode()
                self.assertEqual(chosen(report), choice, report)
                self.assertIn(asked, report.splitlines()[-1], report)
                self.assertEqual(status, expected_status, err)

                result = harness.launch(installation)
                if seen is None:
                    self.assertEqual(result.starts, [])
                    self.assertEqual(len(result.boxes), 1)
                else:
                    self.assertEqual(len(result.starts), 1)
                    start = result.starts[0]
                    self.assertEqual(f"{start['mode_width']}x{start['mode_height']}", seen)
                if case == "16 bits":
                    self.assertEqual(result.notices, [(16, 640 | 480 << 16)])

    def test_exit_statuses_and_one_error_line(self):
        folder = harness.WORK / "runs" / "config_tool_statuses"
        folder.mkdir(parents=True, exist_ok=True)
        files = {
            "good.ini": harness.encode_config("WIDTH:800\r\n"),
            "plain.ini": b"WIDTH:800\r\nHEIGHT:600\r\n",
            "empty.ini": b"",
            "ignored.ini": harness.encode_config("WIDTH:800\r\nHEIGHT :600\r\n"),
            "elsewhere.ini": harness.encode_config("WIDTH:800\r\nPATH:GAME.EXE\r\n"),
        }
        for name, content in files.items():
            (folder / name).write_bytes(content)
        (folder / "PROJECTOR.EXE").write_bytes((harness.HELPERS / harness.STANDIN).read_bytes())
        # (case, arguments, status, what the error line names)
        cases = [
            ("runs", ["check", folder / "good.ini"], 0, None),
            ("missing file", ["check", folder / "absent.ini"], 2, "cannot open"),
            ("plain text", ["check", folder / "plain.ini"], 1, "kavelo2-config encode"),
            ("ignored entry", ["check", folder / "ignored.ini"], 3, 'line 2: ignored: '),
            ("missing application", ["check", folder / "elsewhere.ini"], 1, harness.win_path(folder / "GAME.EXE")),
            ("empty file", ["check", folder / "empty.ini"], 1, "empty"),
            ("usage", ["frobnicate", "x"], 2, "unknown command"),
            ("help", ["/?"], 0, None),
            # A lone name is a file to check, also when it is not there.
            ("lone missing file", [folder / "absent.ini"], 2, "cannot open"),
            ("a folder", ["check", folder], 2, harness.win_path(folder / "Kavelo2.ini")),
            ("a device name", ["encode", folder / "plain.ini", folder / "con.ini"], 2, "device CON"),
            # A launcher's folder that is not on this machine: the application is not looked for.
            ("folder of another machine", ["check", folder / "elsewhere.ini", "--program-dir", "C:\\Show"], 0, None),
        ]
        for case, args, expected, error in cases:
            with self.subTest(case):
                args = [harness.win_path(a) if not isinstance(a, str) else a for a in args]
                status, _, err = run_tool(*args)
                self.assertEqual(status, expected)
                if error is None:
                    self.assertEqual(err, "")
                else:
                    self.assertEqual(len(err.splitlines()), 1, err)
                    self.assertIn(error, err)

    def test_a_lone_file_argument_is_checked_against_the_display(self):
        # What dropping the file on the program gives; with no console of its own the tool ends
        # at once rather than wait for a key.
        installation = self.installation()
        config = installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        installation.add_application()
        status, out, err = run_tool(harness.win_path(config))
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(chosen(out.decode()), "8 of 27: 800x600x32@60, strict", out.decode())
        self.assertNotIn("Press any key", out.decode())

    def test_restore_puts_back_the_display_after_a_forced_end_of_the_launcher(self):
        # Measured: a launcher ended by force while its application runs leaves the display
        # switched until that application ends, when Wine returns it by itself; the stand-in runs
        # until the restore has come.
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        installation.add_application()
        launcher = installation.start_held()
        try:
            self.assertTrue(harness.wait_for_mode("800x600x32@60"), "the launcher did not switch")
            launcher.kill()
            launcher.wait()
            time.sleep(1.0)
            self.assertEqual(harness.current_mode(), "800x600x32@60", "the forced end undid the switch")

            status, out, err = run_tool("restore")
            self.assertEqual((status, err), (0, ""))
            told = labelled(out.decode())
            self.assertEqual([told.get(label) for label in ("mode before", "registry mode", "answer", "mode after")],
                             ["800x600x32@60", harness.REGISTRY_MODE, "DISP_CHANGE_SUCCESSFUL", harness.REGISTRY_MODE],
                             out)
            self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)

            # The stand-in's end, which would have returned the display too, changes nothing now.
            installation.release_held()
            self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)
            status, out, _ = run_tool("restore")
            self.assertEqual(status, 0)
            self.assertEqual(labelled(out.decode()).get("mode before"), harness.REGISTRY_MODE, out)
        finally:
            harness.end_if_running(launcher)

    def test_restore_beside_a_running_launcher_is_refused_then_forced(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\n")
        installation.add_application()
        launcher = installation.start_held()
        try:
            self.assertTrue(harness.wait_for_mode("800x600x32@60"), "the launcher did not switch")
            # Its application runs in the mode it chose: left as it is.
            status, out, err = run_tool("restore")
            self.assertEqual((status, out), (3, b""))
            self.assertEqual(len(err.splitlines()), 1, err)
            self.assertIn("restore --force", err)
            self.assertEqual(harness.current_mode(), "800x600x32@60")

            status, out, err = run_tool("restore", "--force")
            self.assertEqual((status, err), (0, ""))
            told = labelled(out.decode())
            self.assertTrue(told.get("launcher", "").startswith("running"), out)
            self.assertEqual([told.get(label) for label in ("mode before", "answer", "mode after")],
                             ["800x600x32@60", "DISP_CHANGE_SUCCESSFUL", harness.REGISTRY_MODE], out)
            self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)
            # The launcher goes on waiting for its application, and its own return at the end
            # finds the display where it was put.
            installation.release_held()
            self.assertEqual(harness.wait_for_exit(launcher), 0)
            self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)
            self.assertEqual(len([start for start in installation.starts() if "phase" not in start]), 1)
        finally:
            harness.end_if_running(launcher)
        # With the launcher gone, nothing holds the return back.
        self.assertEqual(run_tool("restore")[0], 0)

    def test_the_prediction_for_waitall_is_what_the_launcher_does_with_a_stub(self):
        # The application's program file is a stub that starts the real program (the stand-in,
        # which starts a helper of its own) and exits at once.
        # (case, configuration, whether the check tells the wait, the size the programs see at their
        #  end)
        cases = [("without WAITALL", "WIDTH:640\r\nHEIGHT:480\r\n", False, "1024x768"),
                 ("with WAITALL", "WIDTH:640\r\nHEIGHT:480\r\nWAITALL:1\r\n", True, "640x480")]
        for case, config, waits, seen_at_end in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                app = harness.StubbedApplication(self.installation(case), config, standin_ms=2000, helper_ms=3500)
                status, out, err = run_tool("check", harness.win_path(app.config), "--modes", "display")
                report = out.decode()
                self.assertEqual((status, err), (0, ""))
                self.assertEqual(chosen(report), "6 of 27: 640x480x32@60, strict", report)
                self.assertEqual(labelled(report).get("WAITALL"), "on" if waits else "off", report)
                # The result says how long the switch lasts: until every program's end, or the stub's.
                result = report.splitlines()[-1]
                self.assertTrue(result.startswith("result: "), report)
                self.assertEqual("every program it starts" in result, waits, report)

                status, ended_ms, observed = app.run()
                stubs, programs = app.records()
                self.assertEqual((status, observed.boxes, len(observed.notices), len(stubs)), (0, [], 1, 1))
                (standin, standin_end), (helper, helper_end) = programs["standin_app.exe"], programs["helper.exe"]
                self.assertIsNotNone(helper_end, "the helper did not record its end")
                self.assertEqual([harness.seen_size(r) for r in (standin, helper)], ["640x480", "640x480"])
                self.assertEqual([harness.seen_size(r) for r in (standin_end, helper_end)], [seen_at_end] * 2)
                # The switch lasted as long as the check said: until the last program's end with
                # WAITALL, until the stub's end without.
                self.assertEqual(ended_ms >= int(helper_end["time_ms"]), waits)
                self.assertTrue(harness.wait_for_mode(harness.REGISTRY_MODE), "the display did not come back")
                # The helper is waited for, so that it cannot touch the next case's desktop.
                deadline = time.monotonic() + harness.RUN_TIMEOUT
                while int(helper_end["time_ms"]) > time.time() * 1000 and time.monotonic() < deadline:
                    time.sleep(0.1)

    def test_a_file_the_code_page_cannot_spell_is_told_so(self):
        # Wine gives this prefix the Western code page (1252): a Cyrillic folder is one it cannot
        # spell, so no ANSI call reaches the file, and the tool says so rather than "cannot open".
        installation = self.installation()
        config = installation.write("Папка/Kavelo2.ini", "WIDTH:800\r\n")
        folder = harness.win_path(installation.folder) + "\\?????"
        # (arguments, the name the line shows)
        cases = [(["check", harness.win_path(config)], folder + "\\Kavelo2.ini"),
                 ([harness.win_path(config)], folder + "\\Kavelo2.ini"),
                 (["encode", "-", harness.win_path(config)], folder + "\\Kavelo2.ini"),
                 (["check", "-", "--program-dir", harness.win_path(config.parent)], folder)]
        # Named relative to a current folder the code page cannot spell, by the full path.
        relative = [(["check", "Kavelo2.ini"], folder + "\\Kavelo2.ini"),
                    (["Kavelo2.ini"], folder + "\\Kavelo2.ini"),
                    (["encode", "-", "Kavelo2.ini"], folder + "\\Kavelo2.ini"),
                    (["check", "-", "--program-dir", "."], folder)]
        for args, shown, cwd in [(a, s, None) for a, s in cases] + [(a, s, config.parent) for a, s in relative]:
            with self.subTest(args=args, cwd=cwd):
                status, out, err = run_tool(*args, stdin=b"WIDTH:640\r\n", cwd=cwd)
                self.assertEqual((status, out), (2, b""))
                self.assertEqual(len(err.splitlines()), 1, err)
                self.assertTrue(err.startswith(f"kavelo2-config: {shown}: "), err)
                self.assertIn("(1252)", err)  # the code page, rather than a file that cannot be opened
        self.assertEqual(harness.encode_config(config.read_bytes()), b"WIDTH:800\r\n")

    def test_a_depth_under_32_bits_is_told_emulated_from_windows_8_on(self):
        installation = self.installation()
        config = installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:16\r\n")
        installation.add_application()
        # (Wine's version for the tool, the version the report names, status, whether a depth line
        #  tells the depth emulated)
        cases = [("win7", "6.1.", 0, False), ("win10", "10.0.", 3, True)]
        for version, named, expected, emulated in cases:
            with self.subTest(version), harness.windows_version(version, "kavelo2-config.exe"):
                status, out, err = run_tool("check", harness.win_path(config), "--modes", "display")
                report = out.decode()
                self.assertEqual(status, expected, err)
                self.assertTrue(labelled(report).get("Windows", "").startswith(named), report)
                self.assertEqual(chosen(report), "15 of 27: 640x480x16@60, strict", report)
                depth = labelled(report).get("depth")
                self.assertEqual(depth is not None, emulated, report)
                if emulated:
                    # About the application the launcher starts, and the verdict is that line's.
                    self.assertIn(harness.win_path(installation.folder / "PROJECTOR.EXE"), depth)
                    self.assertIn(depth, err)

    def test_an_application_the_launcher_cannot_start_fails_the_check_as_it_fails_the_run(self):
        # A text file has no program header: Windows refuses it and the launcher shows its box. The
        # launcher itself as its application starts a copy that ends at once, since one launcher
        # runs at a time: no application runs, and nothing is shown.
        for case, path, boxes in (("a text file", "readme.txt", 1), ("the launcher itself", "Kavelo2.exe", 0)):
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case)
                config = installation.write("Kavelo2.ini", f"WIDTH:640\r\nHEIGHT:480\r\nPATH:{path}\r\n")
                installation.write("readme.txt", b"Start the show with Kavelo2.exe.\r\n")
                status, out, err = run_tool("check", harness.win_path(config), "--modes", "display")
                self.assertEqual(status, 1, out)
                self.assertIn("fails to start", out.decode().splitlines()[-1])

                result = harness.launch(installation)
                self.assertEqual(result.starts, [])
                self.assertEqual([caption for caption, _ in result.boxes], ["Kavelo2 Error"] * boxes)
                self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)

    def test_an_application_windows_takes_for_an_installer_is_a_failed_start(self):
        # From Windows Vista on, a 32-bit program that asks for no level of rights and is named
        # like an installer starts only with a request for administrator rights, which the
        # launcher never makes. The tool reads the program's head through Windows' own file calls.
        installation = self.installation()
        config = installation.write("Kavelo2.ini", "WIDTH:800\r\nHEIGHT:600\r\nPATH:SETUP.EXE\r\n")
        setup = harness.win_path(installation.add_application("SETUP.EXE"))
        with harness.windows_version("win7", "kavelo2-config.exe"):
            status, out, err = run_tool("check", harness.win_path(config))
        if harness.BUILD.arch == "i686":
            self.assertEqual(status, 1, out)
            self.assertEqual(len(err.splitlines()), 1, err)
            self.assertIn(f"line 3: Windows takes {setup} for an installer", err)
        else:
            # The x86_64 test build's stand-in is a 64-bit program, which Windows never takes for one.
            self.assertEqual((status, err), (0, ""), out)

    def test_layers_are_written_read_back_and_removed_keeping_the_other_names(self):
        installation = self.installation()
        config = installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:16\r\nPATH:GAME.EXE\r\n")
        game = harness.win_path(installation.add_application("GAME.EXE"))
        self.addCleanup(harness.run_text, "reg", "delete", harness.LAYERS_KEY, "/v", game, "/f")

        def layers_line():
            status, out, _ = run_tool("check", harness.win_path(config), "--modes", "display")
            line = next(l for l in out.decode().splitlines() if l.startswith("compatibility layers"))
            return status, line

        with harness.windows_version("win10", "kavelo2-config.exe", "app_layers.exe"):
            self.assertEqual(layers_line(), (3, "compatibility layers for this user: none"))
            # Names the Compatibility tab wrote before stay, and in their places.
            harness.run_text("reg", "add", harness.LAYERS_KEY, "/v", game, "/d", "~ RUNASADMIN WINXPSP3", "/f")
            # (settings, the value reg query then shows, the checker's status)
            steps = [(["16"], "~ RUNASADMIN 16BITCOLOR WINXPSP3", 0),
                     (["8", "640x480", "nofso"],
                      "~ RUNASADMIN 256COLOR 640X480 DISABLEDXMAXIMIZEDWINDOWEDMODE WINXPSP3", 3),
                     ([], "~ RUNASADMIN WINXPSP3", 3)]
            for settings, value, expected in steps:
                with self.subTest(settings=settings):
                    status, out = harness.run_text(LAYERS_HELPER, "set", game, *settings)
                    self.assertEqual(status, 0, out)
                    self.assertEqual(harness.registry_data(harness.LAYERS_KEY, game), value)
                    self.assertEqual(harness.run_text(LAYERS_HELPER, "get", game), (0, f'"{value}"\n'))
                    self.assertEqual(layers_line(), (expected, f'compatibility layers for this user: "{value}"'))
            # Nothing left at all: the value goes.
            harness.run_text("reg", "add", harness.LAYERS_KEY, "/v", game, "/d", "~ 16BITCOLOR", "/f")
            self.assertEqual(harness.run_text(LAYERS_HELPER, "clear", game)[0], 0)
            self.assertIsNone(harness.registry_data(harness.LAYERS_KEY, game))
            self.assertEqual(layers_line(), (3, "compatibility layers for this user: none"))

        # Before Windows 8 the names stand alone, and there is no 16-bit reduced colour mode.
        with harness.windows_version("win7", "app_layers.exe"):
            status, out = harness.run_text(LAYERS_HELPER, "set", game, "16")
            self.assertEqual(status, 1)
            self.assertIn("16BITCOLOR", out)
            self.assertIsNone(harness.registry_data(harness.LAYERS_KEY, game))
            self.assertEqual(harness.run_text(LAYERS_HELPER, "set", game, "8", "640x480")[0], 0)
            self.assertEqual(harness.registry_data(harness.LAYERS_KEY, game), "256COLOR 640X480")

    def test_layers_of_a_program_on_a_network_share_are_refused(self):
        share = "\\\\server\\share\\games\\GAME.EXE"
        status, out = harness.run_text(LAYERS_HELPER, "set", share, "8")
        self.assertEqual(status, 1)
        self.assertIn("\\\\server\\share,", out)  # the share it lies on
        self.assertIsNone(harness.registry_data(harness.LAYERS_KEY, share))

    def test_a_plain_text_saved_as_utf8_runs_in_its_mode_once_encoded(self):
        # What an editor's "UTF-8" writes: a byte order mark before the first key. Encoded with it,
        # the launcher would not know the key, take HEIGHT alone and keep the desktop's 1024x768.
        installation = self.installation()
        plain = installation.write("plain.txt", b"\xef\xbb\xbfWIDTH:640\r\nHEIGHT:480\r\n")
        config = installation.folder / "Kavelo2.ini"
        installation.add_application()
        status, _, err = run_tool("encode", harness.win_path(plain), harness.win_path(config))
        self.assertEqual(status, 0)
        self.assertEqual(len(err.splitlines()), 1, err)
        self.assertIn("byte order mark", err)
        self.assertEqual(config.read_bytes(), harness.encode_config("WIDTH:640\r\nHEIGHT:480\r\n"))
        status, out, err = run_tool("check", harness.win_path(config), "--modes", "display")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(chosen(out.decode()), "6 of 27: 640x480x32@60, strict", out.decode())

        result = harness.launch(installation)
        self.assertEqual(len(result.starts), 1)
        self.assertEqual(harness.seen_size(result.starts[0]), "640x480")

    def test_streams_carry_bytes_unchanged(self):
        # Every byte value, line ends included: no newline translation on either stream.
        text = bytes(range(256)) + b"WIDTH:640\r\n\n\r"
        status, stored, err = run_tool("encode", stdin=text)
        self.assertEqual((status, stored), (0, harness.encode_config(text)))
        status, plain, _ = run_tool("decode", stdin=stored)
        self.assertEqual((status, plain), (0, text))


if __name__ == "__main__":
    unittest.main()
