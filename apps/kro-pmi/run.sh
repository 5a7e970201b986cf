#!/usr/bin/env bash
# Installs what is missing (Debian), builds kro-pmi and shows the PMI of a bundled NIST part:
#   bash apps/kro-pmi/run.sh [FILE] [kro-pmi options]
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/packages.sh cmake g++ make $(cat scripts/step-packages.txt)
# The 3D page (--html) needs Node.js and npm to bundle its script; without them kro-pmi is built
# without it.
page=OFF
if command -v npm >/dev/null && (cd apps/kro-pmi/page && npm ci --no-audit --no-fund >/dev/null); then
  page=ON
fi
cmake -S . -B build/kro-pmi -DCMAKE_BUILD_TYPE=Release -DKRO_BUILD_TESTS=OFF \
  -DKRO_BUILD_EXAMPLES=OFF -DKRO_WITH_STEP=ON -DKRO_WITH_PAGE=$page >/dev/null
cmake --build build/kro-pmi -j2 --target kro-pmi
if [ $# -eq 0 ]; then set -- tests/data/nist_ctc_01_asme1_ap242-e1.stp; fi
./build/kro-pmi/apps/kro-pmi/kro-pmi "$@"
