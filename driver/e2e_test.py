#!/usr/bin/env python3
"""End-to-end tests of timetable-print against the local timetable service.

Usage: e2e_test.py [--runner wine] --program PATH [Dialogue | Faults | Printing ...]
"""

import os
import pty
import pwd
import re
import select
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import time
import tty
import unittest
import zipfile

import e2e_harness as harness
sys.path.insert(0, os.path.join(harness.ROOT, "printer"))
import private_cupsd  # noqa: E402
from e2e_harness import DIALOGUE_HEAD, EndToEnd, Run, control, ok_lines  # noqa: E402
from service_client import (BASE, ONLINE_QUERY, PORT, SCAN_LIMIT,  # noqa: E402
                            TIMETABLE_QUERY, USER_AGENT)

# The sample trains: number, what is typed, the index of the last row.
EXPRESS = ("5410", "5410\nEP09\nEU07-123\nx\n160\n", 14)
NIGHT = ("38170", "38170\nSM42\nx\nx\n100\n", 8)
REGIONAL = ("91341", "91341\nEN57-1\nx\nx\n120\n", 6)

# The service's host and port, as the error that it cannot be reached names it.
ADDRESS = BASE.split("//")[1].split("/")[0]
UNREACHABLE = ("cannot reach the timetable service at %s; check the network connection, or ask the "
               "IT department to check the service address (timetable-print --settings): "
               % ADDRESS)
UNREADABLE = ("the timetable service sent an answer that cannot be read; try again later, or ask "
              "the IT department to check the service: ")
LPT1_ADVICE = ("; without a dot-matrix printer on LPT1, start the program with its option --drawn "
               "to print on the default printer (timetable-print --help lists the options): ")
# The same advice and the service's, for a run started from a Start-menu entry (--start-menu):
# the entries to use, not the options.
MENU_LPT1_ADVICE = ('; without a dot-matrix printer on LPT1, use "Timetable form" in the Start '
                    "menu, which prints on the default printer: ")
MENU_UNREACHABLE = ("cannot reach the timetable service at %s; check the network connection, or "
                    'ask the IT department to check the service address ("Check the connection" '
                    "in the Start menu shows the settings and tests the connection): " % ADDRESS)


def too_wide(text, field, columns):
    """The warning for a text that prints wider than its field."""
    return ('warning: "%s" is wider than the %s field (%d columns); it prints whole and moves the '
            'rules to its right\n' % (text, field, columns))


# What the sample trains' runs say on standard error: the express's LOK2 is too wide.
SAMPLE_STDERR = {"5410": too_wide("EU07-123", "LOK2", 6), "38170": "", "91341": ""}

AGENT = "\t" + USER_AGENT
TIMETABLE_FAILED = "TRAIN NUMBER: \n"


def stop(name, arrival, departure, distance=1.0):
    def at(clock):
        return None if clock is None else "2026-12-08T%s:00Z" % clock
    return {"pointNameRAW": name, "pointName": name, "arrivalTime": at(arrival),
            "departureTime": at(departure), "pointDistance": distance, "pointStopType": "ph"}


def timetable(*stops, number=777):
    return {"trainInfo": {"trainCategoryCode": "OS", "trainNo": number, "route": "A|B"},
            "stopPoints": list(stops)}


def pdf_pages_and_text(path):
    """A PDF's page count as pdfinfo tells it, and its text as pdftotext lays it out."""
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True)
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True)
    return re.search(r"Pages:\s+\d+", info.stdout).group(0), text.stdout


def printed_lines(data):
    """The printer file as the lines that reach paper: decoded, without ESC/P switches."""
    text = data.decode("cp852")
    text = re.sub("\x1b[wS][01]|\x1b[EFT]", "", text)
    return text.replace("\r\n", "\n").split("\n")


class Dialogue(EndToEnd):
    def test_whole_dialogue_for_each_sample_train(self):
        for number, typed, last_row in (EXPRESS, NIGHT, REGIONAL):
            with self.subTest(train=number):
                run = self.run_program(typed)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
                self.assertEqual(run.stderr, SAMPLE_STDERR[number])

    def test_requests_have_the_exact_address_and_user_agent(self):
        run = self.run_program("05410 EP09 x x 160\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(self.new_requests(), [
            BASE + TIMETABLE_QUERY % ("05410", "eu") + AGENT,
            BASE + ONLINE_QUERY + AGENT,
        ])
        self.assertEqual(run.stderr, "")  # 05410 is train 5410 in the list of trains online.

    def test_several_words_on_one_line_feed_several_prompts(self):
        run = self.run_program("5410 EP09 EU07-123\nx 160 ignored\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
        self.assertIn(b"\xb3 EP09 \xb3", run.printed())
        self.assertIn(b"\x1bw1  160   \x1bw0", run.printed())

    def test_input_that_ends_early_leaves_the_words_empty(self):
        run = self.run_program("38170\nSM42")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "8\n" + ok_lines(8))
        self.assertIn(b"\xb3 SM42 \xb3", run.printed())
        self.assertIn(b"\x1bw1        \x1bw0\xb3", run.printed())  # Empty speed.

    def test_train_missing_from_the_online_list_gets_a_notice(self):
        run = self.run_program("64102 SN84 x x 80\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "3\n" + ok_lines(3))
        self.assertEqual(run.stderr, "notice: train 64102 is not in the list of trains online, so "
                                     "mass and length stay empty on the form\n")

    def test_long_online_list_is_searched_up_to_its_scan_limit(self):
        entries = [{"trainNo": 100000 + i, "dataMass": 250000, "dataLength": 99}
                   for i in range(2 * SCAN_LIMIT)]
        last, beyond = str(100000 + SCAN_LIMIT - 1), str(100000 + SCAN_LIMIT)
        stops = [stop("A", None, "10:00"), stop("B", "10:10", None)]
        control(onlineList=entries, timetables={last: timetable(*stops), beyond: timetable(*stops)})
        found = self.run_program(last + " x x x 1\n")
        self.assertEqual(found.stderr, "")
        self.assertIn(b"\x1bw1  250   \x1bw0", found.printed())
        missing = self.run_program(beyond + " x x x 1\n")
        self.assertEqual(missing.returncode, 0)
        self.assertIn("train %s is not in the list of trains online" % beyond, missing.stderr)

    def test_timetable_longer_than_the_form_keeps_99_rows(self):
        stops = [stop("S%d" % i, "10:00", "10:01") for i in range(149)] + [stop("E", "11:00", None)]
        control(timetables={"777": timetable(*stops)})
        run = self.run_program("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "98\n" + ok_lines(98))
        self.assertIn("warning: the form has room for 99 stops; 51 further stops are left out\n",
                      run.stderr)


class Faults(EndToEnd):
    def test_train_number_is_checked_before_any_request(self):
        for typed in ("abc", "12a", "12345678901", "2147483648", "-5", "+5", "12;eu&x=1"):
            with self.subTest(typed=typed):
                run = self.run_program(typed + "\n")
                self.assertError(run, '"%s" is not a train number; start the program again and type '
                                      "the train's number in digits, such as 5410" % typed,
                                 stdout=TIMETABLE_FAILED)
        run = self.run_program("")
        self.assertError(run, "no train number was typed; start the program again and type the "
                              "train's number", stdout=TIMETABLE_FAILED)
        self.assertEqual(self.new_requests(), [])

    def test_an_error_before_printing_leaves_an_existing_printer_file_alone(self):
        path = os.path.join(self.folder, "LPT1")
        with open(path, "wb") as f:
            f.write(b"previous form")
        control(timetable="html500")
        self.assertError(self.run_program("5410\n"))
        with open(path, "rb") as f:
            self.assertEqual(f.read(), b"previous form")

    def test_unknown_train(self):
        run = self.run_program("99999\n")
        self.assertError(run, "the timetable service has no timetable for train 99999; check the "
                              "train number and start the program again",
                         stdout=TIMETABLE_FAILED)
        self.assertNothingPrinted(run)

    def test_timetable_answers_that_cannot_be_used(self):
        url = BASE + TIMETABLE_QUERY % ("5410", "eu")
        cases = {
            "notjson": [UNREADABLE + "not JSON, " + url],
            "html500": [UNREADABLE + "not JSON, HTTP status 500, " + url],
            "redirect": [UNREADABLE, ", HTTP status 302, "],
            "array": [UNREADABLE + "JSON that is not an object, " + url],
            "nomessage": ["has no timetable for train 5410"],
            "empty": [UNREADABLE + "empty, " + url],
            "cut": [UNREACHABLE, " (" + url + ")"],
        }
        for mode, fragments in cases.items():
            with self.subTest(mode=mode):
                control(timetable=mode)
                run = self.run_program("5410 EP09 x x 160\n")
                self.assertError(run, *fragments, stdout=TIMETABLE_FAILED)
                self.assertNothingPrinted(run)

    def test_json_answer_with_an_error_status_is_used(self):
        control(timetable="json500")
        run = self.run_program(EXPRESS[1])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))

    def test_stalled_service_ends_at_the_time_out(self):
        control(timetable="stall")
        run = self.run_program("5410\n", timeout=60)
        self.assertError(run, UNREACHABLE, "timed out", stdout=TIMETABLE_FAILED)
        self.assertLess(run.elapsed, 40)

    def test_service_not_running(self):
        harness.stop_service()
        try:
            run = self.run_program("5410\n")
        finally:
            harness.start_service()
        self.assertError(run, UNREACHABLE, " (" + BASE, stdout=TIMETABLE_FAILED)
        self.assertLess(run.elapsed, 15)

    def test_a_ca_bundle_that_cannot_be_read_ends_the_run_before_any_prompt(self):
        os.remove(os.path.join(self.folder, "cacert.pem"))
        os.mkdir(os.path.join(self.folder, "cacert.pem"))
        run = self.run_program("5410\n")
        self.assertError(run, "the CA bundle cacert.pem in the working folder cannot be read",
                         stdout="")
        self.assertEqual(self.new_requests(), [])

    def test_certificate_the_bundle_does_not_trust(self):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=Some other CA", "-keyout", "other.key",
                        "-out", "cacert.pem"], cwd=self.folder, check=True,
                       capture_output=True)
        run = self.run_program("5410\n")
        error = self.assertError(run, "the certificate of localhost is not trusted by cacert.pem "
                                      "in the working folder", BASE, stdout=TIMETABLE_FAILED)
        # The cause in the program's own words: neither OpenSSL's (Linux) nor Schannel's
        # (Windows), which the driver could not read in Polish.
        for words in ("CertGetCertificateChain", "self-signed", "SSL certificate problem"):
            self.assertNotIn(words, error)

    def test_online_list_failures_only_give_a_notice(self):
        for mode in ("notjson", "html500", "array", "cut", "redirect", "empty"):
            with self.subTest(mode=mode):
                control(online=mode)
                run = self.run_program(EXPRESS[1])
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
                self.assertRegex(run.stderr, r"\Anotice: the list of trains online could not be "
                                             r"read, so mass and length stay empty on the form: "
                                             r"[^\n]*the timetable service [^\n]+\n" +
                                 re.escape(SAMPLE_STDERR["5410"]) + r"\Z")
        control(online="nomessage")
        run = self.run_program(EXPRESS[1])
        self.assertIn("train 5410 is not in the list of trains online", run.stderr)

    def test_an_answer_over_the_size_limit_ends_the_run_at_once(self):
        # 300 MB with its length announced, or without one: then the body grows until the limit.
        # The list of trains online ends the run too, rather than giving a notice.
        timetable_url = BASE + "method=readFromSWDR&value=getTimetable;5410;eu"
        for query, mode, url, limit in (
                ("timetable", "huge", timetable_url, "4 MB"),
                ("timetable", "hugechunked", timetable_url, "4 MB"),
                ("online", "hugechunked", BASE + "method=getTrainsOnline", "16 MB")):
            with self.subTest(query=query, mode=mode):
                control(**{query: mode})
                run = self.run_program(EXPRESS[1], timeout=60, measure_memory=True)
                self.assertError(run, "answer larger than %s; ask the IT department to check the "
                                      "service: %s" % (limit, url),
                                 stdout=TIMETABLE_FAILED)
                self.assertNothingPrinted(run)
                if harness.measures_its_own_memory():
                    self.assertLess(run.peak_memory, 100 * 1024 * 1024)

    def test_a_deeply_nested_answer_is_refused_while_it_is_read(self):
        # Stop points of arrays a million deep, 2 MB: the service's answers are 4 deep.
        control(timetable="deep")
        run = self.run_program(EXPRESS[1], measure_memory=True)
        self.assertError(run, "an answer nested deeper than 32 levels; ask the IT department to "
                              "check the service: " + BASE + TIMETABLE_QUERY % ("5410", "eu"),
                         stdout=TIMETABLE_FAILED)
        if harness.measures_its_own_memory():
            self.assertLess(run.peak_memory, 40 * 1024 * 1024)

    def test_a_long_timetable_of_empty_stops_is_read_in_time_linear_in_its_size(self):
        # 1.2 MB and 3.9 MB of "{}," (the limit is 4 MB): reading must not look over the stop
        # points read so far after each one, which took 45 s for the smaller one and more than
        # 300 s for the larger. The bound only guards against that, with room for a sanitizer's
        # or an emulator's slowness; print_job_benchmark measures the reading itself.
        for count in (400000, 1300000):
            with self.subTest(stops=count):
                control(timetable="emptystops", emptyStops=count)
                run = self.run_program(EXPRESS[1], timeout=120)
                self.assertLess(run.elapsed, 60)
                self.assertIn(run.returncode, (0, 1), run.stderr)
                self.assertNotIn("cannot be read", run.stderr)

    def test_unreadable_times_name_the_stop(self):
        control(timetables={"777": timetable(stop("A", None, "10:00"),
                                             stop("Łowicz", "soon", None))})
        run = self.run_program("777 x x x 1\n")
        self.assertError(run, 'the timetable service sent an unreadable arrival time for stop 2 '
                              '("Łowicz"); ask the IT department to check the service: '
                              '"arrivalTime": "2026-12-08Tsoon:00Z"', stdout=TIMETABLE_FAILED)
        self.assertNothingPrinted(run)

    def test_printer_that_cannot_be_opened(self):
        os.mkdir(os.path.join(self.folder, "LPT1"))
        run = self.run_program(EXPRESS[1])
        reason = "Permission denied" if harness.RUNNER else "Is a directory"
        self.assertError(run, "cannot open the printer LPT1" + LPT1_ADVICE + reason, stdout="")
        self.assertEqual(self.new_requests(), [])

    def test_a_pipe_as_printer_is_checked_before_the_first_prompt(self):
        if harness.RUNNER:
            self.skipTest("wine's LPT1 is a device")
        # Nobody reads it: the run ends at once instead of waiting for a reader.
        for args, name, advice in (((), "LPT1", LPT1_ADVICE),
                                   (("-o", "queue"), "queue",
                                    "; check that it is connected and switched on: ")):
            with self.subTest(printer=name):
                os.mkfifo(self.path(name))
                run = self.run_program(EXPRESS[1], args=args, timeout=30)
                self.assertError(run, "cannot open the printer " + name + advice +
                                 "No such device or address", stdout="")
                self.assertEqual(self.new_requests(), [])
        # A reader, as a raw print queue has, gets the form's exact bytes and its end.
        received = []

        def read_to_the_end():
            with open(self.path("LPT1"), "rb") as pipe:
                received.append(pipe.read())
        reader = threading.Thread(target=read_to_the_end)
        reader.start()
        run = self.run_program(EXPRESS[1])
        reader.join(30)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden:
            self.assertEqual(received, [golden.read()])

    def test_links_another_user_planted_in_a_shared_folder_are_not_followed(self):
        if harness.RUNNER or os.geteuid() != 0:
            self.skipTest("needs Linux and root, to give a link to another user")
        # The run's folder as /tmp is: anyone may add entries, only owners remove theirs. Each
        # link, owned by nobody, leads to a file of root's.
        os.chmod(self.folder, 0o1777)
        victim = self.path("victim")
        with open(victim, "wb") as f:
            f.write(b"root's file")
        nobody = pwd.getpwnam("nobody")
        planted = ("; it is a symbolic link that another user put in a folder everyone may "
                   "write, so it is not followed")
        for link, args, error in (
                ("LPT1", (), "cannot write LPT1: "),
                ("form.prn", ("-o", "form.prn"), "cannot write form.prn: "),
                ("form-2.png", ("-o", "form-%d.png"), "cannot write form-2.png: ")):
            with self.subTest(link=link):
                os.symlink(victim, self.path(link))
                os.lchown(self.path(link), nobody.pw_uid, nobody.pw_gid)
                run = self.run_program(EXPRESS[1], args=args)
                self.assertError(run, error, "Operation not permitted: ", planted[2:], stdout="")
                self.assertEqual(self.new_requests(), [])
                os.remove(self.path(link))
        with open(victim, "rb") as f:
            self.assertEqual(f.read(), b"root's file")

    def test_a_run_from_the_start_menu_is_advised_with_its_entries(self):
        os.mkdir(os.path.join(self.folder, "LPT1"))
        run = self.run_program(EXPRESS[1], args=["--start-menu"])
        # Before the first prompt, as every printer that cannot be opened.
        message = self.assertError(run, "cannot open the printer LPT1" + MENU_LPT1_ADVICE,
                                   stdout="")
        self.assertNotIn("--", message)
        os.rmdir(os.path.join(self.folder, "LPT1"))
        harness.stop_service()
        try:
            run = self.run_program("5410\n", args=["--start-menu"])
        finally:
            harness.start_service()
        message = self.assertError(run, MENU_UNREACHABLE, stdout=TIMETABLE_FAILED)
        self.assertNotIn("--", message)

    def test_printer_write_error(self):
        os.symlink("/dev/full", os.path.join(self.folder, "LPT1"))
        run = self.run_program(EXPRESS[1])
        self.assertError(run, "cannot write to the printer LPT1; check that it is switched on, "
                              "connected and has paper, then print again: No space left on device",
                         stdout=DIALOGUE_HEAD + "14\n")

    def test_read_only_printer_file(self):
        if os.geteuid() == 0:
            self.skipTest("root may write to a read-only file")
        path = os.path.join(self.folder, "LPT1")
        open(path, "wb").close()
        os.chmod(path, stat.S_IRUSR)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, "cannot open the printer LPT1" + LPT1_ADVICE + "Permission denied")


