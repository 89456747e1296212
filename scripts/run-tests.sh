#!/usr/bin/env bash
# Runs every test of a configured build directory through ctest.
set -euo pipefail
build=${1:?usage: run-tests.sh BUILD_DIR [ctest arguments]}
shift
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
