#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the program's own sources (not the tests,
# not generated files), in parallel, from a built tree's compile_commands.json (generated
# headers and moc files must exist): check-tidy.sh [BUILD_DIR] (default build/test).
# Any finding fails; the findings are printed, the whole output is in BUILD_DIR/clang-tidy.log.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/test}
runner=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
[[ -n "$runner" ]] || { echo "run-clang-tidy not found (scripts/install-deps.sh)" >&2; exit 1; }
[[ -f "$dir/compile_commands.json" ]] || { echo "no $dir/compile_commands.json" >&2; exit 1; }
root=$(pwd)
ours="^$root/(app|data|reduce|search|stats|tickets|tools|ui|view)/"
# Our headers are checked where they are included; Qt's and the build tree's are not.
status=0
"$runner" -p "$dir" -quiet -j "$(nproc)" -header-filter "$ours" "$ours.*\.cpp$" 2>&1 |
  sed 's/\x1b\[[0-9;]*m//g' >"$dir/clang-tidy.log" || status=$?
findings=$(grep -E "^$root/.*: (warning|error):" "$dir/clang-tidy.log" | sort -u || true)
if [[ $status -ne 0 || -n "$findings" ]]; then
  echo "${findings:-clang-tidy failed (see $dir/clang-tidy.log)}" >&2
  exit 1
fi
echo "clang-tidy: $(grep -c '^clang-tidy' "$dir/clang-tidy.log") files, no findings"
