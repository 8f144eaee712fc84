"""End-to-end tests: ProxySignIn."""

import os
import sys
import time
import unittest

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from service_client import PORT  # noqa: E402
from e2e_common import EXPRESS, SAMPLE_STDERR, TIMETABLE_FAILED  # noqa: E402
import kerberos_proxy  # noqa: E402

# What squid logs for a tunnel to the service that a signed-in user opened.
SIGNED_IN_TUNNEL = "CONNECT localhost:%d %s@%s" % (PORT, kerberos_proxy.USER,
                                                   kerberos_proxy.REALM)


class SignInProxyCase:
    """The service reached through squid, which lets only a user signed in by Kerberos through
    (Negotiate); the realm and squid are the tests' own, started once for the group. Each
    platform's group mixes it into EndToEnd and gives the program the proxy its own way."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.proxy = kerberos_proxy.start()
        cls.addClassCleanup(cls.proxy.stop)

    def setUp(self):
        super().setUp()
        self.access_start = len(self.proxy.access_log())

    def run_express(self, ticket):
        return self.run_program(EXPRESS[1], env=self.proxy.client_environment(os.environ,
                                                                              ticket))

    def tunnels(self, signed_in):
        """This test's CONNECT requests in squid's log: those a signed-in user opened, or those
        refused for want of sign-in. squid logs a tunnel once it has closed, a moment after the
        run has ended, so they are waited for."""
        wanted = SIGNED_IN_TUNNEL if signed_in else "TCP_DENIED/407 "
        deadline = time.time() + 10
        while True:
            lines = [line for line in self.proxy.access_log()[self.access_start:]
                     if wanted in line and " CONNECT " in line]
            if lines or time.time() > deadline:
                return lines
            time.sleep(0.05)

    def assertExpressPrinted(self, run):
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())

    def assertRefusedForSignIn(self, run):
        """The run ends naming the proxy and its sign-in, and nothing reached the service or the
        printer. The sentence itself is the Proxy group's to check."""
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertEqual(run.stdout, TIMETABLE_FAILED)
        self.assertIn(self.proxy.url.split("//")[1], run.stderr)
        self.assertRegex(run.stderr, r"(?i)sign[- ]in")
        self.assertNothingPrinted(run)
        self.assertEqual(self.new_requests(), [])

    def test_a_user_with_a_ticket_signs_in_and_the_form_prints(self):
        self.assertExpressPrinted(self.run_express(ticket=True))
        # Both requests of the run share one tunnel, opened by the user of the ticket.
        self.assertEqual(len(self.tunnels(signed_in=True)), 1, self.proxy.access_log())

    def test_without_a_ticket_the_run_ends_naming_the_proxy_and_its_sign_in(self):
        self.assertRefusedForSignIn(self.run_express(ticket=False))
        self.assertTrue(self.tunnels(signed_in=False), self.proxy.access_log())
        self.assertNotIn(SIGNED_IN_TUNNEL,
                         "\n".join(self.proxy.access_log()[self.access_start:]))


class ProxySignIn(SignInProxyCase, EndToEnd):
    """Sign-in at the proxy with the user's Kerberos ticket through GSS-API (Linux); the proxy
    is the proxy setting of the user's settings file."""

    @classmethod
    def setUpClass(cls):
        if harness.RUNNER:
            raise unittest.SkipTest("GSS-API is the Linux build's: see WindowsProxySignIn")
        super().setUpClass()

    def setUp(self):
        super().setUp()
        self.use_user_settings_file("WindowsProxySignIn")
        self.write_config("proxy = %s\n" % self.proxy.url)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
