"""The launcher's run as a whole: what happens when no display mode fits, and that only one
launcher runs at a time."""
import time
import unittest

import harness

class NoFittingModeTest(harness.EndToEndTest):

    def test_strict_run_shows_its_box_and_starts_nothing(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:123\r\nSTRICT:1\r\n")
        installation.add_application()
        result = harness.launch(installation)
        self.assertEqual(result.boxes, [harness.NO_MODE_BOX])  # the text ends with a CR
        self.assertEqual(result.starts, [])
        self.assertEqual(result.notices, [])
        self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
        self.assertEqual(result.status, 0)

    def test_lenient_run_starts_the_application_in_the_current_mode(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:123\r\nBACKDROP:1\r\n")
        installation.add_application()
        result = harness.launch(installation)
        self.assertEqual(result.boxes, [])
        self.assertEqual(len(result.starts), 1)
        start = result.starts[0]
        self.assertEqual((start["mode_width"], start["mode_height"]), ("1024", "768"))
        self.assertEqual(start["backdrop"], "0", "no backdrop without a chosen mode")
        self.assertEqual(result.notices, [], "nothing was switched, so nothing is announced")
        self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
        self.assertEqual(result.status, 0)


class SingleInstanceTest(harness.EndToEndTest):

    def test_second_launcher_ends_at_once_while_the_first_waits(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\n")
        installation.add_application()
        with harness.DesktopWatch(installation.root) as observed:
            first = installation.start(run_ms=4000)
            self.addCleanup(harness.end_if_running, first)
            deadline = time.monotonic() + harness.READY_TIMEOUT
            while not installation.starts() and time.monotonic() < deadline:
                time.sleep(0.05)
            self.assertEqual(len(installation.starts()), 1, "the first launcher started nothing")

            status, seconds = installation.run()
            mode_meanwhile = harness.current_mode()
            self.assertEqual(harness.wait_for_exit(first), 0)

        self.assertEqual(status, 0)
        self.assertLess(seconds, 2.5, "the second launcher must not wait for the application")
        self.assertEqual(mode_meanwhile, "640x480x32@60", "the second launcher touched the display")
        self.assertEqual(len(installation.starts()), 1, "only the first launcher starts the application")
        self.assertEqual(observed.boxes, [])
        self.assertEqual(len(observed.notices), 1, "only the first launcher switches")
        self.assertEqual(harness.current_mode(), harness.REGISTRY_MODE)


if __name__ == "__main__":
    unittest.main()
