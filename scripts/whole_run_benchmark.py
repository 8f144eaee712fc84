#!/usr/bin/env python3
"""Times whole runs of timetable-print against the local service beside the network floors, in
one run and interleaved, for a short and a long list of trains online:

  floor (a): two curl processes, one per address;
  floor (b): one curl process fetching both addresses over one connection, the least any client
             can do.

It prints the medians, the program's time over floor (b) and the program's peak memory.

Usage: whole_run_benchmark.py PROGRAM [RUNS]
"""

import json
import os
import shutil
import socket
import ssl
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERVICE = os.path.join(ROOT, "service", "test_service", "timetable_service.py")
PORT = 9640
BASE = "https://localhost:%d/?" % PORT
ADDRESSES = [BASE + "method=readFromSWDR&value=getTimetable;5410;eu",
             BASE + "method=getTrainsOnline"]
TYPED = b"5410 EP09 EU07 x 160\n"
LIST_SIZES = (300, 10000)
SCAN_LIMIT = 9999
CURL = ["curl", "-sS", "-A", "VELMORAX/1.0.0", "--cacert", "cacert.pem"]


def port_in_use():
    try:
        socket.create_connection(("127.0.0.1", PORT), timeout=1).close()
        return True
    except OSError:
        return False


def wait_for_port(process):
    for _ in range(300):
        if process.poll() is not None:
            sys.exit("the service did not start")
        if port_in_use():
            return
        time.sleep(0.1)
    sys.exit("the service did not listen on port %d" % PORT)


def online_list(size):
    """Entries shaped like the service's, about 180 bytes each; the train sought is the last one
    the search examines, so the whole list is read."""
    entries = [{"trainNo": 100000 + i, "dataMass": 400000 + i, "dataLength": 150 + i % 300,
                "dataSpeed": 120, "stationName": "Warszawa Centralna", "signal": "S%d" % i,
                "lat": 52.2288 + i / 1e5, "lon": 21.0034, "vehicles": ["EP09-%03d" % (i % 1000)]}
               for i in range(size)]
    entries[min(size, SCAN_LIMIT) - 1]["trainNo"] = 5410
    return entries


def control(work, settings):
    context = ssl.create_default_context(cafile=os.path.join(work, "cacert.pem"))
    request = urllib.request.Request("https://localhost:%d/control" % PORT, method="POST",
                                     data=json.dumps(settings).encode("utf-8"))
    with urllib.request.urlopen(request, context=context, timeout=30) as answer:
        assert answer.status == 200


def timed(command, folder, typed=None):
    started = time.perf_counter()
    subprocess.run(command, cwd=folder, input=typed, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - started


def connections_of_last_run(work, requests):
    """How many connections the last `requests` requests came over, from the service's log."""
    with open(os.path.join(work, "service", "connections.log"), encoding="utf-8") as log:
        lines = log.read().splitlines()[-requests:]
    return len({line.split("\t")[0] for line in lines})


def check_runs(program, work):
    """One checked run of each: the program finds the train, and both it and floor (b) make
    their two requests over one connection."""
    run = subprocess.run([program], cwd=work, input=TYPED, capture_output=True, check=True)
    if run.stderr:
        sys.exit("the program did not run cleanly: " + run.stderr.decode("utf-8", "replace"))
    program_connections = connections_of_last_run(work, 2)
    subprocess.run(CURL + ["-o", os.devnull, ADDRESSES[0], "-o", os.devnull, ADDRESSES[1]],
                   cwd=work, check=True)
    return program_connections, connections_of_last_run(work, 2)


def peak_memory_kb(program, work):
    """The largest resident set of a few runs, as /usr/bin/time reports it."""
    peaks = []
    for _ in range(3):
        run = subprocess.run(["/usr/bin/time", "-f", "%M", program], cwd=work, input=TYPED,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
        peaks.append(int(run.stderr.decode().strip().splitlines()[-1]))
    return max(peaks)


def measure(program, work, runs):
    commands = {
        "program": ([program], TYPED),
        "floor (a)": (None, None),
        "floor (b)": (CURL + ["-o", os.devnull, ADDRESSES[0], "-o", os.devnull, ADDRESSES[1]],
                      None),
    }
    times = {name: [] for name in commands}
    names = list(commands)
    for round_number in range(runs):
        # Interleaved, each round in another order, so that all three see the same machine.
        shift = round_number % len(names)
        for name in names[shift:] + names[:shift]:
            command, typed = commands[name]
            if command is None:
                times[name].append(sum(timed(CURL + ["-o", os.devnull, address], work)
                                       for address in ADDRESSES))
            else:
                times[name].append(timed(command, work, typed))
    return {name: statistics.median(values) * 1000 for name, values in times.items()}


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    if port_in_use():
        sys.exit("port %d is in use: stop whatever listens there first" % PORT)
    work = tempfile.mkdtemp(prefix="timetable-bench-")
    service = subprocess.Popen([sys.executable, SERVICE, "--dir", os.path.join(work, "service"),
                                "--port", str(PORT)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for_port(service)
        shutil.copy(os.path.join(work, "service", "cacert.pem"), work)
        print("medians of %d interleaved runs, in ms" % runs)
        print("| online list | program | floor (a) | floor (b) | program / (b) | (a) / (b) "
              "| peak memory |")
        print("|---|---|---|---|---|---|---|")
        for size in LIST_SIZES:
            entries = online_list(size)
            control(work, {"onlineList": entries})
            kilobytes = len(json.dumps({"success": True, "message": entries},
                                       ensure_ascii=False).encode("utf-8")) / 1000
            connections = check_runs(program, work)
            median = measure(program, work, runs)
            peak = peak_memory_kb(program, work)
            print("| %s trains (%.0f KB) | %.1f | %.1f | %.1f | %.2f | %.2f | %.1f MB |" % (
                format(size, ","), kilobytes, median["program"], median["floor (a)"],
                median["floor (b)"], median["program"] / median["floor (b)"],
                median["floor (a)"] / median["floor (b)"], peak / 1024), flush=True)
            print("    connections for the two requests: program %d, floor (b) %d"
                  % connections, file=sys.stderr)
    finally:
        service.terminate()
        service.wait(10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
