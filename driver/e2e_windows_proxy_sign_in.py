"""End-to-end tests: WindowsProxySignIn."""

import subprocess
import sys
import unittest

import e2e_harness as harness
from e2e_proxy_sign_in import SignInProxyCase  # noqa: E402


class WindowsProxySignIn(SignInProxyCase):
    """Sign-in at the proxy with the user's Kerberos ticket through SSPI, under wine, whose
    Kerberos package hands the work to the system's MIT libraries: they find the realm and the
    ticket through KRB5_CONFIG and KRB5CCNAME. The proxy is the user's Proxy value in the
    registry."""
    SETTINGS = r"HKCU\Software\timetable-print"

    @classmethod
    def setUpClass(cls):
        if not harness.RUNNER:
            raise unittest.SkipTest("SSPI exists under wine only: see ProxySignIn")
        super().setUpClass()

    def setUp(self):
        super().setUp()
        self.reg("add", self.SETTINGS, "/v", "Proxy", "/d", self.proxy.url, "/f")
        self.addCleanup(self.reg, "delete", self.SETTINGS, "/f")

    def reg(self, *args):
        subprocess.run(harness.RUNNER + ["reg", *args], check=True, capture_output=True,
                       timeout=60)

    def test_a_user_with_a_ticket_signs_in_and_the_form_prints(self):
        self.assertExpressPrinted(self.run_express(ticket=True))
        self.assertEqual(len(self.tunnels(signed_in=True)), 1, self.proxy.access_log())

    def test_without_a_ticket_the_run_ends_naming_the_proxy_and_its_sign_in(self):
        self.assertRefusedForSignIn(self.run_express(ticket=False))
        self.assertTrue(self.tunnels(signed_in=False), self.proxy.access_log())


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