class Printing(EndToEnd):
    def assertGolden(self, name, data):
        with open(os.path.join(harness.HERE, "golden", name), "rb") as f:
            self.assertEqual(data, f.read(), "printer bytes differ from golden/" + name)

    def test_forms_match_the_reviewed_printer_files(self):
        for number, typed, _ in (EXPRESS, NIGHT, REGIONAL):
            with self.subTest(train=number):
                run = self.run_program(typed)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertGolden(number + ".prn", run.printed())

    def test_every_form_line_prints_85_columns(self):
        run = self.run_program("5410 EP09 EU07 ET22 160\n")
        lines = printed_lines(run.printed())
        self.assertEqual(lines[:4], ["", " ", " ", "EIC5410 Relacja Kraków Główny - Gdynia Główna"])
        form = lines[4:]
        self.assertEqual(len(form), 6 + 15 * 6 + 1)
        for number, line in enumerate(form[:-1]):
            self.assertEqual(len(line), 85, "line %d: %r" % (number, line))
        self.assertEqual(form[-1], "└" + "─" * 5 + "┴" + "─" * 32 + "┴" + "─" * 9 + "┴" +
                         "─" * 9 + "┴" + "─" * 6 + "┴" + "─" * 8 + "┴" + "─" * 8 + "┘\f")

    def test_polish_locomotive_word_typed_through_a_pipe(self):
        run = self.run_program("5410 ŁÓDŹ1 x x 160\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn(b"\xb3\x9d\xe0D\x8d1 \xb3", run.printed())

    def test_service_text_cannot_inject_printer_commands(self):
        control(timetables={"777": timetable(stop("Evil\x1bw1\n\x0cName", None, "10:00"),
                                             stop("B|C", "10:10", None))})
        run = self.run_program("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        lines = printed_lines(run.printed())
        self.assertIn("│ ___ │Evil?w1??Name", lines[12])
        self.assertIn("│ ___ │B - C  ", lines[18])
        self.assertEqual(run.printed().count(b"\x0c"), 1)
        # "B|C" fits its field until its "|" prints as three columns.
        self.assertEqual(run.stderr, "notice: train 777 is not in the list of trains online, so "
                                     "mass and length stay empty on the form\n" +
                         too_wide("B|C", "station name", 32))

    def test_bidirectional_marks_in_a_served_name_do_not_reach_the_terminal(self):
        marks = "\u200e\u200f\u061c\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069"
        name = "Stacja" + marks + "z bardzo długą nazwą, szerszą niż pole"
        control(timetables={"777": timetable(stop(name, None, "10:00"), stop("B", "10:10", None))})
        run = self.run_program("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        shown = name.replace("\u200e", " ")
        for mark in marks:
            shown = shown.replace(mark, " ")
        self.assertIn(too_wide(shown, "station name", 32), run.stderr)
        for mark in marks:
            self.assertNotIn(mark, run.stderr)

    def test_a_locomotive_wider_than_its_field_prints_whole_with_one_warning(self):
        for number, typed, last_row in (EXPRESS, NIGHT, REGIONAL):
            with self.subTest(train=number):
                words = typed.split("\n")
                words[1] = "ST44-1220"
                run = self.run_program("\n".join(words))
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
                self.assertEqual(run.stderr,
                                 too_wide("ST44-1220", "LOK1", 6) + SAMPLE_STDERR[number])
                # Printed by the program as it was before it warned.
                self.assertGolden(number + "-ST44-1220.prn", run.printed())


class CommandLine(EndToEnd):
    def test_help_and_version(self):
        run = self.run_program("", args=["--help"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertIn("usage: timetable-print [-o FILE [--view] | -p PRINTER | --drawn [-p PRINTER]"
                      " | --view]", run.stdout)
        run = self.run_program("", args=["--version"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertRegex(run.stdout, r"\Atimetable-print \d+\.\d+\.\d+\n\Z")

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


class Output(EndToEnd):
    """-o FILE: the printer's bytes, or the form rendered as timetable-preview renders them."""

    def pdf_text(self, name):
        return pdf_pages_and_text(self.path(name))

    def test_bytes_file_is_the_printer_stream_and_lpt1_is_not_touched(self):
        # A name with Polish letters reaches the file system whole, on Windows too.
        for (number, typed, last_row), name in zip((EXPRESS, NIGHT, REGIONAL),
                                                   ("form.prn", "nocny", "Łódź Kaliska.prn")):
            with self.subTest(train=number):
                run = self.run_program(typed, args=["-o", name])
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
                with open(self.path(name), "rb") as f, \
                        open(os.path.join(harness.GOLDEN, number + ".prn"), "rb") as golden:
                    self.assertEqual(f.read(), golden.read())
                self.assertNothingPrinted(Run(0, "", "", 0, self.folder))
                self.assertEqual(sorted(os.listdir(self.folder)),
                                 sorted(["cacert.pem", name] + (["LPT1"] if harness.RUNNER else [])))
                os.remove(self.path(name))

    def test_a_name_near_the_length_limit(self):
        # The temporary file beside it has a longer name. Linux: a name of 250 bytes, where a
        # name may have 255. Windows: a path of 255 characters, where a path may have 259
        # unless it is given in the \\?\ form.
        if harness.RUNNER:
            prefix = "Z:" + self.folder.replace("/", "\\") + "\\"
            folder = "x" * (255 - len(prefix) - len("\\form.prn"))
            os.mkdir(self.path(folder))
            name = folder + "\\form.prn"
            self.assertEqual(len(prefix + name), 255)
        else:
            name = "Łódź" * 35 + "x.prn"
            self.assertEqual(len(name.encode("utf-8")), 250)
        run = self.run_program(EXPRESS[1], args=["-o", name])
        self.assertEqual(run.returncode, 0, run.stderr)
        path = self.path(name.replace("\\", "/"))
        with open(path, "rb") as f, open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden:
            self.assertEqual(f.read(), golden.read())
        left = [entry for entry in os.listdir(os.path.dirname(path)) if entry.startswith(".")]
        self.assertEqual(left, [], "the temporary file is left")

    def test_pdf_and_png_show_what_the_preview_shows(self):
        if not harness.PREVIEW:
            self.skipTest("no timetable-preview given")
        for number, typed, _ in (EXPRESS, REGIONAL):
            with self.subTest(train=number):
                runs = {name: self.run_program(typed, args=["-o", name])
                        for name in ("form.pdf", "form.png", "form.prn")}
                for run in runs.values():
                    self.assertEqual(run.returncode, 0, run.stderr)
                # The express's form takes two pages, and one PNG shows the first.
                self.assertEqual(runs["form.png"].stderr.replace(SAMPLE_STDERR[number], ""),
                                 "" if number != "5410" else
                                 "notice: form.png shows only the first of the form's 2 pages; "
                                 "to get every page, name the file with %d: form-%d.png\n")
                self.preview(self.path("form.prn"), self.path("expected.pdf"))
                self.preview(self.path("form.prn"), self.path("expected.png"))
                self.assertEqual(self.pdf_text("form.pdf"), self.pdf_text("expected.pdf"))
                self.assertSamePixels(self.path("form.png"), self.path("expected.png"))

    def test_windows_preview_renders_as_the_reference_does(self):
        if not harness.RUNNER or not harness.PREVIEW:
            self.skipTest("compares a cross-built timetable-preview with the host's")
        preview = os.path.join(os.path.dirname(harness.PROGRAM), "timetable-preview.exe")
        golden = os.path.join(harness.GOLDEN, "5410.prn")
        shutil.copy(golden, self.path("Łódź.prn"))  # A name the ANSI code page may lack.
        for name in ("form.pdf", "form.png"):
            run = subprocess.run(harness.RUNNER + [preview, "Łódź.prn", "-o", name],
                                 cwd=self.folder, capture_output=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.preview(golden, self.path("expected-" + name))
        self.assertEqual(self.pdf_text("form.pdf"), self.pdf_text("expected-form.pdf"))
        self.assertSamePixels(self.path("form.png"), self.path("expected-form.png"))

    def run_with_viewer(self, *args, viewer=True):
        """A run whose desktop viewer is a stand-in xdg-open that records the file it opens;
        without viewer, there is no xdg-open at all. The temporary folder is the run's."""
        tools = self.path("tools")
        os.mkdir(tools)
        for tool in ("sh", "cat"):  # What the stand-in itself needs.
            os.symlink(shutil.which(tool), os.path.join(tools, tool))
        if viewer:  # It records its blocked and ignored signals too.
            with open(os.path.join(tools, "xdg-open"), "w") as script:
                script.write('#!/bin/sh\necho "$1" >> "%s"\n' % self.path("viewed") +
                             'while read -r name value; do case "$name" in SigBlk:|SigIgn:) '
                             'echo "$name $value";; esac; done </proc/$$/status >"%s"\n'
                             % self.path("signals"))
            os.chmod(os.path.join(tools, "xdg-open"), 0o755)
        env = dict(os.environ, PATH=tools, TMPDIR=self.path("tmp"))
        os.mkdir(self.path("tmp"))
        return self.run_program(EXPRESS[1], args=args, env=env)

    def viewed(self):
        with open(self.path("viewed")) as record:
            return record.read().splitlines()

    def test_view_opens_the_drawn_form_once_it_is_written(self):
        if harness.RUNNER:
            self.skipTest("the desktop's viewer is started through Windows' shell")
        run = self.run_with_viewer("--view")
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        [viewed] = self.viewed()
        self.assertRegex(viewed, r"\A%s/timetable-5410-\d{8}-\d{6}\.pdf\Z" % re.escape(
            self.path("tmp")))
        os.remove(self.path("viewed"))
        run = self.run_program(EXPRESS[1], args=["-o", "form.pdf"])
        self.assertEqual(pdf_pages_and_text(viewed), self.pdf_text("form.pdf"))
        # A PDF holds every page under its own name, %d and all, and that file is shown.
        shutil.rmtree(self.path("tools"))
        shutil.rmtree(self.path("tmp"))
        run = self.run_with_viewer("-o", "form-%d.pdf", "--view")
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        self.assertEqual(self.viewed(), ["form-%d.pdf"])
        self.assertEqual(self.pdf_text("form-%d.pdf"), self.pdf_text("form.pdf"))

    def test_the_viewer_starts_with_no_signal_blocked_or_ignored_by_the_program(self):
        if harness.RUNNER:
            self.skipTest("the desktop's viewer is started through Windows' shell")
        run = self.run_with_viewer("--view")
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("signals")) as record:
            masks = {name: int(value, 16) for name, value in map(str.split, record)}
        self.assertEqual(masks["SigBlk:"], 0)
        ignored_here = (1 << (signal.SIGPIPE - 1)) | (1 << (signal.SIGXFSZ - 1))
        self.assertEqual(masks["SigIgn:"] & ignored_here, 0)

    def test_a_form_that_cannot_be_shown_is_named_in_a_notice(self):
        if harness.RUNNER:
            self.skipTest("the desktop's viewer is started through Windows' shell")
        run = self.run_with_viewer("-o", "form.pdf", "--view", viewer=False)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertRegex(run.stderr.replace(SAMPLE_STDERR["5410"], ""),
                         r"\Anotice: the form could not be shown; open the file form.pdf "
                         r"yourself: xdg-open cannot be started: [^\n]+\n\Z")
        self.assertTrue(os.path.exists(self.path("form.pdf")))

    def test_a_run_that_fails_leaves_an_earlier_file_as_it_was(self):
        names = ["form.pdf", "form.prn"]
        for name in names:
            with open(self.path(name), "wb") as f:
                f.write(b"earlier form")
        control(timetable="html500")
        for name in names:
            self.assertError(self.run_program(EXPRESS[1], args=["-o", name]))
        control()
        if not harness.RUNNER:  # A full disk, after the dialogue: the form cannot be written.
            for name in names:
                with self.subTest(output=name):
                    run = self.run_program(EXPRESS[1], args=["-o", name], file_size_limit=4096)
                    self.assertError(run, "cannot write " + name + ": File too large")
                    self.assertTrue(run.stdout.startswith(DIALOGUE_HEAD + "14\n"), run.stdout)
        for name in names:
            with open(self.path(name), "rb") as f:
                self.assertEqual(f.read(), b"earlier form")
        self.assertEqual(sorted(os.listdir(self.folder)),
                         sorted(["cacert.pem"] + names + (["LPT1"] if harness.RUNNER else [])))


    def test_numbered_pages_go_in_place_all_together_or_not_at_all(self):
        # A form of several sheets, over the files of an earlier run; the third sheet's name is a
        # folder, so the run fails there, after the first two sheets were drawn.
        stops = [stop("S%d" % i, "10:00", "10:01") for i in range(149)] + [stop("E", "11:00", None)]
        control(timetables={"777": timetable(*stops)})
        for page in (1, 2, 4):
            with open(self.path("form-%d.png" % page), "wb") as f:
                f.write(b"earlier page")
        os.mkdir(self.path("form-3.png"))
        run = self.run_program("777 x x x 1\n", args=["-o", "form-%d.png"])
        self.assertError(run, "cannot write form-3.png: it is a folder")
        for page in (1, 2, 4):
            with open(self.path("form-%d.png" % page), "rb") as f:
                self.assertEqual(f.read(), b"earlier page", "form-%d.png" % page)
        self.assertEqual(sorted(os.listdir(self.folder)),
                         sorted(["cacert.pem", "form-1.png", "form-2.png", "form-3.png",
                                 "form-4.png"] + (["LPT1"] if harness.RUNNER else [])))

    def test_an_interrupt_removes_the_file_not_yet_in_place(self):
        # A plain file LPT1 is put in place complete too: an interrupt leaves the earlier form.
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        with open(self.path("LPT1"), "wb") as f:
            f.write(b"earlier form")
        for (signal_number, status), args, pending_start in (
                ((signal.SIGINT, 130), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGTERM, 143), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGQUIT, 131), ["-o", "form.prn"], ".form.prn."),
                # The other signals whose default would end the run without its cleanup.
                ((signal.SIGHUP, 129), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGUSR1, 138), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGUSR2, 140), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGALRM, 142), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGINT, 130), [], ".LPT1.")):
            with self.subTest(signal=signal_number, args=args):
                process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2], args=args)
                pending = sorted(set(os.listdir(self.folder)) - {"cacert.pem", "LPT1"})
                self.assertEqual(len(pending), 1, pending)
                self.assertTrue(pending[0].startswith(pending_start), pending)
                run = self.end_held(process, reader, signal_number)
                self.assertEqual((run.returncode, run.stdout, run.stderr),
                                 (status, DIALOGUE_HEAD + "8\n", ""))
                self.assertEqual(sorted(os.listdir(self.folder)), ["LPT1", "cacert.pem"])
                with open(self.path("LPT1"), "rb") as f:
                    self.assertEqual(f.read(), b"earlier form")


    def test_a_lost_reader_of_the_dialogue_does_not_stop_the_form(self):
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2], args=["-o", "form.prn"])
        os.close(reader)  # As head does once it has its lines.
        process.wait(timeout=30)
        with process.stderr:
            stderr = process.stderr.read().decode("utf-8")
        self.assertEqual((process.returncode, stderr), (
            0, "notice: the dialogue could not be shown to its end, as standard output was "
               "closed; the form was finished all the same\n"))
        with open(self.path("form.prn"), "rb") as f, \
                open(os.path.join(harness.GOLDEN, "38170.prn"), "rb") as golden:
            self.assertEqual(f.read(), golden.read())
        self.assertEqual(sorted(os.listdir(self.folder)), ["cacert.pem", "form.prn"])


