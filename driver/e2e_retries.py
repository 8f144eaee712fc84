"""End-to-end tests: Retries."""

import os
import re
import signal
import subprocess
import sys
import time

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, control, ok_lines  # noqa: E402
from service_client import BASE, ONLINE_QUERY, TIMETABLE_QUERY  # noqa: E402
from e2e_common import (ADDRESS, EXPRESS, SAMPLE_STDERR, TIMETABLE_FAILED,
                        UNREACHABLE)  # noqa: E402

TIMETABLE_URL = BASE + TIMETABLE_QUERY % ("5410", "eu")


def notice(cause, wait, next_try):
    return "notice: %s; trying again in %d s (try %d of 3)\n" % (cause, wait, next_try)


CUT = "the timetable service broke off its answer"
UNAVAILABLE = "the timetable service is not available just now (HTTP status 503)"


class Retries(EndToEnd):
    """A fault that passes (an answer cut off, a service that says "later") is tried again, at
    most twice, after 1 s and then 3 s; the others end the run at once, as before."""

    def assertGoldenExpress(self, run, stderr):
        self.assertEqual((run.returncode, run.stderr), (0, stderr))
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())

    def tried(self, url):
        return [line for line in self.new_requests() if line.split("\t")[0] == url]

    def request_lines(self):
        """The last run's requests and retries in the support log."""
        lines = [line.split(" ", 2)[2] for line in self.support_log().splitlines()]
        last = max(at for at, line in enumerate(lines) if line.startswith("started "))
        return [line for line in lines[last:] if line.startswith(("request ", "retry of "))]

    def test_a_503_and_then_a_good_answer_prints_the_form_with_one_notice(self):
        control(timetable="unavailable", timetableTimes=1)
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, notice(UNAVAILABLE, 1, 2) + SAMPLE_STDERR["5410"])
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 2)
        self.assertGreaterEqual(run.elapsed, 1)

    def test_an_answer_cut_off_twice_and_then_whole_prints_the_form_with_two_notices(self):
        control(timetable="cut", timetableTimes=2)
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, notice(CUT, 1, 2) + notice(CUT, 3, 3) +
                                 SAMPLE_STDERR["5410"])
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 3)
        self.assertGreaterEqual(run.elapsed, 4)
        # The log holds every try, with libcurl's own words for each failed one, and each wait.
        lines = self.request_lines()
        # libcurl's words for the cut: OpenSSL's (curl 18) or Schannel's (curl 56).
        cut = r", failed: [^\n]+ \(curl (18|56)\) \[answer stage, cut-off\]\Z"
        url = re.escape(TIMETABLE_URL)
        self.assertRegex(lines[0], r"\Arequest %s: HTTP status 200, \d+ bytes, \d+ ms" % url + cut)
        self.assertEqual(lines[1], "retry of %s in 1 s (try 2 of 3)" % TIMETABLE_URL)
        self.assertRegex(lines[2], r"\Arequest %s \(try 2 of 3\): HTTP status 200, \d+ bytes, "
                                   r"\d+ ms" % url + cut)
        self.assertEqual(lines[3], "retry of %s in 3 s (try 3 of 3)" % TIMETABLE_URL)
        self.assertRegex(lines[4], r"\Arequest %s \(try 3 of 3\): HTTP status 200, \d+ bytes, "
                                   r"\d+ ms\Z" % re.escape(TIMETABLE_URL))
        self.assertTrue(lines[5].startswith("request " + BASE + ONLINE_QUERY), lines[5])

    def test_an_answer_cut_off_every_time_ends_after_the_third_try(self):
        control(timetable="cut")
        run = self.run_program(EXPRESS[1])
        error = self.assertError(run, "the timetable service at %s broke off its answer midway; "
                                      "try again later, or ask the IT department to check the "
                                      "service: %s" % (ADDRESS, TIMETABLE_URL),
                                 stdout=TIMETABLE_FAILED)
        self.assertNotIn("transfer closed", error)
        self.assertEqual(run.stderr.count("notice: "), 2)
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 3)

    def test_three_503s_with_a_json_body_end_as_such_an_answer_does(self):
        # The JSON of an error status is decoded as any answer's: here the timetable itself.
        control(timetable="json503")
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, notice(UNAVAILABLE, 1, 2) + notice(UNAVAILABLE, 3, 3) +
                                 SAMPLE_STDERR["5410"])
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 3)
        # Without JSON, the last line says what the notices said, after how many tries.
        control(timetable="unavailable")
        run = self.run_program(EXPRESS[1])
        self.assertFailedAs(run, "not-available", "503", "3", TIMETABLE_URL,
                            stdout=TIMETABLE_FAILED)
        self.assertEqual(run.stderr.count("notice: "), 2)

    def test_a_429_to_the_last_try_or_one_asking_too_long_ends_as_not_available(self):
        control(timetable="toomany", retryAfter=1)
        run = self.run_program(EXPRESS[1])
        self.assertFailedAs(run, "not-available", "429", "3", TIMETABLE_URL,
                            stdout=TIMETABLE_FAILED)
        self.assertEqual(run.stderr.count("notice: "), 2)
        # A wait too long even for a number is not waited for.
        control(timetable="toomany", retryAfter=10 ** 30)
        run = self.run_program(EXPRESS[1])
        self.assertFailedAs(run, "not-available", "429", "1", TIMETABLE_URL,
                            stdout=TIMETABLE_FAILED)
        self.assertNotIn("notice: ", run.stderr)
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 3 + 1)

    def test_a_429_waits_as_its_retry_after_asks(self):
        control(timetable="toomany", timetableTimes=1, retryAfter=2)
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, notice("the timetable service asks to wait (HTTP status "
                                             "429)", 2, 2) + SAMPLE_STDERR["5410"])
        self.assertGreaterEqual(run.elapsed, 2)
        self.assertLess(run.elapsed, 5)

    def test_the_notice_is_in_the_users_language(self):
        control(timetable="cut", timetableTimes=1)
        run = self.run_program(EXPRESS[1], env=dict(os.environ, LANG="C.UTF-8", LANGUAGE="pl"))
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stderr.splitlines()[0], "informacja: usługa rozkładu jazdy przerwała "
                                                     "odpowiedź; ponawiam za 1 s (próba 2 z 3)")

    def test_ctrl_c_during_the_wait_ends_the_run_at_once(self):
        if harness.RUNNER:
            self.skipTest("sends a POSIX signal")
        control(timetable="toomany", retryAfter=10)
        process = subprocess.Popen([harness.PROGRAM], cwd=self.folder, stdin=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        process.stdin.write(EXPRESS[1].encode())
        process.stdin.close()
        first = process.stderr.readline().decode()
        self.assertIn("trying again in 10 s (try 2 of 3)", first)
        interrupted = time.time()
        process.send_signal(signal.SIGINT)
        self.assertEqual(process.wait(timeout=30), 130)
        process.stderr.close()
        self.assertLess(time.time() - interrupted, 2)
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 1)
        self.assertNothingPrinted(harness.Run(130, "", "", 0, self.folder))

    def test_a_500_with_json_is_decoded_at_once(self):
        control(timetable="json500")
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, SAMPLE_STDERR["5410"])
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 1)

    def test_a_connection_closed_without_an_answer_is_tried_again(self):
        control(timetable="reset", timetableTimes=1)
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, notice("the timetable service closed the connection "
                                             "without an answer", 1, 2) + SAMPLE_STDERR["5410"])

    def test_the_list_of_trains_online_is_tried_again_too(self):
        control(online="unavailable", onlineTimes=2)
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, notice(UNAVAILABLE, 1, 2) + notice(UNAVAILABLE, 3, 3) +
                                 SAMPLE_STDERR["5410"])
        self.assertEqual(len(self.tried(BASE + ONLINE_QUERY)), 3)

    def test_a_refused_port_and_a_stall_are_not_tried_again(self):
        # What starting and ending the program takes here, without any request.
        start = self.run_program("", args=["--version"]).elapsed
        harness.stop_service()
        try:
            run = self.run_program("5410\n")
        finally:
            harness.start_service()
        self.assertError(run, UNREACHABLE, "refused the connection", stdout=TIMETABLE_FAILED)
        self.assertNotIn("notice: ", run.stderr)
        self.assertLess(run.elapsed, start + 1)
        control(timetable="stall")
        run = self.run_program("5410\n", timeout=60)
        self.assertError(run, "did not answer within 30 s", stdout=TIMETABLE_FAILED)
        self.assertNotIn("notice: ", run.stderr)
        self.assertGreaterEqual(run.elapsed, 30)
        self.assertLess(run.elapsed, 30 + start + 1)
        self.assertEqual(len(self.tried(TIMETABLE_URL)), 1)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
