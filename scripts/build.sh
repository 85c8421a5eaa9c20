#!/usr/bin/env bash
# Configures and builds one preset of CMakePresets.json: build.sh PRESET [cmake options...]
# The tree is build/PRESET.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
shift
launcher=()
# Rebuilds of other trees reuse object files when ccache is installed (optional).
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake --preset "$preset" "${launcher[@]}" "$@" >/dev/null
cmake --build --preset "$preset"
