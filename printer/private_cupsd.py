"""A print spooler of the tests' own: a CUPS daemon run as a child process in a folder.

The daemon has its own configuration, state, spool and logs in the folder given, listens only
on a free port of 127.0.0.1 (never the system's port 631 or socket), and has no filters: its
single backend, tofile, copies each job's bytes unchanged to the path in the queue's device
URI (tofile:/abs/path), writing path.part first and renaming it, so that a whole file means a
whole job; a path it cannot write fails the job (the queue aborts it). The queue "dotmatrix"
is a raw queue printing to out.prn in the folder.

Use from a test:

    spooler = private_cupsd.start(folder)      # in setUpClass; raises RuntimeError if it fails
    env = spooler.env()                        # environment for programs that print through it
    spooler.remove_output()                    # before each job
    ... run the program with env=env ...
    data = spooler.wait_for_output(timeout=10) # the job's bytes, or None if none arrived
    spooler.add_queue("broken", folder + "/missing/out.prn")  # a queue whose jobs are aborted
    spooler.add_queue("slow", folder + "/slow.prn", print_seconds=20)  # each job prints 20 s
    spooler.run("cupsdisable", "dotmatrix")    # any CUPS command, with -h for this daemon
    spooler.job_state(7)                       # "completed", "canceled", "processing", ...
    spooler.stop()                             # in tearDownClass; a spooler that cannot be reached

start() needs cupsd (cups-daemon) and lpadmin/lpoptions (cups-client). A program under wine
takes the same env: wine's spooler lists the daemon's queues at each start of a program.
"""

import http.client
import os
import signal
import socket
import struct
import subprocess
import time

CUPSD = "/usr/sbin/cupsd"
SYSTEM_DAEMON_FOLDER = "/usr/lib/cups/daemon"
DATA_FOLDER = "/usr/share/cups"
QUEUE = "dotmatrix"

# Lists the device when run without arguments; otherwise copies the job's file ($6) or its
# standard input to the path in the device URI, tofile:PATH or tofile:PATH?sleep=SECONDS for a
# printer that takes that long to print before the file is in place.
BACKEND = r"""#!/bin/sh
if [ $# -eq 0 ]; then
  echo 'direct tofile "Unknown" "Raw bytes to file"'
  exit 0
fi
path=${DEVICE_URI#tofile:}
seconds=0
case $path in *\?sleep=*) seconds=${path##*\?sleep=}; path=${path%\?sleep=*} ;; esac
if [ $# -ge 6 ]; then exec < "$6"; fi
if ! cat > "$path.part" 2>/dev/null || ! sleep "$seconds" || ! mv -f -- "$path.part" "$path"; then
  echo "ERROR: cannot write $path" >&2
  exit 1
fi
exit 0
"""


# The driver of a printer that reads PDF itself, as many office printers do: the daemon, which
# has no filters of its own, hands a PDF job to the backend as it is.
PDF_PRINTER_PPD = """*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "OFFICE.PPD"
*Manufacturer: "Timetable"
*Product: "(Office printer)"
*ModelName: "Office printer"
*ShortNickName: "Office printer"
*NickName: "Office printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
"""


def _free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def _write(path, text, mode=0o644):
    with open(path, "w", encoding="utf-8") as file:
        file.write(text)
    os.chmod(path, mode)


def _answers(address):
    try:
        socket.create_connection(address, timeout=0.5).close()
        return True
    except OSError:
        return False


