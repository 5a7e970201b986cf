#!/usr/bin/env bash
# Installs the library into a scratch prefix and builds tiny hosts against the installed package.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(pwd)/build/install"
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF -DKRO_BUILD_EXAMPLES=OFF
cmake --build build/package -j2
cmake --install build/package --prefix "$prefix"
cmake -S .ci/consumer -B build/consumer -DCMAKE_PREFIX_PATH="$prefix"
cmake --build build/consumer
export LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}"
./build/consumer/consumer
if [ -x build/consumer/consumer_step ]; then
  ./build/consumer/consumer_step tests/data/nist_ctc_01_asme1_ap242-e1.stp
  "$prefix/bin/kro-pmi" tests/data/nist_ctc_01_asme1_ap242-e1.stp --face 98
fi