class Spooler(EndToEnd):
    """--printer NAME: one raw job on a printer of a CUPS daemon of the tests' own."""

    @classmethod
    def setUpClass(cls):
        cls.spooler = private_cupsd.start(os.path.join(harness.WORK, "cups"))

    @classmethod
    def tearDownClass(cls):
        cls.spooler.stop()

    def print_through_spooler(self, typed, *args):
        self.spooler.remove_output()
        return self.run_program(typed, args=args, env=self.spooler.env())

    def test_forms_reach_the_printer_unchanged(self):
        for number, typed, last_row in (EXPRESS, NIGHT, REGIONAL):
            with self.subTest(train=number):
                run = self.print_through_spooler(typed, "--printer", "dotmatrix")
                self.assertEqual(run.returncode, 0, run.stderr + self.spooler.log()[-2000:])
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
                self.assertEqual(run.stderr, SAMPLE_STDERR[number])
                with open(os.path.join(harness.GOLDEN, number + ".prn"), "rb") as golden:
                    self.assertEqual(self.spooler.wait_for_output(), golden.read())
        self.assertNothingPrinted(run)

    def add_office_queue(self):
        """An office printer: a queue with a driver, here one that takes PDF as it is."""
        output = os.path.join(self.folder, "office.out")
        self.spooler.add_queue("office", output, ppd=private_cupsd.PDF_PRINTER_PPD)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "office")
        return output

    def test_drawn_pages_are_one_pdf_job_on_the_named_or_the_default_printer(self):
        if harness.RUNNER:
            self.skipTest("Windows prints drawn pages through GDI, tested on its own")
        output = self.add_office_queue()
        run = self.run_program(EXPRESS[1], args=["-o", "form.pdf"])
        expected = pdf_pages_and_text(os.path.join(self.folder, "form.pdf"))
        for args in (["--drawn", "--printer", "office"], ["--drawn"]):
            with self.subTest(args=args):
                if args == ["--drawn"]:
                    self.spooler.run("lpadmin", "-d", "office")
                self.spooler.remove_output(output)
                run = self.run_program(EXPRESS[1], args=args, env=self.spooler.env())
                self.assertEqual(run.returncode, 0, run.stderr + self.spooler.log()[-2000:])
                self.assertEqual(run.stderr, SAMPLE_STDERR["5410"])
                printed = self.spooler.wait_for_output(path=output)
                self.assertTrue(printed.startswith(b"%PDF-"), printed[:20])
                with open(os.path.join(self.folder, "job.pdf"), "wb") as job:
                    job.write(printed)
                self.assertEqual(pdf_pages_and_text(job.name), expected)

    def test_drawn_without_a_default_printer_fails_before_any_request(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler takes the first printer as the default")
        spooler = private_cupsd.start(os.path.join(self.folder, "cups"))
        self.addCleanup(spooler.stop)
        run = self.run_program(EXPRESS[1], args=["--drawn"], env=spooler.env())
        self.assertError(run, "no default printer", "--printer", stdout="")
        self.assertEqual(self.new_requests(), [])
        # The Start-menu entry "Timetable form" has no command line to name a printer on.
        run = self.run_program(EXPRESS[1], args=["--drawn", "--start-menu"], env=spooler.env())
        self.assertNotIn("--", self.assertError(run, "no default printer", stdout=""))

    def test_printers_are_listed_and_an_unknown_one_fails_before_any_request(self):
        self.spooler.run("lpadmin", "-d", "dotmatrix")
        run = self.print_through_spooler("", "--list-printers")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "dotmatrix (default)\n")
        for args in (["--printer", "nosuch"], ["--drawn", "--printer", "nosuch"]):
            with self.subTest(args=args):
                run = self.print_through_spooler(EXPRESS[1], *args)
                self.assertError(run, '"nosuch"', "--list-printers", stdout="")
                self.assertEqual(self.new_requests(), [])

    def drawn_pages(self, job):
        """The features of each page of a drawn job, as ghostscript renders it at 150 dpi with
        grey edges, as cairo draws the preview: a PDF from CUPS, PostScript from wine's printer
        driver."""
        with open(self.path("job"), "wb") as f:
            f.write(job)
        for name in os.listdir(self.folder):
            if name.startswith("page-"):
                os.remove(self.path(name))
        gs = subprocess.run(["gs", "-q", "-dSAFER", "-sDEVICE=pgmraw", "-r150",
                             "-dGraphicsAlphaBits=4", "-dTextAlphaBits=4", "-o", "page-%d.pgm",
                             "job"],
                            cwd=self.folder, capture_output=True, timeout=120)
        self.assertEqual(gs.returncode, 0, gs.stderr)
        count = len([name for name in os.listdir(self.folder) if name.startswith("page-")])
        return [harness.page_features(*harness.pgm_pixels(self.path("page-%d.pgm" % number)))
                for number in range(1, count + 1)]

    def assertDrawnAsPreviewed(self, job, expected):
        """Each page of the job shows what the preview's PNG of that sheet shows, at the same
        place and size: as many pages, of the same size; the box around the ink and every long
        rule within 2 pixels (a blank page has no box, a page drawn at another scale or place a
        box and rules elsewhere); about as much ink (glyphs and rules drawn, not just a frame)."""
        pages = self.drawn_pages(job)
        self.assertEqual(len(pages), len(expected), "pages of the job")
        for number, (page, reference) in enumerate(zip(pages, expected), 1):
            with self.subTest(page=number):
                self.assertEqual(page["size"], reference["size"])
                self.assertIsNotNone(page["box"], "a blank page")
                for key in ("rows", "columns"):
                    self.assertEqual(len(page[key]), len(reference[key]), key)
                for got, want in zip(page["box"] + tuple(page["rows"] + page["columns"]),
                                     reference["box"] + tuple(reference["rows"] +
                                                              reference["columns"])):
                    self.assertLessEqual(abs(got - want), 2, (page, reference))
                self.assertLess(abs(page["ink"] / reference["ink"] - 1), 0.2, (page, reference))

    def test_the_drawn_form_prints_as_the_preview_shows_it(self):
        if not harness.RUNNER:
            self.skipTest("on Linux the job is the PDF itself, compared with -o form.pdf's")
        if not harness.PREVIEW:
            self.skipTest("no timetable-preview given")
        # The express's form takes two A4 sheets.
        self.preview(os.path.join(harness.GOLDEN, "5410.prn"), self.path("expected-%d.png"))
        expected = [harness.page_features(*harness.png_first_channel(self.path(name)))
                    for name in sorted(os.listdir(self.folder)) if name.startswith("expected-")]
        self.assertEqual(len(expected), 2)
        office = os.path.join(self.folder, "office.out")
        self.spooler.add_queue("office", office)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "office")
        # Named, then as the user's default printer. Without a default, wine's spooler takes the
        # first printer by name, dotmatrix. Wine sees the user's default of lpoptions but not the
        # server's: libcups does not mark the latter when lpoptions holds options of a printer.
        for args in (["--printer", "office"], []):
            with self.subTest(args=args):
                if not args:
                    self.addCleanup(self.spooler.run, "lpoptions", "-x", "office")
                    self.spooler.run("lpoptions", "-d", "office")
                self.spooler.remove_output(office)
                run = self.print_through_spooler(EXPRESS[1], "--drawn", *args)
                self.assertEqual(run.returncode, 0, run.stderr + self.spooler.log()[-2000:])
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
                self.assertEqual(run.stderr, SAMPLE_STDERR["5410"])
                job = self.spooler.wait_for_output(timeout=30, path=office)
                self.assertIsNotNone(job, self.spooler.log()[-2000:])
                self.assertIsNone(self.spooler.wait_for_output(timeout=0))  # Not on dotmatrix.
                self.assertDrawnAsPreviewed(job, expected)

    def test_a_job_the_spooler_rejects_is_not_reported_as_printed(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler forgets a job handed to CUPS and tells no printer state")
        broken = os.path.join(self.folder, "missing", "out.prn")  # The backend cannot write it.
        self.spooler.add_queue("broken", broken)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "broken")
        run = self.print_through_spooler(REGIONAL[1], "--printer", "broken")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertRegex(run.stderr, r"\Awarning: print job broken-\d+ is not completed; check "
                                     r"that the printer is switched on and has paper, and look at "
                                     r"its queue in the system's printer settings: "
                                     r"job-state aborted[^\n]*\n\Z")

    def add_slow_queue(self):
        """A queue whose printer takes 20 s for each job, as a dot-matrix printer takes a
        minute for a form."""
        self.spooler.add_queue("slow", os.path.join(self.folder, "slow.prn"), print_seconds=20)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "slow")

    def active_jobs(self, queue):
        return [line.split()[0] for line in self.spooler.run("lpstat", "-o", queue).splitlines()]

    def job_state(self, job):
        return self.spooler.job_state(int(job.rsplit("-", 1)[1]))

    def start_printing(self, typed, *args):
        process = subprocess.Popen([harness.PROGRAM, *args], cwd=self.folder,
                                   env=self.spooler.env(), stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.addCleanup(process.stderr.close)
        self.addCleanup(process.stdout.close)
        process.stdin.write(typed.encode("utf-8"))
        process.stdin.close()
        return process

    def read_until(self, process, end):
        """The standard output up to and with the text end (or all of it)."""
        stdout = b""
        while not stdout.endswith(end.encode("utf-8")):
            line = process.stdout.readline()
            if not line:
                break
            stdout += line
        return stdout.decode("utf-8")

    def test_a_slow_printer_ends_the_run_at_once_without_a_warning(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler forgets a job handed to CUPS and tells no printer state")
        self.add_slow_queue()
        _, typed, last_row = REGIONAL
        process = self.start_printing(typed, "--printer", "slow")
        stdout = self.read_until(process, "%d OK\n" % last_row)
        last_row_reported = time.monotonic()
        process.wait(timeout=60)
        elapsed = time.monotonic() - last_row_reported
        stdout += process.stdout.read().decode("utf-8")
        stderr = process.stderr.read().decode("utf-8")
        self.assertEqual((process.returncode, stderr), (0, ""))
        self.assertEqual(stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
        self.assertLess(elapsed, 3)
        [job] = self.active_jobs("slow")
        self.assertEqual(self.job_state(job), "processing")

    def test_an_interrupt_cancels_an_open_job_and_not_one_handed_over(self):
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        # Open: the program is held at the report of its first row, the job's document unfinished.
        self.spooler.remove_output()
        process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2],
                                                       args=["--printer", "dotmatrix"],
                                                       env=self.spooler.env())
        [job] = self.active_jobs("dotmatrix")
        run = self.end_held(process, reader, signal.SIGINT)
        self.assertEqual((run.returncode, run.stdout, run.stderr),
                         (130, DIALOGUE_HEAD + "8\n", ""))
        self.assertEqual(self.active_jobs("dotmatrix"), [])
        self.assertEqual(self.job_state(job), "canceled")
        self.assertIsNone(self.spooler.wait_for_output(timeout=1))
        # Handed over: the program asks the spooler about the job it finished, for two seconds.
        self.add_slow_queue()
        asked = self.spooler.access_log().count("Get-Job-Attributes")
        process = self.start_printing(REGIONAL[1], "--printer", "slow")
        self.read_until(process, "%d OK\n" % REGIONAL[2])
        deadline = time.monotonic() + 10
        while self.spooler.access_log().count("Get-Job-Attributes") == asked:
            self.assertLess(time.monotonic(), deadline, "the program did not ask about its job")
            time.sleep(0.01)
        process.send_signal(signal.SIGINT)
        process.wait(timeout=30)
        self.assertEqual((process.returncode, process.stderr.read()), (130, b""))
        [job] = self.active_jobs("slow")
        self.assertEqual(self.job_state(job), "processing")

    def test_a_spooler_that_stops_during_the_dialogue_gives_a_clean_error(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler keeps its own idea of the printers")
        spooler = private_cupsd.start(os.path.join(self.folder, "cups"))
        process = subprocess.Popen([harness.PROGRAM, "--printer", "dotmatrix"], cwd=self.folder,
                                   env=spooler.env(), stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            process.stdin.write(b"5410\n")
            process.stdin.flush()
            self.assertEqual(process.stdout.read(len("TRAIN NUMBER: \n\nLOK1:")),
                             b"TRAIN NUMBER: \n\nLOK1:")
        finally:
            spooler.stop()
        stdout, stderr = process.communicate(b"EP09 x x 160\n", timeout=60)
        run = harness.Run(process.returncode, "TRAIN NUMBER: \n\nLOK1:" + stdout.decode(),
                          stderr.decode(), 0, self.folder)
        self.assertError(run, "print spooler", stdout=DIALOGUE_HEAD + "14\n")
        self.assertIsNone(spooler.wait_for_output(timeout=0))


class Language(EndToEnd):
    """Messages in Polish, chosen as gettext chooses; the dialogue and the printer's bytes stay
    as they are in English."""

    def polish(self):
        env = dict(os.environ, LANG="C.UTF-8", LANGUAGE="pl")
        env.pop("LC_MESSAGES", None)
        return env

    def test_the_dialogue_and_the_printed_form_stay_the_same_in_polish(self):
        english = self.run_program(EXPRESS[1])
        english_bytes = english.printed()
        polish = self.run_program(EXPRESS[1], env=self.polish())
        self.assertEqual(polish.returncode, 0, polish.stderr)
        self.assertEqual(polish.stdout, english.stdout)
        self.assertEqual(polish.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
        self.assertEqual(polish.printed(), english_bytes)
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(polish.printed(), f.read())
        self.assertEqual(polish.stderr,
                         'ostrzeżenie: tekst "EU07-123" jest szerszy niż pole „LOK2” (szerokość: '
                         "6); zostanie wydrukowany w całości, a linie na prawo od niego "
                         "przesuną się\n")

    def test_a_language_named_as_a_path_finds_no_catalogue_outside_the_program(self):
        # A catalogue whose "error: " would set the terminal's title, named by a path from the
        # program's share/locale to a folder of the test's own.
        root = self.path("evil")
        messages = os.path.join(root, "xx", "LC_MESSAGES")
        os.makedirs(messages)
        with open(os.path.join(root, "xx.po"), "w", encoding="utf-8") as po:
            po.write('msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n\n'
                     'msgid "error: "\nmsgstr "\\033]0;taken\\007TAKEN: "\n')
        subprocess.run(["msgfmt", "-o", os.path.join(messages, "timetable-print.mo"),
                        os.path.join(root, "xx.po")], check=True)
        share = os.path.join(os.path.dirname(harness.PROGRAM), "share", "locale")
        language = os.path.relpath(os.path.join(root, "xx"), share)
        self.assertTrue(language.startswith(".."), language)
        for languages, kind in ((language, "error: "), (language + ":pl", "błąd: ")):
            with self.subTest(LANGUAGE=languages):
                run = self.run_program("abc\n", env=dict(self.polish(), LANGUAGE=languages))
                self.assertPlainError(run, kind)
        # A locale variable that is a path gives English.
        for variable in ("LC_ALL", "LC_MESSAGES", "LANG"):
            with self.subTest(variable=variable):
                env = dict(os.environ, **{variable: language})
                env.pop("LANGUAGE", None)
                if variable == "LANG":
                    env.pop("LC_MESSAGES", None)
                self.assertPlainError(self.run_program("abc\n", env=env), "error: ")

    def assertPlainError(self, run, kind):
        """An error line of the kind, with no text of the catalogue outside the program. Wine's
        own warnings about the language may come before it."""
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertTrue(run.stderr.splitlines()[-1].startswith(kind), run.stderr)
        self.assertNotIn("\x1b", run.stderr)
        self.assertNotIn("TAKEN", run.stderr)

    def test_errors_and_help_are_polish(self):
        run = self.run_program("abc\n", env=self.polish())
        self.assertEqual((run.returncode, run.stdout), (1, TIMETABLE_FAILED))
        self.assertEqual(run.stderr, 'błąd: "abc" nie jest numerem pociągu; uruchom program '
                                     "ponownie i wpisz numer pociągu cyframi, np. 5410\n")
        harness.stop_service()
        try:
            run = self.run_program("5410\n", env=self.polish())
        finally:
            harness.start_service()
        self.assertEqual((run.returncode, run.stdout), (1, TIMETABLE_FAILED))
        self.assertTrue(run.stderr.startswith(
            "błąd: nie można połączyć się z usługą rozkładu jazdy pod adresem %s; sprawdź "
            "połączenie z siecią albo poproś dział informatyki o sprawdzenie adresu usługi "
            "(timetable-print --settings): "
            % ADDRESS), run.stderr)
        run = self.run_program("", args=["--help"], env=self.polish())
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertTrue(run.stdout.startswith(
            "użycie: timetable-print [-o PLIK [--view] | -p DRUKARKA | --drawn [-p DRUKARKA] | "
            "--view]\n"), run.stdout)
        self.assertIn("      --drawn           drukuje formularz w postaci graficznej", run.stdout)


    def polish_system_texts(self):
        """The C library's own texts of every error number, in Polish as this system has them."""
        script = ("import locale, os; locale.setlocale(locale.LC_ALL, ''); "
                  "print('\\n'.join(os.strerror(code) for code in range(1, 134)))")
        texts = subprocess.run([sys.executable, "-c", script], env=self.polish(), check=True,
                               capture_output=True).stdout.decode("utf-8").splitlines()
        if not any(not text.isascii() for text in texts):
            self.skipTest("the system has no Polish texts of its own (the package locales)")
        return texts

    def test_the_system_texts_keep_their_polish_letters(self):
        if harness.RUNNER:
            self.skipTest("the Windows C runtime's texts are English")
        texts = self.polish_system_texts()
        # A folder that not even root may write in.
        run = self.run_program("5410\n", args=["-o", "/sys/form.prn"], env=self.polish())
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        self.assertTrue(run.stderr.endswith(": %s\n" % texts[13 - 1]), run.stderr)
        self.assertNotIn("?", run.stderr)
        # A print spooler that refuses the connection: its reason is the system's text.
        env = dict(self.polish(), CUPS_SERVER="127.0.0.1:1")
        run = self.run_program("5410\n", args=["--printer", "dotmatrix"], env=env)
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        self.assertIn(run.stderr.rstrip("\n").rsplit(": ", 1)[1], texts, run.stderr)
        self.assertNotIn("?", run.stderr)

    def test_the_start_menu_advice_is_polish(self):
        os.mkdir(os.path.join(self.folder, "LPT1"))
        run = self.run_program(EXPRESS[1], args=["--start-menu"], env=self.polish())
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        self.assertTrue(run.stderr.startswith(
            "błąd: nie można otworzyć drukarki LPT1; jeśli do LPT1 nie jest podłączona drukarka "
            "igłowa, wybierz w menu Start pozycję „Rozkład jazdy”, która drukuje na drukarce "
            "domyślnej: "), run.stderr)


class Settings(EndToEnd):
    """The service and the trust as settings: the user's file (Linux), the option --service."""
    OTHER_PORT = PORT + 1

    @classmethod
    def setUpClass(cls):
        # A second test service, on a port the program knows only from its settings.
        cls.other_service = harness.start_service(cls.OTHER_PORT)

    @classmethod
    def tearDownClass(cls):
        cls.other_service.terminate()
        cls.other_service.wait(10)

    def setUp(self):
        super().setUp()
        if harness.RUNNER:
            self.skipTest("Windows keeps its settings in the registry: see WindowsInstaller")
        folder = os.path.join(os.environ["XDG_CONFIG_HOME"], "timetable-print")
        os.makedirs(folder)
        self.addCleanup(shutil.rmtree, os.environ["XDG_CONFIG_HOME"])
        self.config = os.path.join(folder, "config")
        # The service on the usual port fails every timetable, so that a printed form shows that
        # the run went to the other one.
        control(timetable="html500")

    def write_config(self, text):
        with open(self.config, "w", encoding="utf-8") as f:
            f.write(text)

    def assertGoldenExpress(self, run, stderr=SAMPLE_STDERR["5410"]):
        self.assertEqual((run.returncode, run.stderr), (0, stderr))
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())

    def test_the_user_file_names_the_service_and_the_option_overrides_it(self):
        self.write_config("# the site's service\n\nservice = localhost:%d  # test\ncolour = red\n"
                          % self.OTHER_PORT)
        run = self.run_program(EXPRESS[1])
        self.assertGoldenExpress(run, 'warning: the setting "colour" (%s, line 4) is unknown and '
                                      'left out; the settings are service, ca-file and proxy\n'
                                 % self.config + SAMPLE_STDERR["5410"])
        run = self.run_program(EXPRESS[1], args=["--service", "localhost"])
        self.assertError(run, UNREADABLE + "not JSON, HTTP status 500, " + BASE,
                         stdout=TIMETABLE_FAILED)

    def test_a_bad_setting_ends_the_run_before_the_first_prompt(self):
        self.write_config("\nservice = localhost:%d\nservice = localhost:65536\n" % PORT)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, 'the setting service = "localhost:65536" (from %s, line 3) has a '
                              'port outside 1 to 65535' % self.config, stdout="")
        os.remove(self.config)
        os.mkdir(self.config)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, "the settings file %s cannot be read" % self.config, stdout="")
        # A device that never ends is refused at once, and a file is read no further than a
        # settings file can be long.
        os.rmdir(self.config)
        os.symlink("/dev/zero", self.config)
        run = self.run_program(EXPRESS[1], timeout=10)
        self.assertError(run, "the settings file %s cannot be read; make it readable or remove "
                              "it: it is not a regular file" % self.config, stdout="")
        os.remove(self.config)
        self.write_config("# long\n" * 10000)
        run = self.run_program(EXPRESS[1], timeout=10)
        self.assertError(run, "the settings file %s holds more than 64 KB" % self.config,
                         stdout="")
        os.remove(self.config)
        self.assertUsageError(self.run_program(EXPRESS[1], args=["--service", "local host"]),
                              '"local host" is not a host name or IP address')
        self.assertEqual(self.new_requests(), [])

    def test_settings_shows_each_value_and_where_it_came_from(self):
        os.remove(self.path("cacert.pem"))
        ca = harness.ca_file()
        self.write_config("service = localhost:%d\nca-file = %s\n" % (self.OTHER_PORT, ca))
        run = self.run_program("", args=["--settings"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertEqual(run.stdout,
                         "service = localhost:%d (from %s, line 1)\n"
                         "ca-file = %s (from %s, line 2)\n"
                         "proxy = system (built in)\n"
                         "the service's certificate is checked against the ca-file %s\n"
                         "proxy for localhost:%d: direct: no proxy is set\n"
                         "the support log is %s\n"
                         % (self.OTHER_PORT, self.config, ca, self.config, ca, self.OTHER_PORT,
                            self.support_log_path()))
        run = self.run_program("", args=["--settings", "--service", "[::1]:443"])
        self.assertEqual(run.stdout.splitlines()[0],
                         "service = [::1]:443 (from the option --service)")

    def test_without_cacert_pem_the_ca_file_or_else_the_system_store_is_the_trust(self):
        os.remove(self.path("cacert.pem"))
        self.write_config("service = localhost:%d\nca-file = %s\n"
                          % (self.OTHER_PORT, harness.ca_file()))
        self.assertGoldenExpress(self.run_program(EXPRESS[1]))
        self.write_config("service = localhost:%d\n" % self.OTHER_PORT)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, "the certificate of localhost is not trusted by the system's "
                              "certificate bundle", stdout=TIMETABLE_FAILED)
        self.assertNotIn("cannot be read", run.stderr)
        missing = self.path("missing.pem")
        self.write_config("ca-file = %s\n" % missing)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, "the ca-file %s (from %s, line 1) cannot be read"
                         % (missing, self.config), stdout="")


    def machine_file(self, text, name=None):
        """Writes the machine's settings file, or with name a drop-in of its folder."""
        path = os.environ["TIMETABLE_PRINT_CONF"]
        if name:
            os.makedirs(path + ".d", exist_ok=True)
            self.addCleanup(shutil.rmtree, path + ".d", True)
            path = os.path.join(path + ".d", name)
        else:
            self.addCleanup(os.remove, path)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def make_other_ca(self, name):
        """A CA that vouches for no service here, as the file name in the test's folder."""
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=Some other CA", "-keyout", self.path("other.key"),
                        "-out", self.path(name)], check=True, capture_output=True)
        os.chmod(self.path(name), 0o644)

    def run_in_namespace(self, typed, mounts, args=()):
        """Runs the program in a private mount namespace that the shell commands mounts set up
        first, so that what the program finds under /etc is the test's, and only for this
        run."""
        if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
            self.skipTest("unshare -m is not permitted here, and the test needs its own mounts")
        return self.run_program(typed, program="unshare",
                                args=["-m", "sh", "-c", mounts + ' && exec "$0" "$@"',
                                      harness.PROGRAM, *args], timeout=30)

    def run_under_policy(self, typed, policy, args=()):
        """Runs the program with /etc/timetable-print-policy.conf holding the text policy: /etc
        is overlaid with a folder that holds it, in a private mount namespace."""
        upper = tempfile.mkdtemp(dir=harness.WORK)
        work = tempfile.mkdtemp(dir=harness.WORK)
        self.addCleanup(shutil.rmtree, upper, True)
        self.addCleanup(shutil.rmtree, work, True)
        with open(os.path.join(upper, "timetable-print-policy.conf"), "w") as f:
            f.write(policy)
        overlay = ("mount -t overlay overlay -o lowerdir=/etc,upperdir=%s,workdir=%s /etc"
                   % (upper, work))
        if subprocess.run(["unshare", "-m", "sh", "-c", overlay],
                          capture_output=True).returncode != 0:
            self.skipTest("this system cannot overlay /etc in a private mount namespace")
        return self.run_in_namespace(typed, overlay, args)

    def test_the_user_file_beats_the_machine_file_and_its_drop_ins(self):
        self.machine_file("service = localhost:%d\n" % PORT)
        self.write_config("service = localhost:%d\n" % self.OTHER_PORT)
        self.assertGoldenExpress(self.run_program(EXPRESS[1]))
        os.remove(self.config)
        self.assertError(self.run_program(EXPRESS[1]), UNREADABLE, stdout=TIMETABLE_FAILED)
        # A drop-in comes after the file, in the order of the names; other names are left out.
        self.machine_file("service = localhost:1\n", "00-first.conf")
        site = self.machine_file("# the site\nservice = localhost:%d\n" % self.OTHER_PORT,
                                 "site.conf")
        self.machine_file("service = localhost:2\n", "site.conf.orig")
        self.assertGoldenExpress(self.run_program(EXPRESS[1]))
        run = self.run_program("", args=["--settings"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertEqual(run.stdout.splitlines()[0],
                         "service = localhost:%d (from %s, line 2)" % (self.OTHER_PORT, site))

    def test_a_policy_beats_the_user_file_and_the_option_and_its_ca_file_beats_cacert_pem(self):
        policy = "/etc/timetable-print-policy.conf"
        self.write_config("service = localhost:%d\nca-file = /nonexistent.pem\n" % PORT)
        self.make_other_ca("cacert.pem")
        text = "service = localhost:%d\nca-file = %s\n" % (self.OTHER_PORT, harness.ca_file())
        notice = ("notice: cacert.pem in the working folder is not used, as the site's policy "
                  "sets the ca-file %s: the policy is %s, line 2\n" % (harness.ca_file(), policy))
        self.assertGoldenExpress(self.run_under_policy(EXPRESS[1], text),
                                 notice + SAMPLE_STDERR["5410"])
        run = self.run_under_policy("", text, ["--settings"])
        self.assertEqual((run.returncode, run.stderr), (0, notice))
        self.assertEqual(run.stdout.splitlines()[:2], [
            "service = localhost:%d (policy, from %s, line 1)" % (self.OTHER_PORT, policy),
            "ca-file = %s (policy, from %s, line 2)" % (harness.ca_file(), policy)])
        self.log_start = len(harness.request_log())
        run = self.run_under_policy(EXPRESS[1], text, ["--service", "localhost:%d" % PORT])
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertIn("the option --service \"localhost:%d\" cannot be used, as the site's "
                      "policy sets the service localhost:%d; leave the option out: the policy "
                      "is %s, line 1" % (PORT, self.OTHER_PORT, policy), run.stderr)
        self.assertEqual(self.new_requests(), [])

    def test_settings_shows_every_fault_cleaned_and_exits_1(self):
        os.remove(self.path("cacert.pem"))
        missing = self.path("missing\x1b[2J.pem")
        self.write_config("service = a..b:9641\nca-file = %s\nproxy = http://u:secret@p:1/x\n"
                          % missing)
        run = self.run_program("", args=["--settings"])
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertNotIn("\x1b", run.stdout)
        shown = self.path("missing [2J.pem")
        self.assertEqual(run.stdout.splitlines(), [
            'service = "a..b:9641" (from %s, line 1); wrong: it is not a host name or IP '
            'address' % self.config,
            "ca-file = %s (from %s, line 2); wrong: it cannot be read: No such file or directory"
            % (shown, self.config),
            "proxy = http://u:***@p:1/x (from %s, line 3); wrong: it is not system, direct or "
            "http://HOST:PORT" % self.config,
            "the service's certificate is checked against the ca-file %s" % shown,
            "the support log is %s" % self.support_log_path()])
        self.assertRegex(run.stderr, r"\Aerror: some of the settings above cannot be used[^\n]*\n\Z")
        # The run itself ends at the first of them.
        self.assertError(self.run_program(EXPRESS[1]), 'the setting service = "a..b:9641"',
                         stdout="")

    def test_a_cacert_pem_that_others_could_change_is_refused(self):
        pem = self.path("cacert.pem")
        os.chmod(pem, 0o664)
        self.assertError(self.run_program(EXPRESS[1]), "the CA bundle cacert.pem in the working "
                         "folder is refused, as it may be changed by others than its owner",
                         stdout="")
        os.chmod(pem, 0o644)
        os.chown(pem, pwd.getpwnam("nobody").pw_uid, -1)
        self.assertError(self.run_program(EXPRESS[1]), "the CA bundle cacert.pem in the working "
                         "folder is refused, as it belongs to another user than you or root",
                         stdout="")
        self.assertEqual(self.new_requests(), [])

    def test_a_fifo_as_a_settings_file_or_bundle_is_refused_at_once(self):
        os.mkfifo(self.config)
        run = self.run_program(EXPRESS[1], timeout=5)
        self.assertError(run, "the settings file %s cannot be read; make it readable or remove "
                              "it: it is not a regular file" % self.config, stdout="")
        os.remove(self.config)
        os.remove(self.path("cacert.pem"))
        os.mkfifo(self.path("cacert.pem"))
        run = self.run_program(EXPRESS[1], timeout=5)
        self.assertError(run, "the CA bundle cacert.pem in the working folder cannot be read; "
                              "make it readable or remove it: it is not a regular file",
                         stdout="")

    def test_a_nul_in_a_value_names_the_file_and_the_line(self):
        with open(self.config, "wb") as f:
            f.write(b"# site\nca-file = /etc/site.pem\0/tmp/other.pem\n")
        self.assertError(self.run_program(EXPRESS[1]), '%s, line 2 holds a NUL character, which '
                         'no setting may hold; remove it: "/etc/site.pem..."' % self.config,
                         stdout="")

    def test_only_the_bundle_s_authorities_count_beside_the_system_s_folder(self):
        # The service's CA is in a folder mounted over /etc/ssl/certs, as OpenSSL looks it up
        # there: by the hash of its name.
        certs = tempfile.mkdtemp(dir=harness.WORK)
        self.addCleanup(shutil.rmtree, certs, True)
        name_hash = subprocess.run(["openssl", "x509", "-hash", "-noout", "-in",
                                    harness.ca_file()], capture_output=True, text=True,
                                   check=True).stdout.strip()
        shutil.copy(harness.ca_file(), os.path.join(certs, name_hash + ".0"))
        # The folder's bundle holds another CA, so that only the hashed link vouches.
        self.make_other_ca("other-ca.pem")
        shutil.copy(self.path("other-ca.pem"), os.path.join(certs, "ca-certificates.crt"))
        mounts = "mount --bind %s /etc/ssl/certs" % certs
        self.write_config("service = localhost:%d\n" % self.OTHER_PORT)
        os.remove(self.path("cacert.pem"))
        # The system's store: the folder vouches for the service.
        self.assertGoldenExpress(self.run_in_namespace(EXPRESS[1], mounts))
        # cacert.pem names another CA, and only it counts.
        os.rename(self.path("other-ca.pem"), self.path("cacert.pem"))
        run = self.run_in_namespace(EXPRESS[1], mounts)
        self.assertError(run, "the certificate of localhost is not trusted by cacert.pem in the "
                              "working folder", stdout=TIMETABLE_FAILED)


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


class Proxy(EndToEnd):
    """The service reached through a proxy: the setting (the user's file), the variables, and
    their failures, against the tests' own CONNECT proxy."""

    def setUp(self):
        super().setUp()
        if harness.RUNNER:
            self.skipTest("Windows keeps its settings in the registry: see WindowsProxy")
        folder = os.path.join(os.environ["XDG_CONFIG_HOME"], "timetable-print")
        os.makedirs(folder)
        self.addCleanup(shutil.rmtree, os.environ["XDG_CONFIG_HOME"])
        self.config = os.path.join(folder, "config")
        self.proxy_log = self.path("proxy.log")

    def start_proxy(self, mode="open", user=""):
        process, port = harness.start_proxy(self.proxy_log, mode, user)
        self.addCleanup(process.stdout.close)
        self.addCleanup(process.wait, 10)
        self.addCleanup(process.terminate)
        return "http://127.0.0.1:%d" % port

    def tunnels(self):
        return harness.read_text(self.proxy_log).splitlines()

    def write_config(self, text):
        with open(self.config, "w", encoding="utf-8") as f:
            f.write(text)

    def run_express(self, **variables):
        return self.run_program(EXPRESS[1], env=harness.environment_with(**variables))

    def assertGoldenExpress(self, run):
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())

    def settings_proxy_line(self, **variables):
        run = self.run_program("", args=["--settings"],
                               env=harness.environment_with(**variables))
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        # The proxy's line comes last of the settings, before the support log's.
        return run.stdout.splitlines()[-2]

    def test_the_setting_and_https_proxy_go_through_the_proxy_and_direct_wins(self):
        proxy = self.start_proxy()
        self.write_config("proxy = %s\n" % proxy)
        self.assertGoldenExpress(self.run_express())
        # Both requests of the run share one tunnel.
        self.assertEqual(self.tunnels(), ["localhost:%d" % PORT])
        self.assertEqual(self.settings_proxy_line(),
                         "proxy for %s: %s, from the setting proxy in %s, line 1"
                         % (ADDRESS, proxy, self.config))
        os.remove(self.config)
        self.assertGoldenExpress(self.run_express(https_proxy=proxy))
        self.assertEqual(len(self.tunnels()), 2)
        self.assertEqual(self.settings_proxy_line(https_proxy=proxy),
                         "proxy for %s: %s, from https_proxy" % (ADDRESS, proxy))
        self.assertEqual(self.settings_proxy_line(https_proxy=proxy, no_proxy="localhost"),
                         "proxy for %s: direct: localhost is in no_proxy" % ADDRESS)
        self.assertEqual(self.settings_proxy_line(),
                         "proxy for %s: direct: no proxy is set" % ADDRESS)
        self.write_config("proxy = direct\n")
        self.assertGoldenExpress(self.run_express(https_proxy=proxy, HTTPS_PROXY=proxy,
                                                  ALL_PROXY=proxy))
        self.assertEqual(len(self.tunnels()), 2)
        self.assertEqual(self.settings_proxy_line(https_proxy=proxy),
                         "proxy for %s: direct: the setting proxy is direct in %s, line 1"
                         % (ADDRESS, self.config))

    def test_basic_sign_in_with_the_user_of_the_url(self):
        proxy = self.start_proxy("basic", "driver:s3cret")
        signed = proxy.replace("//", "//driver:s3cret@")
        self.write_config("proxy = %s\n" % signed)
        self.assertGoldenExpress(self.run_express())
        self.assertEqual(self.tunnels(), ["localhost:%d" % PORT])
        line = self.settings_proxy_line()
        self.assertIn(proxy.replace("//", "//***@"), line)
        self.assertNotIn("s3cret", line)

    def test_proxy_failures_name_the_proxy_and_where_it_came_from(self):
        origin = "(from the setting proxy in %s, line 1)" % self.config
        dead = "http://127.0.0.1:%d" % harness.free_port()
        self.write_config("proxy = %s\n" % dead)
        error = self.assertError(self.run_express(),
                                 "cannot reach the proxy %s %s" % (dead, origin),
                                 stdout=TIMETABLE_FAILED)
        self.assertNotIn("timetable service", error)
        os.remove(self.config)
        self.assertError(self.run_express(https_proxy=dead),
                         "cannot reach the proxy %s (from https_proxy)" % dead)
        proxy = self.start_proxy("negotiate")
        self.write_config("proxy = %s\n" % proxy)
        error = self.assertError(self.run_express(),
                                 "the proxy %s %s did not let this user through: it asks for "
                                 "sign-in by Negotiate, NTLM" % (proxy, origin),
                                 stdout=TIMETABLE_FAILED)
        self.assertNotIn("timetable service", error)
        proxy = self.start_proxy("refuse")
        self.write_config("proxy = %s\n" % proxy)
        error = self.assertError(self.run_express(),
                                 "the proxy %s %s refused to open a connection to %s (status 403)"
                                 % (proxy, origin, ADDRESS), stdout=TIMETABLE_FAILED)
        self.assertNotIn("timetable service", error)
        self.assertEqual(self.new_requests(), [])


INTERNET_CONNECTIONS = (r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
                        r"\Connections")


def connection_settings(flags, proxy="", bypass="", script=""):
    """The binary value DefaultConnectionSettings as Windows (and wine 8) keeps it: a version,
    a counter, the flags (1 direct, 2 proxy, 4 script, 8 detection), then each text with its
    length first, and zeros."""
    data = struct.pack("<III", 0x46, 1, flags)
    for text in (proxy, bypass, script):
        data += struct.pack("<I", len(text)) + text.encode("ascii")
    return data + bytes(32)


class WindowsProxy(EndToEnd):
    """The proxy of the user's Windows proxy settings, under wine."""

    def setUp(self):
        super().setUp()
        if not harness.RUNNER:
            self.skipTest("the Windows proxy settings exist under wine only")
        self.proxy_log = self.path("proxy.log")
        process, port = harness.start_proxy(self.proxy_log)
        self.addCleanup(process.stdout.close)
        self.addCleanup(process.wait, 10)
        self.addCleanup(process.terminate)
        self.proxy = "127.0.0.1:%d" % port
        self.addCleanup(self.reg, "delete", INTERNET_CONNECTIONS, "/v",
                        "DefaultConnectionSettings", "/f")

    def reg(self, *args):
        subprocess.run(harness.RUNNER + ["reg", *args], check=True, capture_output=True,
                       timeout=60)

    def set_windows_proxy(self, flags, proxy="", bypass=""):
        self.reg("add", INTERNET_CONNECTIONS, "/v", "DefaultConnectionSettings", "/t",
                 "REG_BINARY", "/d", connection_settings(flags, proxy, bypass).hex(), "/f")

    def tunnels(self):
        return harness.read_text(self.proxy_log).splitlines()

    def settings_proxy_line(self):
        run = self.run_program("", args=["--settings"])
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        # The proxy's line comes last of the settings, before the support log's.
        return run.stdout.splitlines()[-2]

    def assertExpressPrinted(self, run):
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())

    def test_a_fixed_proxy_carries_the_run_unless_the_bypass_list_names_the_service(self):
        self.set_windows_proxy(3, self.proxy)
        self.assertEqual(self.settings_proxy_line(),
                         "proxy for %s: http://%s, from the Windows proxy settings"
                         % (ADDRESS, self.proxy))
        self.assertExpressPrinted(self.run_program(EXPRESS[1]))
        self.assertEqual(self.tunnels(), ["localhost:%d" % PORT])
        for bypass in ("localhost", "<local>", "intranet;*host"):
            self.set_windows_proxy(3, self.proxy, bypass)
            self.assertEqual(self.settings_proxy_line(),
                             "proxy for %s: direct: localhost is in the bypass list of the "
                             "Windows proxy settings" % ADDRESS)
            self.assertExpressPrinted(self.run_program(EXPRESS[1]))
        self.assertEqual(len(self.tunnels()), 1)

    def test_automatic_detection_without_an_answer_goes_direct_soon(self):
        self.set_windows_proxy(9)
        started = time.time()
        self.assertEqual(self.settings_proxy_line(),
                         "proxy for %s: direct: no proxy is set; automatic proxy detection gave "
                         "no answer" % ADDRESS)
        self.assertLess(time.time() - started, 20)
        self.assertExpressPrinted(self.run_program(EXPRESS[1]))


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
        self.assertEqual(lines[:2], ["started %s, options: --version" % version,
                                     "ended with exit status 0"])
        self.assertEqual(lines[2], "started %s, options: --service %s" % (version, ADDRESS))
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
        printer = "the device LPT1" if harness.RUNNER else "the printer's bytes in LPT1"
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
        failed = [line for line in self.log_lines() if line.startswith("request ")]
        self.assertEqual(len(failed), 1)
        self.assertRegex(failed[0], "failed: (Couldn't connect|Failed to connect)")
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


