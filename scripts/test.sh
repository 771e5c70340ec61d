#!/bin/sh
# Installs what is missing, builds and runs every test: once as built for use,
# once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
jobs="$(nproc)"
status=0
for variant in build build-asan; do
    case "$variant" in
        build) options="-DCMAKE_BUILD_TYPE=RelWithDebInfo" ;;
        build-asan) options="-DCMAKE_BUILD_TYPE=Debug -DTESSRA_SANITIZE=ON" ;;
    esac
    echo "== $variant =="
    # shellcheck disable=SC2086
    cmake -S . -B "$variant" $options >/dev/null
    cmake --build "$variant" -j "$jobs"
    (cd "$variant" && ctest --output-on-failure -j "$jobs") || status=1
done
exit $status
