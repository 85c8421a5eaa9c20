#!/usr/bin/env bash
# The Windows program in one command: installs what is missing (Debian packages), finds Qt for
# Windows or builds it (scripts/windows-env.sh), fetches giflib and SQLite's sources, cross-builds
# the mingw preset and makes the installer and the portable zip in build/mingw. The last line
# printed is the installer's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# shellcheck source=scripts/windows-env.sh
source scripts/windows-env.sh
scripts/build.sh mingw
(cd build/mingw && cpack -G "NSIS;ZIP" >/dev/null)
installer=$(ls "$PWD"/build/mingw/Tolvane-*-win64.exe)
echo "portable zip: $(ls "$PWD"/build/mingw/Tolvane-*-win64.zip)"
echo "$installer"