class Check(EndToEnd):
    """timetable-print --check: every step of a run but the dialogue and the printing."""

    def check(self, *args, **variables):
        return self.run_program("", args=["--check", *args],
                                env=harness.environment_with(**variables))

    def assertFailedStep(self, run, *fragments):
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        failed = [line for line in run.stdout.splitlines() if line.startswith("[failed] ")]
        self.assertTrue(failed, run.stdout)
        for fragment in fragments:
            self.assertIn(fragment, failed[0])
        self.assertNotIn("TRAIN NUMBER", run.stdout)
        self.assertNothingPrinted(run)
        return failed[0]

    def test_every_step_passes_against_the_service_and_nothing_is_asked_or_printed(self):
        run = self.check()
        self.assertEqual((run.returncode, run.stderr), (0, ""), run.stdout)
        steps = [line for line in run.stdout.splitlines() if not line.startswith("    ")]
        self.assertEqual([line.split(" ")[0] for line in steps], ["[ok]"] * 8, run.stdout)
        self.assertRegex(run.stdout, r"\n\[ok\] the support log is [^\n]*timetable-print\.log\n")
        self.assertIn("proxy for %s: direct: no proxy is set" % ADDRESS, run.stdout)
        self.assertIn("the certificate of localhost is trusted by cacert.pem in the working folder",
                      run.stdout)
        self.assertRegex(run.stdout, r"the service answers: \d+ trains online, in \d+ ms")
        self.assertNotIn("TRAIN NUMBER", run.stdout)
        self.assertNothingPrinted(run)
        # The same request as a run's, and no other.
        self.assertEqual([line.split("\t")[0] for line in self.new_requests()],
                         [BASE + ONLINE_QUERY])

    def test_each_failure_fails_its_step_and_the_check(self):
        dead = harness.free_port()
        self.assertFailedStep(self.check("--service", "localhost:%d" % dead),
                              "cannot reach the timetable service at localhost:%d" % dead)
        proxy = "http://127.0.0.1:%d" % dead
        self.assertFailedStep(self.check(https_proxy=proxy),
                              "cannot reach the proxy %s (from https_proxy)" % proxy)
        self.assertFailedStep(self.check("-o", "missing/form.prn"),
                              "cannot write missing/form.prn")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=Some other CA", "-keyout", "other.key",
                        "-out", "cacert.pem"], cwd=self.folder, check=True,
                       capture_output=True)
        run = self.check()
        self.assertFailedStep(run, "certificate of localhost is not trusted")
        self.assertIn("[skipped] the service's answer", run.stdout)
        # Only the check of -o, whose service steps passed, reached the service.
        self.assertEqual([line.split("\t")[0] for line in self.new_requests()],
                         [BASE + ONLINE_QUERY])


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
                          "proxy for localhost:%d: direct: no proxy is set; automatic proxy "
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
        for chosen, expected in (("set LANGUAGE=&& ", 'błąd: "abc"'),
                                 ("set LANGUAGE=en&& ", 'error: "abc"')):
            run = subprocess.run(harness.RUNNER + ["cmd", "/c", cleared + chosen +
                                                   program.replace("/", "\\")],
                                 input=b"abc\n", cwd=self.folder, capture_output=True,
                                 env=dict(os.environ, LC_ALL="pl_PL.UTF-8"), timeout=120)
            self.assertTrue(run.stderr.decode("utf-8", "replace").startswith(expected), run.stderr)


