"""The release package and the demo, from the outside.

    KAVELO2_WINDOWS_BUILD  the Windows build folder (its CPackConfig.cmake makes the package)
    KAVELO2_RELEASE_OUT    where the package test puts the zip
    KAVELO2_DEMO_OUT       where the demo left its screenshot
"""
import os
import subprocess
import unittest
import zipfile
from pathlib import Path

SAMPLES = Path(__file__).resolve().parents[3] / "samples"
TOP = "Kavelo2-2.0.0-win32/"


class PackageTest(unittest.TestCase):

    def test_zip_holds_the_programs_the_sample_and_the_guide(self):
        build = Path(os.environ["KAVELO2_WINDOWS_BUILD"])
        out = Path(os.environ["KAVELO2_RELEASE_OUT"])
        subprocess.run(["cpack", "--config", str(build / "CPackConfig.cmake"), "-B", str(out)],
                       check=True, stdout=subprocess.DEVNULL)
        with zipfile.ZipFile(out / "Kavelo2-2.0.0-win32.zip") as package:
            files = {name[len(TOP):] for name in package.namelist()
                     if name.startswith(TOP) and not name.endswith("/")}
            self.assertEqual(files, {
                "Kavelo2.exe", "Lisko.exe", "kavelo2-config.exe", "user-guide.txt",
                "sample/Kavelo2.txt", "sample/Kavelo2.ini", "sample/PROJECTOR.EXE"})
            for program in ("Kavelo2.exe", "Lisko.exe", "kavelo2-config.exe", "sample/PROJECTOR.EXE"):
                self.assertEqual(package.read(TOP + program)[:2], b"MZ", program)
            # The sample files go out byte for byte: the launcher reads every byte.
            for sample in ("Kavelo2.txt", "Kavelo2.ini"):
                self.assertEqual(package.read(TOP + "sample/" + sample),
                                 (SAMPLES / sample).read_bytes(), sample)
            self.assertIn(b"kavelo2-config check", package.read(TOP + "user-guide.txt"))


class DemoScreenshotTest(unittest.TestCase):

    def test_screenshot_shows_the_sample_application(self):
        screenshot = Path(os.environ["KAVELO2_DEMO_OUT"]) / "demo-screenshot.png"
        self.assertTrue(screenshot.is_file(), f"{screenshot} is missing")
        self.assertEqual(screenshot.read_bytes()[:8], b"\x89PNG\r\n\x1a\n")
        width, height, colours = subprocess.run(
            ["identify", "-format", "%w %h %k", str(screenshot)], check=True,
            capture_output=True, text=True).stdout.split()
        self.assertEqual((width, height), ("1024", "768"))
        # A black or empty screen has one colour; PROJECTOR's window and text bring many.
        self.assertGreater(int(colours), 10)


if __name__ == "__main__":
    unittest.main()
