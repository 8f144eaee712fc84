"""The harness of the end-to-end tests: the local timetable service and runs of the program.

Each run happens in a fresh folder holding the service's cacert.pem; the printer is the file
LPT1 there. The program's settings are the built-in ones: neither the machine's settings file nor
the user's are read.
"""

import fcntl
import os
import pwd
import resource
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SERVICE_DIR = os.path.join(ROOT, "service", "test_service")
sys.path.insert(0, SERVICE_DIR)
import service_client  # noqa: E402
from service_client import PORT, port_in_use  # noqa: E402

# The tests expect the English messages, whatever language the shell that runs them has chosen;
# a test of another language sets it for its own runs.
for name in ("LANGUAGE", "LC_ALL"):
    os.environ.pop(name, None)
os.environ["LC_MESSAGES"] = "C.UTF-8"
# Nor the machine's proxy: the runs go straight to the local service unless a test says otherwise.
for name in list(os.environ):
    if name.lower() in ("http_proxy", "https_proxy", "all_proxy", "no_proxy"):
        del os.environ[name]

SERVICE = os.path.join(SERVICE_DIR, "timetable_service.py")
GOLDEN = os.path.join(HERE, "golden")
PROGRAM = None
RUNNER = []  # A command that runs the program, such as wine for the Windows build.
PACKAGE = None  # The Windows release zip, for the check of its contents.
INSTALLER = None  # The Windows installer (MSI) made from the same files as the zip.
PREVIEW = None  # A timetable-preview that renders printer files the way the program must.
WORK = None
SERVICE_PROCESS = None

# Each prompt is preceded by an end of line and followed directly by the read.
DIALOGUE_HEAD = "TRAIN NUMBER: \n\nLOK1:\nLOK2:\nLOK3:\nVmax(km/h)="


def ok_lines(last_row):
    return "".join("%d OK\n" % row for row in range(last_row + 1))


def measures_its_own_memory():
    """Whether a run's peak memory is the program's own: not under wine, which the process holds
    as well, and not with AddressSanitizer, whose quarantine keeps freed memory on purpose."""
    with open(PROGRAM, "rb") as program:
        return not RUNNER and b"__asan_init" not in program.read()


def start_service(port=PORT):
    """Starts the test service on the port, by default the one the program uses unless told
    otherwise; each one's answers are steered on its own. Returns its process."""
    global SERVICE_PROCESS
    if port_in_use(port):
        raise RuntimeError("port %d is in use: stop whatever listens there first" % port)
    errors_path = os.path.join(WORK, "service-errors.log")
    with open(errors_path, "ab") as errors:
        process = subprocess.Popen(
            [sys.executable, SERVICE, "--dir", os.path.join(WORK, "service"), "--port",
             str(port)], stdout=subprocess.DEVNULL, stderr=errors)
    service_client.wait_for_port(process, "the test service", errors_path, port=port)
    if port == PORT:
        SERVICE_PROCESS = process
    return process


PROXY = os.path.join(SERVICE_DIR, "connect_proxy.py")


def start_proxy(log_path, mode="open", user=""):
    """Starts the tests' CONNECT proxy on a free port of 127.0.0.1, logging each tunnel's target
    to log_path. Returns (process, port)."""
    process = subprocess.Popen([sys.executable, PROXY, "--log", log_path, "--mode", mode,
                                "--user", user], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    port = int(process.stdout.readline())
    return process, port


def free_port():
    """A port of 127.0.0.1 where nothing listens (at the moment it is asked for)."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def environment_with(**variables):
    """The tests' environment (without the machine's proxy variables) with these."""
    env = dict(os.environ)
    env.update(variables)
    return env


def stop_service():
    if SERVICE_PROCESS is not None and SERVICE_PROCESS.poll() is None:
        SERVICE_PROCESS.terminate()
        SERVICE_PROCESS.wait(10)


def point_wine_printer_at(path):
    """Wine always treats LPT1 as a device; its link in the prefix says where the bytes go."""
    if not os.path.lexists(path):
        open(path, "wb").close()
    link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "lpt1")
    # Put in place at once, as runs started side by side (ProxyFaults) each point it.
    made = "%s.%d.%d" % (link, os.getpid(), threading.get_ident())
    os.symlink(path, made)
    os.replace(made, link)


def group_of(user):
    """The group to run as user with: a name's own group, or a number taken for both."""
    return pwd.getpwnam(user).pw_gid if isinstance(user, str) else user


