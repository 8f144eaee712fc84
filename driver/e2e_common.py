"""What the end-to-end groups share: the sample trains, the texts the program shows and
helpers that build timetables and read what was printed or packed."""

import os
import pty
import re
import select
import struct
import subprocess
import sys
import time
import tty

import e2e_harness as harness
from service_client import BASE, USER_AGENT  # noqa: E402

sys.path.insert(0, os.path.join(harness.ROOT, "printer"))

# The sample trains: number, what is typed, the index of the last row.
EXPRESS = ("5410", "5410\nEP09\nEU07-123\nx\n160\n", 14)
NIGHT = ("38170", "38170\nSM42\nx\nx\n100\n", 8)
REGIONAL = ("91341", "91341\nEN57-1\nx\nx\n120\n", 6)

# What a notice says when the list of trains online gives no mass and length.
EMPTY_TRAIN_FIELDS = 'so the fields "Brutto" and "D\u0142.Poc." stay empty on the form'

# The service's host and port, as the error that it cannot be reached names it.
ADDRESS = BASE.split("//")[1].split("/")[0]
UNREACHABLE = ("cannot reach the timetable service at %s; check the network connection, or ask the "
               "IT department to check the service address (timetable-print --settings): "
               % ADDRESS)
UNREADABLE = ("the timetable service sent an answer that cannot be read; try again later, or ask "
              "the IT department to check the service: ")
LPT1_ADVICE = ("; without a dot-matrix printer on LPT1, start the program with its option --drawn "
               "to print on the default printer (timetable-print --help lists the options)")
# The same advice and the service's, for a run started from a Start-menu entry (--start-menu):
# the entries to use, not the options.
# The entries by their installed, Polish, names in every language.
MENU_LPT1_ADVICE = ('; without a dot-matrix printer on LPT1, use "Rozkład jazdy na ekranie" in the '
                    "Start menu to see the form on screen, and ask the IT department to set the "
                    "destination to drawn, the default printer")


def printer_not_opened(name, reason, advice="; check that it is connected and switched on"):
    """The error of a printer that cannot be opened: the reason beside it, then the advice."""
    return "cannot open the printer %s (%s)%s" % (name, reason, advice)


MENU_UNREACHABLE = ("cannot reach the timetable service at %s; check the network connection, or "
                    'ask the IT department to check the service address ("Sprawdź połączenie" '
                    "in the Start menu shows the settings and tests the connection): " % ADDRESS)


def too_wide(text, field, columns):
    """The warning for a text that prints wider than its field."""
    return ('warning: "%s" does not fit in the field "%s" (field width in characters: %d); it '
            "prints whole, and the table's vertical rules to its right move\n"
            % (text, field, columns))


# What the sample trains' runs say on standard error: the express's LOK2 is too wide.
SAMPLE_STDERR = {"5410": too_wide("EU07-123", "LOK2", 6), "38170": "", "91341": ""}

AGENT = "\t" + USER_AGENT
TIMETABLE_FAILED = "TRAIN NUMBER: \n"


def stop(name, arrival, departure, distance=1.0):
    def at(clock):
        return None if clock is None else "2026-12-08T%s:00Z" % clock
    return {"pointNameRAW": name, "pointName": name, "arrivalTime": at(arrival),
            "departureTime": at(departure), "pointDistance": distance, "pointStopType": "ph"}


def timetable(*stops, number=777):
    return {"trainInfo": {"trainCategoryCode": "OS", "trainNo": number, "route": "A|B"},
            "stopPoints": list(stops)}


def pdf_pages_and_text(path):
    """A PDF's page count as pdfinfo tells it, and its text as pdftotext lays it out."""
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True)
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True)
    return re.search(r"Pages:\s+\d+", info.stdout).group(0), text.stdout


def printed_lines(data):
    """The printer file as the lines that reach paper: decoded, without ESC/P switches."""
    text = data.decode("cp852")
    text = re.sub("\x1b[wS][01]|\x1b[EFT]", "", text)
    return text.replace("\r\n", "\n").split("\n")


INTERNET_CONNECTIONS = (r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
                        r"\Connections")


def connection_settings(flags, proxy="", bypass="", script=""):
    """The binary value DefaultConnectionSettings as Windows (and wine 8) keeps it: a version,
    a counter, the flags (1 direct, 2 proxy, 4 script, 8 detection), then each text with its
    length first, and zeros."""
    data = struct.pack("<III", 0x46, 1, flags)
    for text in (proxy, bypass, script):
        data += struct.pack("<I", len(text)) + text.encode("ascii")
    return data + bytes(32)


