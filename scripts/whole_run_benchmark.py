#!/usr/bin/env python3
"""Times whole runs of timetable-print against the local service and, in the same run, two plain
curl requests for the same two addresses: the network floor the program cannot go below.

Usage: whole_run_benchmark.py PROGRAM [RUNS]
"""

import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERVICE = os.path.join(ROOT, "service", "test_service", "timetable_service.py")
BASE = "https://localhost:9640/?"
ADDRESSES = [BASE + "method=readFromSWDR&value=getTimetable;5410;eu",
             BASE + "method=getTrainsOnline"]


def wait_for_port(process):
    for _ in range(300):
        if process.poll() is not None:
            sys.exit("the service did not start")
        try:
            socket.create_connection(("127.0.0.1", 9640), timeout=1).close()
            return
        except OSError:
            time.sleep(0.1)
    sys.exit("the service did not listen on port 9640")


def timed(command, folder, typed=None):
    started = time.perf_counter()
    subprocess.run(command, cwd=folder, input=typed, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - started


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    work = tempfile.mkdtemp(prefix="timetable-bench-")
    service = subprocess.Popen([sys.executable, SERVICE, "--dir", os.path.join(work, "service")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for_port(service)
        shutil.copy(os.path.join(work, "service", "cacert.pem"), work)
        whole, floor = [], []
        for _ in range(runs):  # Interleaved, so that both see the same machine.
            whole.append(timed([program], work, b"5410 EP09 EU07 x 160\n"))
            floor.append(sum(timed(["curl", "-sS", "-A", "VELMORAX/1.0.0", "--cacert",
                                    "cacert.pem", "-o", os.devnull, address], work)
                             for address in ADDRESSES))
        w, f = statistics.median(whole), statistics.median(floor)
        print("whole run (median of %d): %.1f ms" % (runs, w * 1000))
        print("two curl requests (median of %d): %.1f ms" % (runs, f * 1000))
        print("ratio: %.2f" % (w / f))
    finally:
        service.terminate()
        service.wait(10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
