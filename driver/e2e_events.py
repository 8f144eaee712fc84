"""End-to-end tests: Events."""

import json
import os
import re
import subprocess
import sys

import e2e_harness as harness
from e2e_harness import EndToEnd
from e2e_common import NIGHT

# Inside the private mount namespace: binds a datagram socket of the test's own where the system's
# log would be, runs each run in turn and collects what reached the socket after each.
LISTENER = r"""
import json, os, socket, subprocess, sys
path, runs = sys.argv[1], json.loads(sys.argv[2])
os.makedirs(os.path.dirname(path), exist_ok=True)
log = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
log.bind(path)
log.setblocking(False)
results = []
for run in runs:
    done = subprocess.run(run["command"], input=run["typed"].encode(), capture_output=True,
                          cwd=run["cwd"], env=dict(os.environ, **run["env"]), timeout=60)
    received = []
    while True:
        try:
            received.append(log.recv(65536).decode("utf-8"))
        except BlockingIOError:
            break
    results.append([done.returncode, done.stderr.decode(), received])
print(json.dumps(results))
"""

# The system's /dev has no log socket here: a tmpfs of the namespace's own takes its place, with
# the devices a run uses bound into it.
OWN_DEV = """
mkdir /run/dev && mount --rbind /dev /run/dev || exit 77
mount -t tmpfs tmpfs /dev || exit 77
for name in null zero random urandom tty; do
  [ -e /run/dev/$name ] || continue
  touch /dev/$name && mount --bind /run/dev/$name /dev/$name || exit 77
done
"""


class Events(EndToEnd):
    """One event per run in the system's log, and none from what does no work."""

    def logged_runs(self, socket_path, runs, prepare=""):
        """Runs each (typed, args, env) with a tmpfs over /run, socket_path bound by the test;
        returns (exit status, stderr, datagrams received) for each."""
        if harness.RUNNER or os.geteuid() != 0:
            self.skipTest("needs Linux and root, for a /run of the test's own")
        script = "mount -t tmpfs tmpfs /run || exit 77\n" + prepare + '\nexec "$@"'
        commands = [{"command": [harness.PROGRAM, *args], "typed": typed, "cwd": self.folder,
                     "env": env} for typed, args, env in runs]
        done = subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-c", script,
                               "sh", sys.executable, "-c", LISTENER, socket_path,
                               json.dumps(commands)], capture_output=True, timeout=300)
        if done.returncode == 77 or b"unshare" in done.stderr:
            self.skipTest("no mounts of the test's own here: %s" % done.stderr)
        self.assertEqual(done.returncode, 0, done.stderr)
        return json.loads(done.stdout)

    def version(self):
        return self.run_program("", args=["--version"]).stdout.split()[1]

    def test_journal_gets_one_entry_per_run_with_its_fields(self):
        off = self.path("events-off.conf")
        with open(off, "w") as f:
            f.write("events = off\n")
        runs = self.logged_runs("/run/systemd/journal/socket", [
            (NIGHT[1], [], {}),
            ("", ["--help"], {}),
            (NIGHT[1], ["--service", "127.0.0.1:1"], {}),
            (NIGHT[1], [], {"TIMETABLE_PRINT_CONF": off})])
        self.assertEqual([(status, len(received)) for status, _, received in runs],
                         [(0, 1), (0, 0), (1, 1), (0, 0)], runs)
        # The event leaves standard error as it was.
        self.assertNotIn("event", runs[0][1] + runs[2][1])
        entries = [dict(line.split("=", 1) for line in received[0].splitlines())
                   for _, _, received in (runs[0], runs[2])]
        for entry in entries:
            self.assertRegex(entry.pop("MESSAGE_ID"), r"\A[0-9a-f]{32}\Z")
            self.assertRegex(entry.pop("MESSAGE"), r"\Atimetable-print \S+: outcome=")
        version = self.version()
        self.assertEqual(entries[0], {
            "PRIORITY": "6", "SYSLOG_IDENTIFIER": "timetable-print",
            "TIMETABLE_OUTCOME": "printed", "TIMETABLE_FAILURE": "", "TIMETABLE_TRAIN": "38170",
            "TIMETABLE_DESTINATION": "file", "TIMETABLE_EXIT": "0",
            "TIMETABLE_VERSION": version, "TIMETABLE_COPY": ""})
        self.assertEqual(entries[1], {
            "PRIORITY": "3", "SYSLOG_IDENTIFIER": "timetable-print",
            "TIMETABLE_OUTCOME": "failed", "TIMETABLE_FAILURE": "refused",
            "TIMETABLE_TRAIN": "38170", "TIMETABLE_DESTINATION": "file", "TIMETABLE_EXIT": "1",
            "TIMETABLE_VERSION": version, "TIMETABLE_COPY": ""})

    def test_without_a_journal_syslog_gets_the_line(self):
        runs = self.logged_runs("/dev/log", [(NIGHT[1], [], {})], OWN_DEV)
        status, _, received = runs[0]
        self.assertEqual((status, len(received)), (0, 1), runs)
        self.assertRegex(received[0], r"\A<14>[A-Z][a-z]{2} [ \d]\d \d\d:\d\d:\d\d "
                         r"timetable-print\[\d+\]: timetable-print printed: outcome=printed "
                         r"train=38170 destination=file exit=0 version=%s\Z"
                         % re.escape(self.version()))

    def test_windows_application_log_gets_one_event_per_run(self):
        if not harness.RUNNER:
            self.skipTest("the Windows build under wine")
        # Wine 8's ReportEventW only writes the event to its debug channels: the call with the
        # ID and type as a fixme of advapi, each string as eventlog's (trace for information,
        # err for an error).
        env = harness.environment_with(WINEDEBUG="-all,fixme+advapi,+eventlog")
        printed = self.run_program(NIGHT[1], env=env)
        failed = self.run_program(NIGHT[1], args=["--service", "127.0.0.1:1"], env=env)
        helped = self.run_program("", args=["--help"], env=env)
        calls = [re.findall(r"fixme:advapi:ReportEventW \(\w+,(0x\w+),0x\w+,(0x\w+),", run.stderr)
                 for run in (printed, failed, helped)]
        # Information 4, error 1; the IDs of printed and failed.
        self.assertEqual(calls, [[("0x0004", "0x00000001")], [("0x0001", "0x00000004")], []],
                         printed.stderr + failed.stderr)
        self.assertIn('trace:eventlog:ReportEventW L"printed"', printed.stderr)
        self.assertIn('trace:eventlog:ReportEventW L"38170"', printed.stderr)
        self.assertIn('err:eventlog:ReportEventW L"failed"', failed.stderr)
        self.assertIn('err:eventlog:ReportEventW L"refused"', failed.stderr)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
