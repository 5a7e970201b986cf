#!/usr/bin/env bash
# Runs the standard workload W(N) on the library (kro_workload) beside the plain-C++ limit, in one
# invocation so that both see the same machine, and prints library ÷ limit per phase.
#
#   bash benchmarks/run_workload.sh [N ...]        default: 1000 10000 100000
#
# Environment: BUILD (default build/release, configured from the release preset), LIMIT_SRC
# (default ../shared/perf/limit.cpp beside the source tree), REPEAT (warm runs, default 3),
# OUT (raw outputs, default $BUILD/workload).
#
# Protocol: per (driver, N) one cold run (glibc defaults) gives the peak RSS and the model bytes;
# REPEAT warm runs, library and limit taking turns, each first touch 1.25 x the cold peak + 64 MiB
# of heap; each phase reports its fastest warm run. The "# check" lines of every run must equal the
# limit's, or the script fails.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$here/build/release}"
LIMIT_SRC="${LIMIT_SRC:-$here/../shared/perf/limit.cpp}"
REPEAT="${REPEAT:-3}"
OUT="${OUT:-$BUILD/workload}"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000)

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake --preset release -DKRO_WITH_STEP=OFF -S "$here" >/dev/null
fi
nice cmake --build "$BUILD" --target kro_workload -j2 >/dev/null
mkdir -p "$OUT/raw"
nice g++ -std=c++20 -O2 -o "$BUILD/limit" "$LIMIT_SRC"
"$BUILD/limit" --selfcheck >"$OUT/raw/limit-selfcheck.txt" || {
  cat "$OUT/raw/limit-selfcheck.txt"
  exit 1
}

lib="$BUILD/benchmarks/kro_workload"
[ -x "$lib" ] || lib="$(find "$BUILD" -name kro_workload -type f -perm -u+x | head -n1)"

for n in "${sizes[@]}"; do
  for d in limit library; do
    exe="$BUILD/limit"
    [ "$d" = library ] && exe="$lib"
    "$exe" "$n" >"$OUT/raw/$d-$n-cold.txt"
  done
  for r in $(seq 1 "$REPEAT"); do
    for d in library limit; do
      exe="$BUILD/limit"
      [ "$d" = library ] && exe="$lib"
      peak=$(awk '$1 == "peak_rss_kb" { print $2 }' "$OUT/raw/$d-$n-cold.txt")
      mb=$((peak * 5 / 4 / 1024 + 64))
      "$exe" "$n" --prefault-mb="$mb" >"$OUT/raw/$d-$n-warm$r.txt"
    done
  done
done

python3 - "$OUT" "$REPEAT" "${sizes[@]}" <<'EOF'
import sys
out, repeat, sizes = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
phases = ["build", "bind", "select", "tags_all", "tags_cached", "remove", "teardown"]

def read(path):
    timed, checks, info = {}, {}, {}
    for line in open(path):
        f = line.split()
        if len(f) >= 4 and f[:2] == ["#", "check"]:
            checks[f[2]] = f[3]
        elif len(f) == 3 and f[0] == "#":
            info[f[1]] = float(f[2])
        elif len(f) == 2 and not f[0].startswith("#"):
            timed[f[0]] = float(f[1])
    return timed, checks, info

ok = True
rows = {}
for n in sizes:
    best = {}
    for d in ("limit", "library"):
        cold = read(f"{out}/raw/{d}-{n}-cold.txt")
        runs = [read(f"{out}/raw/{d}-{n}-warm{r}.txt") for r in range(1, repeat + 1)]
        for run in [cold] + runs:
            if run[1] != read(f"{out}/raw/limit-{n}-cold.txt")[1]:
                print(f"FAIL N={n}: the checks of {d} differ from the limit's")
                ok = False
        best[d] = {p: min(r[0][p] for r in runs) for p in phases}
        best[d]["peak_rss_kb"] = cold[0]["peak_rss_kb"]
        best[d]["model"] = cold[2].get("model_bytes_per_annotation", 0.0)
        best[d]["spread"] = {p: max(r[0][p] for r in runs) / max(best[d][p], 1e-9) for p in phases}
    rows[n] = best

print("ns per object, fastest of %d warm runs; ratio = library / limit" % repeat)
print("%-20s" % "phase" + "".join("%26s" % ("N = %s" % n) for n in sizes))
for p in phases:
    cells = []
    for n in sizes:
        b = rows[n]
        cells.append("%8.1f %8.1f %6.1fx" % (b["library"][p], b["limit"][p], b["library"][p] / max(b["limit"][p], 1e-9)))
    print("%-20s" % p + "".join("%26s" % c for c in cells))
for key, label in (("peak_rss_kb", "peak RSS B/annot."), ("model", "model B/annot.")):
    cells = []
    for n in sizes:
        b = rows[n]
        lib = b["library"][key] * (1024.0 / int(n) if key == "peak_rss_kb" else 1)
        lim = b["limit"][key] * (1024.0 / int(n) if key == "peak_rss_kb" else 1)
        cells.append("%8.0f %8.0f %6.1fx" % (lib, lim, lib / max(lim, 1e-9)))
    print("%-20s" % label + "".join("%26s" % c for c in cells))
if len(sizes) > 1:
    lo, hi = sizes[0], sizes[-1]
    print("growth of library ns/object, N = %s -> %s:" % (lo, hi),
          ", ".join("%s %.2fx" % (p, rows[hi]["library"][p] / max(rows[lo]["library"][p], 1e-9)) for p in phases))
print("checks equal the limit's" if ok else "CHECKS DIFFER")
sys.exit(0 if ok else 1)
EOF
