#!/bin/sh
# Installs what is missing, builds the tool and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tessraprog -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: TessraProg needs a desktop to show its window."
    echo "Without one, start a virtual display first, for example:"
    echo "    sudo apt-get install xvfb && Xvfb :99 & DISPLAY=:99 build/tessraprog"
    exit 1
fi
exec build/tessraprog
