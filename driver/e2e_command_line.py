"""End-to-end tests: CommandLine."""

import sys
import os
import pwd
import shutil
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


    def program_for(self, user):
        """A copy of the program that user may run, in the tests' work folder: the program's
        own folder may be closed to other users, as a checkout in a home folder is. The program
        needs nothing else of the build at run time. Skips the test where user cannot run it."""
        folder = os.path.join(harness.WORK, "program-for-" + user)
        os.makedirs(folder, exist_ok=True)
        os.chmod(folder, 0o755)  # Whatever the umask.
        program = shutil.copy(harness.PROGRAM, folder)
        try:
            subprocess.run([program, "--version"], cwd="/", user=user,
                           group=pwd.getpwnam(user).pw_gid, extra_groups=[], check=True,
                           capture_output=True, timeout=30)
        except (OSError, subprocess.SubprocessError) as failure:
            self.skipTest("%s cannot run the program from %s: %s" % (user, folder, failure))
        return program


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
