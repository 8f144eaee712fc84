"""End-to-end tests: WindowsPackage."""

import sys
import os
import shutil
import subprocess
import zipfile

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from e2e_common import (EXPRESS, assert_polish_errors, run_in_own_console)  # noqa: E402


class WindowsPackage(EndToEnd):
    def setUp(self):
        if not harness.PACKAGE:
            self.skipTest("no Windows package given")
        super().setUp()

    def test_the_zipped_program_runs_from_a_clean_folder(self):
        for name in os.listdir(self.folder):
            os.remove(os.path.join(self.folder, name))
        with zipfile.ZipFile(harness.PACKAGE) as package:
            self.assertEqual(sorted(package.namelist()), [
                "timetable-print/DejaVu-LICENSE.txt", "timetable-print/LICENSE.txt",
                "timetable-print/README-pl.txt", "timetable-print/README.txt",
                "timetable-print/policies/en-US/timetable-print.adml",
                "timetable-print/policies/pl-PL/timetable-print.adml",
                "timetable-print/policies/timetable-print.admx",
                "timetable-print/share/locale/pl/LC_MESSAGES/timetable-print.mo",
                "timetable-print/timetable-preview.exe", "timetable-print/timetable-print.exe"])
            # Notepad of older Windows needs CR LF to show the license's lines.
            self.assertTrue(package.read("timetable-print/LICENSE.txt").startswith(
                b"MIT License\r\n\r\nCopyright (c) 2026 timetable-print developers\r\n"))
            package.extractall(self.folder)
        unpacked = os.path.join(self.folder, "timetable-print")
        program = os.path.join(unpacked, "timetable-print.exe")
        self.folder = unpacked
        # Without a cacert.pem the trust is the Windows certificate store. Wine's Schannel does
        # not check a chain by itself, as Windows' does, so a refusal cannot be seen here.
        shown = self.run_program("", program=program, args=["--settings"])
        self.assertEqual(shown.stdout.splitlines()[-3:-1],
                         ["the service's certificate is checked against the Windows certificate "
                          "store",
                          "proxy for localhost:%d: direct, as no proxy is set; automatic proxy "
                          "detection gave no answer" % harness.PORT])
        shutil.copy(harness.ca_file(), os.path.join(unpacked, "cacert.pem"))
        run = self.run_program(EXPRESS[1], program=program)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(harness.HERE, "golden", "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())
        # Both programs draw with the font built into them: the PDF of the run and the PDF of
        # its printer bytes show the same text.
        run = self.run_program(EXPRESS[1], program=program, args=["-o", "form.pdf"])
        self.assertEqual(run.returncode, 0, run.stderr)
        preview = subprocess.run(harness.RUNNER + [os.path.join(unpacked, "timetable-preview.exe"),
                                                   "LPT1", "-o", "preview.pdf"],
                                 cwd=unpacked, capture_output=True, timeout=120)
        self.assertEqual(preview.returncode, 0, preview.stderr)
        texts = [subprocess.run(["pdftotext", "-layout", os.path.join(unpacked, name), "-"],
                                capture_output=True, text=True).stdout
                 for name in ("form.pdf", "preview.pdf")]
        self.assertIn("Kraków Główny", texts[0])
        self.assertEqual(texts[0], texts[1])

    def test_a_usage_error_in_a_window_of_its_own_waits_for_enter(self):
        # As a shortcut with a word the program does not know opens it: the error stays on
        # screen until Enter is pressed, as every other error does.
        with zipfile.ZipFile(harness.PACKAGE) as package:
            package.extractall(self.folder)
        program = os.path.join(self.folder, "timetable-print", "timetable-print.exe")
        status, text = run_in_own_console(harness.RUNNER + [program, "--no-such-option"],
                                          self.folder, "closethiswindow.", "\r")
        self.assertIn("error:unknownoption--no-such-option", text)
        self.assertIn("PressEntertoclosethiswindow.", text)
        self.assertEqual(status, 2, text)

    def test_the_zipped_programs_find_their_messages_from_another_folder(self):
        # Unpacked into a folder whose name only Unicode holds, run in the test's folder.
        unpacked = os.path.join(self.folder, "Łódź")
        with zipfile.ZipFile(harness.PACKAGE) as package:
            package.extractall(unpacked)
        assert_polish_errors(self, os.path.join(unpacked, "timetable-print"))
        # With no variable set, the display language chooses, and LANGUAGE overrides it. Wine
        # takes the display language from the locale it starts in; the Command Prompt removes the
        # variables before the program starts. Wine would pass it a Polish path in the wrong code
        # page.
        ascii_folder = os.path.join(self.folder, "unpacked")
        shutil.copytree(unpacked, ascii_folder)
        program = "Z:" + os.path.join(ascii_folder, "timetable-print", "timetable-print.exe")
        cleared = "".join("set %s=&& " % name for name in ("LC_ALL", "LC_MESSAGES", "LANG"))
        for chosen, expected in (("set LANGUAGE=&& ", "błąd: „abc”"),
                                 ("set LANGUAGE=en&& ", 'error: "abc"')):
            run = subprocess.run(harness.RUNNER + ["cmd", "/c", cleared + chosen +
                                                   program.replace("/", "\\")],
                                 input=b"abc\n", cwd=self.folder, capture_output=True,
                                 env=dict(os.environ, LC_ALL="pl_PL.UTF-8"), timeout=120)
            self.assertTrue(run.stderr.decode("utf-8", "replace").startswith(expected), run.stderr)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
