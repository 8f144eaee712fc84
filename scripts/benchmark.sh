#!/usr/bin/env bash
# Builds an optimised program and reports how long its own work takes, and how long a whole run
# takes beside the network floors for a short and a long list of trains online, with the
# program's peak memory, and its start-up beside curl's. RUNS sets the number of interleaved runs
# each median is taken of; BASELINE names another build's timetable-print to time side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh libbenchmark-dev curl time nginx
scripts/configure-release.sh >/dev/null
cmake --build build/release -j "$(nproc)" --target timetable-print print_job_benchmark
build/release/print_job_benchmark
python3 scripts/whole_run_benchmark.py ${BASELINE:+"$BASELINE"} build/release/timetable-print \
  "${RUNS:-15}"
