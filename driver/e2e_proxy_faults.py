"""End-to-end tests: ProxyFaults."""

import concurrent.futures
import sys

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from e2e_common import ADDRESS, TIMETABLE_FAILED  # noqa: E402

# The request's time limit, which every wait of a run keeps, whatever the proxy does.
REQUEST_SECONDS = 30


class ProxyFaults(EndToEnd):
    """A proxy that misbehaves while asked for a tunnel: the run and --check end within the
    request's limit, with one line that names the proxy, and exit 1."""

    def start_proxy(self, mode):
        process, port = harness.start_proxy(self.path("proxy-%s.log" % mode), mode)
        self.addCleanup(process.stdout.close)
        self.addCleanup(process.wait, 10)
        self.addCleanup(process.kill)
        return "http://127.0.0.1:%d" % port

    def run_through(self, mode, check):
        proxy = self.start_proxy(mode)
        env = harness.environment_with(https_proxy=proxy)
        if check:
            return proxy, self.run_program("", args=["--check"], env=env, timeout=120)
        return proxy, self.run_program("5410\n", env=env, timeout=120)

    def test_every_fault_ends_in_time_naming_the_proxy(self):
        # What each fault is called; the slow ones run side by side.
        late = "did not open a connection to %s within " % ADDRESS
        unusable = "gave no usable answer when asked for a connection to " + ADDRESS
        refused = "requires sign-in (methods: Basic) and did not accept it"
        # A yes to CONNECT, and then a close or junk where TLS should come.
        no_tls = "opened a connection to %s, but no secure connection (TLS)" % ADDRESS
        # Headers without end are refused at libcurl's limit, which the Windows build's libcurl
        # does not reach before the watchdog; and junk where TLS should come is refused by
        # OpenSSL at once, while Schannel waits for more until the time to connect runs out.
        cases = {"silent": (late,), "drip": (late,), "hugeheaders": (unusable, late),
                 "garbage": (unusable,), "flood407": (refused,), "chunked407": (refused,),
                 "tunnelclosed": (no_tls,), "tunneljunk": (no_tls, late)}
        runs = [(mode, check) for mode in cases for check in (False, True)
                if not check or mode in ("flood407", "chunked407", "silent")]
        with concurrent.futures.ThreadPoolExecutor(len(runs)) as pool:
            results = list(pool.map(lambda case: self.run_through(*case), runs))
        for (mode, check), (proxy, run) in zip(runs, results):
            with self.subTest(mode=mode, check=check):
                self.assertLess(run.elapsed, REQUEST_SECONDS + 5)
                if check:
                    self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
                    failed = [line for line in run.stdout.splitlines()
                              if line.startswith("[failed] ")]
                    self.assertEqual(len(failed), 1, run.stdout)
                    line = failed[0]
                else:
                    line = self.assertError(run, stdout=TIMETABLE_FAILED)
                self.assertTrue(any("the proxy %s (from https_proxy) %s" % (proxy, sentence) in line
                                    for sentence in cases[mode]), line)
                self.assertNotIn("timetable service", line)
        self.assertEqual(self.new_requests(), [])


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
