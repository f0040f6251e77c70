#!/usr/bin/env bash
# Usage: tools/fuzz-long.sh MINUTES [TARGET...]
# Builds the fuzz preset and runs every fuzz target (or the ones named) for MINUTES each, one
# after another, each from a scratch copy of its committed seeds (build/fuzz/long/<target>), and
# prints the executions per target. Exits non-zero when a target finds a fault; the reproducer
# and the fuzzer's output stay in its scratch folder.
set -uo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-}
if ! [[ $minutes =~ ^[0-9]+$ ]] || [ "$minutes" -eq 0 ]; then
  echo "usage: $0 MINUTES [TARGET...]" >&2
  exit 2
fi
shift

if [ $# -gt 0 ]; then
  targets=("$@")
else
  # Every target keeps its seeds in fuzz/corpus/<target>.
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j2 --target "${targets[@]}" || exit 1

status=0
summary=()
for target in "${targets[@]}"; do
  work=build/fuzz/long/$target
  echo "=== $target for $minutes min"
  if line=$(cmake -DFUZZER="$PWD/build/fuzz/fuzz/$target" -DSEEDS="$PWD/fuzz/corpus/$target" -DWORK="$PWD/$work" \
                  -DSECONDS=$((minutes * 60)) -P fuzz/run_fuzzer.cmake 2>&1); then
    echo "$line"
    summary+=("$line")
  else
    echo "$line" | tail -n 40
    summary+=("$target: FAILED, see $work")
    status=1
  fi
done

echo "=== executions per target"
printf '%s\n' "${summary[@]}"
exit $status
