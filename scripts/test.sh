#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and runs every test. Extra arguments go to ctest
# (for example -L core).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export TOLVANE_WERROR="${TOLVANE_WERROR:-OFF}"
scripts/build.sh test
ctest --preset test "$@"