def ca_file():
    return os.path.join(WORK, "service", "cacert.pem")


def control(**settings):
    """Steers this run's test service, trusting its CA."""
    service_client.control(ca_file(), **settings)


def request_log():
    path = os.path.join(WORK, "service", "requests.log")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as log:
        return log.read().splitlines()


def run_measuring_memory(command, typed, timeout, **options):
    """Runs command as subprocess.run does, and tells the peak resident memory of its process in
    bytes as well, which only the wait for that very process reports. For runs whose output fits
    the pipes: they are read once the process has ended."""
    process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, **options)
    timer = threading.Timer(timeout, process.kill)
    timer.start()
    try:
        try:
            process.stdin.write(typed)
            process.stdin.close()
        except BrokenPipeError:  # The program ended before it read everything typed.
            pass
        _, status, usage = os.wait4(process.pid, 0)
    finally:
        timer.cancel()
    process.returncode = os.waitstatus_to_exitcode(status)
    with process.stdout, process.stderr:
        stdout, stderr = process.stdout.read(), process.stderr.read()
    return process.returncode, stdout, stderr, usage.ru_maxrss * 1024


class Run:
    def __init__(self, returncode, stdout, stderr, elapsed, folder, peak_memory=None):
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.elapsed = elapsed
        self.folder = folder
        self.peak_memory = peak_memory  # In bytes, for a run that measured it.

    def __str__(self):
        """The whole outcome, for a failure's message: a run that fails only on a busy machine
        then says what it did."""
        return "exit status %d\n--- standard output ---\n%s\n--- standard error ---\n%s" % (
            self.returncode, self.stdout, self.stderr)

    def printed(self):
        path = os.path.join(self.folder, "LPT1")
        with open(path, "rb") as f:
            return f.read()


