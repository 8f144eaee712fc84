"""End-to-end tests: Dialogue."""

import sys

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, control, ok_lines  # noqa: E402
from service_client import BASE, ONLINE_QUERY, SCAN_LIMIT, TIMETABLE_QUERY  # noqa: E402
from e2e_common import (AGENT, EMPTY_TRAIN_FIELDS, EXPRESS, NIGHT, REGIONAL, SAMPLE_STDERR, stop,
                        timetable)  # noqa: E402


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
        self.assertEqual(run.stderr, "notice: train 64102 is not in the list of trains online, " +
                         EMPTY_TRAIN_FIELDS + "\n")

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
        self.assertIn('warning: the form is INCOMPLETE: it has room for at most 99 stops; printed '
                      'up to "S98" (row 98), 51 further stops are left out, the last being "E"\n',
                      run.stderr)

    def test_incomplete_form_says_so_last_on_the_console_and_on_the_paper(self):
        # 102 stops: 99 printed, 3 left out.
        stops = ([stop("Kraków Płaszów", None, "10:00")] +
                 [stop("S%d" % i, "10:00", "10:01") for i in range(1, 98)] +
                 [stop("Gdynia Główna", "10:30", "10:31"), stop("Gdynia Orłowo", "10:40", "10:41"),
                  stop("Jastarnia", "10:50", "10:51"), stop("Hel", "11:00", None)])
        control(timetables={"777": timetable(*stops)})
        run = self.run_program("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        warning = ('warning: the form is INCOMPLETE: it has room for at most 99 stops; printed up '
                   'to "Gdynia Główna" (row 98), 3 further stops are left out, the last being '
                   '"Hel"')
        # Said when the table is built, and again last.
        self.assertEqual(run.stderr.splitlines().count(warning), 2, run.stderr)
        self.assertEqual(run.stderr.splitlines()[-1], warning)
        foot = b"\xc0" + b"\xc4" * 3  # The foot's line begins so.
        note = ("UWAGA: FORMULARZ NIEPEŁNY. Brak dalszych punktów trasy: 3 "
                "(od Gdynia Orłowo do Hel)").encode("cp852")
        printed = run.printed()
        self.assertTrue(printed.endswith(b"\xd9\r\n\x1bE" + note + b"\x1bF\r\n\x0c"),
                        printed[-200:])
        self.assertEqual(printed.rfind(foot), printed.rfind(b"\r\n", 0, printed.rfind(foot)) + 2)

    def test_one_stop_left_out_is_named_alone_on_the_paper(self):
        stops = [stop("S%d" % i, "10:00", "10:01") for i in range(99)] + [stop("Hel", "11:00", None)]
        control(timetables={"777": timetable(*stops)})
        run = self.run_program("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn('1 further stop is left out: "Hel"', run.stderr.splitlines()[-1])
        self.assertTrue(run.printed().endswith(
            b"\x1bEUWAGA: FORMULARZ NIEPE\x9dNY. Brak dalszych punkt\xa2w trasy: 1 (Hel)"
            b"\x1bF\r\n\x0c"))

if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
