"""End-to-end tests: CommandLine."""

import sys
import os
import subprocess

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from e2e_common import (EXPRESS, polish)  # noqa: E402


class CommandLine(EndToEnd):
    def test_help_and_version(self):
        run = self.run_program("", args=["--help"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertIn("usage: timetable-print [-o FILE [--view] | -p PRINTER | --view |\n"
                      "                        --drawn [-p PRINTER]] [--service HOST[:PORT]]\n",
                      run.stdout)
        run = self.run_program("", args=["--version"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertRegex(run.stdout, r"\Atimetable-print \d+\.\d+\.\d+\n\Z")

    def test_help_fits_in_79_columns_in_english_and_polish(self):
        folder = os.path.dirname(harness.PROGRAM)
        suffix = ".exe" if harness.PROGRAM.endswith(".exe") else ""
        for name in ("timetable-print", "timetable-preview"):
            for env, shown in ((None, "show this text"), (polish(), "pokazuje ten tekst")):
                with self.subTest(program=name, language=shown):
                    run = self.run_program("", program=os.path.join(folder, name + suffix),
                                           args=["--help"], env=env)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    self.assertIn(shown, run.stdout)
                    self.assertEqual([line for line in run.stdout.splitlines() if len(line) > 79],
                                     [])

    def test_usage_errors_end_before_any_prompt_or_request(self):
        cases = [(["--bogus"], "--bogus"), (["-x"], "-x"), (["-o"], "-o"),
                 (["--output"], "--output"), (["form.pdf"], '"form.pdf"'),
                 (["-o", "a.pdf", "--printer", "q"], "cannot be used together")]
        for args, named in cases:
            with self.subTest(args=args):
                self.assertUsageError(self.run_program(EXPRESS[1], args=args), named)
        self.assertEqual(sorted(os.listdir(self.folder)),
                         sorted(["cacert.pem"] + (["LPT1"] if harness.RUNNER else [])))

    def test_empty_values_and_a_check_with_a_service_that_cannot_be_used_are_usage_errors(self):
        for args, named in ((["--service="], "--service"), (["--service", ""], "--service"),
                            (["-o", ""], "-o"), (["--printer="], "--printer"),
                            (["--check", "--service", "a_b"], '"a_b"'),
                            (["--check", "--service="], "--service"),
                            (["--settings", "--service", "a_b"], '"a_b"')):
            with self.subTest(args=args):
                self.assertUsageError(self.run_program(EXPRESS[1], args=args), named)

    def test_an_answer_that_cannot_be_written_is_an_error(self):
        if harness.RUNNER:
            self.skipTest("Linux's /dev/full and a closed descriptor stand for a full disk")
        full_disk, closed_output = "No space left on device", "Bad file descriptor"
        for args, reason in ((["--settings"], full_disk), (["--help"], full_disk),
                             (["--check"], full_disk), (["--version"], closed_output),
                             (["--reprint", "--list"], full_disk),
                             (["--reprint", "--list"], closed_output)):
            with self.subTest(args=args, reason=reason):
                closed = reason == closed_output
                with open("/dev/full", "wb") as full:
                    run = subprocess.run([harness.PROGRAM, *args], cwd=self.folder,
                                         stdin=subprocess.DEVNULL, capture_output=False,
                                         stdout=None if closed else full,
                                         stderr=subprocess.PIPE, timeout=60,
                                         preexec_fn=(lambda: os.close(1)) if closed else None)
                stderr = run.stderr.decode("utf-8")
                self.assertEqual(run.returncode, 1, stderr)
                self.assertEqual(stderr, "error: cannot write to standard output: %s\n" % reason)

    def test_an_output_folder_that_cannot_be_written_fails_before_any_prompt(self):
        names = ["missing/form.pdf", "missing/form.prn", "."]
        if harness.RUNNER:  # A path in the \\?\ form is a file too, not a device.
            names.append("\\\\?\\Z:" + self.folder.replace("/", "\\") + "\\missing\\form.prn")
        for name in names:
            with self.subTest(output=name):
                run = self.run_program(EXPRESS[1], args=["-o", name])
                self.assertError(run, "cannot write " + name, stdout="")
                self.assertEqual(self.new_requests(), [])

    def test_a_file_that_cannot_be_replaced_fails_before_any_prompt(self):
        shared = os.path.join(self.folder, "shared")
        os.mkdir(shared)
        target = os.path.join(shared, "form.prn")
        with open(target, "wb") as f:
            f.write(b"earlier form")
        if harness.RUNNER:
            os.chmod(target, 0o444)  # Wine shows a file no one may write as read-only.
            run = self.run_program(EXPRESS[1], args=["-o", "shared/form.prn"])
            reason = "it is read-only"
        else:
            # Another user's file in a folder where only owners may replace their files, as in
            # /tmp, for a user other than root, who may replace anything.
            if os.geteuid() != 0:
                self.skipTest("running as another user needs root")
            os.chmod(shared, 0o1777)
            for folder in (harness.WORK, self.folder):
                os.chmod(folder, 0o711)
            run = self.run_program(EXPRESS[1], args=["-o", "shared/form.prn"], user="nobody",
                                   program=self.program_for("nobody"))
            reason = "another user owns it"
        self.assertError(run, "cannot write shared/form.prn: ", reason, stdout="")
        self.assertEqual(self.new_requests(), [])
        with open(target, "rb") as f:
            self.assertEqual(f.read(), b"earlier form")


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
