#!/usr/bin/env bash
# Ctrl-C while a cross-built tool writes the largest scenario's 20 MB, run under the emulator,
# which hands a terminal's interrupt to the program as its console's Ctrl-C: the tool ends with
# status 130, every older file is as it was and no temporary is left.
#   interrupt_under_emulator.sh SCENARIO LARGEST_SCENARIO EMULATOR...
set -euo pipefail
tool=$1 generator=$2
shift 2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/in"
"$@" "$generator" "$dir/in"

# The names and bytes of everything in the folder.
contents() { (cd "$1" && sha256sum -- * | sort); }

# A run that ends before the watcher sees it write proves nothing; it is tried again.
for attempt in 1 2 3 4 5; do
  rm -rf "$dir/out"
  mkdir "$dir/out"
  for name in Largest_linea.dat "Largest_T 1.sim" "Largest_T 1.dat"; do
    printf 'older %s' "$name" >"$dir/out/$name"
  done
  before=$(contents "$dir/out")
  "$@" "$tool" compile "$dir/in/Largest_linea.txt" "$dir/in/Largest_T 1-.txt" -o "$dir/out" \
    >/dev/null 2>&1 &
  pid=$!
  caught=no
  while kill -0 "$pid" 2>/dev/null; do
    if compgen -G "$dir/out/*.tmp.*" >/dev/null; then
      kill -INT "$pid"
      caught=yes
      break
    fi
    sleep 0.001
  done
  status=0
  wait "$pid" || status=$?
  [ "$caught" = yes ] || continue
  if [ "$status" != 130 ]; then
    echo "interrupted while writing, the tool ended with status $status, not 130"
    exit 1
  fi
  if [ "$(contents "$dir/out")" != "$before" ]; then
    echo "interrupted while writing, the tool left the folder changed:"
    ls -l "$dir/out"
    exit 1
  fi
  echo "interrupted while writing (attempt $attempt): status 130, every older file as it was"
  exit 0
done
echo "no run was caught writing"
exit 1
