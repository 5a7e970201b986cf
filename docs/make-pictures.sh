#!/usr/bin/env bash
# Remakes the README's pictures with kro-pmi (from a build with the renderer and the page, e.g.
# the release preset): CTC-04 through the default camera, CTC-01 and CTC-03 through their saved
# views, and screenshots of the 3D page.
set -euo pipefail
cd "$(dirname "$0")/.."
pmi="${1:-build/release/apps/kro-pmi/kro-pmi}"
"$pmi" tests/data/nist_ctc_04_asme1_ap242-e1.stp --size 900x640 --png docs/ctc04.png >/dev/null
"$pmi" tests/data/nist_ctc_01_asme1_ap242-e1.stp --size 900x640 --capture 1 \
  --png docs/ctc01-mbd0.png >/dev/null
"$pmi" tests/data/nist_ctc_03_asme1_ap242-e2.stp --size 900x680 --capture 1 \
  --png docs/ctc03-saved-view.png >/dev/null
# The 3D page in headless Chromium (apps/kro-pmi/page: `npm ci` there first): FTC-07 with all its
# callouts and through its first saved view, CTC-01 with a tolerance chosen in the table.
node apps/kro-pmi/page/test/page-test.mjs --kro-pmi "$pmi" --out "${TMPDIR:-/tmp}/kro-page-shots" \
  --screenshots docs tests/data/nist_ctc_01_asme1_ap242-e1.stp \
  tests/data/nist_ftc_07_asme1_ap242-e2.stp >/dev/null
