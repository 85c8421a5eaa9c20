#!/usr/bin/env bash
# The Windows build, checked under Wine: cross-builds the mingw preset (MinGW-w64), runs the
# core tests under Wine, then runs tolvane-search.exe and the native tolvane-search on the same
# draw file and fails on any difference apart from the timing fields.
#   check-windows.sh [NATIVE_TOOL]   (default build/test/tolvane-search)
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/test/tolvane-search}
[[ -x "$native" ]] || { echo "no native tool at $native (build the test preset first)" >&2; exit 1; }

scripts/build.sh mingw
exe=build/mingw/tolvane-search.exe
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

# Wine without a display, in a prefix of the build tree; file names and arguments in UTF-8.
export WINEPREFIX=$PWD/build/mingw/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# The prefix is made once, before anything runs in parallel in it.
"$wine" "$exe" --version
trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null || true' EXIT

ctest --preset mingw

work=$(mktemp -d)
trap 'rm -rf "$work"; "$(dirname "$wine")/wineserver" -k 2>/dev/null || true' EXIT
# 400 draws of seven digits from a fixed linear congruential generator, under a Chinese name.
draws="$work/开奖号码.txt"
awk 'BEGIN { x = 12345; for (i = 0; i < 400; i++) { line = ""
       for (d = 0; d < 7; d++) { x = (x * 1103515245 + 12345) % 2147483648
                                 line = line int(x / 65536) % 10 }
       print line } }' >"$draws"

# The timing fields differ from run to run; Windows ends its lines with CR LF.
normalise() { sed -E -e 's/\r$//' -e 's/"(seconds|output_seconds)":[0-9.]+/"\1":T/g'; }

status=0
for args in "--quiet" "--backtest 20 --quiet" "--trend 100" "--shape 100" ""; do
  # shellcheck disable=SC2086
  "$native" $args "$draws" | normalise >"$work/linux.txt"
  # shellcheck disable=SC2086
  "$wine" "$exe" $args "$draws" | normalise >"$work/windows.txt"
  if cmp -s "$work/linux.txt" "$work/windows.txt"; then
    echo "same answers ($(wc -l <"$work/linux.txt") lines): tolvane-search ${args:-(all patterns)}"
  else
    echo "tolvane-search $args: the Windows build answers differently:" >&2
    diff "$work/linux.txt" "$work/windows.txt" | head -20 >&2
    status=1
  fi
done

# A document saved under a Chinese name by the Windows build reads back in the native tool's
# format: the same bytes as the native tool writes.
"$native" --quiet --document "$work/文档-linux.gtmq" "$draws" >/dev/null
"$wine" "$exe" --quiet --document "$work/文档-windows.gtmq" "$draws" >/dev/null
if cmp "$work/文档-linux.gtmq" "$work/文档-windows.gtmq"; then
  echo "same document bytes under a Chinese file name"
else
  status=1
fi
exit $status
