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
echo "installed headers:" $(cd "$prefix/include/KROTPSLightKernel" && ls)

# Every header private to the kernel or internal to the platform stops a compile from outside the
# build. Installed by mistake, they would reach the consumer's all-headers unit: copy the install,
# slip the kernel's private headers (and, in a second copy, the platform's internal ones) in, and
# the build must fail on their guard.
for private in "KROTPSLightInterfaces/KROTPSLightKernel.m/src/*.h" "platform/*/internal/*.h"; do
  rm -rf build/tainted build/consumer-tainted
  cp -r "$prefix" build/tainted
  # shellcheck disable=SC2086 # the pattern is meant to expand
  cp $private build/tainted/include/KROTPSLightKernel/
  cmake -S .ci/consumer -B build/consumer-tainted -DCMAKE_PREFIX_PATH="$(pwd)/build/tainted" >/dev/null
  if cmake --build build/consumer-tainted --target consumer >build/consumer-tainted.log 2>&1 ||
      ! grep -q "is included from outside" build/consumer-tainted.log; then
    echo "consumer: installed $private headers were not refused" >&2
    exit 1
  fi
  echo "consumer: installed $private headers are refused, as they should be"
done
rm -rf build/tainted build/consumer-tainted

export LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}"
./build/consumer/consumer
if [ -x build/consumer/consumer_step ]; then
  ./build/consumer/consumer_step tests/data/nist_ctc_01_asme1_ap242-e1.stp
  "$prefix/bin/kro-pmi" tests/data/nist_ctc_01_asme1_ap242-e1.stp --face 98
fi