class EndToEnd(unittest.TestCase):
    def setUp(self):
        control()
        self.folder = tempfile.mkdtemp(prefix="run-", dir=WORK)
        # Each test's runs keep their support log in a folder of the test's own, never in the
        # real home; every run's environment starts from this one.
        os.environ["XDG_STATE_HOME"] = tempfile.mkdtemp(prefix="state-", dir=WORK)
        shutil.copy(ca_file(), os.path.join(self.folder, "cacert.pem"))
        self.log_start = len(request_log())

    def run_program(self, typed, timeout=90, program=None, args=(), file_size_limit=None,
                    env=None, measure_memory=False, user=None):
        """Runs the program in the test's folder; user names another user to run it as, which
        needs root."""
        if RUNNER:
            point_wine_printer_at(os.path.join(self.folder, "LPT1"))

        def limit_file_size():
            # A file that may not grow past the limit fails its writes, as a full disk does.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))

        started = time.time()
        command = RUNNER + [program or PROGRAM, *args]
        options = dict(cwd=self.folder, env=env,
                       preexec_fn=limit_file_size if file_size_limit else None)
        if user:
            options.update(user=user, group=group_of(user), extra_groups=[])
        peak_memory = None
        if measure_memory:
            returncode, stdout, stderr, peak_memory = run_measuring_memory(
                command, typed.encode("utf-8"), timeout, **options)
        else:
            process = subprocess.run(command, input=typed.encode("utf-8"), capture_output=True,
                                     timeout=timeout, **options)
            returncode, stdout, stderr = process.returncode, process.stdout, process.stderr
        stdout, stderr = stdout.decode("utf-8"), stderr.decode("utf-8")
        if RUNNER:  # A Windows program ends its console lines in CR LF.
            stdout, stderr = stdout.replace("\r\n", "\n"), stderr.replace("\r\n", "\n")
        run = Run(returncode, stdout, stderr, time.time() - started, self.folder, peak_memory)
        self.assertGreaterEqual(run.returncode, 0, "ended by a signal: " + run.stderr)
        return run

    def start_held_at_first_row(self, typed, last_row, args=(), env=None):
        """Starts the program with its standard output a pipe that has room for the dialogue
        alone, so that the program stops at the report of the form's first row: the row has
        reached the printer, the job or file is open, and the program cannot go on. Returns
        (process, pipe's read end) once the program waits there (Linux)."""
        F_SETPIPE_SZ, F_GETPIPE_SZ = 1031, 1032
        dialogue = (DIALOGUE_HEAD + "%d\n" % last_row).encode("utf-8")
        reader, writer = os.pipe()
        fcntl.fcntl(writer, F_SETPIPE_SZ, 4096)
        os.write(writer, b"." * (fcntl.fcntl(writer, F_GETPIPE_SZ) - len(dialogue)))
        process = subprocess.Popen([PROGRAM, *args], cwd=self.folder, env=env,
                                   stdin=subprocess.PIPE, stdout=writer, stderr=subprocess.PIPE)
        os.close(writer)
        process.stdin.write(typed.encode("utf-8"))
        process.stdin.close()
        deadline = time.time() + 30
        # The kernel function that waits for room in the pipe (anon_pipe_write since Linux 6.10).
        while not read_text("/proc/%d/wchan" % process.pid).endswith("pipe_write"):
            if process.poll() is not None or time.time() > deadline:
                process.kill()
                self.fail("the program did not stop at its first row: " +
                          process.stderr.read().decode("utf-8", "replace"))
            time.sleep(0.01)
        return process, reader

    def end_held(self, process, reader, signal_number):
        """Sends the held program the signal and waits for its end; returns its Run, with the
        standard output that it wrote."""
        process.send_signal(signal_number)
        process.wait(timeout=30)
        with process.stderr:
            stderr = process.stderr.read().decode("utf-8")
        with os.fdopen(reader, "rb") as pipe:
            stdout = pipe.read().lstrip(b".").decode("utf-8")
        return Run(process.returncode, stdout, stderr, 0, self.folder)

    def program_for(self, user):
        """A copy of the program that user (a name or a number) may run, in the tests' work
        folder: the program's own folder may be closed to other users, as a checkout in a home
        folder is. The program needs nothing else of the build at run time. Skips the test where
        user cannot run it."""
        folder = os.path.join(WORK, "program-for-%s" % user)
        os.makedirs(folder, exist_ok=True)
        os.chmod(folder, 0o755)  # Whatever the umask.
        program = shutil.copy(PROGRAM, folder)
        try:
            subprocess.run([program, "--version"], cwd="/", user=user, group=group_of(user),
                           extra_groups=[], check=True, capture_output=True, timeout=30)
        except (OSError, subprocess.SubprocessError) as failure:
            self.skipTest("%s cannot run the program from %s: %s" % (user, folder, failure))
        return program

    def use_user_settings_file(self, windows_tests):
        """Gives this test a user's settings file of its own, self.config, which write_config
        writes; a Windows run keeps its settings in the registry, which windows_tests test."""
        if RUNNER:
            self.skipTest("Windows keeps its settings in the registry: see " + windows_tests)
        folder = os.path.join(os.environ["XDG_CONFIG_HOME"], "timetable-print")
        os.makedirs(folder)
        self.addCleanup(shutil.rmtree, os.environ["XDG_CONFIG_HOME"])
        self.config = os.path.join(folder, "config")

    def write_config(self, text):
        with open(self.config, "w", encoding="utf-8") as f:
            f.write(text)

    def support_log_path(self):
        """Where this test's runs keep their support log: in the folder XDG_STATE_HOME names, or
        under wine in the prefix's local application data."""
        if RUNNER:
            users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")
            for user in os.listdir(users):
                folder = os.path.join(users, user, "AppData", "Local")
                if os.path.isdir(folder) and user != "Public":
                    return os.path.join(folder, "timetable-print", "timetable-print.log")
        return os.path.join(os.environ["XDG_STATE_HOME"], "timetable-print",
                            "timetable-print.log")

    def support_log(self):
        return read_text(self.support_log_path())

    def path(self, name):
        return os.path.join(self.folder, name)

    def preview(self, printer_file, output):
        """Renders the printer file with the reference timetable-preview."""
        run = subprocess.run([PREVIEW, printer_file, "-o", output], cwd=self.folder,
                             capture_output=True, timeout=120)
        self.assertEqual(run.returncode, 0, run.stderr)

    def new_requests(self):
        return request_log()[self.log_start:]

    def explained(self, run):
        """The run's outcome and what the service received since the test began, for a failure's
        message."""
        return "%s\n--- requests since the test began ---\n%s" % (
            run, "\n".join(self.new_requests()))

    def assertError(self, run, *fragments, stdout=None):
        """A failed run: exit status 1 and one "error: " line naming the cause."""
        explained = self.explained(run)
        self.assertEqual(run.returncode, 1, explained)
        lines = run.stderr.splitlines()
        errors = [line for line in lines if line.startswith("error: ")]
        self.assertEqual(len(errors), 1, explained)
        self.assertEqual(lines[-1], errors[0], explained)
        for fragment in fragments:
            self.assertIn(fragment, errors[0], explained)
        if stdout is not None:
            self.assertEqual(run.stdout, stdout, explained)
        return errors[0]

    def assertUsageError(self, run, *fragments):
        """A command line that is not understood: exit status 2 and one "error: " line, before
        any prompt or request."""
        explained = self.explained(run)
        self.assertEqual(run.returncode, 2, explained)
        self.assertEqual(run.stdout, "", explained)
        self.assertRegex(run.stderr, r"\Aerror: [^\n]*--help[^\n]*\n\Z", explained)
        for fragment in fragments:
            self.assertIn(fragment, run.stderr, explained)
        self.assertEqual(self.new_requests(), [])

    def assertSamePixels(self, path, expected_path):
        with open(path, "rb") as f, open(expected_path, "rb") as g:
            if f.read() == g.read():
                return
        width, height, rows = png_pixels(path)
        expected_width, expected_height, expected_rows = png_pixels(expected_path)
        self.assertEqual((width, height), (expected_width, expected_height))
        differing = sum(a != b for row, other in zip(rows, expected_rows)
                        for a, b in zip(row, other))
        self.assertEqual(differing, 0, "%d pixel bytes differ" % differing)

    def assertFailedAs(self, run, kind, *values, stdout=None):
        """A failed request: the error line carries the values, and the support log's last
        failure is of the kind, by its key."""
        line = self.assertError(run, *values, stdout=stdout)
        failures = [entry for entry in self.support_log().splitlines()
                    if " request failed: " in entry]
        self.assertTrue(failures, self.explained(run))
        self.assertTrue(failures[-1].endswith(" stage, %s]" % kind), failures[-1])
        return line

    def assertNothingPrinted(self, run):
        path = os.path.join(run.folder, "LPT1")
        if RUNNER:  # Wine's printer device needs the file it writes to in place beforehand.
            self.assertEqual(os.path.getsize(path), 0)
        else:
            self.assertFalse(os.path.exists(path))


