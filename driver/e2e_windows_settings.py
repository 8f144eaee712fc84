"""End-to-end tests: WindowsSettings."""

import sys
import subprocess

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from service_client import PORT  # noqa: E402
from e2e_common import (EXPRESS)  # noqa: E402


class WindowsSettings(EndToEnd):
    """The settings in the registry of the Windows program under wine: a policy's value under
    HKLM\\Software\\Policies beats the user's under HKCU, and --service cannot override it."""
    POLICY = r"HKLM\Software\Policies\timetable-print"
    USER = r"HKCU\Software\timetable-print"

    def setUp(self):
        super().setUp()
        if not harness.RUNNER:
            self.skipTest("the registry is Windows'; the Linux files are tested in Settings")

    def reg(self, *args):
        with open(self.path("reg.log"), "wb") as log:
            subprocess.run(harness.RUNNER + ["reg", *args], stdin=subprocess.DEVNULL,
                           stdout=log, stderr=log, timeout=300, check=True)

    def set_value(self, key, name, value):
        self.reg("add", key, "/v", name, "/d", value, "/f")
        self.addCleanup(self.reg, "delete", key, "/f")

    def test_a_policy_beats_the_user_and_the_option_against_it_is_a_usage_error(self):
        self.set_value(self.USER, "Service", "localhost:1")
        self.set_value(self.POLICY, "Service", "localhost:%d" % PORT)
        run = self.run_program("", args=["--settings"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertEqual(run.stdout.splitlines()[0],
                         "service = localhost:%d (policy, from %s, value Service)"
                         % (PORT, self.POLICY))
        run = self.run_program(EXPRESS[1], args=["--service", "localhost:1"])
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertIn("the option --service \"localhost:1\" cannot be used, as the site's policy "
                      "sets the service localhost:%d" % PORT, run.stderr)
        self.assertEqual(self.new_requests(), [])


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
