"""What the local stand-ins for the timetable service and their clients share: the port, the
addresses and User-Agent the program sends, how far the program scans the list of trains
online, and the calls that check the port, wait for a server to listen on it and steer the test
service. The end-to-end tests, the test service and the benchmark import it. The program has
its own values in C++; the end-to-end tests check that its requests match these.
"""

import json
import socket
import ssl
import time
import urllib.request

PORT = 9640
BASE = "https://localhost:%d/?" % PORT
TIMETABLE_QUERY = "method=readFromSWDR&value=getTimetable;%s;%s"  # train number, region code
ONLINE_QUERY = "method=getTrainsOnline"
USER_AGENT = "VELMORAX/1.0.0"
SCAN_LIMIT = 9999  # The program examines only this many entries of the list of trains online.


def port_in_use(port=PORT):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=1).close()
        return True
    except OSError:
        return False


def wait_for_port(process, name, errors_path, seconds=30, port=PORT):
    """Waits until the server `process` listens on the port; raises RuntimeError, with what the
    server wrote to `errors_path`, when it ends or does not listen in time."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        if process.poll() is not None:
            with open(errors_path, encoding="utf-8", errors="replace") as errors:
                raise RuntimeError("%s did not start: %s" % (name, errors.read()))
        if port_in_use(port):
            return
        time.sleep(0.1)
    raise RuntimeError("%s did not listen on port %d" % (name, port))


def control(ca_file, **settings):
    """Tells the test service what to answer; whatever is not named goes back to the sample
    data."""
    context = ssl.create_default_context(cafile=ca_file)
    request = urllib.request.Request("https://localhost:%d/control" % PORT, method="POST",
                                     data=json.dumps(settings).encode("utf-8"))
    with urllib.request.urlopen(request, context=context, timeout=10) as answer:
        assert answer.status == 200
