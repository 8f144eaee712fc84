#!/usr/bin/env python3
"""Times whole runs of timetable-print beside the network floors, in one run and interleaved,
for a short and a long list of trains online. nginx serves the program's two answers as static
files over TLS on the service's port, so that the server's own time is as small as it can be and
the times show the clients:

  program:   the program, typing a train number, the locomotives and the speed;
  floor (a): two curl processes, one per address;
  floor (b): one curl process fetching both addresses over one connection, the least any client
             can do.

It prints the medians, the program's time over floor (b) and the program's peak memory. Then the
start-up alone: `PROGRAM --version` beside `curl --version`, interleaved, and the shared
libraries a run to LPT1 maps, as the dynamic loader names them (LD_DEBUG=files).

Several programs (a build before and after a change) are timed side by side in the same rounds.

Usage: whole_run_benchmark.py PROGRAM [PROGRAM...] [RUNS]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "service", "test_service"))
from service_client import (BASE, ONLINE_QUERY, PORT, SCAN_LIMIT, TIMETABLE_QUERY,  # noqa: E402
                            USER_AGENT, port_in_use, wait_for_port)
from timetable_service import answer_body, load_sample_data, make_certificates  # noqa: E402

TRAIN = "5410"
TYPED = (TRAIN + " EP09 EU07 x 160\n").encode("ascii")
QUERIES = {"timetable.json": TIMETABLE_QUERY % (TRAIN, "eu"), "online.json": ONLINE_QUERY}
ADDRESSES = [BASE + query for query in QUERIES.values()]
LIST_SIZES = (300, 10000)
CURL = ["curl", "-sS", "-A", USER_AGENT, "--cacert", "cacert.pem"]
BOTH_OVER_ONE_CONNECTION = CURL + ["-o", os.devnull, ADDRESSES[0], "-o", os.devnull, ADDRESSES[1]]

# One worker, keep-alive as nginx does it by default, and every request logged with the serial
# number of its connection, so that a run's connections can be counted. Each answer is a file,
# chosen by the request's whole query string.
NGINX_CONF = """daemon off;
worker_processes 1;
pid {work}/nginx.pid;
error_log {work}/nginx-errors.log;
events {{ worker_connections 16; }}
http {{
    client_body_temp_path {work}/temp/body;
    proxy_temp_path {work}/temp/proxy;
    fastcgi_temp_path {work}/temp/fastcgi;
    uwsgi_temp_path {work}/temp/uwsgi;
    scgi_temp_path {work}/temp/scgi;
    default_type application/json;
    log_format requests "$connection\\t$status\\t$request_uri\\t$http_user_agent";
    access_log {work}/requests.log requests;
    map $args $answer {{
        default /none;
{answers}
    }}
    server {{
        listen 127.0.0.1:{port} ssl;
        server_name localhost;
        ssl_certificate {work}/server.pem;
        ssl_certificate_key {work}/server.key;
        root {work}/answers;
        location = / {{ try_files $answer =404; }}
    }}
}}
"""


def start_nginx(work):
    """nginx with its own configuration and certificate in `work`, which gets the CA's
    certificate as cacert.pem for the clients."""
    make_certificates(work)
    os.makedirs(os.path.join(work, "answers"))
    os.makedirs(os.path.join(work, "temp"))
    os.chmod(work, 0o755)  # Started as root, nginx reads the answers as an unprivileged worker.
    answers = "\n".join('        "%s" /%s;' % (query, name) for name, query in QUERIES.items())
    config = os.path.join(work, "nginx.conf")
    with open(config, "w", encoding="utf-8") as f:
        f.write(NGINX_CONF.format(work=work, port=PORT, answers=answers))
    errors = os.path.join(work, "nginx-errors.log")
    nginx = subprocess.Popen(["nginx", "-p", work, "-c", config, "-e", errors],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for_port(nginx, "nginx", errors)
    except RuntimeError:
        stop_nginx(nginx)
        raise
    return nginx


def stop_nginx(nginx):
    if nginx.poll() is None:
        nginx.terminate()
        nginx.wait(10)


def write_answer(work, name, payload):
    """Writes the answer the test service would give; returns its size in bytes."""
    data = answer_body(payload).encode("utf-8")
    with open(os.path.join(work, "answers", name), "wb") as f:
        f.write(data)
    return len(data)


def online_list(size):
    """Entries shaped like the service's, about 180 bytes each; the train sought is the last one
    the search examines, so the whole list is read."""
    entries = [{"trainNo": 100000 + i, "dataMass": 400000 + i, "dataLength": 150 + i % 300,
                "dataSpeed": 120, "stationName": "Warszawa Centralna", "signal": "S%d" % i,
                "lat": 52.2288 + i / 1e5, "lon": 21.0034, "vehicles": ["EP09-%03d" % (i % 1000)]}
               for i in range(size)]
    entries[min(size, SCAN_LIMIT) - 1]["trainNo"] = int(TRAIN)
    return entries


def timed(command, folder, typed=None):
    started = time.perf_counter()
    subprocess.run(command, cwd=folder, input=typed, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - started


def logged_requests(work):
    with open(os.path.join(work, "requests.log"), encoding="utf-8") as log:
        return [line.split("\t") for line in log.read().splitlines()]


def connections_of(work, run):
    """Runs `run` and returns over how many connections its two requests came, checking that
    both were answered. nginx logs a request once it has sent the answer, which is at the latest
    when the client has read it."""
    before = len(logged_requests(work))
    run()
    for _ in range(50):
        requests = logged_requests(work)[before:]
        if len(requests) >= 2:
            break
        time.sleep(0.02)
    if [status for _, status, _, _ in requests] != ["200", "200"]:
        sys.exit("the two requests were not both answered: %r" % requests)
    return len({connection for connection, _, _, _ in requests})


def check_runs(program, work):
    """One checked run of each: the program finds the train, and both it and floor (b) make
    their two requests over one connection."""
    def run_program():
        run = subprocess.run([program], cwd=work, input=TYPED, capture_output=True, check=True)
        if run.stderr:
            sys.exit("the program did not run cleanly: " + run.stderr.decode("utf-8", "replace"))

    def run_floor_b():
        subprocess.run(BOTH_OVER_ONE_CONNECTION, cwd=work, check=True)
    return connections_of(work, run_program), connections_of(work, run_floor_b)


def peak_memory_kb(program, work):
    """The largest resident set of a few runs, as /usr/bin/time reports it."""
    peaks = []
    for _ in range(3):
        run = subprocess.run(["/usr/bin/time", "-f", "%M", program], cwd=work, input=TYPED,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
        peaks.append(int(run.stderr.decode().strip().splitlines()[-1]))
    return max(peaks)


def measure(programs, work, runs):
    commands = {program: ([program], TYPED) for program in programs}
    commands.update({
        "floor (a)": (None, None),
        "floor (b)": (BOTH_OVER_ONE_CONNECTION, None),
    })
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


def measure_start_up(programs, work, runs):
    """Medians of `--version`, each program's and curl's, interleaved as above."""
    commands = {program: [program, "--version"] for program in programs}
    commands["curl"] = ["curl", "--version"]
    times = {name: [] for name in commands}
    names = list(commands)
    for round_number in range(runs):
        shift = round_number % len(names)
        for name in names[shift:] + names[:shift]:
            times[name].append(timed(commands[name], work))
    return {name: statistics.median(values) * 1000 for name, values in times.items()}


def mapped_libraries(program, work):
    """The shared libraries a run to LPT1 maps (the program itself and the loader aside)."""
    log = os.path.join(work, "loaded")
    env = dict(os.environ, LD_DEBUG="files", LD_DEBUG_OUTPUT=log)
    subprocess.run([program], cwd=work, input=TYPED, env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    names = set()
    for name in os.listdir(work):
        if name.startswith("loaded."):
            with open(os.path.join(work, name), encoding="utf-8", errors="replace") as f:
                for line in f:
                    if "file=" in line and "[0]" in line:
                        names.add(os.path.basename(line.split("file=")[1].split()[0]))
            os.remove(os.path.join(work, name))
    return sorted(names)


def label(program, programs):
    """A program's name in the tables: its path, shortened to what tells them apart."""
    if len(programs) == 1:
        return "program"
    common = os.path.commonpath(programs)
    return os.path.relpath(program, common) if common != program else program


