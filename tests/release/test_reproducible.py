"""The same sources built in two different folders give the same bytes: every program and the
release zip. The Windows build at hand (KAVELO2_WINDOWS_BIN's folder) makes its package; a second
build copies the sources to a folder of its own, under a name of another length, and builds the
programs and the package in a build folder of its own.

    KAVELO2_WINDOWS_BIN   the Windows build's bin folder
"""
import filecmp
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILT = Path(os.environ.get("KAVELO2_WINDOWS_BIN", "")).parent


def source_files():
    listed = subprocess.run(["git", "-C", str(ROOT), "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], check=True, capture_output=True).stdout
    return [name for name in listed.decode().split("\0") if name and (ROOT / name).is_file()]


def release_date():
    """The date both packages carry: the sources' last commit's, which the copy, being no git
    repository, cannot look up itself."""
    commit = subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"], check=True,
                            capture_output=True, text=True)
    return commit.stdout.strip()


def build_package(build_folder):
    """Builds what the package holds: its programs and the plain-text guide beside them (the test
    programs, which ship nowhere, are left out), then the package."""
    for target in ("user_guide", "package"):
        subprocess.run(["cmake", "--build", str(build_folder), "--target", target, "-j",
                        str(os.cpu_count() or 1)], check=True, capture_output=True,
                       env={**os.environ, "SOURCE_DATE_EPOCH": release_date()})


def build_copy(source, build_folder):
    for name in source_files():
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(ROOT / name, source / name)
    toolchain = source / "cmake/mingw-w64-i686.cmake"
    subprocess.run(["cmake", "-S", str(source), "-B", str(build_folder),
                    f"-DCMAKE_TOOLCHAIN_FILE={toolchain}"], check=True, capture_output=True)
    build_package(build_folder)


class ReproducibleBuildTest(unittest.TestCase):

    def test_another_folder_gives_identical_programs_and_zip(self):
        build_package(BUILT)
        with tempfile.TemporaryDirectory() as folder:
            other = Path(folder) / "out/windows-build"
            build_copy(Path(folder) / "another-place/sources", other)
            for part in ("bin", "release"):
                names = sorted(path.name for path in (BUILT / part).iterdir())
                self.assertTrue(names, part)
                _, differ, missing = filecmp.cmpfiles(BUILT / part, other / part, names, shallow=False)
                self.assertEqual((differ, missing), ([], []), part)


if __name__ == "__main__":
    unittest.main()
