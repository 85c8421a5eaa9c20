#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF
exec build/release/tolvane "$@"
