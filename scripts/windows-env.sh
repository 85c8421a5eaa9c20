# Sourced by the Windows scripts: exports TOLVANE_QT_MINGW (Qt built for Windows) and
# TOLVANE_MINGW_LIBS (giflib and SQLite's sources) for the mingw preset.
# Qt is, in this order: TOLVANE_QT_MINGW when it is set, the ready copy in shared/ beside the
# project's folder, one made earlier in the cache, or one made now by build-qt-mingw.sh (about
# 60-75 CPU minutes). A Qt is taken only when its BUILD-INFO names the version the build needs.
tolvane_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tolvane_cache=${XDG_CACHE_HOME:-$HOME/.cache}/tolvane-mingw

tolvane_qt_fits() {
  [[ -f "$1/BUILD-INFO" && -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ]] &&
    head -n 1 "$1/BUILD-INFO" | grep -q '^Qt 6\.4\.2 (qtbase only) for x86_64 Windows'
}

if [[ -n "${TOLVANE_QT_MINGW:-}" ]]; then
  tolvane_qt_fits "$TOLVANE_QT_MINGW" ||
    { echo "TOLVANE_QT_MINGW=$TOLVANE_QT_MINGW is no Qt 6.4.2 for MinGW (see its BUILD-INFO)" >&2; return 1; }
else
  # A worktree's shared/ is the one beside its main checkout.
  tolvane_main=$(dirname "$(git -C "$tolvane_root" rev-parse --path-format=absolute --git-common-dir 2>/dev/null ||
    echo "$tolvane_root/.git")")
  for candidate in "$(dirname "$tolvane_root")/shared/qt6-mingw-6.4.2" \
                   "$(dirname "$tolvane_main")/shared/qt6-mingw-6.4.2" "$tolvane_cache/qt6-mingw-6.4.2"; do
    if tolvane_qt_fits "$candidate"; then TOLVANE_QT_MINGW=$candidate; break; fi
  done
  if [[ -z "${TOLVANE_QT_MINGW:-}" ]]; then
    echo "No Qt for MinGW at hand: building it into $tolvane_cache/qt6-mingw-6.4.2" >&2
    "$tolvane_root/scripts/build-qt-mingw.sh" "$tolvane_cache/qt6-mingw-6.4.2" "$tolvane_cache" >&2 ||
      { echo "building Qt for MinGW failed" >&2; return 1; }
    TOLVANE_QT_MINGW=$tolvane_cache/qt6-mingw-6.4.2
  fi
fi
TOLVANE_MINGW_LIBS=$("$tolvane_root/scripts/fetch-mingw-libraries.sh" "$tolvane_cache" | tail -n 1) ||
  { echo "fetching giflib and SQLite's sources failed" >&2; return 1; }
export TOLVANE_QT_MINGW TOLVANE_MINGW_LIBS
