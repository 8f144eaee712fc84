"""End-to-end tests: Printing."""

import sys
import os

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, control, ok_lines  # noqa: E402
from e2e_common import (EMPTY_TRAIN_FIELDS, EXPRESS, NIGHT, REGIONAL, SAMPLE_STDERR, printed_lines,
                        stop, timetable, too_wide)  # noqa: E402


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
        self.assertEqual(run.stderr, "notice: train 777 is not in the list of trains online, " +
                         EMPTY_TRAIN_FIELDS + "\n" +
                         too_wide("B|C", "Stacja", 32))

    def test_bidirectional_marks_in_a_served_name_do_not_reach_the_terminal(self):
        marks = "\u200e\u200f\u061c\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069"
        name = "Stacja" + marks + "z bardzo długą nazwą, szerszą niż pole"
        control(timetables={"777": timetable(stop(name, None, "10:00"), stop("B", "10:10", None))})
        run = self.run_program("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        shown = name.replace("\u200e", " ")
        for mark in marks:
            shown = shown.replace(mark, " ")
        self.assertIn(too_wide(shown, "Stacja", 32), run.stderr)
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


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
