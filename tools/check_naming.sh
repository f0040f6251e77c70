#!/usr/bin/env bash
# Checks the naming style of every product source with clang-tidy's readability-identifier-naming
# (options in .clang-tidy), over the win32 build's compile commands, so that the Windows layer is
# checked as well as the portable core. Usage: check_naming.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
gcc_version="$(i686-w64-mingw32-g++-posix -dumpversion)"
cxx_include="/usr/lib/gcc/i686-w64-mingw32/$gcc_version/include/c++"

files=$(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, sys
root = sys.argv[2] + "/"
folders = ("src/", "host/")
names = {e["file"] for e in json.load(open(sys.argv[1]))}
print("\n".join(sorted(n for n in names if n.endswith(".cpp") and n.startswith(root) and n[len(root):].startswith(folders))))
PY
)
[ -n "$files" ] || { echo "check_naming: no product sources in $build/compile_commands.json" >&2; exit 1; }
# clang reads the mingw headers as the cross compiler does; only the naming check runs.
out=$(printf '%s\n' $files | xargs -P 2 -n 8 clang-tidy -p "$build" --quiet --checks='-*,readability-identifier-naming' \
  --warnings-as-errors='*' --extra-arg=--target=i686-w64-mingw32 \
  --extra-arg=-isystem"$cxx_include" --extra-arg=-isystem"$cxx_include/i686-w64-mingw32" 2>&1) || {
  printf '%s\n' "$out" | grep -E 'warning:|error:' >&2
  exit 1
}
echo "check_naming: $(printf '%s\n' $files | wc -l) sources follow the naming style"
