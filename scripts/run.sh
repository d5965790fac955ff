#!/usr/bin/env bash
# Builds Velmora and starts the window in tables/, on the default tables.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_GUI=ON >/dev/null
cmake --build build -j"$(nproc)" --target velmora >/dev/null

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "velmora: no display to show the window on (DISPLAY is not set)" >&2
    exit 1
fi

cd tables
exec ../build/app/velmora
