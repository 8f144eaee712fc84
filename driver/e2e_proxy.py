"""End-to-end tests: Proxy."""

import sys
import os

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, ok_lines  # noqa: E402
from service_client import PORT  # noqa: E402
from e2e_common import (ADDRESS, EXPRESS, SAMPLE_STDERR, TIMETABLE_FAILED)  # noqa: E402


class Proxy(EndToEnd):
    """The service reached through a proxy: the setting (the user's file), the variables, and
    their failures, against the tests' own CONNECT proxy."""

    def setUp(self):
        super().setUp()
        self.use_user_settings_file("WindowsProxy")
        self.proxy_log = self.path("proxy.log")

    def start_proxy(self, mode="open", user=""):
        process, port = harness.start_proxy(self.proxy_log, mode, user)
        self.addCleanup(process.stdout.close)
        self.addCleanup(process.wait, 10)
        self.addCleanup(process.terminate)
        return "http://127.0.0.1:%d" % port

    def tunnels(self):
        return harness.read_text(self.proxy_log).splitlines()

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
                         "proxy for %s: direct, as localhost is in no_proxy" % ADDRESS)
        self.assertEqual(self.settings_proxy_line(),
                         "proxy for %s: direct, as no proxy is set" % ADDRESS)
        self.write_config("proxy = direct\n")
        self.assertGoldenExpress(self.run_express(https_proxy=proxy, HTTPS_PROXY=proxy,
                                                  ALL_PROXY=proxy))
        self.assertEqual(len(self.tunnels()), 2)
        self.assertEqual(self.settings_proxy_line(https_proxy=proxy),
                         "proxy for %s: direct, as the setting proxy is direct in %s, line 1"
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
                                 "the proxy %s %s requires sign-in (methods: Negotiate, NTLM) and "
                                 "did not accept it" % (proxy, origin),
                                 stdout=TIMETABLE_FAILED)
        self.assertNotIn("timetable service", error)
        polish = self.run_program(EXPRESS[1], env=dict(os.environ, LANG="C.UTF-8", LANGUAGE="pl"))
        self.assertIn("serwer proxy %s " % proxy, polish.stderr)
        self.assertIn(" wymaga zalogowania (metody: Negotiate, NTLM) i nie przyjął logowania; ",
                      polish.stderr)
        proxy = self.start_proxy("refuse")
        self.write_config("proxy = %s\n" % proxy)
        error = self.assertError(self.run_express(),
                                 "the proxy %s %s refused to open a connection to %s (status 403)"
                                 % (proxy, origin, ADDRESS), stdout=TIMETABLE_FAILED)
        self.assertNotIn("timetable service", error)
        self.assertEqual(self.new_requests(), [])

    def proxy_line(self, service, **variables):
        """The proxy's line of --settings and of --check for the service, which must agree."""
        env = harness.environment_with(**variables)
        shown = self.run_program("", args=["--settings", "--service", service], env=env)
        self.assertEqual((shown.returncode, shown.stderr), (0, ""))
        line = shown.stdout.splitlines()[-2]
        checked = self.run_program("", args=["--check", "--service", service], env=env)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        self.assertIn("[ok] " + line + "\n", checked.stdout)
        return line

    def test_no_proxy_says_direct_exactly_when_no_tunnel_is_opened(self):
        proxy = self.start_proxy()
        for service, no_proxy, direct in [("127.0.0.1", "127.0.0.0/8", True),
                                          ("127.0.0.1", "127.0.0.1/32", True),
                                          ("localhost", "localhost.", True),
                                          ("127.0.0.1", ".0.0.1", False),
                                          ("127.0.0.1", "example.org,*", False)]:
            address = "%s:%d" % (service, PORT)
            before = len(self.tunnels())
            line = self.proxy_line(address, https_proxy=proxy, no_proxy=no_proxy)
            if direct:
                self.assertEqual(line, "proxy for %s: direct, as %s is in no_proxy"
                                 % (address, service), no_proxy)
            else:
                self.assertEqual(line, "proxy for %s: %s, from https_proxy" % (address, proxy),
                                 no_proxy)
            run = self.run_program(EXPRESS[1], args=["--service", address],
                                   env=harness.environment_with(https_proxy=proxy,
                                                                no_proxy=no_proxy))
            self.assertEqual(run.returncode, 0, run.stderr)
            # The check's and the run's tunnels through the proxy; none when direct.
            opened = self.tunnels()[before:]
            if direct:
                self.assertEqual(opened, [], no_proxy)
            else:
                self.assertGreaterEqual(len(opened), 2, no_proxy)
                self.assertEqual(set(opened), {address}, no_proxy)

    def test_a_password_is_never_sent_unasked_nor_shown(self):
        proxy = self.start_proxy()
        signed = proxy.replace("//", "//crew:pw@")
        self.assertGoldenExpress(self.run_express(https_proxy=signed, no_proxy="example.org,*"))
        self.assertNotIn("signed in unasked", "\n".join(self.tunnels()))
        self.assertGoldenExpress(self.run_express(https_proxy=signed, no_proxy="example.org"))
        self.assertTrue(self.tunnels())
        self.assertEqual(set(self.tunnels()), {"localhost:%d" % PORT})
        # Passwords that hold "/", "@" and ":", in the setting and in https_proxy: in an
        # address libcurl cannot read, and in one it can (encoded).
        secret = "pa/s@s:W0RD"
        for value in [proxy.replace("//", "//crew:%s@" % secret),
                      proxy.replace("//", "//crew:%s@" % secret.replace("/", "%2F"))]:
            for config, variables in [("proxy = %s\n" % value, {}),
                                      ("", {"https_proxy": value})]:
                self.write_config(config)
                env = harness.environment_with(**variables)
                runs = [self.run_program(EXPRESS[1], env=env),
                        self.run_program("", args=["--settings"], env=env),
                        self.run_program("", args=["--check"], env=env)]
                for run in runs:
                    for shown in (run.stdout, run.stderr):
                        for part in ("s@s:W0RD", "s%40s", "W0RD"):
                            self.assertNotIn(part, shown, value)
                self.assertNotIn("W0RD", self.support_log(), value)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
