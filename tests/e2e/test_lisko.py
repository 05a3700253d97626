"""Lisko under Wine: the list file it writes and the lines it prints.

Each test lays out its own folder WORK/runs/lisko_<test>/ with run/, UserMP3s/ and fsxml/ side by
side, and starts Lisko with run/ as the current directory. Wine lists a folder in the host's
order, so a list with several entries is compared as its header, its footer and the entry lines
in any order; every byte is still checked.
"""
import itertools
import re
import shutil
import unittest
from pathlib import Path

import harness

LISKO = "Lisko.exe"

HEADER = b"<mp3s>\r\n"
FOOTER = b"</mp3s>\r\n"
EMPTY_LIST = HEADER + FOOTER
OLD_LIST = HEADER + b"\t<filename>an old song with a long name.mp3</filename>\r\n" * 3 + FOOTER


def entry_line(name):
    """One entry line as stored: the name's bytes, with each line feed stored as CR LF."""
    return b"\t<filename>" + name.replace(b"\n", b"\r\n") + b"</filename>\r\n"


def all_paths(root):
    return sorted(str(path.relative_to(root)) for path in Path(root).rglob("*"))


class Layout:
    """run/, UserMP3s/ and fsxml/ in a fresh folder; Lisko itself lies in program/."""

    def __init__(self, root, music=True, fsxml=True):
        self.root = Path(root)
        if self.root.exists():
            shutil.rmtree(self.root)
        self.run = self.root / "run"
        self.music = self.root / "UserMP3s"
        self.list_path = self.root / "fsxml" / "usermp3.xml"
        self.run.mkdir(parents=True)
        if music:
            self.music.mkdir()
        if fsxml:
            self.list_path.parent.mkdir()
        self.program = self.root / "program" / LISKO
        self.program.parent.mkdir()
        shutil.copy(harness.BIN / LISKO, self.program)

    def add_files(self, *names):
        for name in names:
            (self.music / name).write_bytes(b"")

    def add_folders(self, *names):
        for name in names:
            (self.music / name).mkdir()

    def run_lisko(self, cwd=None):
        """Runs Lisko from run/ (or cwd); returns (exit status, printed bytes)."""
        status, printed, _ = harness.run_console(self.program, cwd=cwd or self.run)
        return status, printed

    def stored(self):
        return self.list_path.read_bytes()


class LiskoTest(unittest.TestCase):

    def layout(self, **kwargs):
        test = self.id().rsplit(".", 1)[-1]
        folder = re.sub(r"[^A-Za-z0-9]+", "_", "lisko_" + test)
        return Layout(harness.WORK / "runs" / folder, **kwargs)

    def assertListHolds(self, stored, names):
        """The list holds exactly one line for each name (bytes), in any order."""
        lines = [entry_line(name) for name in names]
        self.assertTrue(stored.startswith(HEADER) and stored.endswith(FOOTER), stored)
        body = stored[len(HEADER):len(stored) - len(FOOTER)]
        self.assertEqual(len(body), sum(map(len, lines)), stored)
        self.assertTrue(any(b"".join(order) == body for order in itertools.permutations(lines)),
                        f"{stored!r} does not hold the lines of {names!r}")

    def test_lists_files_and_subfolders_but_no_full_stop_names(self):
        layout = self.layout()
        layout.add_files("a.mp3", "b.mp3", "a&<b>.mp3", ".hidden.mp3", "notes.txt")
        layout.add_folders("Live", ".config")
        layout.list_path.write_bytes(OLD_LIST + b"x" * 2000)

        self.assertEqual(layout.run_lisko(), (0, b""))
        self.assertListHolds(layout.stored(),
                             [b"a.mp3", b"b.mp3", b"a&<b>.mp3", b"notes.txt", b"Live"])

    def test_two_files_give_the_75_bytes_of_the_example(self):
        layout = self.layout()
        layout.add_files("a.mp3", "b.mp3")

        self.assertEqual(layout.run_lisko(), (0, b""))
        stored = layout.stored()
        self.assertEqual(len(stored), 75)
        self.assertListHolds(stored, [b"a.mp3", b"b.mp3"])

    def test_names_are_narrowed_to_the_low_bytes_of_their_units(self):
        # (host name, bytes in the list)
        cases = [
            ("x\u010ay.mp3", b"x\ny.mp3"),  # stored as CR LF
            ("caf\u00e9.mp3", b"caf\xe9.mp3"),
            ("\u20ac5.mp3", b"\xac5.mp3"),
            ("\U0001f3b5.mp3", b"\x3c\xb5.mp3"),  # a surrogate pair: two bytes
        ]
        layout = self.layout()
        layout.add_files(*(name for name, _ in cases))

        self.assertEqual(layout.run_lisko(), (0, b""))
        self.assertListHolds(layout.stored(), [narrowed for _, narrowed in cases])

    def test_an_empty_folder_gives_17_bytes(self):
        layout = self.layout()
        layout.list_path.write_bytes(OLD_LIST)

        self.assertEqual(layout.run_lisko(), (0, b""))
        self.assertEqual(layout.stored(), EMPTY_LIST)

    def test_a_missing_music_folder_is_reported_and_the_old_list_is_lost(self):
        layout = self.layout(music=False)
        layout.list_path.write_bytes(OLD_LIST)

        self.assertEqual(layout.run_lisko(), (0, b"Invalid file handle. Error is 3.\r\n"))
        self.assertEqual(layout.stored(), HEADER)

    def test_a_missing_list_folder_is_not_mentioned(self):
        layout = self.layout(fsxml=False)
        layout.add_files("a.mp3")
        before = all_paths(layout.root)

        self.assertEqual(layout.run_lisko(), (0, b""))
        self.assertEqual(all_paths(layout.root), before)

    def test_paths_are_relative_to_the_current_directory(self):
        # Lisko lies in program/ beside a music folder and a list folder of its own; it is started
        # from elsewhere/run/ and must use elsewhere/UserMP3s/ and elsewhere/fsxml/.
        layout = self.layout()
        layout.add_files("beside the program.mp3")
        other = layout.root / "elsewhere"
        for folder in ("run", "UserMP3s", "fsxml"):
            (other / folder).mkdir(parents=True)
        (other / "UserMP3s" / "there.mp3").write_bytes(b"")

        self.assertEqual(layout.run_lisko(cwd=other / "run"), (0, b""))
        self.assertListHolds((other / "fsxml" / "usermp3.xml").read_bytes(), [b"there.mp3"])
        self.assertFalse(layout.list_path.exists())


if __name__ == "__main__":
    unittest.main()
