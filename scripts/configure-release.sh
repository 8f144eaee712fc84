#!/usr/bin/env bash
# Configures the optimised build in build/release, the one way every script builds it:
# optimised code with debug information, and warnings as errors. Arguments go on to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIMETABLE_WERROR=ON "$@"
