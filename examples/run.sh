#!/usr/bin/env bash
# Installs any missing build tool (Debian), builds the library and the example host, runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
for pkg in cmake g++ make; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${need[@]}"
fi

cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF >/dev/null
cmake --build build/example -j2 --target kro_example
./build/example/examples/kro_example "$@"
