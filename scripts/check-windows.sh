#!/usr/bin/env bash
# The Windows build, checked under Wine on an X server of its own (xvfb-run): cross-builds the
# mingw preset (MinGW-w64 and Qt for Windows, scripts/windows-env.sh), runs its tests under
# Wine, compares tolvane-search.exe's answers with the native tool's, drives tolvane.exe in a
# portable folder end to end (import, F5, Ctrl+S, exit; the saved bytes must be the native
# tool's), then makes the installer and the zip, installs silently, runs the installed
# tolvane.exe --version and uninstalls.
#   check-windows.sh [NATIVE_TREE]   (default build/test: its tolvane-search and
#                                     tests/test_wine_end_to_end)
set -euo pipefail
cd "$(dirname "$0")/.."
native_tree=${1:-build/test}
native=$native_tree/tolvane-search
driver=$native_tree/tests/test_wine_end_to_end
for needed in "$native" "$driver"; do
  [[ -x "$needed" ]] || { echo "no $needed (build the test preset first)" >&2; exit 1; }
done

if [[ -z "${TOLVANE_CHECK_WINDOWS_DISPLAY:-}" ]]; then
  # shellcheck source=scripts/windows-env.sh
  source scripts/windows-env.sh
  echo "Qt for Windows: $TOLVANE_QT_MINGW"
  scripts/build.sh mingw
  # Everything that runs under Wine gets one X server; the windows platform needs it.
  exec env TOLVANE_CHECK_WINDOWS_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

tree=build/mingw
exe=$tree/tolvane-search.exe
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$wine")/wineserver
[[ -x "$wineserver" ]] || wineserver=$(command -v wineserver)

# Wine in a prefix of the build tree; file names and arguments in UTF-8.
export WINEPREFIX=$PWD/$tree/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH=$PWD/$tree LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY
# The prefix is made once, before anything runs in parallel in it; Chinese text needs a CJK
# font Wine can see.
"$wine" "$exe" --version
fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
for font in /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc \
            /usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc; do
  [[ -f "$font" && ! -f "$fonts/$(basename "$font")" ]] && cp "$font" "$fonts/"
done
work=$(mktemp -d)
trap 'rm -rf "$work"; "$wineserver" -k 2>/dev/null || true' EXIT

echo "== tolvane.exe is a window program with its icon and version"
# Subsystem 2 is a window program (3 a console one); the resources hold the icon's pictures
# (PNG) and the version's texts (UTF-16).
subsystem=$(x86_64-w64-mingw32-objdump -p "$tree/tolvane.exe" | awk '$1 == "Subsystem" { print $2 }')
[[ "$subsystem" == 00000002 ]] || { echo "tolvane.exe's subsystem is $subsystem, not a window program's" >&2; exit 1; }
resources=$work/tolvane.rsrc
x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$tree/tolvane.exe" "$resources"
pictures=$(LC_ALL=C grep -a -o -P '\x89PNG' "$resources" | wc -l)
version=$(LC_ALL=C grep -a -o -P 'P\x00r\x00o\x00d\x00u\x00c\x00t\x00V\x00e\x00r\x00s\x00i\x00o\x00n' "$resources" | wc -l)
if (( pictures >= 3 && version >= 1 )); then
  echo "window program; resources: $pictures icon pictures and the version"
else
  echo "tolvane.exe's resources lack the icon ($pictures pictures) or the version" >&2
  exit 1
fi

echo "== the Windows build's tests under Wine (the core's; see TOLVANE_WINE_WIDGET_TESTS)"
ctest --preset mingw

echo "== tolvane-search.exe answers as the native tool"
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
# format: the same bytes as the native tool writes; its pictures go to a folder with a Chinese
# name.
"$native" --quiet --document "$work/文档-linux.gtmq" "$draws" >/dev/null
"$wine" "$exe" --quiet --document "$work/文档-windows.gtmq" --gif 1,2,3 --gif-dir "$work/图片" "$draws" >/dev/null
if cmp "$work/文档-linux.gtmq" "$work/文档-windows.gtmq"; then
  echo "same document bytes under a Chinese file name"
else
  status=1
fi
if ls "$work/图片"/*.gif >/dev/null 2>&1; then
  echo "tolvane-search.exe --gif wrote $(ls "$work/图片" | wc -l) pictures into a Chinese-named folder"
else
  echo "tolvane-search.exe --gif wrote no picture" >&2
  status=1
fi

echo "== tolvane.exe in a portable folder under Wine: import, search, save, exit"
portable="$work/便携版"
cmake --install "$tree" --prefix "$portable" >/dev/null
mkdir -p "$tree/artifacts"
"$driver" "$wine" "$portable" "$native" "$PWD/$tree/artifacts" || status=1

echo "== the installer: silent install under Wine, the installed program's --version, uninstall"
(cd "$tree" && cpack -G "NSIS;ZIP" >/dev/null)
installer=$(ls "$tree"/Tolvane-*-win64.exe)
echo "$installer: $(($(stat -c %s "$installer") / 1024 / 1024)) MB"
"$wine" "$installer" /S
installed="$WINEPREFIX/drive_c/Program Files/Tolvane"
answer=$("$wine" "$installed/tolvane.exe" --version | tr -d '\r' | tail -n 1)
echo "installed: $answer"
[[ "$answer" =~ ^tolvane\ [0-9] ]] || { echo "the installed tolvane.exe --version printed: $answer" >&2; status=1; }
[[ -n "$(ls "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tolvane/"*.lnk 2>/dev/null)" ]] ||
  { echo "no Start-menu entry" >&2; status=1; }
# The uninstaller runs on from a copy of itself and returns at once.
"$wine" "$installed/Uninstall.exe" /S
for _ in $(seq 120); do [[ -e "$installed/tolvane.exe" ]] || break; sleep 1; done
if [[ -e "$installed/tolvane.exe" ]]; then
  echo "the uninstaller left tolvane.exe" >&2
  status=1
else
  echo "uninstalled"
fi
exit $status