def read_text(path):
    try:
        with open(path, encoding="utf-8") as file:
            return file.read()
    except OSError:
        return ""


def png_data(path):
    """The width, height, bytes per pixel and filtered rows of a non-interlaced 8-bit PNG."""
    with open(path, "rb") as f:
        data = f.read()
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, color = struct.unpack(">IIBB", body[:10])
            channels = {0: 1, 2: 3, 4: 2, 6: 4}[color]
            assert depth == 8 and body[12] == 0, "only 8-bit non-interlaced PNGs"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    return width, height, channels, zlib.decompress(idat)


def png_pixels(path):
    """The width, height and rows of pixel bytes of a non-interlaced 8-bit PNG, filters undone,
    so that two PNGs compare by what they show rather than by how they were compressed."""
    width, height, channels, raw = png_data(path)
    stride, rows, previous = width * channels, [], bytearray(width * channels)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(stride):
            left = row[x - channels] if x >= channels else 0
            up, corner = previous[x], previous[x - channels] if x >= channels else 0
            if kind == 1:
                row[x] = (row[x] + left) & 0xFF
            elif kind == 2:
                row[x] = (row[x] + up) & 0xFF
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                row[x] = (row[x] + predictor) & 0xFF
        rows.append(bytes(row))
        previous = row
    return width, height, rows


