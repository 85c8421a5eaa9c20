#!/usr/bin/env bash
# Makes Qt 6.4.2 (qtbase: Core, Gui, Widgets, PrintSupport, Test; the windows and minimal
# platform plugins) for 64-bit Windows with Debian's MinGW-w64, from Debian's own source
# package (its patches applied), and installs it into PREFIX. The host's Qt tools of the same
# version generate code (QT_HOST_PATH=/usr). About 60-75 CPU minutes; scripts/build-windows.sh
# runs it only when no ready Qt is at hand.
#   build-qt-mingw.sh PREFIX [CACHE]   (sources and the build tree go to CACHE,
#                                       default ~/.cache/tolvane-mingw)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[[ $# -ge 1 ]] || { echo "usage: $0 PREFIX [CACHE]" >&2; exit 2; }
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
cache=${2:-${XDG_CACHE_HOME:-$HOME/.cache}/tolvane-mingw}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
version=6.4.2+dfsg-10

host=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
[[ "$host" == 6.4.2* ]] || { echo "the host's qt6-base-dev-tools must be 6.4.2 (found: ${host:-none})" >&2; exit 1; }

src=$cache/qt-src/qt6-base-6.4.2
if [[ ! -f "$src/CMakeLists.txt" ]]; then
  rm -rf "$cache/qt-src"
  mkdir -p "$cache/qt-src"
  "$here/mingw-apt-source.sh" "$cache" "qt6-base=$version"
  # dpkg-source names the folder after the upstream version (qt6-base-6.4.2+dfsg).
  mv "$cache"/src/qt6-base-6.4.2* "$src"
  rm -rf "$cache/src"
fi

cat >"$prefix/toolchain-mingw.cmake" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

build=$cache/qt-build
cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain-mingw.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_freetype=OFF -DFEATURE_direct2d=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF \
  -DFEATURE_pkg_config=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_printsupport=ON -DFEATURE_testlib=ON \
  -DFEATURE_graphicsview=OFF -DFEATURE_textodfwriter=OFF -DFEATURE_androiddeployqt=OFF
cmake --build "$build" --parallel "$(nproc)"
cmake --install "$build"

cat >"$prefix/BUILD-INFO" <<INFO
Qt 6.4.2 (qtbase only) for x86_64 Windows, shared libraries, built with Debian 12's MinGW-w64 (g++ 12, posix threads).

Source: Debian's own source package qt6-base $version (apt-get source qt6-base, Debian's patches applied).
Host tools: Debian's qt6-base-dev-tools 6.4.2 (QT_HOST_PATH=/usr); they must stay at 6.4.2.
Toolchain: toolchain-mingw.cmake in this folder (x86_64-w64-mingw32-gcc-posix / g++-posix, windres).
Made by scripts/build-qt-mingw.sh of Tolvane.
INFO
echo "$prefix"
