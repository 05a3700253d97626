"""The same sources built in two different folders give the same bytes: every program and the
release zip. Each build copies the sources to a folder of its own (names of different lengths)
and builds the Windows programs and the package in a build folder of its own.
"""
import filecmp
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def source_files():
    listed = subprocess.run(["git", "-C", str(ROOT), "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], check=True, capture_output=True).stdout
    return [name for name in listed.decode().split("\0") if name and (ROOT / name).is_file()]


def build(source, build_folder):
    for name in source_files():
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(ROOT / name, source / name)
    toolchain = source / "cmake/mingw-w64-i686.cmake"
    subprocess.run(["cmake", "-S", str(source), "-B", str(build_folder),
                    f"-DCMAKE_TOOLCHAIN_FILE={toolchain}"], check=True, capture_output=True)
    subprocess.run(["cmake", "--build", str(build_folder), "--target", "package", "-j",
                    str(os.cpu_count() or 1)], check=True, capture_output=True)


class ReproducibleBuildTest(unittest.TestCase):

    def test_two_folders_give_identical_programs_and_zip(self):
        with tempfile.TemporaryDirectory() as folder:
            first = (Path(folder) / "a/src", Path(folder) / "a/build")
            second = (Path(folder) / "another-place/sources", Path(folder) / "out/windows-build")
            for source, build_folder in (first, second):
                build(source, build_folder)
            for part in ("bin", "release"):
                names = sorted(path.name for path in (first[1] / part).iterdir())
                self.assertTrue(names, part)
                _, differ, missing = filecmp.cmpfiles(first[1] / part, second[1] / part, names,
                                                      shallow=False)
                self.assertEqual((differ, missing), ([], []), part)


if __name__ == "__main__":
    unittest.main()