def png_first_channel(path):
    """The width, height and rows of the first channel of a non-interlaced 8-bit PNG, filters
    undone: the grey of a grey picture in RGB. Each filter predicts a byte from the same channel
    of the pixels before, so one channel is undone on its own, in a third of the time."""
    width, height, channels, raw = png_data(path)
    stride, rows, previous = width * channels + 1, [], bytes(width)
    for y in range(height):
        kind = raw[y * stride]
        row = bytearray(raw[y * stride + 1:(y + 1) * stride:channels])
        if kind == 2:
            row = bytearray((value + up) & 0xFF for value, up in zip(row, previous))
        elif kind in (1, 3, 4):
            left = corner = 0
            for x in range(width):
                up = previous[x]
                if kind == 1:
                    predictor = left
                elif kind == 3:
                    predictor = (left + up) // 2
                else:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                left = row[x] = (row[x] + predictor) & 0xFF
                corner = up
        rows.append(bytes(row))
        previous = row
    return width, height, rows


def pgm_pixels(path):
    """The width, height and rows of pixel bytes of a binary 8-bit PGM, as ghostscript writes."""
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 2
    while len(fields) < 3:  # Width, height and the largest value, with comments between.
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(int(data[at:end]))
        at = end
    assert data[:2] == b"P5" and fields[2] == 255, "only binary 8-bit PGMs"
    width, height, at = fields[0], fields[1], at + 1
    return width, height, [data[at + y * width:at + (y + 1) * width] for y in range(height)]


# Pixels darker than middle grey are ink: 1, else 0.
INK = bytes(1 if value < 128 else 0 for value in range(256))
# A rule is a run of ink this long, 1.3 inches at 150 dpi: far longer than a character is wide
# or tall, and shorter than any rule of the form.
RULE_PIXELS = 200


def rule_positions(lines):
    """The middles of the rules along lines of ink (rows or columns): each band of neighbouring
    lines with a run of ink of RULE_PIXELS or more is one rule."""
    bands = []
    for at, line in enumerate(lines):
        if max(map(len, line.split(b"\0"))) >= RULE_PIXELS:
            if bands and bands[-1][1] == at - 1:
                bands[-1][1] = at
            else:
                bands.append([at, at])
    return [(first + last) / 2 for first, last in bands]


def page_features(width, height, rows):
    """What shows where a page is drawn and how large, whatever renders it: its size in pixels,
    the box around its ink, the share of its pixels that are ink, and the positions of its
    horizontal and vertical rules."""
    ink = [row.translate(INK) for row in rows]
    columns = [bytes(column) for column in zip(*ink)]
    ys = [y for y, row in enumerate(ink) if 1 in row]
    xs = [x for x, column in enumerate(columns) if 1 in column]
    return {"size": (width, height),
            "box": (xs[0], ys[0], xs[-1], ys[-1]) if ys else None,
            "ink": sum(row.count(1) for row in ink) / (width * height),
            "rows": rule_positions(ink), "columns": rule_positions(columns)}


def main(cases):
    """Usage: SCRIPT [--runner COMMAND] --program PATH [--package ZIP] [--installer MSI]
    [--preview PATH] [unittest arguments, such as a test class name]."""
    global PROGRAM, RUNNER, PACKAGE, INSTALLER, PREVIEW, WORK
    options = {}
    args = sys.argv[1:]
    while len(args) >= 2 and args[0] in ("--runner", "--program", "--package",
                                             "--installer", "--preview"):
        options[args[0]] = args[1]
        args = args[2:]
    if "--program" not in options:
        print(main.__doc__, file=sys.stderr)
        return 2
    PROGRAM = os.path.abspath(options["--program"])
    RUNNER = [options["--runner"]] if "--runner" in options else []
    PACKAGE = os.path.abspath(options["--package"]) if "--package" in options else None
    INSTALLER = os.path.abspath(options["--installer"]) if "--installer" in options else None
    PREVIEW = os.path.abspath(options["--preview"]) if "--preview" in options else None
    WORK = tempfile.mkdtemp(prefix="timetable-e2e-")
    # Settings files that are not there: the machine's and the user's, which a test writes.
    os.environ["TIMETABLE_PRINT_CONF"] = os.path.join(WORK, "machine.conf")
    os.environ["XDG_CONFIG_HOME"] = os.path.join(WORK, "config")
    os.environ["XDG_STATE_HOME"] = os.path.join(WORK, "state")
    try:
        start_service()
        program = unittest.main(module=cases, argv=[sys.argv[0]] + args, exit=False,
                                verbosity=2)
        return 0 if program.result.wasSuccessful() else 1
    finally:
        stop_service()
        shutil.rmtree(WORK, ignore_errors=True)
