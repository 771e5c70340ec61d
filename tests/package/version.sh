#!/bin/sh
# The tool from the unpacked package runs and tells its version, without a display.
# version.sh ROOT VERSION
set -eu
printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$1/usr/bin/tessraprog" --version) || {
    echo "FAIL: the unpacked tessraprog --version ended with status $?"
    exit 1
}
if [ "$printed" != "TessraProg $2" ]; then
    echo "FAIL: the unpacked tessraprog --version printed \"$printed\", not \"TessraProg $2\""
    exit 1
fi
echo "$printed"
