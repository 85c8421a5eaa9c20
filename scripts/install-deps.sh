#!/usr/bin/env bash
# Installs the Debian 12 packages Tolvane needs, skipping what is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  qt6-base-dev qt6-translations-l10n libgif-dev giflib-tools libcurl4-openssl-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool fonts-noto-cjk poppler-utils
  clang clang-format clang-tidy libclang-rt-14-dev libcpp-httplib-dev libboost-dev
  help2man dpkg-dev file desktop-file-utils appstream
  g++-mingw-w64-x86-64-posix wine64 googletest nsis tcl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
