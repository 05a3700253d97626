"""Which build the end-to-end tests run, and with which Wine (wine_env.py), against stand-in
loaders: one that answers --version, one that the kernel refuses to execute (as a kernel without
32-bit execution refuses the 32-bit loader: "Exec format error"), one that fails, one that is
not there. No Wine runs here."""
import contextlib
import dataclasses
import io
import struct
import tempfile
import unittest
from pathlib import Path
from unittest import mock

import wine_env

ARCH = wine_env.ARCH_VARIABLE


class BuildChoiceTest(unittest.TestCase):

    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = Path(folder.name)
        self.loaders = {
            "runs": self.loader("runs", b"#!/bin/sh\necho wine-8.0\n"),
            # No format the kernel knows: execve answers ENOEXEC.
            "refused": self.loader("refused", bytes(64)),
            "fails": self.loader("fails", b"#!/bin/sh\nexit 1\n"),
            "missing": str(self.folder / "missing"),
        }

    def loader(self, name, content):
        path = self.folder / name
        path.write_bytes(content)
        path.chmod(0o755)
        return str(path)

    def builds(self, i686, x86_64="runs"):
        """The two builds with stand-in loaders of the given kinds."""
        return {arch: dataclasses.replace(wine_env.BUILDS[arch], loader=self.loaders[kind])
                for arch, kind in (("i686", i686), ("x86_64", x86_64))}

    def test_detection(self):
        # (case, the 32-bit loader, the build chosen, words of the reason)
        cases = [
            ("32-bit code runs", "runs", "i686", "this machine runs 32-bit code"),
            ("the kernel refuses the 32-bit loader", "refused", "x86_64", "Exec format error"),
            ("the 32-bit loader fails", "fails", "x86_64", "--version failed with status 1"),
            ("no 32-bit Wine installed", "missing", "x86_64", "No such file or directory"),
        ]
        for case, loader, expected, reason_words in cases:
            with self.subTest(case):
                builds = self.builds(loader)
                build, reason = wine_env.choose({}, builds)
                self.assertEqual(build, builds[expected])
                self.assertIn(reason_words, reason)
                if expected == "x86_64":
                    self.assertIn(builds["i686"].loader, reason)

    def test_forced_choices(self):
        # (case, KAVELO2_E2E_ARCH, the 32-bit and 64-bit loaders, the build chosen or None for an
        #  error, words of the reason or of the error)
        cases = [
            ("i686 where it runs", "i686", "runs", "runs", "i686", f"forced by {ARCH}=i686"),
            ("x86_64 where i686 would be chosen", "x86_64", "runs", "runs", "x86_64",
             f"forced by {ARCH}=x86_64"),
            ("i686 where the kernel refuses it", "i686", "refused", "runs", None,
             f"{ARCH}=i686, but the 32-bit Wine cannot run here: "),
            ("x86_64 without the 64-bit Wine", "x86_64", "runs", "missing", None,
             f"{ARCH}=x86_64, but the 64-bit Wine cannot run here: "),
            ("an unknown build", "arm64", "runs", "runs", None, "expected one of i686, x86_64"),
        ]
        for case, forced, i686, x86_64, expected, words in cases:
            with self.subTest(case):
                builds = self.builds(i686, x86_64)
                if expected is None:
                    with self.assertRaises(wine_env.ChoiceError) as raised:
                        wine_env.choose({ARCH: forced}, builds)
                    self.assertIn(words, str(raised.exception))
                else:
                    self.assertEqual(wine_env.choose({ARCH: forced}, builds),
                                     (builds[expected], words))

    def test_no_wine_at_all(self):
        with self.assertRaises(wine_env.ChoiceError) as raised:
            wine_env.choose({}, self.builds("refused", "missing"))
        self.assertIn("no Wine runs here", str(raised.exception))

    def run_main(self, *argv, i686="runs", forced=None):
        """wine_env.py's command line with the stand-in loaders: (status, stdout, stderr)."""
        out, err = io.StringIO(), io.StringIO()
        # An empty KAVELO2_E2E_ARCH forces nothing.
        with mock.patch.object(wine_env, "BUILDS", self.builds(i686)), \
                mock.patch.dict(wine_env.os.environ, {ARCH: forced or ""}), \
                contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
            status = wine_env.main(list(argv))
        return status, out.getvalue(), err.getvalue()

    def test_command_line_form(self):
        status, out, err = self.run_main("choose", i686="refused")
        self.assertEqual(status, 0)
        self.assertEqual(out, "arch=x86_64 tree=build/windows-x86_64 "
                              "toolchain=cmake/mingw-w64-x86_64.cmake\n")
        self.assertTrue(err.startswith("build under test: x86_64 (a test build of the same "
                                       "sources, never shipped) under 64-bit Wine "), err)

        # A forced build that cannot run fails at once: no assignments for a script to use, no
        # environment started.
        work = self.folder / "work"
        for action in (["choose"], ["start", "--work", str(work)]):
            with self.subTest(action[0]):
                status, out, err = self.run_main(*action, i686="refused", forced="i686")
                self.assertEqual((status, out), (1, ""))
                self.assertIn(f"wine environment: {ARCH}=i686, but the 32-bit Wine cannot run "
                              f"here: {self.loaders['refused']} does not execute (Exec format "
                              "error)", err)
                self.assertFalse(work.exists())

    def program(self, folder, name, machine):
        """A file with just the headers of a Windows program for the given machine."""
        folder.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(b"MZ" + bytes(58) + struct.pack("<I", 64) + b"PE\0\0" +
                                    struct.pack("<H", machine))

    def test_start_checks_the_chosen_programs_first(self):
        # (case, machine of the programs, of the helpers, words of the error or None)
        i386, amd64 = 0x014C, 0x8664
        cases = [
            ("the build's programs", i386, i386, None),
            ("programs of the other build", amd64, amd64,
             "Kavelo2.exe is not a program of the i686 build"),
            ("a helper of the other build", i386, amd64,
             "standin_app.exe is not a program of the i686 build"),
            ("no programs", None, None, "build it with cmake -S . -B build/windows "
                                        "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake"),
        ]
        for case, programs, helpers, error in cases:
            with self.subTest(case):
                tree = self.folder / case
                if programs:
                    self.program(tree / "bin", "Kavelo2.exe", programs)
                    self.program(tree / "bin", "PROJECTOR.EXE", programs)
                    self.program(tree / "test-programs", "standin_app.exe", helpers)
                else:
                    (tree / "bin").mkdir(parents=True)
                builds = self.builds("runs")
                if error is None:
                    self.assertEqual(wine_env.check_programs(builds["i686"], tree / "bin"),
                                     (tree / "bin").resolve())
                    continue
                with self.assertRaises(RuntimeError) as raised:
                    wine_env.check_programs(builds["i686"], tree / "bin")
                self.assertIn(error, str(raised.exception))
                # start says which build it chose in its first line, then fails before it starts
                # anything.
                work = tree / "work"
                status, out, err = self.run_main("start", "--work", str(work),
                                                 "--programs", f"i686={tree / 'bin'}")
                self.assertEqual(status, 1)
                self.assertEqual(out.splitlines(),
                                 [wine_env.describe(builds["i686"], "this machine runs 32-bit code")])
                self.assertIn(error, err)
                self.assertFalse(work.exists())

    def test_start_without_the_chosen_build(self):
        status, _, err = self.run_main("start", "--work", str(self.folder / "work"),
                                       "--programs", f"x86_64={self.folder}")
        self.assertEqual(status, 1)
        self.assertIn("the i686 build is not in the folders given: build it with cmake", err)


if __name__ == "__main__":
    unittest.main()
