"""Starting the application: which program, with which command line and current directory, and
the box for a program that is not there."""
import unittest

import harness

# No mode is that wide, so these runs start the application without switching the display.
NO_SWITCH = "WIDTH:123\r\n"


class LaunchTest(harness.EndToEndTest):

    def test_application_start(self):
        # (case, PATH entry or None, where the program lies: "install" or "outside", its
        # relative name, current directory: "install" or "elsewhere")
        cases = [
            ("default, started from elsewhere", None, "install", "PROJECTOR.EXE", "elsewhere"),
            ("relative path with blank", "PATH:media/Show Time.exe", "install",
             "media/Show Time.exe", "install"),
            ("absolute path", "PATH:{outside}/player.exe", "outside", "player.exe", "elsewhere"),
        ]
        for case, path_entry, base, relative, cwd in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case)
                folders = {"install": installation.folder,
                           "outside": installation.root / "other apps",
                           "elsewhere": installation.root / "elsewhere"}
                folders["elsewhere"].mkdir()
                # Written with slashes: the launcher turns them into backslashes.
                outside = harness.win_path(folders["outside"]).replace("\\", "/")
                config = NO_SWITCH + (path_entry.format(outside=outside) + "\r\n" if path_entry else "")
                installation.write("Kavelo2.ini", config)
                program = installation.add_application(relative, base=folders[base])

                result = harness.launch(installation, cwd=folders[cwd])
                self.assertEqual(result.boxes, [])
                self.assertEqual(result.status, 0)
                self.assertEqual(len(result.starts), 1)
                start = result.starts[0]
                # No placement, show state or handles from the launcher. The record's size is the
                # stand-in's own build's (68 bytes in i686, 104 in x86_64): the programs that ran
                # are the build under test.
                self.assertEqual(start["startup_flags"], "0x00000000")
                self.assertEqual(int(start["startup_cb"]), harness.BUILD.startupinfo_size)
                self.assertEqual(start["module_path"], harness.win_path(program))
                self.assertEqual(start["current_directory"], harness.win_path(folders[cwd]))
                # No arguments: the command line is the program's path alone, perhaps quoted.
                self.assertEqual(start["command_line"].strip().strip('"'), harness.win_path(program))

    def test_missing_application_shows_its_path(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", NO_SWITCH)
        result = harness.launch(installation)
        expected_path = harness.win_path(installation.folder) + "\\PROJECTOR.EXE"
        self.assertEqual(result.boxes, [harness.missing_application_box(expected_path)])
        self.assertEqual(result.starts, [])
        self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
        self.assertEqual(result.status, 0)


if __name__ == "__main__":
    unittest.main()
