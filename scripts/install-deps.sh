#!/bin/sh
# Installs the Debian packages the tool and its tests need, only those missing.
set -eu
# qt6-charts-dev draws the measurement history (its CMake files need libqt6opengl6-dev's). iproute2 builds the ping
# tests' network namespaces; fping is the scan benchmark's yardstick.
# clang and its runtime (libFuzzer, the sanitizers) build the sanitizer tests and the fuzz
# targets; valgrind runs the functional core's tests under memcheck. librsvg2-bin renders the icon's sizes;
# dpkg-dev computes the package's dependencies; lintian, desktop-file-utils and appstream check the package.
PACKAGES="cmake make g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev libsimpleini-dev fonts-liberation2 iproute2 fping clang libclang-rt-14-dev valgrind
librsvg2-bin dpkg-dev lintian desktop-file-utils appstream"
missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi
$as_root apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
