#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and starts it; arguments go to the program
# (./scripts/run.sh --version answers without a display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
exec build/release/tolvane "$@"
