#!/usr/bin/env bash
# Builds an optimised program and reports how long its own work and a whole run take.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh libbenchmark-dev curl
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target timetable-print print_job_benchmark
build/release/print_job_benchmark
python3 scripts/whole_run_benchmark.py build/release/timetable-print "${RUNS:-30}"
