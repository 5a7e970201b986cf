#!/usr/bin/env bash
# Installs any missing build tool (Debian), builds the library and the example host, runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/packages.sh cmake g++ make

cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF >/dev/null
cmake --build build/example -j2 --target kro_example
./build/example/examples/kro_example "$@"