class Spooler:
    """A running private cupsd: its folder, address and child process."""

    def __init__(self, folder, port, process):
        self.folder = folder
        self.port = port
        self.process = process
        self.server = "127.0.0.1:%d" % port  # for CUPS_SERVER and the -h of CUPS' commands
        self.output = os.path.join(folder, "out.prn")  # where the dotmatrix queue prints
        self.client_root = os.path.join(folder, "client")
        self.error_log = os.path.join(folder, "log", "error_log")
        self.access_log_path = os.path.join(folder, "log", "access_log")

    def env(self, base=None):
        """An environment for programs that should print through this spooler.

        CUPS_SERVER points libcups at the daemon; CUPS_SERVERROOT and HOME give libcups a
        client.conf and lpoptions of its own, so the user's and the system's are not read.
        """
        env = dict(os.environ if base is None else base)
        env["CUPS_SERVER"] = self.server
        env["CUPS_SERVERROOT"] = self.client_root
        env["HOME"] = self.client_root
        env.pop("CUPS_USER", None)
        env.pop("PRINTER", None)
        env.pop("LPDEST", None)
        return env

    def run(self, *command, check=True):
        """Runs a CUPS command (lpadmin, lpstat, ...) against this spooler; returns its output."""
        finished = subprocess.run([command[0], "-h", self.server] + list(command[1:]),
                                  env=self.env(), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
        output = finished.stdout.decode("utf-8", "replace")
        if check and finished.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(command), output.strip()))
        return output

    def add_queue(self, name, output, error_policy="abort-job", print_seconds=0, ppd=None):
        """Adds a queue printing to the file output, each job taking print_seconds; a job that
        its backend fails is aborted (with the default error policy), not held with the queue
        stopped. Without ppd the queue is raw; with the text of a PPD it has that driver."""
        device = "tofile:" + os.path.abspath(output)
        if print_seconds:
            device += "?sleep=%d" % print_seconds
        driver = []
        if ppd:
            path = os.path.join(self.folder, name + ".ppd")
            _write(path, ppd)
            driver = ["-P", path]
        self.run("lpadmin", "-p", name, "-E", "-v", device,
                 "-o", "printer-error-policy=" + error_policy, *driver)
        # Programs that let libcups choose the format (such as wine's spooler) send raw data.
        self.run("lpoptions", "-p", name, "-o", "raw")

    def remove_output(self, path=None):
        """Removes the output file before a job, so that wait_for_output sees the new one."""
        path = path or self.output
        for stale in (path, path + ".part"):
            if os.path.lexists(stale):
                os.remove(stale)

    def wait_for_output(self, timeout=10.0, path=None):
        """The bytes of the queue's output file once it is there, or None after timeout s."""
        path = path or self.output
        deadline = time.monotonic() + timeout
        while True:
            try:
                with open(path, "rb") as file:
                    return file.read()
            except FileNotFoundError:
                pass
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.02)

    def job_state(self, job_id):
        """The job's state as its IPP keyword, asked with Get-Job-Attributes (lpstat does not
        tell a cancelled job from a completed one)."""
        def attribute(tag, name, value):
            return (struct.pack(">BH", tag, len(name)) + name.encode() +
                    struct.pack(">H", len(value)) + value.encode())
        request = (struct.pack(">BBHI", 2, 0, 0x0009, 1) + b"\x01" +
                   attribute(0x47, "attributes-charset", "utf-8") +
                   attribute(0x48, "attributes-natural-language", "en") +
                   attribute(0x45, "job-uri", "ipp://localhost/jobs/%d" % job_id) +
                   attribute(0x44, "requested-attributes", "job-state") + b"\x03")
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request("POST", "/", request, {"Content-Type": "application/ipp"})
            answer = connection.getresponse().read()
        finally:
            connection.close()
        # The value of job-state, an enum: tag 0x23, the name, then four bytes.
        marker = b"\x23" + struct.pack(">H", len("job-state")) + b"job-state" + b"\x00\x04"
        at = answer.find(marker)
        if at < 0:
            return None
        state = struct.unpack(">i", answer[at + len(marker):at + len(marker) + 4])[0]
        return {3: "pending", 4: "pending-held", 5: "processing", 6: "processing-stopped",
                7: "canceled", 8: "aborted", 9: "completed"}.get(state)

    def access_log(self):
        """The daemon's access log: one line for each request answered."""
        try:
            with open(self.access_log_path, encoding="utf-8", errors="replace") as file:
                return file.read()
        except OSError:
            return ""

    def log(self):
        """The daemon's error log, for the message of a failed test."""
        try:
            with open(self.error_log, encoding="utf-8", errors="replace") as file:
                return file.read()
        except OSError:
            return ""

    def stop(self, timeout=10.0):
        """Stops the daemon (SIGTERM, then SIGKILL after timeout s) and waits for it."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def _configure(folder, port):
    """Writes the daemon's folders and configuration; returns the two configuration paths."""
    for name in ("conf", "state", "cache", "spool", "spool/tmp", "log", "bin", "bin/filter",
                 "bin/backend", "client"):
        os.makedirs(os.path.join(folder, name), exist_ok=True)
    # cupsd as root runs only programs that root owns and no one else may change, in folders
    # of the same kind; the backend with mode 0700 runs as root and may write anywhere.
    for name in ("bin", "bin/filter", "bin/backend"):
        os.chmod(os.path.join(folder, name), 0o755)
    daemon = os.path.join(folder, "bin", "daemon")
    if not os.path.lexists(daemon):
        os.symlink(SYSTEM_DAEMON_FOLDER, daemon)
    _write(os.path.join(folder, "bin", "backend", "tofile"), BACKEND, 0o700)

    conf = os.path.join(folder, "conf")
    files_conf = os.path.join(conf, "cups-files.conf")
    as_root = os.geteuid() == 0
    _write(files_conf, "\n".join([
        "ServerRoot " + conf,
        "StateDir " + os.path.join(folder, "state"),
        "CacheDir " + os.path.join(folder, "cache"),
        "RequestRoot " + os.path.join(folder, "spool"),
        "TempDir " + os.path.join(folder, "spool", "tmp"),
        "ServerBin " + os.path.join(folder, "bin"),
        "DataDir " + DATA_FOLDER,
        "ErrorLog " + os.path.join(folder, "log", "error_log"),
        "AccessLog " + os.path.join(folder, "log", "access_log"),
        "PageLog " + os.path.join(folder, "log", "page_log"),
        "Printcap " + os.path.join(folder, "printcap"),
        "Sandboxing Relaxed",
    ] + (["User lp", "Group lp", "SystemGroup root"] if as_root else []) + [""]))
    cupsd_conf = os.path.join(conf, "cupsd.conf")
    _write(cupsd_conf, "\n".join([
        "Listen 127.0.0.1:%d" % port,
        "LogLevel debug",
        "AccessLogLevel all",  # queries too, so that a test sees a program ask
        "Browsing No",
        "BrowseLocalProtocols none",
        "WebInterface No",
        "DefaultAuthType None",
        "DefaultEncryption Never",
        "JobRetryInterval 1",
        "<Location />",
        "  Order allow,deny",
        "  Allow all",
        "</Location>",
        "<Policy default>",
        "  <Limit All>",
        "    Order deny,allow",
        "  </Limit>",
        "</Policy>",
        "",
    ]))
    # libcups of the programs under test reads this folder instead of the system's /etc/cups.
    _write(os.path.join(folder, "client", "client.conf"), "ServerName 127.0.0.1:%d\n" % port)
    return cupsd_conf, files_conf


