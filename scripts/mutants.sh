#!/usr/bin/env bash
# Runs kro-pmi on single-edit mutants of STEP parts and tallies how each run ends:
#   bash scripts/mutants.sh BUILD_DIR COUNT [PART...]
# For each part (default: the bundled tests/data/*.stp) and seeds 1..COUNT, kro-step-mutate
# writes the mutant and kro-pmi reads it with a time limit of MUTANT_TIME_LIMIT seconds (default
# 20) on its worker. A run ends as a model (exit 0), an error (exit 2), a crash (killed by a
# signal), a hang (kro-pmi has not returned 5 s after the limit) or other (any other status).
# Prints a table, the commonest error lines of each part, and the seed and edit of every crash
# and hang; `kro-step-mutate PART SEED OUT.stp` makes any of them again.
# Exit status: 0 no crash and no hang, 1 some, 2 bad usage.
set -uo pipefail

usage() {
  echo "usage: bash scripts/mutants.sh BUILD_DIR COUNT [PART...]" >&2
  exit 2
}
[ $# -ge 2 ] || usage
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
count=$2
shift 2
[[ $count =~ ^[0-9]+$ ]] || usage
limit=${MUTANT_TIME_LIMIT:-20}
[[ $limit =~ ^[0-9]+$ ]] && ((limit > 0)) || usage
mutate=$build/tools/kro-step-mutate/kro-step-mutate
pmi=$build/apps/kro-pmi/kro-pmi
for tool in "$mutate" "$pmi"; do
  [ -x "$tool" ] || { echo "mutants.sh: $tool is not built" >&2; exit 2; }
done
if [ $# -eq 0 ]; then set -- "$root"/tests/data/*.stp; fi
for part in "$@"; do
  [ -r "$part" ] || { echo "mutants.sh: cannot read $part" >&2; exit 2; }
done

# A sanitizer's report should end the run as a crash, not as an exit status of its own.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-abort_on_error=1:halt_on_error=1:print_stacktrace=1}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/bad"
printf '%-40s %8s %8s %8s %8s %8s %8s\n' part mutants model error crash hang other >"$work/table"

for part in "$@"; do
  name=$(basename "$part")
  model=0 error=0 crash=0 hang=0 other=0
  echo "mutants.sh: $name, $count mutants" >&2
  : >"$work/errors"
  for ((seed = 1; seed <= count; ++seed)); do
    mutant=$work/${name%.*}-$seed.stp
    if ! edit=$("$mutate" "$part" "$seed" "$mutant" 2>"$work/stderr"); then
      echo "mutants.sh: $(head -n 1 "$work/stderr")" >&2
      exit 2
    fi
    # The group keeps bash's own "Segmentation fault" notices out of the output.
    { timeout $((limit + 5)) "$pmi" "$mutant" --time-limit "$limit" >/dev/null 2>"$work/stderr"; } 2>/dev/null
    status=$?
    case $status in
    0) ((++model)) ;;
    2)
      ((++error))
      line=$(head -n 1 "$work/stderr")
      line=${line//"$mutant: "/}
      line=${line//"$mutant"/FILE}
      # Numbers (lines, ids, sizes) vary from mutant to mutant: tally the kind of error.
      echo "$line" | sed -E 's/[0-9]+(\.[0-9]+)?/N/g' >>"$work/errors"
      ;;
    124)
      ((++hang))
      echo "hang  $name seed $seed: $edit" >>"$work/bad"
      ;;
    *)
      if ((status > 128)); then
        ((++crash))
        echo "crash $name seed $seed (signal $((status - 128))): $edit" >>"$work/bad"
      else
        ((++other))
        echo "exit $status on $name seed $seed: $edit" >>"$work/others"
      fi
      ;;
    esac
    rm -f "$mutant"
  done
  printf '%-40s %8d %8d %8d %8d %8d %8d\n' "$name" "$count" "$model" "$error" "$crash" "$hang" \
    "$other" >>"$work/table"
  if [ -s "$work/errors" ]; then
    {
      echo
      echo "$name: the commonest errors"
      sort "$work/errors" | uniq -c | sort -k1,1nr -k2 | head -n 10
    } >>"$work/histograms"
  fi
done

cat "$work/table"
[ -s "$work/histograms" ] && cat "$work/histograms"
if [ -s "$work/others" ]; then
  echo
  cat "$work/others"
fi
if [ -s "$work/bad" ]; then
  echo
  echo "crashes and hangs:"
  cat "$work/bad"
  exit 1
fi
exit 0