def run_in_own_console(command, cwd, wait_for, answer, timeout=120):
    """Runs a command in a terminal of its own, which gives a Windows program under wine a
    console that it alone is attached to, as Explorer or a shortcut opens; once the screen shows
    wait_for (letters only, as the console draws spaces and line ends with cursor movements), it
    types answer, again every 2 seconds until the program ends, since what is typed before the
    program reads is thrown away. Returns the exit status and the letters the screen showed."""
    main, terminal = pty.openpty()
    tty.setraw(terminal)  # a carriage return reaches the console as it is typed
    process = subprocess.Popen(command, cwd=cwd, stdin=terminal, stdout=terminal,
                               stderr=terminal, start_new_session=True)
    os.close(terminal)
    shown, answered, deadline = b"", 0, time.time() + timeout

    def letters():
        return "".join(re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "",
                              shown.decode("utf-8", "replace")).split())

    try:
        # Until the program has ended and its last output is read.
        while time.time() < deadline:
            if select.select([main], [], [], 0.5)[0]:
                try:
                    data = os.read(main, 4096)
                except OSError:  # the terminal closed as the program ended
                    break
                shown += data
            elif process.poll() is not None:
                break
            if wait_for in letters() and time.time() - answered > 2:
                os.write(main, answer.encode("utf-8"))
                answered = time.time()
        return process.wait(timeout=10), letters()
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        os.close(main)


