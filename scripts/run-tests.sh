#!/usr/bin/env bash
# Runs every test of a configured build directory through ctest, next to a throwaway
# PostgreSQL server (scripts/with-postgres.sh) that the server engine's tests use.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run-tests.sh BUILD_DIR [ctest arguments]}
shift
cd "$build"
"$scripts/with-postgres.sh" ctest --output-on-failure -j "$(nproc)" "$@"
