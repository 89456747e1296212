#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Varn need.
# This is the one list of them; it installs only what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3
  libpq-dev postgresql
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
