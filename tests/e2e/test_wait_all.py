"""An application whose start-up stub starts the real program and exits: without WAITALL the
display returns to the registry mode while that program runs; with it the launcher waits for the
whole process tree, keeps the backdrop serviced meanwhile, and restores only after the last
program has ended."""
import time
import unittest

import harness

CHOSEN = "640x480"
REGISTRY = "x".join(harness.REGISTRY_MODE.split("x")[:2])
# The stub stays up a little after the stand-in is up: a restore issued right after a switch can
# be dropped (see standin_app.cpp).
STUB_STAYS_MS = 600


def seen_mode(record):
    return f"{record.get('mode_width')}x{record.get('mode_height')}"


class StubbedApplication:
    """An installation whose PROJECTOR.EXE is the launch stub: it starts app/standin_app.exe, which
    may start app/helper.exe (another stand-in) in turn. Both stand-ins record their start and
    their end."""

    def __init__(self, installation, config, standin_ms, helper_ms=None):
        self.installation = installation
        installation.write("Kavelo2.ini", config)
        installation.add_application(program=harness.LAUNCH_STUB)
        self.standin = installation.add_application("app/standin_app.exe")
        self.env = {"KAVELO_TEST_STUB_TARGET": harness.win_path(self.standin),
                    "KAVELO_TEST_STUB_RUN_MS": str(STUB_STAYS_MS), "KAVELO_TEST_RECORD_END": "1"}
        self.standin_ms = standin_ms
        self.expected = 2  # the stand-in's two records
        if helper_ms is not None:
            helper = installation.add_application("app/helper.exe")
            self.env.update({"KAVELO_TEST_START_CHILD": harness.win_path(helper),
                             "KAVELO_TEST_CHILD_RUN_MS": str(helper_ms)})
            self.expected += 2

    def run(self):
        """Runs the launcher under a desktop watch; returns (status, the wall-clock time in ms at
        which the launcher had ended, the watch's observations)."""
        with harness.DesktopWatch(self.installation.root) as observed:
            status, _ = self.installation.run(run_ms=self.standin_ms, env=self.env)
            ended_ms = time.time() * 1000
        return status, ended_ms, observed

    def records(self, timeout=harness.RUN_TIMEOUT):
        """The stub's record and each stand-in's (start, end) by module name, once all are there."""
        deadline = time.monotonic() + timeout
        while True:
            records = self.installation.starts()
            stand_ins = [r for r in records if r.get("role") != "stub"]
            if len(stand_ins) >= self.expected or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        stubs = [r for r in records if r.get("role") == "stub"]
        by_program = {}
        for start in (r for r in stand_ins if "phase" not in r):
            name = start["module_path"].rsplit("\\", 1)[-1]
            ends = [r for r in stand_ins if r.get("phase") == "end" and r["pid"] == start["pid"]]
            by_program[name] = (start, ends[0] if ends else None)
        return stubs, by_program


class WaitAllTest(harness.EndToEndTest):

    def test_without_the_entry_the_display_returns_while_the_real_program_runs(self):
        app = StubbedApplication(self.installation(), "WIDTH:640\r\nHEIGHT:480\r\n", standin_ms=4000)
        status, ended_ms, observed = app.run()
        stubs, programs = app.records()

        self.assertEqual(status, 0)
        self.assertEqual(observed.boxes, [])
        self.assertEqual(len(observed.notices), 1)
        self.assertEqual(len(stubs), 1)
        self.assertEqual((stubs[0]["target_started"], stubs[0]["target_ready"]), ("1", "1"))
        start, end = programs["standin_app.exe"]
        self.assertIsNotNone(end, "the stand-in did not record its end")
        self.assertEqual(seen_mode(start), CHOSEN)
        # Today's behaviour: the launcher followed the stub, not the program it started.
        self.assertLess(ended_ms, int(end["time_ms"]), "the launcher waited for the stand-in")
        self.assertEqual(seen_mode(end), REGISTRY, "the display should be back while the stand-in runs")

    def test_with_the_entry_the_whole_tree_runs_in_the_chosen_mode_on_a_serviced_backdrop(self):
        app = StubbedApplication(self.installation(),
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
            self.assertEqual(seen_mode(record), CHOSEN, name)
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
