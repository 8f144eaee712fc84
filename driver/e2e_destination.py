"""End-to-end tests: Destination."""

import os
import sys
import threading

import e2e_harness as harness
sys.path.insert(0, os.path.join(harness.ROOT, "printer"))
import private_cupsd  # noqa: E402
from e2e_harness import DIALOGUE_HEAD, EndToEnd, ok_lines  # noqa: E402
from e2e_common import EXPRESS, SAMPLE_STDERR  # noqa: E402
# The module, not its class: the group runs the test classes it holds.
import e2e_settings  # noqa: E402

POLICY = "/etc/timetable-print-policy.conf"


class Destination(EndToEnd):
    """The destination setting: where a run without destination options sends the form, and
    what --check checks without them."""
    run_in_namespace = e2e_settings.Settings.run_in_namespace
    run_under_policy = e2e_settings.Settings.run_under_policy

    @classmethod
    def setUpClass(cls):
        cls.spooler = private_cupsd.start(os.path.join(harness.WORK, "cups"))
        cls.spooler.run("lpadmin", "-d", "dotmatrix")

    @classmethod
    def tearDownClass(cls):
        cls.spooler.stop()

    def setUp(self):
        super().setUp()
        self.use_user_settings_file("WindowsInstaller")

    def test_the_setting_sends_a_run_without_options_to_the_raw_queue_byte_exact(self):
        self.write_config("# the depot's printer\ndestination = dotmatrix\n")
        self.spooler.remove_output()
        run = self.run_program(EXPRESS[1], env=self.spooler.env())
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]),
                         self.spooler.log()[-2000:])
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden:
            self.assertEqual(self.spooler.wait_for_output(), golden.read())
        self.assertNothingPrinted(run)
        run = self.run_program("", args=["--settings"], env=self.spooler.env())
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("\ndestination = dotmatrix (from %s, line 2)\n" % self.config, run.stdout)
        # An option overrides the user's setting.
        run = self.run_program(EXPRESS[1], args=["-o", "form.prn"], env=self.spooler.env())
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden, \
                open(self.path("form.prn"), "rb") as printed:
            self.assertEqual(printed.read(), golden.read())

    def test_a_value_that_cannot_be_used_is_shown_wrong_and_ends_the_run(self):
        self.write_config("destination = drawn:\n")
        run = self.run_program("", args=["--settings"])
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertIn('\ndestination = drawn: (from %s, line 1); wrong: it names no printer '
                      'after drawn:\n' % self.config, run.stdout)
        self.assertError(self.run_program(EXPRESS[1]), 'the setting destination = "drawn:"',
                         stdout="")
        self.assertEqual(self.new_requests(), [])

    def test_a_policy_s_destination_admits_no_other_option(self):
        policy = "destination = dotmatrix\n"
        run = self.run_under_policy("", policy, ["--settings"])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("\ndestination = dotmatrix (policy, from %s, line 1)\n" % POLICY,
                      run.stdout)
        self.write_config("destination = view\n")
        run = self.run_under_policy(EXPRESS[1], policy, ["--printer", "other"])
        self.assertUsageError(run, '"--printer other"', "dotmatrix", "%s, line 1" % POLICY)
        self.assertNothingPrinted(run)
        # From a Start-menu entry, the refusal names the entry that follows the policy instead
        # of the usage, in the user's language.
        run = self.run_under_policy("", policy, ["-o", "LPT1", "--start-menu"])
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertIn('"Rozkład jazdy"', run.stderr)
        self.assertNotIn("--help", run.stderr)
        # The policy's own destination, named again, is no conflict.
        run = self.run_under_policy("", policy, ["--check", "--printer", "DOTMATRIX"])
        self.assertNotIn("cannot be used", run.stdout + run.stderr)

    def test_check_without_options_checks_the_setting_s_destination(self):
        self.write_config("destination = drawn\n")
        run = self.run_program("", args=["--check"], env=self.spooler.env())
        self.assertEqual((run.returncode, run.stderr), (0, ""), run.stdout)
        self.assertEqual(run.stdout.splitlines()[-1],
                         '[ok] where the form goes: drawn pages on the printer "dotmatrix"')
        self.assertNotIn("LPT1", run.stdout.replace("destination = drawn", ""))
        self.assertNothingPrinted(run)
        # Without the setting, the check is of LPT1, as a run's would be: on Linux a plain file
        # that puts nothing on paper, which is a warning and no failure.
        os.remove(self.config)
        run = self.run_program("", args=["--check"], env=self.spooler.env())
        self.assertEqual(run.returncode, 0, run.stdout)
        self.assertTrue(run.stdout.splitlines()[-2].startswith(
            "[ok] where the form goes: the " if harness.RUNNER else
            "[warning] where the form goes: the "), run.stdout)
        self.assertIn("LPT1", run.stdout.splitlines()[-1])

    def test_a_path_setting_is_a_device_that_gets_the_printer_s_bytes(self):
        if harness.RUNNER:
            self.skipTest("a path beginning with / is a Linux device")
        fifo = self.path("lp0.fifo")
        os.mkfifo(fifo)
        self.write_config("destination = %s\n" % fifo)
        received = []
        reader = threading.Thread(target=lambda: received.append(open(fifo, "rb").read()))
        reader.start()
        run = self.run_program(EXPRESS[1])
        reader.join(30)
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden:
            self.assertEqual(received, [golden.read()])
        self.assertNothingPrinted(run)
        self.write_config("destination = /dev/null\n")
        run = self.run_program("", args=["--check"])
        self.assertEqual(run.returncode, 0, run.stdout)
        self.assertEqual(run.stdout.splitlines()[-2:],
                         ["[ok] where the form goes: the printer /dev/null",
                          "    /dev/null is a device"])

    def test_reprint_follows_the_setting_and_the_policy(self):
        run = self.run_program(EXPRESS[1], args=["-o", "first.prn"])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.write_config("destination = view\n")
        os.mkdir(self.path("tmp"))
        run = self.run_program("", args=["--reprint"],
                               env=dict(os.environ, PATH="/nonexistent", TMPDIR=self.path("tmp")))
        self.assertEqual(run.returncode, 0, run.stderr)
        [shown] = os.listdir(self.path("tmp"))
        self.assertIn(os.path.join(self.path("tmp"), shown), run.stdout)
        self.assertNothingPrinted(run)
        self.log_start = len(harness.request_log())
        run = self.run_under_policy("", "destination = view\n", ["--reprint", "-o", "b.prn"])
        self.assertUsageError(run, '"-o b.prn"')
        self.assertFalse(os.path.exists(self.path("b.prn")))
        # The policy's LPT1, named as an option, is the same destination.
        run = self.run_under_policy("", "destination = LPT1\n", ["--reprint", "-o", "LPT1"])
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("first.prn"), "rb") as first:
            self.assertEqual(run.printed(), first.read())


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
