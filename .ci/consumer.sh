#!/usr/bin/env bash
# Installs the library into a scratch prefix and builds a tiny host against the installed package.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(pwd)/build/install"
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF -DKRO_BUILD_EXAMPLES=OFF
cmake --build build/package -j2
cmake --install build/package --prefix "$prefix"
cmake -S .ci/consumer -B build/consumer -DCMAKE_PREFIX_PATH="$prefix"
cmake --build build/consumer
LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" ./build/consumer/consumer
