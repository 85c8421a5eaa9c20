#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR="${TOLVANE_WERROR:-OFF}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure -j2 "$@"
