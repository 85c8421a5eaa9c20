#!/usr/bin/env bash
# The C libraries the Windows build compiles into the program, from Debian's source packages
# (the same versions as the Linux build's): giflib, and SQLite's one-file amalgamation made from
# its source tree. Kept outside the clone, in CACHE (default ~/.cache/tolvane-mingw), and
# fetched once; the last line printed is the folder to give the build as TOLVANE_MINGW_LIBS.
#   fetch-mingw-libraries.sh [CACHE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/tolvane-mingw}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
libs=$cache/libs
gif=giflib=5.2.1-2.5+deb12u1
sqlite=sqlite3=3.40.1-2+deb12u2

if [[ ! -f "$libs/giflib/gif_lib.h" || ! -f "$libs/sqlite3/sqlite3.c" ]]; then
  rm -rf "$cache/src"
  "$here/mingw-apt-source.sh" "$cache" "$gif" "$sqlite" >"$cache/apt-source.log" 2>&1 ||
    { tail -20 "$cache/apt-source.log" >&2; exit 1; }
  mkdir -p "$libs/giflib" "$libs/sqlite3"
  src=$cache/src/giflib-${gif#*=}
  src=${src%-*}
  cp "$src"/{dgif_lib,egif_lib,gifalloc,gif_err,gif_font,gif_hash,openbsd-reallocarray}.c \
    "$src"/{gif_lib,gif_lib_private,gif_hash}.h "$src/COPYING" "$libs/giflib/"
  # The amalgamation is made by SQLite's own build (tclsh); it is the same C on every system.
  tree=$cache/src/sqlite3-3.40.1
  (cd "$tree" && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
  cp "$tree"/sqlite3.c "$tree"/sqlite3.h "$libs/sqlite3/"
  rm -rf "$cache/src"
fi
echo "$libs"
