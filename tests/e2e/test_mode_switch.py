"""Switching the display for the application's run: the mode chosen, the notice to the taskbar
and the return to the registry mode afterwards."""
import unittest

import harness


def display_change(bits, width, height):
    """wParam and lParam of the WM_DISPLAYCHANGE that announces a mode."""
    return (bits, width | height << 16)


class ModeSwitchTest(harness.EndToEndTest):

    def test_application_runs_in_the_chosen_mode(self):
        # (case, configuration, mode the application sees) ; the desktop offers 32, 16 and 8 bits
        # at 60 Hz only.
        cases = [
            ("exact", "width:640\r\nHeight:480\r\n", (640, 480, 32)),
            ("depth 24 taken as 32", "WIDTH:800\nHEIGHT:600\nDEPTH:24\n", (800, 600, 32)),
            ("frequency dropped", "WIDTH:640;HEIGHT:480;FREQ:85", (640, 480, 32)),
            # The display's order decides, not the order of the values: 640x480 comes first.
            ("catalogue order", "WIDTH:1000,800,640\r\nHEIGHT:600,480\r\n", (640, 480, 32)),
        ]
        for case, config, (width, height, bits) in cases:
            with self.subTest(case):
                self.start_from_registry_mode()
                installation = self.installation(case)
                installation.write("Kavelo2.ini", config)
                installation.add_application()
                result = harness.launch(installation)
                self.assertEqual(result.boxes, [])
                self.assertEqual(len(result.starts), 1)
                start = result.starts[0]
                seen = tuple(int(start[key]) for key in ("mode_width", "mode_height", "mode_bits"))
                self.assertEqual(seen, (width, height, bits))
                self.assertEqual(result.notices, [display_change(bits, width, height)])
                self.assertEqual(result.mode_after, harness.REGISTRY_MODE, "display not restored")
                self.assertEqual(result.status, 0)

    def test_missing_application_after_a_switch_still_restores(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\nSTRICT:1\r\n")
        result = harness.launch(installation)
        path = harness.win_path(installation.folder) + "\\PROJECTOR.EXE"
        self.assertEqual(result.boxes, [harness.missing_application_box(path)])
        self.assertEqual(result.notices, [display_change(32, 640, 480)])
        self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
        self.assertEqual(result.status, 0)


class BackdropTest(harness.EndToEndTest):

    def test_black_window_covers_the_screen_while_the_application_runs(self):
        installation = self.installation()
        installation.write("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\nBACKDROP:1\r\n")
        installation.add_application()
        result = harness.launch(installation)
        self.assertEqual(result.boxes, [])
        self.assertEqual(len(result.starts), 1)
        start = result.starts[0]
        self.assertEqual(start["backdrop"], "1")
        # As large as the larger of the old and the new mode, at (0, 0).
        rect = tuple(int(start[f"backdrop_{side}"]) for side in ("left", "top", "right", "bottom"))
        self.assertEqual(rect, (0, 0, 1024, 768))
        style = int(start["backdrop_style"], 16)
        self.assertEqual(style & 0x80000000, 0x80000000, "a popup window")
        self.assertEqual(style & 0x00CC0000, 0, "no caption, border or frame")
        self.assertEqual(start["backdrop_visible"], "1")
        self.assertEqual(start["backdrop_topmost"], "0")
        self.assertEqual(start["backdrop_title"], "")
        self.assertEqual(start["backdrop_pixel"], "0x00000000", "black")
        # The launcher's thread services the window while it waits for the application.
        self.assertEqual(start["backdrop_responds"], "1")
        self.assertLess(int(start["backdrop_response_ms"]), 1000)
        self.assertEqual(result.mode_after, harness.REGISTRY_MODE)
        self.assertEqual(result.status, 0)


if __name__ == "__main__":
    unittest.main()