def run_in_own_console(command, cwd, wait_for, answer, timeout=120):
    """Runs a command in a terminal of its own, which gives a Windows program under wine a
    console that it alone is attached to, as Explorer or a shortcut opens; once the screen shows
    wait_for (letters only, as the console draws spaces and line ends with cursor movements), it
    types answer, again every 2 seconds until the program ends, since what is typed before the
    program reads is thrown away. Returns the exit status and the letters the screen showed."""
    main, terminal = pty.openpty()
    tty.setraw(terminal)  # a carriage return reaches the console as it is typed
    process = subprocess.Popen(command, cwd=cwd, stdin=terminal, stdout=terminal,
                               stderr=terminal, start_new_session=True)
    os.close(terminal)
    shown, answered, deadline = b"", 0, time.time() + timeout

    def letters():
        return "".join(re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "",
                              shown.decode("utf-8", "replace")).split())

    try:
        # Until the program has ended and its last output is read.
        while time.time() < deadline:
            if select.select([main], [], [], 0.5)[0]:
                try:
                    data = os.read(main, 4096)
                except OSError:  # the terminal closed as the program ended
                    break
                shown += data
            elif process.poll() is not None:
                break
            if wait_for in letters() and time.time() - answered > 2:
                os.write(main, answer.encode("utf-8"))
                answered = time.time()
        return process.wait(timeout=10), letters()
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        os.close(main)


def polish():
    """The environment of a run whose messages are Polish."""
    env = dict(os.environ, LANG="C.UTF-8", LANGUAGE="pl")
    env.pop("LC_MESSAGES", None)
    return env


def assert_polish_errors(test, folder):
    """Both programs in folder give their errors in Polish, run in the test's folder."""
    run = test.run_program("abc\n", program=os.path.join(folder, "timetable-print.exe"),
                           env=polish())
    test.assertEqual((run.returncode, run.stdout), (1, TIMETABLE_FAILED))
    test.assertTrue(run.stderr.startswith("błąd: „abc” nie jest numerem pociągu;"), run.stderr)
    preview = subprocess.run(harness.RUNNER + [os.path.join(folder, "timetable-preview.exe")],
                             cwd=test.folder, env=polish(), capture_output=True, timeout=120)
    test.assertEqual(preview.returncode, 2)
    test.assertTrue(preview.stderr.decode("utf-8").startswith(
        "błąd: nie podano pliku z danymi dla drukarki"), preview.stderr)


def package_files(folder):
    """The files under folder, by their paths relative to it."""
    return sorted(os.path.relpath(os.path.join(parent, name), folder)
                  for parent, _, names in os.walk(folder) for name in names)


def shell_link(path):
    """The target, arguments and working folder of a Windows shortcut (.lnk): the path in its link
    info and the strings that follow it."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:4] == b"\x4c\0\0\0", path + " is no shell link"
    flags, = struct.unpack_from("<I", data, 20)
    at, link = 0x4C, {"target": None, "working folder": "", "arguments": ""}
    if flags & 0x1:  # an item ID list of the target, which the link info repeats as a path
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x2:  # the link info
        size, _, info_flags, _, base_path = struct.unpack_from("<5I", data, at)
        if info_flags & 0x1:
            link["target"] = data[at + base_path:data.index(b"\0", at + base_path)].decode("cp1252")
        at += size
    width, encoding = (2, "utf-16-le") if flags & 0x80 else (1, "cp1252")
    for bit, name in ((0x4, "description"), (0x8, "relative path"), (0x10, "working folder"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count, = struct.unpack_from("<H", data, at)
            # Wine counts the terminating NUL too.
            link[name] = data[at + 2:at + 2 + count * width].decode(encoding).rstrip("\0")
            at += 2 + count * width
    return link


def release_program_facts(path):
    """Whether a Windows program is stripped, its version resource's file version and product name,
    and its application manifest."""
    with open(path, "rb") as f:
        data = f.read()
    pe, = struct.unpack_from("<I", data, 0x3C)
    assert data[pe:pe + 4] == b"PE\0\0", path + " is no Windows program"
    symbol_table, = struct.unpack_from("<I", data, pe + 12)
    facts = {"stripped": symbol_table == 0, "version": None, "product": None}
    info = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    if info >= 0:
        fixed = data.index(b"\xbd\x04\xef\xfe", info)  # VS_FIXEDFILEINFO's signature
        most, least = struct.unpack_from("<II", data, fixed + 8)
        facts["version"] = (most >> 16, most & 0xFFFF, least >> 16)
        product = re.search("ProductName\0".encode("utf-16-le") +
                            b"(?:\0\0)?((?:[^\0]\0)*)\0\0", data[info:])
        facts["product"] = product.group(1).decode("utf-16-le") if product else None
    manifest = re.search(rb"<assembly.*?</assembly>", data, re.S)
    facts["manifest"] = manifest.group(0).decode("utf-8") if manifest else ""
    return facts


def icon_images(path):
    """The images of a Windows icon file (.ico), each as the bytes a program's RT_ICON resource
    holds."""
    with open(path, "rb") as f:
        data = f.read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    assert kind == 1, path + " is no icon file"
    images = []
    for entry in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * entry + 8)
        images.append(data[offset:offset + size])
    return images