def main():
    arguments = sys.argv[1:]
    runs = int(arguments.pop()) if len(arguments) > 1 and arguments[-1].isdigit() else 15
    if not arguments:
        sys.exit(__doc__)
    programs = [os.path.abspath(argument) for argument in arguments]
    if port_in_use():
        sys.exit("port %d is in use: stop whatever listens there first" % PORT)
    work = tempfile.mkdtemp(prefix="timetable-bench-")
    # The built-in settings, whatever the machine's and the user's say: the service on this port.
    os.environ.update(TIMETABLE_PRINT_CONF=os.path.join(work, "machine.conf"),
                      XDG_CONFIG_HOME=os.path.join(work, "config"))
    nginx = None
    try:
        nginx = start_nginx(work)
        timetables, _ = load_sample_data()
        write_answer(work, "timetable.json", timetables[TRAIN])
        print("medians of %d interleaved runs, in ms" % runs)
        print("| online list | program | time | floor (a) | floor (b) | program / (b) "
              "| (a) / (b) | peak memory |")
        print("|---|---|---|---|---|---|---|---|")
        for size in LIST_SIZES:
            kilobytes = write_answer(work, "online.json", online_list(size)) / 1000
            for program in programs:
                connections = check_runs(program, work)
                print("    connections for the two requests: %s %d, floor (b) %d"
                      % ((label(program, programs),) + connections), file=sys.stderr)
            median = measure(programs, work, runs)
            for program in programs:
                peak = peak_memory_kb(program, work)
                row = (format(size, ","), kilobytes, label(program, programs), median[program],
                       median["floor (a)"], median["floor (b)"],
                       median[program] / median["floor (b)"],
                       median["floor (a)"] / median["floor (b)"], peak / 1024)
                print("| %s trains (%.0f KB) | %s | %.1f | %.1f | %.1f | %.2f | %.2f | %.1f MB |"
                      % row, flush=True)
        start_up = measure_start_up(programs, work, runs * 2)
        print("\nstart-up, medians of %d interleaved runs, in ms" % (runs * 2))
        print("| program | --version | curl --version | ratio | libraries a run to LPT1 maps |")
        print("|---|---|---|---|---|")
        for program in programs:
            libraries = mapped_libraries(program, work)
            print("| %s | %.1f | %.1f | %.2f | %d |" % (
                label(program, programs), start_up[program], start_up["curl"],
                start_up[program] / start_up["curl"], len(libraries)), flush=True)
        for program in programs:
            print("%s maps: %s" % (label(program, programs),
                                   " ".join(mapped_libraries(program, work))))
    except RuntimeError as error:
        sys.exit(str(error))
    finally:
        if nginx is not None:
            stop_nginx(nginx)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