def polish():
    """The environment of a run whose messages are Polish."""
    env = dict(os.environ, LANG="C.UTF-8", LANGUAGE="pl")
    env.pop("LC_MESSAGES", None)
    return env


def assert_polish_errors(test, folder):
    """Both programs in folder give their errors in Polish, run in the test's folder."""
    run = test.run_program("abc\n", program=os.path.join(folder, "timetable-print.exe"),
                           env=polish())
    test.assertEqual((run.returncode, run.stdout), (1, TIMETABLE_FAILED))
    test.assertTrue(run.stderr.startswith('błąd: "abc" nie jest numerem pociągu;'), run.stderr)
    preview = subprocess.run(harness.RUNNER + [os.path.join(folder, "timetable-preview.exe")],
                             cwd=test.folder, env=polish(), capture_output=True, timeout=120)
    test.assertEqual(preview.returncode, 2)
    test.assertTrue(preview.stderr.decode("utf-8").startswith(
        "błąd: nie podano pliku z danymi dla drukarki"), preview.stderr)


def package_files(folder):
    """The files under folder, by their paths relative to it."""
    return sorted(os.path.relpath(os.path.join(parent, name), folder)
                  for parent, _, names in os.walk(folder) for name in names)


def shell_link(path):
    """The target, arguments and working folder of a Windows shortcut (.lnk): the path in its link
    info and the strings that follow it."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:4] == b"\x4c\0\0\0", path + " is no shell link"
    flags, = struct.unpack_from("<I", data, 20)
    at, link = 0x4C, {"target": None, "working folder": "", "arguments": ""}
    if flags & 0x1:  # an item ID list of the target, which the link info repeats as a path
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x2:  # the link info
        size, _, info_flags, _, base_path = struct.unpack_from("<5I", data, at)
        if info_flags & 0x1:
            link["target"] = data[at + base_path:data.index(b"\0", at + base_path)].decode("cp1252")
        at += size
    width, encoding = (2, "utf-16-le") if flags & 0x80 else (1, "cp1252")
    for bit, name in ((0x4, "description"), (0x8, "relative path"), (0x10, "working folder"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count, = struct.unpack_from("<H", data, at)
            # Wine counts the terminating NUL too.
            link[name] = data[at + 2:at + 2 + count * width].decode(encoding).rstrip("\0")
            at += 2 + count * width
    return link


def release_program_facts(path):
    """Whether a Windows program is stripped, its version resource's file version and product name,
    and its application manifest."""
    with open(path, "rb") as f:
        data = f.read()
    pe, = struct.unpack_from("<I", data, 0x3C)
    assert data[pe:pe + 4] == b"PE\0\0", path + " is no Windows program"
    symbol_table, = struct.unpack_from("<I", data, pe + 12)
    facts = {"stripped": symbol_table == 0, "version": None, "product": None}
    info = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    if info >= 0:
        fixed = data.index(b"\xbd\x04\xef\xfe", info)  # VS_FIXEDFILEINFO's signature
        most, least = struct.unpack_from("<II", data, fixed + 8)
        facts["version"] = (most >> 16, most & 0xFFFF, least >> 16)
        product = re.search("ProductName\0".encode("utf-16-le") +
                            b"(?:\0\0)?((?:[^\0]\0)*)\0\0", data[info:])
        facts["product"] = product.group(1).decode("utf-16-le") if product else None
    manifest = re.search(rb"<assembly.*?</assembly>", data, re.S)
    facts["manifest"] = manifest.group(0).decode("utf-8") if manifest else ""
    return facts


def icon_images(path):
    """The images of a Windows icon file (.ico), each as the bytes a program's RT_ICON resource
    holds."""
    with open(path, "rb") as f:
        data = f.read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    assert kind == 1, path + " is no icon file"
    images = []
    for entry in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * entry + 8)
        images.append(data[offset:offset + size])
    return images


class WindowsInstaller(EndToEnd):
    """The MSI in a wine prefix of its own, as on a machine it has never been on."""
    INSTALLED = r"C:\Program Files\timetable-print"
    MACHINE_PRODUCTS = ("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\"
                        "S-1-5-18\\Products")
    APPS = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"

    def setUp(self):
        if not harness.INSTALLER or not harness.PACKAGE or not harness.RUNNER:
            self.skipTest("no Windows installer given")
        super().setUp()
        saved = dict(os.environ)
        self.addCleanup(lambda: (os.environ.clear(), os.environ.update(saved)))
        self.prefix = os.path.join(self.folder, "prefix")
        os.mkdir(self.prefix)
        os.environ.update(WINEPREFIX=self.prefix, WINEDEBUG="-all",
                          WINEDLLOVERRIDES="mscoree,mshtml=")
        self.assertEqual(self.wine("wineserver", "-p"), 0)
        self.addCleanup(self.wine, "wineserver", "-k")
        self.assertEqual(self.wine(*harness.RUNNER, "cmd", "/c", "exit"), 0)
        self.drive = os.path.join(self.prefix, "drive_c")

    def wine(self, *command, output="wine.log"):
        """Runs a command of wine's with its output in a file: wine's own services, started by
        the first command, would keep a pipe open for ever."""
        with open(os.path.join(self.folder, output), "wb") as log:
            return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                  timeout=300).returncode

    def msiexec(self, action, package, *properties):
        self.assertEqual(self.wine(*harness.RUNNER, "msiexec", action, package, "/qn",
                                   *properties), 0, "msiexec %s %s" % (action, package))

    def machine_settings(self):
        """The text values of the machine's settings key, by name."""
        self.wine(*harness.RUNNER, "reg", "query", r"HKLM\Software\timetable-print",
                  output="settings.txt")
        with open(os.path.join(self.folder, "settings.txt"), encoding="utf-8",
                  errors="replace") as f:
            lines = f.read().splitlines()
        values = [re.match(r"\s+(\S+)\s+REG_SZ\s*(.*)$", line) for line in lines]
        return {value.group(1): value.group(2) for value in values if value}

    def registered(self, key):
        """The program's entries under a registry key, each the values of one subkey by name,
        by the subkey's name."""
        self.wine(*harness.RUNNER, "reg", "query", key, "/s", output="products.txt")
        products, values = {}, None
        with open(os.path.join(self.folder, "products.txt"), encoding="utf-8",
                  errors="replace") as f:
            for line in f.read().splitlines():
                if line.startswith("HKEY_"):
                    values = {}
                    products[line.rsplit("\\", 1)[-1]] = values
                elif re.match(r"\s+\S+\s+REG_", line) and values is not None:
                    name, _, value = (line.strip().split(None, 2) + [""])[:3]
                    values[name] = value
        return {name: product for name, product in products.items()
                if product.get("DisplayName") == "timetable-print"}

    def installed_versions(self):
        """The versions of the program that Windows Installer holds installed for the machine."""
        return [product.get("DisplayVersion")
                for product in self.registered(self.MACHINE_PRODUCTS).values()]

    def drive_path(self, path):
        """Where a C:\\ path of the prefix is on this machine."""
        self.assertTrue(path.upper().startswith("C:\\"), path)
        return os.path.join(self.drive, *path[3:].split("\\"))

    def leftovers(self):
        """Whatever on the prefix's drive C: is named after the program, but for the user's own
        support log, which is the user's data and outlives the program, as the user's settings
        under HKCU do."""
        log_folder = os.path.join("AppData", "Local", "timetable-print")
        return sorted(path for path in (
            os.path.join(folder, name) for folder, folders, files in os.walk(self.drive)
            for name in folders + files if "timetable" in name.lower())
            if log_folder not in path)

    def test_installs_with_start_menu_shortcuts_upgrades_and_uninstalls(self):
        version = tuple(int(part) for part in re.search(
            r"timetable-print-(\d+)\.(\d+)\.(\d+)-win64\.msi$", harness.INSTALLER).groups())
        with zipfile.ZipFile(harness.PACKAGE) as package:
            package.extractall(self.folder)
        packed = os.path.join(self.folder, "timetable-print")
        # A newer version made from the same files, as the next release would be.
        newer_version = "%d.%d.%d" % (version[0], version[1], version[2] + 1)
        newer = os.path.join(self.folder, "newer.msi")
        built = subprocess.run([os.path.join(harness.ROOT, "scripts", "build-msi.sh"),
                                newer_version, packed, newer], capture_output=True, text=True)
        self.assertEqual(built.returncode, 0, built.stderr)
        # The same version built again, as a release rebuilt with a fix is: a new product code.
        rebuilt = os.path.join(self.folder, "rebuilt.msi")
        built = subprocess.run([os.path.join(harness.ROOT, "scripts", "build-msi.sh"),
                                "%d.%d.%d" % version, packed, rebuilt], capture_output=True,
                               text=True)
        self.assertEqual(built.returncode, 0, built.stderr)
        # The row that finds versions to remove takes the installer's own version too
        # (msidbUpgradeAttributesVersionMaxInclusive).
        upgrade = subprocess.run(["msiinfo", "export", harness.INSTALLER, "Upgrade"],
                                 capture_output=True, text=True, check=True).stdout
        removed = [line.split("\t") for line in upgrade.splitlines()
                   if line.rstrip("\r").endswith("\tWIX_UPGRADE_DETECTED")]
        self.assertEqual(len(removed), 1, upgrade)
        self.assertEqual(removed[0][2], "%d.%d.%d" % version)
        self.assertTrue(int(removed[0][4]) & 0x200, upgrade)
        # The installer ships no CA bundle, and passes the site's settings to its elevated part.
        files = subprocess.run(["msiinfo", "export", harness.INSTALLER, "File"],
                               capture_output=True, text=True, check=True).stdout
        self.assertIn("timetable-print.exe", files)
        self.assertNotIn("cacert.pem", files)
        properties = subprocess.run(["msiinfo", "export", harness.INSTALLER, "Property"],
                                    capture_output=True, check=True).stdout.decode()
        self.assertRegex(properties,
                         r"\nSecureCustomProperties\t[^\r\n]*;SERVICE;CA_FILE;PROXY\r?\n")

        # The site's service on a port of its own, its authority in a file of its own; the
        # service on the usual port fails every timetable.
        other_port = harness.PORT + 1
        other_service = harness.start_service(other_port)
        self.addCleanup(other_service.wait, 10)
        self.addCleanup(other_service.terminate)
        control(timetable="html500")
        authority = "Z:" + harness.ca_file().replace("/", "\\")
        # No proxy yet: an empty value is the system's way, as when it is not set.
        site = {"Service": "localhost:%d" % other_port, "CAFile": authority, "Proxy": ""}
        self.msiexec("/i", harness.INSTALLER, "SERVICE=" + site["Service"],
                     "CA_FILE=" + authority)
        self.assertEqual(self.machine_settings(), site)
        installed = os.path.join(self.drive, "Program Files", "timetable-print")
        self.assertEqual(package_files(installed), package_files(packed))
        for name in package_files(packed):
            with open(os.path.join(installed, name), "rb") as f, \
                    open(os.path.join(packed, name), "rb") as g:
                self.assertEqual(f.read(), g.read(), name)
        # Both programs carry the icon drawn for them, every size of it.
        icon = icon_images(os.path.join(os.path.dirname(harness.PROGRAM), "generated",
                                        "timetable-print.ico"))
        self.assertEqual(len(icon), 4)
        for name in ("timetable-print.exe", "timetable-preview.exe"):
            with open(os.path.join(installed, name), "rb") as f:
                data = f.read()
            self.assertTrue(all(image in data for image in icon), name)
            facts = release_program_facts(os.path.join(installed, name))
            self.assertEqual(facts["version"], version, name)
            self.assertEqual(facts["product"], "timetable-print", name)
            self.assertTrue(facts["stripped"], name)
            manifest = facts["manifest"]
            self.assertIn('<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>', manifest,
                          name)
            self.assertRegex(manifest, r"<longPathAware[^>]*>true</longPathAware>", name)
            self.assertNotIn("activeCodePage", manifest, name)
        self.assertEqual(self.installed_versions(), ["%d.%d.%d" % version])
        # Settings > Apps: the publisher, a link to the installed README, and the icon, which
        # wine does not register (Windows makes it DisplayIcon), so it is found in the installer.
        apps = self.registered(self.APPS)
        self.assertEqual(len(apps), 1, apps)
        app = list(apps.values())[0]
        self.assertEqual(app.get("Publisher"), "timetable-print developers")
        self.assertEqual(app.get("HelpLink"), self.INSTALLED + "\\README.txt")
        self.assertIn("\nARPPRODUCTICON\ttimetable_print.ico\r\n", properties)
        icons = os.path.join(self.folder, "icons")
        os.mkdir(icons)
        subprocess.run(["msiinfo", "export", harness.INSTALLER, "Icon"], cwd=icons,
                       capture_output=True, check=True)
        self.assertEqual(icon_images(os.path.join(icons, "Icon", "Icon.timetable_print.ico")), icon)

        # Windows puts the shortcuts of a machine-wide install into the Start menu of all users;
        # wine 8 puts them into the installing user's.
        menus = [os.path.join(self.drive, "ProgramData", "Microsoft", "Windows", "Start Menu",
                              "Programs", "timetable-print")]
        menus += [os.path.join(self.drive, "users", user, "AppData", "Roaming", "Microsoft",
                               "Windows", "Start Menu", "Programs", "timetable-print")
                  for user in os.listdir(os.path.join(self.drive, "users"))]
        menu = [folder for folder in menus if os.path.isdir(folder)]
        self.assertEqual(len(menu), 1, menus)
        shortcuts = {name: shell_link(os.path.join(menu[0], name)) for name in os.listdir(menu[0])}
        program = self.INSTALLED + r"\timetable-print.exe"
        self.assertEqual({name: (link["target"], link["arguments"],
                                 link["working folder"].rstrip("\\"))
                          for name, link in shortcuts.items()}, {
            "Rozkład jazdy.lnk": (program, "--drawn --start-menu", self.INSTALLED),
            "Rozkład jazdy na LPT1.lnk": (program, "--start-menu", self.INSTALLED),
            "Rozkład jazdy na ekranie.lnk": (program, "--view --start-menu", self.INSTALLED),
            "Sprawdź połączenie.lnk": (program, "--check --start-menu", self.INSTALLED)})
        for name, link in shortcuts.items():
            self.assertTrue(link.get("icon", "").endswith("timetable_print.ico"), link)
            self.assertEqual(icon_images(self.drive_path(link["icon"])), icon, name)

        # Started in a folder without cacert.pem, the installed program finds the service and its
        # authority in the settings.
        os.remove(self.path("cacert.pem"))
        run = self.run_program(EXPRESS[1], program=os.path.join(installed, "timetable-print.exe"))
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())
        # The user's own value wins over the machine's.
        settings = self.run_program("", program=os.path.join(installed, "timetable-print.exe"),
                                    args=["--settings"])
        self.assertRegex(settings.stdout, "\\A" + re.escape((
            "service = localhost:%d (from HKLM\\Software\\timetable-print, value Service)\n"
            "ca-file = %s (from HKLM\\Software\\timetable-print, value CAFile)\n"
            "proxy = system (built in)\n"
            "the service's certificate is checked against the ca-file %s\n"
            # A new wine prefix has automatic proxy detection on, and nothing answers it.
            "proxy for localhost:%d: direct: no proxy is set; automatic proxy detection gave no "
            "answer\n")
            % (other_port, authority, authority, other_port)) +
            r"the support log is C:\\[^\n]*\\timetable-print\\timetable-print\.log\n\Z")
        self.wine(*harness.RUNNER, "reg", "add", r"HKCU\Software\timetable-print", "/v", "Service",
                  "/d", "localhost:%d" % harness.PORT, "/f")
        settings = self.run_program("", program=os.path.join(installed, "timetable-print.exe"),
                                    args=["--settings"])
        self.assertEqual(settings.stdout.splitlines()[0], "service = localhost:%d (from "
                         "HKCU\\Software\\timetable-print, value Service)" % harness.PORT)
        self.wine(*harness.RUNNER, "reg", "delete", r"HKCU\Software\timetable-print", "/f")
        assert_polish_errors(self, installed)

        # A rebuild of the same version replaces the first: one product, the rebuild's. It is
        # given a proxy, which an upgrade then keeps, as it keeps the service.
        self.msiexec("/i", rebuilt, "PROXY=direct")
        self.assertEqual(self.installed_versions(), ["%d.%d.%d" % version])
        self.assertEqual(len(self.registered(self.APPS)), 1)
        self.assertNotEqual(set(self.registered(self.APPS)), set(apps))
        site["Proxy"] = "direct"
        self.assertEqual(self.machine_settings(), site)
        self.assertEqual(package_files(installed), package_files(packed))

        # The newer version replaces it: one product, the newer, and the same files.
        self.msiexec("/i", newer)
        self.assertEqual(self.installed_versions(), [newer_version])
        self.assertEqual(self.machine_settings(), site)
        self.assertEqual(package_files(installed), package_files(packed))
        self.assertEqual(sorted(os.listdir(menu[0])), sorted(shortcuts))

        self.msiexec("/x", newer)
        self.assertEqual(self.installed_versions(), [])
        self.assertEqual(self.leftovers(), [])
        self.assertNotEqual(self.wine(*harness.RUNNER, "reg", "query",
                                      r"HKLM\Software\timetable-print"), 0)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
