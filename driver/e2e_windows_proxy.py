"""End-to-end tests: WindowsProxy."""

import sys
import os
import subprocess
import time

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from service_client import PORT  # noqa: E402
from e2e_common import (ADDRESS, EXPRESS, INTERNET_CONNECTIONS, SAMPLE_STDERR,
                        connection_settings)  # noqa: E402


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
                             "proxy for %s: direct, as localhost is in the bypass list of the "
                             "Windows proxy settings" % ADDRESS)
            self.assertExpressPrinted(self.run_program(EXPRESS[1]))
        self.assertEqual(len(self.tunnels()), 1)

    def test_automatic_detection_without_an_answer_goes_direct_soon(self):
        self.set_windows_proxy(9)
        started = time.time()
        self.assertEqual(self.settings_proxy_line(),
                         "proxy for %s: direct, as no proxy is set; automatic proxy detection gave "
                         "no answer" % ADDRESS)
        self.assertLess(time.time() - started, 20)
        self.assertExpressPrinted(self.run_program(EXPRESS[1]))


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
