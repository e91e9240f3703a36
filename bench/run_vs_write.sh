#!/usr/bin/env bash
# Times a whole run against the cost of writing its bytes: the main program (its built-in scenario)
# and `scenario compile` of the largest scenario, each against `cp` of the same output files into a
# fresh folder, alternately, RUNS times each (21 by default). Prints the median wall times, their
# ratios and the peak resident memory. Needs a release build: make build (or BUILD_DIR=...).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
RUNS=${RUNS:-21}
bin="$BUILD_DIR/bin"
for p in roma_pisa scenario largest_scenario; do
  [ -x "$bin/$p" ] || { echo "missing $bin/$p: run 'make build' first" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "needs GNU time (Debian package 'time')" >&2; exit 2; }

work=$(mktemp -d /tmp/run-vs-write.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/largest"
cp "$bin/roma_pisa" "$work/program/"
"$bin/largest_scenario" "$work/largest"

now() { date +%s%N; }
# Runs a command, prints "nanoseconds peak_kB".
timed() {
  local start end
  start=$(now)
  /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>&1
  end=$(now)
  echo "$((end - start)) $(cat "$work/rss")"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

program_outputs=("Roma_Pisa_linea.dat" "Roma_Pisa_EXPR 368.sim" "Roma_Pisa_EXPR 368.dat"
                 "Roma_Pisa_EXPR 368_note.txt" "Roma_Pisa_EXPR 368_rallentamenti.txt"
                 "Roma_Pisa_EXPR 368_scheda_treno.txt")
largest_outputs=("Largest_linea.dat" "Largest_T 1.sim" "Largest_T 1.dat")

: >"$work/a" ; : >"$work/a_cp" ; : >"$work/b" ; : >"$work/b_cp"
# Every run writes into a fresh folder, as cp does: replacing existing files costs more on some
# file systems (ext4 flushes a file renamed over another), which is not the cost being compared.
for ((i = 0; i < RUNS; i++)); do
  rm -rf "$work/run" && mkdir "$work/run" && cp "$work/program/roma_pisa" "$work/run/"
  timed "$work/run/roma_pisa" >>"$work/a"
  rm -rf "$work/copy" && mkdir "$work/copy"
  (cd "$work/run" && timed cp "${program_outputs[@]}" "$work/copy/") >>"$work/a_cp"
  rm -rf "$work/out" && mkdir "$work/out"
  timed "$bin/scenario" compile "$work/largest/Largest_linea.txt" "$work/largest/Largest_T 1-.txt" \
    -o "$work/out" >>"$work/b"
  rm -rf "$work/copy" && mkdir "$work/copy"
  (cd "$work/out" && timed cp "${largest_outputs[@]}" "$work/copy/") >>"$work/b_cp"
done

# SHOW_SAMPLES=1 lists every sample, in milliseconds, to show how the runs spread.
if [ -n "${SHOW_SAMPLES:-}" ]; then
  for f in a a_cp b b_cp; do
    echo "$f: $(awk '{printf "%.1f ", $1 / 1e6}' "$work/$f")"
  done
fi

report() {
  local name=$1 run=$2 copy=$3
  local t c rss
  t=$(cut -d' ' -f1 "$run" | median)
  c=$(cut -d' ' -f1 "$copy" | median)
  rss=$(cut -d' ' -f2 "$run" | median)
  awk -v n="$name" -v t="$t" -v c="$c" -v r="$rss" 'BEGIN {
    printf "%-34s %8.1f ms   cp %7.1f ms   ratio %5.2f   peak %6.1f MB\n", n, t / 1e6, c / 1e6, t / c, r / 1024 }'
}
echo "median of $RUNS alternating runs (wall time; peak resident memory of the run)"
report "main program (built-in scenario)" "$work/a" "$work/a_cp"
report "scenario compile (1,000,000 m)" "$work/b" "$work/b_cp"