def _die_with_parent():
    """Runs in the child before cupsd: a test run that dies leaves no daemon behind (Linux)."""
    try:
        import ctypes
        ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


def _launch(folder, port, timeout):
    cupsd_conf, files_conf = _configure(folder, port)
    output = open(os.path.join(folder, "log", "cupsd-output.log"), "ab")
    try:
        process = subprocess.Popen([CUPSD, "-f", "-c", cupsd_conf, "-s", files_conf],
                                   stdin=subprocess.DEVNULL, stdout=output,
                                   stderr=subprocess.STDOUT, cwd=folder,
                                   preexec_fn=_die_with_parent)
    finally:
        output.close()
    spooler = Spooler(folder, port, process)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return None, spooler
        if _answers(("127.0.0.1", port)):
            return spooler, spooler
        time.sleep(0.02)
    spooler.stop()
    return None, spooler


def start(folder, timeout=15.0):
    """Starts a private cupsd with its files in folder (made if missing) and the raw queue
    "dotmatrix" printing to folder/out.prn; returns its Spooler. Raises RuntimeError with the
    daemon's log if it does not come up."""
    if not os.path.exists(CUPSD):
        raise RuntimeError("cupsd is not installed (Debian package cups-daemon)")
    folder = os.path.abspath(folder)
    os.makedirs(folder, exist_ok=True)
    if os.geteuid() == 0:
        # cupsd as root wants folders that only root may change and that its user lp may enter.
        os.chmod(folder, 0o755)
    failed = None
    for _ in range(3):  # another program may take the free port before cupsd binds it
        spooler, failed = _launch(folder, _free_port(), timeout)
        if spooler is not None:
            try:
                spooler.add_queue(QUEUE, spooler.output)
            except Exception:
                spooler.stop()
                raise
            return spooler
    raise RuntimeError("the private cupsd did not start:\n" + failed.log()[-4000:] +
                       _read(os.path.join(folder, "log", "cupsd-output.log")))


def _read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as file:
            return file.read()
    except OSError:
        return ""


if __name__ == "__main__":
    import sys
    import tempfile
    with tempfile.TemporaryDirectory() as where:
        begun = time.monotonic()
        spooler = start(sys.argv[1] if len(sys.argv) > 1 else where)
        print("started in %.0f ms at %s" % ((time.monotonic() - begun) * 1000, spooler.server))
        print(spooler.run("lpstat", "-r", "-v", "-p"))
        spooler.stop()
