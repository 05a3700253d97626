"""kavelo2-config.exe under Wine: the live display catalogue of the 1024x768 desktop, checks
against it that agree with what the launcher then does, exit statuses and byte-exact streams."""
import unittest

import harness

TOOL = harness.BIN / "kavelo2-config.exe"

# The desktop's catalogue: nine sizes at 32, then 16, then 8 bits, all at 60 Hz.
SIZES = ["320x200", "320x240", "400x300", "512x384", "640x400", "640x480", "768x576", "800x600",
         "1024x768"]
DESKTOP_MODES = [f"{size}x{bits}@60" for bits in (32, 16, 8) for size in SIZES]


def run_tool(*args, stdin=b""):
    """Runs the tool under Wine; returns (status, standard output bytes, standard error text)."""
    status, out, err = harness.run_console(TOOL, *args, stdin=stdin)
    return status, out, err.decode("latin-1")


class ConfigToolTest(harness.EndToEndTest):

    def test_modes_lists_the_desktop_catalogue(self):
        status, out, err = run_tool("modes")
        self.assertEqual((status, err), (0, ""))
        numbered = [f"mode {n} of 27: {mode}" for n, mode in enumerate(DESKTOP_MODES, 1)]
        self.assertEqual(out.decode().split("\n"), numbered + [""])

    def test_check_against_the_display_agrees_with_the_launcher(self):
        # (case, plain text, what the tool says, its exit status, the mode the application sees
        #  or None when nothing starts)
        cases = [
            ("strict pass", "WIDTH:800\r\nHEIGHT:600\r\n",
             "mode 8 of 27: 800x600x32@60, in the strict pass", 0, "800x600"),
            ("24 bits stand in for 32", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:24\r\n",
             "mode 6 of 27: 640x480x32@60, in the relaxed pass", 0, "640x480"),
            ("frequency relaxed", "WIDTH:640\r\nHEIGHT:480\r\nFREQ:75\r\n",
             "mode 6 of 27: 640x480x32@60, in the relaxed pass, FieldMask 0x00180000", 0, "640x480"),
            # The desktop goes on reporting 32 bits after a 16-bit switch: the request is what
            # can be seen, in the taskbar's notice.
            ("16 bits", "WIDTH:640\r\nHEIGHT:480\r\nDEPTH:16\r\n",
             "mode 15 of 27: 640x480x16@60, in the strict pass", 0, "640x480"),
            # Only the width is named: the desktop keeps its height and refuses 640x768.
            ("width alone", "WIDTH:640\r\n",
             "asks for 640x768 at 32 bits, which the display will most likely refuse", 3, "1024x768"),
            ("width alone and strict", "WIDTH:640\r\nSTRICT:1\r\n",
             "the display will most likely refuse 640x768 at 32 bits", 1, None),
            ("no mode, application in the current mode", "WIDTH:1280\r\n",
             "selection: no mode fits, in either pass: the display offers no width 1280; the nearest "
             "size it offers is 1024x768", 3, "1024x768"),
            ("no mode and strict", "WIDTH:1280\r\nSTRICT:1\r\n", "selection: no mode fits", 1, None),
        ]
        for case, text, selection, expected_status, seen in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case)
                config = installation.write("Kavelo2.ini", text)
                installation.add_application()
                status, out, err = run_tool("check", harness.win_path(config), "--modes", "display")
                self.assertIn(selection, out.decode())
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
        (folder / "PROJECTOR.EXE").write_bytes(b"")
        # (case, arguments, status, text in the error line)
        cases = [
            ("runs", ["check", folder / "good.ini"], 0, None),
            ("missing file", ["check", folder / "absent.ini"], 2, "cannot open"),
            ("plain text", ["check", folder / "plain.ini"], 1, "encode it first"),
            ("ignored entry", ["check", folder / "ignored.ini"], 3, "but not as the file says"),
            ("missing application", ["check", folder / "elsewhere.ini"], 1,
             "there is no file " + harness.win_path(folder / "GAME.EXE")),
            ("empty file", ["check", folder / "empty.ini"], 1, "the file is empty"),
            ("usage", ["frobnicate"], 2, "unknown command"),
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
        self.assertIn("modes: 27, from the display\nselection: mode 8 of 27: 800x600x32@60", out.decode())
        self.assertNotIn("Press any key", out.decode())

    def test_streams_carry_bytes_unchanged(self):
        # Every byte value, line ends included: no newline translation on either stream.
        text = bytes(range(256)) + b"WIDTH:640\r\n\n\r"
        status, stored, err = run_tool("encode", stdin=text)
        self.assertEqual((status, stored), (0, harness.encode_config(text)))
        status, plain, _ = run_tool("decode", stdin=stored)
        self.assertEqual((status, plain), (0, text))


if __name__ == "__main__":
    unittest.main()
