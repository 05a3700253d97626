"""The demo, from the outside.

    KAVELO2_DEMO_OUT       where the demo left its screenshot
"""
import os
import subprocess
import unittest
from pathlib import Path

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
