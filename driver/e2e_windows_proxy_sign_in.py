"""End-to-end tests: WindowsProxySignIn."""

import subprocess
import sys
import unittest

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from e2e_proxy_sign_in import SignInProxyCase  # noqa: E402


class WindowsProxySignIn(SignInProxyCase, EndToEnd):
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


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
