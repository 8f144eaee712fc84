#!/usr/bin/env python3
"""Checks the Debian package that scripts/package-debian.sh made: the files it holds, no file a
site edits among them (the settings are an example in the documentation), and the programs
unpacked from it, which must run and be described by their manual pages.

Usage: package_test.py build/debian/timetable-print_VERSION_amd64.deb
"""
import gzip
import os
import re
import socket
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "printer"))
sys.path.insert(0, os.path.join(ROOT, "service", "test_service"))
import private_cupsd  # noqa: E402
import service_client  # noqa: E402
PROGRAMS = ("timetable-print", "timetable-preview")
SETTINGS_FILE = "/etc/timetable-print.conf"
SETTINGS_FOLDER = "/etc/timetable-print.conf.d"
DOC = "/usr/share/doc/timetable-print/"
EXAMPLE = DOC + "examples/timetable-print.conf"


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as cmake:
        return re.search(r"project\(\S+ VERSION (\S+)", cmake.read()).group(1)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.folder.name, "root")
        control = os.path.join(cls.folder.name, "control")
        run("dpkg-deb", "-x", DEB, cls.root)
        run("dpkg-deb", "-e", DEB, control)
        conffiles = os.path.join(control, "conffiles")
        cls.conffiles = []
        if os.path.exists(conffiles):
            with open(conffiles, encoding="utf-8") as listing:
                cls.conffiles = listing.read().split()
        names = ("Package", "Version", "Architecture", "Depends", "Recommends")
        cls.fields = {name: run("dpkg-deb", "-f", DEB, name).strip() for name in names}

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def path(self, name):
        return os.path.join(self.root, name.lstrip("/"))

    def program(self, name, *arguments, settings=None, typed=None, environment=None):
        # A home of its own and the package's example as the machine's settings, so that no settings of the
        # machine or the user running the tests count; messages in English.
        home = os.path.join(self.folder.name, "home")
        environment = dict(environment or os.environ, HOME=home,
                           XDG_CONFIG_HOME=os.path.join(home, ".config"),
                           TIMETABLE_PRINT_CONF=settings or self.path(EXAMPLE),
                           LC_MESSAGES="C.UTF-8")
        environment.pop("LANGUAGE", None)
        environment.pop("LC_ALL", None)
        return run(self.path("/usr/bin/" + name), *arguments, cwd=self.folder.name,
                   env=environment, input=typed)

    def test_the_modules_are_in_the_package_s_own_library_folder(self):
        folder = self.path("/usr/lib/x86_64-linux-gnu/timetable-print")
        self.assertEqual(sorted(os.listdir(folder)),
                         ["timetable-render.so", "timetable-spooler.so"])
        for name in os.listdir(folder):
            self.assertEqual(oct(os.stat(os.path.join(folder, name)).st_mode & 0o7777), oct(0o644))

    def test_the_program_draws_a_form_and_prints_through_the_spooler(self):
        # The test service on a port of its own, and the tests' own CUPS daemon: the program
        # finds its modules where the package put them.
        service_folder = os.path.join(self.folder.name, "service")
        port = free_port()
        errors = os.path.join(self.folder.name, "service-errors.log")
        with open(errors, "ab") as errors_file:
            service = subprocess.Popen(
                [sys.executable, os.path.join(ROOT, "service", "test_service",
                                              "timetable_service.py"),
                 "--dir", service_folder, "--port", str(port)],
                stdout=subprocess.DEVNULL, stderr=errors_file)
        self.addCleanup(service.wait, 10)
        self.addCleanup(service.terminate)
        service_client.wait_for_port(service, "the test service", errors, port=port)
        settings = os.path.join(self.folder.name, "machine.conf")
        with open(settings, "w", encoding="utf-8") as f:
            f.write("service = localhost:%d\nca-file = %s\n"
                    % (port, os.path.join(service_folder, "cacert.pem")))
        typed = "5410\nEP09\nEU07-123\nx\n160\n"
        self.program("timetable-print", "-o", "x.pdf", settings=settings, typed=typed)
        info = run("pdfinfo", os.path.join(self.folder.name, "x.pdf"))
        self.assertRegex(info, r"Pages:\s+2\b")
        spooler = private_cupsd.start(os.path.join(self.folder.name, "cups"))
        self.addCleanup(spooler.stop)
        spooler.remove_output()
        self.program("timetable-print", "-p", private_cupsd.QUEUE, settings=settings,
                     typed=typed, environment=spooler.env())
        with open(os.path.join(ROOT, "driver", "golden", "5410.prn"), "rb") as golden:
            self.assertEqual(spooler.wait_for_output(), golden.read())

    def test_control_names_the_version_and_the_shared_libraries(self):
        self.assertEqual(self.fields["Package"], "timetable-print")
        self.assertEqual(self.fields["Version"], project_version())
        self.assertEqual(self.fields["Architecture"], "amd64")
        for library in ("libc6", "libcurl4", "libcairo2", "libcups2"):
            self.assertRegex(self.fields["Depends"], r"\b%s\b" % library)
        # The system's certificate authorities, the trust of last resort.
        self.assertEqual(self.fields["Recommends"], "ca-certificates")

    def test_no_conffile_and_the_settings_are_a_commented_example(self):
        # A conffile the site edits stops every upgrade that changes it at dpkg's question.
        self.assertEqual(self.conffiles, [])
        self.assertFalse(os.path.lexists(self.path(SETTINGS_FILE)))
        with open(self.path(EXAMPLE), encoding="utf-8") as settings:
            lines = [line for line in settings.read().splitlines() if line.strip()]
        # Commented out, so that a copy of it changes no default.
        self.assertTrue(all(line.startswith("#") for line in lines), lines)
        for name in ("service", "ca-file", "proxy", "destination", "events", "offline",
                     "prefetch"):
            self.assertIn("#%s = " % name, "\n".join(lines))
        self.assertIn(SETTINGS_FOLDER + "/site.conf", "\n".join(lines))

    def test_the_folder_of_drop_in_settings_is_there_and_empty(self):
        folder = self.path(SETTINGS_FOLDER)
        self.assertTrue(os.path.isdir(folder) and not os.path.islink(folder))
        self.assertEqual(os.listdir(folder), [])
        self.assertEqual(oct(os.stat(folder).st_mode & 0o7777), oct(0o755))
        listing = run("dpkg-deb", "-c", DEB)
        self.assertRegex(listing, r"(?m)^drwxr-xr-x root/root .* \.%s/$" % SETTINGS_FOLDER)

    def test_the_desktop_launcher_opens_the_form_in_a_terminal_in_polish_too(self):
        entry = self.path("/usr/share/applications/timetable-print.desktop")
        with open(entry, encoding="utf-8") as f:
            fields = dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
        self.assertEqual((fields["Exec"], fields["Terminal"], fields["Icon"]),
                         ("timetable-print", "true", "timetable-print"))
        self.assertTrue(fields["Name[pl]"] and fields["Comment[pl]"])
        self.assertTrue(os.path.isfile(
            self.path("/usr/share/icons/hicolor/scalable/apps/timetable-print.svg")))

    def test_documentation_is_in_place(self):
        for name in ("README", "copyright", "changelog.gz"):
            self.assertTrue(os.path.isfile(self.path(DOC + name)), name)
        with open(self.path(DOC + "copyright"), encoding="utf-8") as copyright_file:
            copyright_text = copyright_file.read()
        self.assertTrue(copyright_text.startswith("Format: https://www.debian.org/"))
        self.assertIn("License: bitstream-vera", copyright_text)
        # Our own files are under the MIT license, its whole text as in LICENSE.
        self.assertRegex(copyright_text, r"Files: \*\nCopyright: [^\n]*\nLicense: Expat\n")
        self.assertNotIn("License: unstated", copyright_text)
        expat = copyright_text.split("\nLicense: Expat\n")[-1].split("\n\n")[0]
        with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as license_file:
            terms = license_file.read()
        terms = terms[terms.index("Permission is hereby granted"):]
        self.assertEqual(" ".join(expat.replace("\n .\n", "\n").split()), " ".join(terms.split()))

    def test_programs_run_and_their_manual_pages_name_every_option(self):
        version = project_version()
        for name in PROGRAMS:
            with self.subTest(program=name):
                self.assertEqual(self.program(name, "--version"), "%s %s\n" % (name, version))
                help_text = self.program(name, "--help")
                self.assertTrue(help_text.startswith("usage: " + name), help_text)
                with gzip.open(self.path("/usr/share/man/man1/%s.1.gz" % name), "rt",
                               encoding="utf-8") as page:
                    source = page.read()
                self.assertIn('"timetable-print %s"' % version, source)
                # The page's text as man shows it: an option the program gained and the page
                # lacks is found here.
                shown = source.replace("\\-", "-").replace("\\%", "")
                for option in sorted(set(re.findall(r"--[a-z][a-z-]+", help_text))):
                    self.assertTrue(option in shown, "%s(1) lacks %s" % (name, option))

    def test_the_polish_manual_page_names_every_option_in_polish(self):
        help_text = self.program("timetable-print", "--help")
        with gzip.open(self.path("/usr/share/man/pl/man1/timetable-print.1.gz"), "rt",
                       encoding="utf-8") as page:
            source = page.read()
        self.assertIn('"timetable-print %s"' % project_version(), source)
        self.assertIn("drukuje rozkład jazdy dla maszynisty", source)
        shown = source.replace("\\-", "-").replace("\\%", "")
        for option in sorted(set(re.findall(r"--[a-z][a-z-]+", help_text))):
            self.assertTrue(option in shown, "the Polish timetable-print(1) lacks %s" % option)

    def test_settings_of_the_package_are_the_built_in_ones(self):
        # The commented example changes nothing: the built-in service, the system's store, the
        # printer at LPT1.
        lines = self.program("timetable-print", "--settings").splitlines()
        self.assertEqual(lines[:4], ["service = localhost:9640 (built in)", "ca-file is not set",
                                     "proxy = system (built in)", "offline = 0 (built in)"])
        self.assertTrue(lines[4].startswith("the service's certificate is checked against the "
                                            "system's certificate bundle"), lines)


if __name__ == "__main__":
    DEB = sys.argv.pop(1)
    unittest.main()
