"""Finding and reading the configuration file, seen from the outside: which file counts, and
that a file without mode entries ends the run quietly."""
import unittest

import harness

# No display mode is that wide: without STRICT the application starts in the current mode, so a
# start proves that this file was read.
READ_MARK = "WIDTH:123\r\n"
# The same with STRICT shows a box, so a box proves that this file was read.
STRICT_MARK = "WIDTH:123\r\nSTRICT:1\r\n"


class ConfigurationFileTest(harness.EndToEndTest):

    def test_runs_without_mode_entries_end_quietly(self):
        # (case, launcher's file name, files beside it, the box expected or None)
        cases = [
            ("no file", "Kavelo2.exe", {}, harness.MISSING_FILE_BOX),
            # The empty first candidate counts; the second is not tried.
            ("empty file", "Show.exe", {"Kavelo2.ini": b"", "Show.ini": STRICT_MARK}, None),
            ("plain text", "Kavelo2.exe", {"Kavelo2.ini": STRICT_MARK.encode()}, None),
            ("only path, strict and backdrop", "Kavelo2.exe",
             {"Kavelo2.ini": "PATH:PROJECTOR.EXE\r\nSTRICT:1\r\nBACKDROP:1\r\n"}, None),
        ]
        for case, launcher_name, files, box in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case, launcher_name)
                for name, content in files.items():
                    installation.write(name, content)
                installation.add_application()
                result = harness.launch(installation)
                self.assertEqual(result.boxes, [box] if box else [])
                self.assertEqual(result.starts, [], "nothing may be started")
                self.assertEqual(result.notices, [])
                self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
                self.assertEqual(result.status, 0)

    def test_which_candidate_is_read(self):
        # The second candidate is the launcher's name up to its first dot, with ".ini".
        # (case, files beside "start.old.exe")
        cases = [
            ("second candidate alone", {"start.ini": READ_MARK}),
            ("first candidate wins", {"Kavelo2.ini": READ_MARK, "start.ini": STRICT_MARK}),
        ]
        for case, files in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case, "start.old.exe")
                for name, content in files.items():
                    installation.write(name, content)
                installation.add_application()
                result = harness.launch(installation)
                self.assertEqual(result.boxes, [])
                self.assertEqual(len(result.starts), 1, "the application starts once")
                self.assertEqual(result.status, 0)

    def test_only_the_first_998_bytes_count(self):
        # The width entry is cut at byte 998 and read as 64, which fits no mode: the strict run
        # shows its box, whereas the whole 640 with 480 would fit and start.
        head = "STRICT:1\r\nHEIGHT:480\r\n"
        text = head + ";" * (998 - len(head) - len("WIDTH:64")) + "WIDTH:640\r\n"
        installation = self.installation()
        installation.write("Kavelo2.ini", text)
        installation.add_application()
        result = harness.launch(installation)
        self.assertEqual(result.boxes, [harness.NO_MODE_BOX])
        self.assertEqual(result.starts, [])
        self.assertEqual(result.status, 0)


if __name__ == "__main__":
    unittest.main()
