#!/usr/bin/env bash
# Builds the project and runs the vexl demo on the bundled sample document.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target vexl vexldemo
work=$(mktemp -d)
cp samples/keyword.vexl "$work/"
(cd "$work" && "$OLDPWD/build/release/demo/vexl" "$work/keyword.vexl")
