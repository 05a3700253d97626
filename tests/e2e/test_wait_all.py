"""An application whose start-up stub starts the real program and exits: without WAITALL the
display returns to the registry mode while that program runs; with it the launcher waits for the
whole process tree, keeps the backdrop serviced meanwhile, and restores only after the last
program has ended."""
import unittest

import harness

CHOSEN = "640x480"
REGISTRY = "x".join(harness.REGISTRY_MODE.split("x")[:2])


class WaitAllTest(harness.EndToEndTest):

    def test_without_the_entry_the_display_returns_while_the_real_program_runs(self):
        app = harness.StubbedApplication(self.installation(), "WIDTH:640\r\nHEIGHT:480\r\n", standin_ms=4000)
        status, ended_ms, observed = app.run()
        stubs, programs = app.records()

        self.assertEqual(status, 0)
        self.assertEqual(observed.boxes, [])
        self.assertEqual(len(observed.notices), 1)
        self.assertEqual(len(stubs), 1)
        self.assertEqual((stubs[0]["target_started"], stubs[0]["target_ready"]), ("1", "1"))
        start, end = programs["standin_app.exe"]
        self.assertIsNotNone(end, "the stand-in did not record its end")
        self.assertEqual(harness.seen_size(start), CHOSEN)
        # Today's behaviour: the launcher followed the stub, not the program it started.
        self.assertLess(ended_ms, int(end["time_ms"]), "the launcher waited for the stand-in")
        self.assertEqual(harness.seen_size(end), REGISTRY, "the display should be back while the stand-in runs")

    def test_with_the_entry_the_whole_tree_runs_in_the_chosen_mode_on_a_serviced_backdrop(self):
        app = harness.StubbedApplication(self.installation(),
                                 "WIDTH:640\r\nHEIGHT:480\r\nBACKDROP:1\r\nWAITALL:1\r\n",
                                 standin_ms=2000, helper_ms=3500)
        status, ended_ms, observed = app.run()
        restored = harness.wait_for_mode(harness.REGISTRY_MODE)
        stubs, programs = app.records()

        self.assertEqual(status, 0)
        self.assertEqual(observed.boxes, [])
        self.assertEqual(len(observed.notices), 1, "one switch, announced once")
        self.assertEqual(len(stubs), 1)
        self.assertEqual((stubs[0]["target_started"], stubs[0]["target_ready"]), ("1", "1"))
        stub_gone_ms = int(stubs[0]["time_ms"])
        (standin_start, standin_end), (helper_start, helper_end) = (
            programs["standin_app.exe"], programs["helper.exe"])
        self.assertIsNotNone(standin_end, "the stand-in did not record its end")
        self.assertIsNotNone(helper_end, "the program the stand-in started did not record its end")
        # The stand-in and the program it started see the chosen mode from start to end.
        for name, record in (("stand-in start", standin_start), ("stand-in end", standin_end),
                             ("helper start", helper_start), ("helper end", helper_end)):
            self.assertEqual(harness.seen_size(record), CHOSEN, name)
        # Both ends come after the stub had gone: the launcher's wait outlived its own child, and
        # meanwhile its thread kept the backdrop up, black and answering.
        self.assertLess(stub_gone_ms, int(standin_end["time_ms"]))
        self.assertLess(int(standin_end["time_ms"]), int(helper_end["time_ms"]))
        for name, record in (("stand-in end", standin_end), ("helper end", helper_end)):
            self.assertEqual(record["backdrop"], "1", name)
            self.assertEqual(record["backdrop_responds"], "1", name)
            self.assertLess(int(record["backdrop_response_ms"]), 1000, name)
            self.assertEqual(record["backdrop_pixel"], "0x00000000", name)
        # The restore follows the last program's end, and the launcher ends with it.
        self.assertGreaterEqual(ended_ms, int(helper_end["time_ms"]))
        self.assertTrue(restored, "the display did not return to the registry mode")
        print(f"stub gone to helper end: {int(helper_end['time_ms']) - stub_gone_ms} ms; "
              f"helper end to launcher end: {ended_ms - int(helper_end['time_ms']):.0f} ms", flush=True)


if __name__ == "__main__":
    unittest.main()
