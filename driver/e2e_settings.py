"""End-to-end tests: Settings."""

import sys
import os
import pwd
import select
import shutil
import subprocess
import tempfile

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, control, ok_lines  # noqa: E402
from service_client import BASE, PORT  # noqa: E402
from e2e_common import ADDRESS, EXPRESS, SAMPLE_STDERR, TIMETABLE_FAILED  # noqa: E402

# The settings a warning about an unknown name lists, in their table's order.
KNOWN_SETTINGS = "service, ca-file, proxy, destination, events, offline and prefetch"


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
        self.use_user_settings_file("WindowsInstaller")
        # The service on the usual port fails every timetable, so that a printed form shows that
        # the run went to the other one.
        control(timetable="html500")

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
                                      'left out; the program knows only the settings %s\n'
                                 % (self.config, KNOWN_SETTINGS) + SAMPLE_STDERR["5410"])
        run = self.run_program(EXPRESS[1], args=["--service", "localhost"])
        self.assertFailedAs(run, "service-error", "500", BASE, stdout=TIMETABLE_FAILED)

    def test_a_bad_setting_ends_the_run_before_the_first_prompt(self):
        self.write_config("\nservice = localhost:%d\nservice = localhost:65536\n" % PORT)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, 'the setting service = "localhost:65536" (from %s, line 3) has a '
                              'port outside 1 to 65535' % self.config, stdout="")
        os.remove(self.config)
        os.mkdir(self.config)
        run = self.run_program(EXPRESS[1])
        self.assertError(run, "the settings file %s is not a file" % self.config, stdout="")
        # A device that never ends is refused at once, and a file is read no further than a
        # settings file can be long.
        os.rmdir(self.config)
        os.symlink("/dev/zero", self.config)
        run = self.run_program(EXPRESS[1], timeout=10)
        self.assertError(run, "the settings file %s is not a file" % self.config, stdout="")
        os.remove(self.config)
        self.write_config("# long\n" * 10000)
        run = self.run_program(EXPRESS[1], timeout=10)
        self.assertError(run, "the settings file %s holds more than 64 KB" % self.config,
                         stdout="")
        os.remove(self.config)
        self.assertUsageError(self.run_program(EXPRESS[1], args=["--service", "local host"]),
                              '"local host"', 'is not a host name or IP address')
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
                         "offline = 0 (built in)\n"
                         "the service's certificate is checked against the ca-file %s\n"
                         "proxy for localhost:%d: direct, as no proxy is set\n"
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
        self.assertError(run, "the ca-file %s (from %s, line 1) cannot be used"
                         % (missing, self.config), "correct the path", stdout="")


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

    def run_under_policy(self, typed, policy, args=(), mode=0o644, owner=None):
        """Runs the program with /etc/timetable-print-policy.conf holding the text policy: /etc
        is overlaid with a folder that holds it, in a private mount namespace. The file has the
        mode, and belongs to the user owner (else to the tests' user)."""
        upper = tempfile.mkdtemp(dir=harness.WORK)
        work = tempfile.mkdtemp(dir=harness.WORK)
        self.addCleanup(shutil.rmtree, upper, True)
        self.addCleanup(shutil.rmtree, work, True)
        path = os.path.join(upper, "timetable-print-policy.conf")
        with open(path, "w") as f:
            f.write(policy)
        os.chmod(path, mode)
        if owner:
            os.chown(path, pwd.getpwnam(owner).pw_uid, -1)
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
        self.assertFailedAs(self.run_program(EXPRESS[1]), "service-error", "500", BASE,
                            stdout=TIMETABLE_FAILED)
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
        # The check takes the command line as a run does: a usage error, before any step.
        check = self.run_under_policy("", text, ["--check", "--service", "localhost:%d" % PORT])
        self.assertEqual((check.returncode, check.stdout), (2, ""), check.stderr)
        self.assertIn("cannot be used, as the site's policy sets the service", check.stderr)
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
            "ca-file = %s (from %s, line 2); wrong: it cannot be read: there is no such file or folder"
            % (shown, self.config),
            "proxy = http://***@p:1/x (from %s, line 3); wrong: it is not system, direct or "
            "http://HOST:PORT" % self.config,
            "offline = 0 (built in)",
            "the service's certificate is checked against the ca-file %s" % shown,
            "the support log is %s" % self.support_log_path()])
        self.assertRegex(run.stderr, r"\Aerror: some of the settings above cannot be used[^\n]*\n\Z")
        # The run itself ends at the first of them.
        self.assertError(self.run_program(EXPRESS[1]), 'the setting service = "a..b:9641"',
                         stdout="")

    def test_settings_shows_every_source_s_faults_together_and_an_unknown_name_fails_it(self):
        machine = self.machine_file("service = bad_host\nproxy = socks://x\n")
        self.write_config("# mine\nservice\n")
        run = self.run_program("", args=["--settings"])
        self.assertEqual(run.returncode, 1, run.stderr)
        lines = run.stdout.splitlines()
        self.assertIn('service = "bad_host" (from %s, line 1); wrong: it is not a host name or '
                      'IP address' % machine, lines)
        self.assertIn("proxy = socks://x (from %s, line 2); wrong: it is not system, direct or "
                      "http://HOST:PORT" % machine, lines)
        self.assertIn("wrong: %s, line 2: this is not a setting; write each setting as name = value"
                      % self.config, lines)
        # A run ends at the first of them, before the first prompt.
        self.assertError(self.run_program(EXPRESS[1]), "%s, line 2: this is not a setting"
                         % self.config, stdout="")
        # A name that is no setting: a warning for a run, a failure of --settings.
        with open(machine, "w", encoding="utf-8") as f:
            f.write("")
        self.write_config("servise = localhost:%d\n" % self.OTHER_PORT)
        warning = ('warning: the setting "servise" (%s, line 1) is unknown and left out; the '
                   'program knows only the settings %s\n' % (self.config, KNOWN_SETTINGS))
        run = self.run_program("", args=["--settings"])
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertTrue(run.stderr.startswith(warning), run.stderr)
        run = self.run_program(EXPRESS[1])
        self.assertTrue(run.stderr.startswith(warning), run.stderr)

    def test_a_drop_in_folder_that_cannot_be_listed_is_an_error_naming_it(self):
        folder = os.environ["TIMETABLE_PRINT_CONF"] + ".d"
        os.symlink(folder, folder)  # A loop, which no one can list, root included.
        self.addCleanup(os.remove, folder)
        self.assertError(self.run_program(EXPRESS[1]), "the settings folder %s cannot be read"
                         % folder, stdout="")
        run = self.run_program("", args=["--settings"])
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertIn("wrong: the settings folder %s cannot be read" % folder, run.stdout)

    def test_a_policy_others_could_write_is_refused_and_a_broken_one_named(self):
        policy = "/etc/timetable-print-policy.conf"
        text = "service = localhost:%d\n" % self.OTHER_PORT
        self.log_start = len(harness.request_log())
        for mode, owner, reason in [(0o666, None, "may be changed by others than its owner"),
                                    (0o644, "nobody", "belongs to another user than root")]:
            run = self.run_under_policy(EXPRESS[1], text, mode=mode, owner=owner)
            self.assertError(run, "the site's policy file %s is refused, as" % policy, reason,
                             stdout="")
            run = self.run_under_policy("", text, ["--settings"], mode=mode, owner=owner)
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertIn("wrong: the site's policy file %s is refused" % policy, run.stdout)
            # Nothing of it is used.
            self.assertIn("service = %s (built in)" % ADDRESS, run.stdout)
        run = self.run_under_policy(EXPRESS[1], "service = bad_host\n",
                                    ["--service", "localhost:%d" % self.OTHER_PORT])
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertIn('the site\'s policy sets the service, and its value "bad_host" is not a '
                      'host name or IP address', run.stderr)
        self.assertNotIn(":9640", run.stderr)
        self.assertEqual(self.new_requests(), [])

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

    def test_cacert_pem_is_read_once_before_the_first_prompt(self):
        # Another CA's bundle when the run starts; the service's own, put in its place at the
        # prompt, comes too late: the trust was read before it.
        self.make_other_ca("cacert.pem")
        program = subprocess.Popen(harness.RUNNER + [harness.PROGRAM, "--service",
                                                     "localhost:%d" % self.OTHER_PORT],
                                   cwd=self.folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        shown = b""
        while not shown.endswith(b"TRAIN NUMBER: "):
            ready, _, _ = select.select([program.stdout], [], [], 30)
            self.assertTrue(ready, shown)
            byte = os.read(program.stdout.fileno(), 1)
            self.assertTrue(byte, shown)
            shown += byte
        shutil.copy(harness.ca_file(), self.path("swapped.pem"))
        os.chmod(self.path("swapped.pem"), 0o644)
        os.replace(self.path("swapped.pem"), self.path("cacert.pem"))
        _, errors = program.communicate(EXPRESS[1].encode(), timeout=60)
        self.assertEqual(program.returncode, 1, errors)
        self.assertIn("is not trusted by cacert.pem in the working folder", errors.decode())
        self.assertFalse(os.path.exists(self.path("LPT1")))

    def test_a_cacert_pem_that_others_could_put_in_place_is_refused(self):
        if os.geteuid() != 0:
            self.skipTest("a link of another user's needs root to make")
        refused = ("the CA bundle cacert.pem in the working folder is refused, as it %s")
        os.rename(self.path("cacert.pem"), self.path("authorities.pem"))
        os.symlink("authorities.pem", self.path("cacert.pem"))
        os.lchown(self.path("cacert.pem"), pwd.getpwnam("nobody").pw_uid, -1)
        self.assertError(self.run_program(EXPRESS[1]),
                         refused % "is a link that another user than you or root made", stdout="")
        os.remove(self.path("cacert.pem"))
        os.rename(self.path("authorities.pem"), self.path("cacert.pem"))
        os.chmod(self.folder, 0o777)
        self.assertError(self.run_program(EXPRESS[1]), refused % "lies in a folder where others "
                         "could put another file in its place", stdout="")
        self.assertEqual(self.new_requests(), [])
        # A sticky folder, as /tmp, lets others remove only their own files.
        os.chmod(self.folder, 0o1777)
        run = self.run_program(EXPRESS[1], args=["--service", "localhost:%d" % self.OTHER_PORT])
        self.assertEqual(run.returncode, 0, run.stderr)

    def test_a_fifo_as_a_settings_file_or_bundle_is_refused_at_once(self):
        os.mkfifo(self.config)
        run = self.run_program(EXPRESS[1], timeout=5)
        self.assertError(run, "the settings file %s is not a file" % self.config, stdout="")
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
        self.assertError(self.run_program(EXPRESS[1]), '%s, line 2: the line holds a NUL character, which '
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


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
