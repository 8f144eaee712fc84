"""End-to-end tests: Log."""

import sys
import os
import re
import shutil
import signal
import stat
import subprocess
import tempfile

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, ok_lines  # noqa: E402
from service_client import BASE, ONLINE_QUERY, TIMETABLE_QUERY  # noqa: E402
from e2e_common import (ADDRESS, EXPRESS, NIGHT, SAMPLE_STDERR, UNREACHABLE)  # noqa: E402


class Log(EndToEnd):
    """The support log: what each run did, beside the run and never in its way."""

    LINE = re.compile(r"\A\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d \d+ ")

    def setUp(self):
        super().setUp()
        # Under wine every test's runs share the prefix's log: each test starts without one.
        if harness.RUNNER:
            for path in (self.support_log_path(), self.support_log_path() + ".1"):
                if os.path.lexists(path):
                    os.remove(path)

    def log_lines(self):
        """The log's lines without their time and process number, each checked to have them."""
        lines = self.support_log().splitlines()
        for line in lines:
            self.assertRegex(line, self.LINE)
        return [self.LINE.sub("", line) for line in lines]

    def test_a_run_logs_its_version_settings_train_requests_messages_and_outcome(self):
        version = self.run_program("", args=["--version"]).stdout.strip()
        run = self.run_program(EXPRESS[1], args=["--service", ADDRESS])
        self.assertEqual(run.returncode, 0, run.stderr)
        lines = self.log_lines()
        folder = "Z:" + self.folder.replace("/", "\\") if harness.RUNNER else self.folder
        self.assertEqual(lines[:3], ["started %s, options: --version" % version,
                                     "working folder: " + folder, "ended with exit status 0"])
        self.assertEqual(lines[3], "started %s, options: --service %s" % (version, ADDRESS))
        self.assertIn("setting: service = %s (from the option --service)" % ADDRESS, lines)
        self.assertIn("train number: 5410", lines)
        self.assertTrue(any(line.startswith("proxy for %s: direct" % ADDRESS) for line in lines),
                        lines)
        requests = [line for line in lines if line.startswith("request ")]
        self.assertEqual(len(requests), 2, lines)
        self.assertRegex(requests[0], r"\Arequest %s: HTTP status 200, \d+ bytes, \d+ ms\Z"
                         % re.escape(BASE + TIMETABLE_QUERY % ("5410", "eu")))
        self.assertTrue(requests[1].startswith("request " + BASE + ONLINE_QUERY), requests[1])
        # Every message as it was shown, and the outcome last.
        self.assertIn(SAMPLE_STDERR["5410"].rstrip("\n"), lines)
        printer = ("the printer LPT1" if harness.RUNNER
                   else "the printer's bytes in the file " + os.path.join(self.folder, "LPT1"))
        self.assertEqual(lines[-2:], ["printed rows 0 to 14 to " + printer,
                                      "ended with exit status 0"])
        # Never an answer: not even the names of its members.
        self.assertNotIn("stopPoints", self.support_log())

    def test_a_refused_connection_logs_libcurl_own_words(self):
        harness.stop_service()
        try:
            run = self.run_program("5410\n")
        finally:
            harness.start_service()
        self.assertError(run, UNREACHABLE)
        lines = self.log_lines()
        tries = [line for line in lines
                 if line.startswith("request ") and not line.startswith("request failed: ")]
        self.assertEqual(len(tries), 1)
        self.assertRegex(tries[0], "failed: (Couldn't connect|Failed to connect)")
        # And once more as the request's end, by its kind.
        self.assertEqual(len([line for line in lines if line.startswith("request failed: ")]), 1)
        self.assertIn(run.stderr.rstrip("\n"), self.log_lines())

    def test_settings_name_the_log_after_the_settings(self):
        run = self.run_program("", args=["--settings"])
        self.assertEqual(run.returncode, 0, run.stderr)
        last = run.stdout.splitlines()[-1]
        if harness.RUNNER:
            self.assertRegex(last, r"\Athe support log is C:\\users\\[^\\]+\\AppData\\Local"
                                   r"\\timetable-print\\timetable-print\.log\Z")
        else:
            self.assertEqual(last, "the support log is " + self.support_log_path())

    def test_a_full_log_is_set_aside_and_a_far_too_long_one_cut_down(self):
        path = self.support_log_path()
        os.makedirs(os.path.dirname(path), exist_ok=True)
        old_line = "2026-12-01T10:00:00+01:00 1 an old run's line\n"
        for size, kept_at_most in ((3 * 1024 * 1024, 1024 * 1024), (1100 * 1024, 1100 * 1024)):
            with self.subTest(size=size):
                with open(path, "w") as log:
                    log.write(old_line * (size // len(old_line)))
                with open(path + ".1", "w") as older:
                    older.write("the oldest lines\n")
                run = self.run_program(EXPRESS[1])
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertLessEqual(os.path.getsize(path + ".1"), kept_at_most)
                self.assertLess(os.path.getsize(path) + os.path.getsize(path + ".1"),
                                2.5 * 1024 * 1024)
                with open(path + ".1") as older:
                    self.assertEqual(set(older.read().splitlines()), {old_line.strip()})
                lines = self.log_lines()
                self.assertTrue(lines[0].startswith("started "), lines[0])
                self.assertEqual(lines[-1], "ended with exit status 0")

    def test_a_log_is_set_aside_only_once_it_is_past_1_mb(self):
        path = self.support_log_path()
        os.makedirs(os.path.dirname(path), exist_ok=True)
        # A run writes several lines, and the log is looked at before each: a log of exactly 1 MB
        # takes the run's first line, and is set aside before the second.
        for size, set_aside_at_once in ((1024 * 1024, False), (1024 * 1024 + 1, True)):
            with self.subTest(size=size):
                for old in (path, path + ".1"):
                    if os.path.exists(old):
                        os.remove(old)
                with open(path, "w") as log:
                    log.write(("x" * 99 + "\n") * (size // 100) + "y" * (size % 100 - 1) + "\n")
                self.assertEqual(os.path.getsize(path), size)
                self.assertEqual(self.run_program("", args=["--version"]).returncode, 0)
                with open(path + ".1") as older:
                    last = older.read().splitlines()[-1]
                self.assertEqual(last.startswith("y"), set_aside_at_once, last)
                self.assertNotIn("y" * (size % 100 - 1), self.support_log())

    def test_a_trimmed_log_stays_the_users_alone(self):
        path = self.support_log_path()
        os.makedirs(os.path.dirname(path), exist_ok=True)
        old_line = "2026-12-01T10:00:00+01:00 1 an old run's line\n"
        with open(os.open(path, os.O_WRONLY | os.O_CREAT, 0o600), "w") as log:
            log.write(old_line * (3 * 1024 * 1024 // len(old_line)))
        run = self.run_program(EXPRESS[1])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertLessEqual(os.path.getsize(path + ".1"), 1024 * 1024)
        if not harness.RUNNER:  # Windows has no such modes.
            for name in (path, path + ".1"):
                self.assertEqual(stat.S_IMODE(os.stat(name).st_mode), 0o600, name)

    def test_a_log_another_user_links_to_a_victims_file_is_refused(self):
        if harness.RUNNER or os.geteuid() != 0:
            self.skipTest("needs Linux and root, to run as other users")
        attacker, victim = 12345, 23456
        for folder in (harness.WORK, self.folder):
            os.chmod(folder, 0o711)
        program = self.program_for(victim)
        os.chown(self.folder, victim, victim)  # The run writes its LPT1 there.
        # The state folder is the attacker's, shared (a kept XDG_STATE_HOME after su); the
        # victim's own files lie in a folder of the victim's.
        state = tempfile.mkdtemp(prefix="shared-state-", dir=harness.WORK)
        folder = os.path.join(state, "timetable-print")
        os.mkdir(folder)
        for each in (state, folder):
            os.chmod(each, 0o755)
            os.chown(each, attacker, attacker)
        home = tempfile.mkdtemp(prefix="victim-", dir=harness.WORK)
        os.chown(home, victim, victim)
        log = os.path.join(folder, "timetable-print.log")
        for name, size in (("private", 3 * 1024 * 1024), ("notes.txt", 100)):
            with self.subTest(target=name):
                target = os.path.join(home, name)
                content = (b"the victim's own line\n" * size)[:size]
                with open(target, "wb") as f:
                    f.write(content)
                os.chown(target, victim, victim)
                os.chmod(target, 0o600)
                if os.path.lexists(log):
                    os.remove(log)
                os.symlink(target, log)
                os.lchown(log, attacker, attacker)
                run = self.run_program(EXPRESS[1], program=program, user=victim,
                                       env=harness.environment_with(XDG_STATE_HOME=state))
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stderr, SAMPLE_STDERR["5410"])
                with open(target, "rb") as f:
                    self.assertEqual(f.read(), content)
                self.assertEqual(sorted(os.listdir(folder)), ["timetable-print.log"])
                # The refusal is said where the log is asked about.
                run = self.run_program("", args=["--settings"], program=program, user=victim,
                                       env=harness.environment_with(XDG_STATE_HOME=state))
                self.assertEqual(run.returncode, 0, run.stderr)
                said = run.stdout.splitlines()[-1]
                self.assertTrue(said.startswith("this run keeps no support log and no form "),
                                said)
                self.assertIn(" %s " % folder, said)

    def test_a_log_place_that_is_not_the_users_alone_is_said_and_left_as_it_is(self):
        if harness.RUNNER or os.geteuid() != 0:
            self.skipTest("needs Linux and root, to give the log's folder to another user")
        path = self.support_log_path()
        folder = os.path.dirname(path)
        os.makedirs(folder)
        for case, make, at_fault in (
                ("folder of another user", lambda: os.chown(folder, 12345, 12345), folder),
                ("log others may write", lambda: os.chmod(path, 0o666), path),
                ("older log of another user", lambda: os.chown(path + ".1", 12345, 12345),
                 path + ".1")):
            with self.subTest(case=case):
                os.chown(folder, 0, 0)
                for name in (path, path + ".1"):
                    with open(os.open(name, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600),
                              "w") as f:
                        f.write("a line before\n")
                    os.chmod(name, 0o600)
                    os.chown(name, 0, 0)
                make()
                run = self.run_program("", args=["--settings"])
                self.assertEqual(run.returncode, 0, run.stderr)
                # The log and the kept forms refuse the place alike, naming what is at fault.
                said = run.stdout.splitlines()[-1]
                self.assertTrue(said.startswith("this run keeps no support log and no form "),
                                said)
                self.assertIn(": %s " % at_fault, said)
                run = self.run_program("", args=["--check"])
                self.assertEqual(run.returncode, 1, run.stdout)
                self.assertEqual([line for line in run.stdout.splitlines() if "log" in line],
                                 ["[failed] " + said])
                for name in (path, path + ".1"):
                    self.assertEqual(harness.read_text(name), "a line before\n")

    def test_a_line_that_does_not_fit_leaves_no_part_of_itself(self):
        if harness.RUNNER or os.geteuid() != 0:
            self.skipTest("needs Linux and root, for a full file system of the test's own")
        # On a full tmpfs of its own, the log's last page has room for a part of the next line
        # only: the write is cut short there.
        script = """
            mount -t tmpfs -o size=64k tmpfs "$1" || exit 77
            mkdir -m 700 "$1/timetable-print"
            log="$1/timetable-print/timetable-print.log"
            printf '%04050d\\n' 0 > "$log"
            head -c 1000000 /dev/zero > "$1/filler" 2>/dev/null
            XDG_STATE_HOME="$1" "$2" --version > /dev/null || exit
            cat "$log"
        """
        state = tempfile.mkdtemp(prefix="full-state-", dir=harness.WORK)
        try:
            run = subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-c", script,
                                  "sh", state, harness.PROGRAM], capture_output=True, timeout=60)
        except OSError as failure:
            self.skipTest("unshare cannot be run: %s" % failure)
        if run.returncode == 77 or b"unshare" in run.stderr:
            self.skipTest("no tmpfs of the test's own here: %s" % run.stderr)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, b"0" * 4050 + b"\n")

    def test_an_interrupted_run_logs_how_it_ended(self):
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2])
        run = self.end_held(process, reader, signal.SIGTERM)
        self.assertEqual(run.returncode, 143, run.stderr)
        self.assertEqual(self.log_lines()[-1], "ended by signal 15 with exit status 143")

    def test_a_log_that_cannot_be_written_changes_nothing(self):
        state = os.environ["XDG_STATE_HOME"]
        folder = os.path.dirname(self.support_log_path())
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        cases = {"the log is a folder": lambda: os.makedirs(self.support_log_path())}
        if not harness.RUNNER:  # XDG_STATE_HOME is Linux's; wine would wait for a pipe's reader.
            cases.update({
                "the state folder is a file": lambda: open(state + ".file", "w").close(),
                "the log is a pipe": lambda: (os.makedirs(folder),
                                              os.mkfifo(self.support_log_path()))})
        for case, make in cases.items():
            with self.subTest(case=case):
                shutil.rmtree(folder, ignore_errors=True)
                make()
                env = dict(os.environ)
                if case == "the state folder is a file":
                    env["XDG_STATE_HOME"] = state + ".file"
                run = self.run_program(EXPRESS[1], env=env, timeout=30)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
                self.assertEqual(run.stderr, SAMPLE_STDERR["5410"])
                with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden:
                    self.assertEqual(run.printed(), golden.read())


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
