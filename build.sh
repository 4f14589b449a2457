#!/usr/bin/env bash
# Installs what is missing and builds the shipping 32-bit installer and its
# 64-bit twin:  build/win32/  and  build/win64/
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done

# Show the result: the 64-bit build installs the sample payload under Wine.
scripts/wine/demo.sh
