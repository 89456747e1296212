#!/usr/bin/env bash
# check-install.sh BUILD_DIR CONSUMER_DIR FLAGS: installs BUILD_DIR into a temporary
# prefix, then builds and runs the consumer program against the installed package.
set -euo pipefail
build=$1 consumer=$2 flags=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

# With the CMake package.
cmake -S "$consumer" -B "$prefix/consumer-build" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$prefix/consumer-build" >/dev/null
"$prefix/consumer-build/consumer"

# With pkg-config.
libdir=$(find "$prefix" -name varnrt.pc -printf '%h\n' | head -n 1)
export PKG_CONFIG_PATH=$libdir
# shellcheck disable=SC2046
g++ $flags "$consumer/main.cpp" -o "$prefix/consumer-pc" $(pkg-config --cflags --libs varnrt) \
  -Wl,-rpath,"$(pkg-config --variable=libdir varnrt)"
"$prefix/consumer-pc"
