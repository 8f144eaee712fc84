"""End-to-end tests: Language."""

import os
import subprocess
import sys

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, control, ok_lines  # noqa: E402
from e2e_common import ADDRESS, EXPRESS, TIMETABLE_FAILED, stop, timetable  # noqa: E402


def locale_exists(name):
    """Whether the system has the locale name, as the C library finds it."""
    script = "import locale; locale.setlocale(locale.LC_MESSAGES, %r)" % name
    return subprocess.run([sys.executable, "-c", script], capture_output=True).returncode == 0


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
                         "ostrzeżenie: „EU07-123” nie mieści się w polu „LOK2” (szerokość pola "
                         "w znakach: 6); zostanie wydrukowany w całości, a pionowe linie tabeli "
                         "na prawo od niego przesuną się\n")
        # The log's own line stays English whole, where it goes included: one for each run of
        # this test, told by its working folder (under wine, other tests' runs share the log).
        ours, printed = set(), []
        for line in self.support_log().splitlines():
            _, pid, text = (line.split(" ", 2) + ["", ""])[:3]
            if text.startswith("working folder: ") and os.path.basename(self.folder) in text:
                ours.add(pid)
            elif pid in ours and text.startswith("printed rows "):
                printed.append(text)
            elif text.startswith("ended "):
                ours.discard(pid)
        self.assertEqual(len(printed), 2, self.support_log())
        for text in printed:
            self.assertRegex(text, r"^printed rows 0 to 14 to the printer[^\n]*LPT1$")

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

    def test_a_polish_locale_the_system_lacks_still_gives_polish(self):
        if harness.RUNNER:
            self.skipTest("Windows chooses the language from its own settings")
        # pl_XX is no country's: no system has its locale.
        for name in ("pl_PL.UTF-8", "pl_XX.UTF-8"):
            if locale_exists(name):
                continue
            for variable, languages in (("LANG", None), ("LC_ALL", None), ("LANG", "pl")):
                with self.subTest(locale=name, variable=variable, LANGUAGE=languages):
                    env = dict(os.environ, **{variable: name})
                    for other in ("LANGUAGE", "LC_ALL", "LC_MESSAGES"):
                        if other != variable:
                            env.pop(other, None)
                    if languages:
                        env["LANGUAGE"] = languages
                    run = self.run_program("abc\n", env=env)
                    self.assertEqual(run.returncode, 1, run.stderr)
                    self.assertTrue(run.stderr.startswith("błąd: „abc” nie jest numerem "
                                                          "pociągu"), run.stderr)

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
        self.assertEqual(run.stderr, "błąd: „abc” nie jest numerem pociągu; uruchom program "
                                     "ponownie i wpisz numer pociągu cyframi (najwyżej 10 cyfr), "
                                     "np. 5410\n")
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
            "użycie: timetable-print [-o PLIK [--view] | -p DRUKARKA | --view |\n"), run.stdout)
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
        # A print spooler that refuses the connection: the error says the print service does
        # not answer, and the system's own text, with its Polish letters, is kept for the log.
        env = dict(self.polish(), CUPS_SERVER="127.0.0.1:1")
        run = self.run_program("5410\n", args=["--printer", "dotmatrix"], env=env)
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        self.assertNotIn(run.stderr.rstrip("\n").rsplit(": ", 1)[-1], texts, run.stderr)
        self.assertNotIn("?", run.stderr)
        self.assertTrue(any(text in self.support_log() for text in texts), self.support_log())

    def test_the_incomplete_form_warning_is_polish(self):
        stops = ([stop("S%d" % i, "10:00", "10:01") for i in range(98)] +
                 [stop("Gdynia Główna", "10:30", "10:31"), stop("Gdynia Orłowo", "10:40", "10:41"),
                  stop("Jastarnia", "10:50", "10:51"), stop("Hel", "11:00", None)])
        control(timetables={"777": timetable(*stops)})
        run = self.run_program("777 x x x 1\n", env=self.polish())
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stderr.splitlines()[-1],
                         "ostrzeżenie: formularz jest NIEPEŁNY: mieści najwyżej 99 punktów trasy; "
                         "wydrukowano do „Gdynia Główna” (wiersz 98), pominięto 3 dalsze punkty, "
                         "ostatni to „Hel”")

    def test_the_start_menu_advice_is_polish(self):
        os.mkdir(os.path.join(self.folder, "LPT1"))
        run = self.run_program(EXPRESS[1], args=["--start-menu"], env=self.polish())
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        # The system's reason beside the printer it is about, the advice after it.
        self.assertRegex(run.stderr, r"\Abłąd: nie można otworzyć drukarki LPT1 \([^)]+\); jeśli "
                                     r"do LPT1 nie jest podłączona drukarka igłowa, wybierz w menu "
                                     r"Start pozycję „Rozkład jazdy na ekranie”, aby zobaczyć "
                                     r"formularz na ekranie, i poproś dział informatyki o "
                                     r"ustawienie miejsca wydruku \(destination\) na drawn, czyli "
                                     r"drukarkę domyślną\n\Z")


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
