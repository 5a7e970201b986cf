#!/usr/bin/env bash
# Remakes the README's pictures with kro-pmi (from a build with the renderer, e.g. the release
# preset): CTC-04 through the default camera, CTC-01 through its saved view.
set -euo pipefail
cd "$(dirname "$0")/.."
pmi="${1:-build/release/apps/kro-pmi/kro-pmi}"
"$pmi" tests/data/nist_ctc_04_asme1_ap242-e1.stp --size 900x640 --png docs/ctc04.png >/dev/null
"$pmi" tests/data/nist_ctc_01_asme1_ap242-e1.stp --size 900x640 --capture MBD_0 \
  --png docs/ctc01-mbd0.png >/dev/null
