#!/bin/sh
# Installs what is missing, builds and runs every test twice:
# - build/: as built for use (gcc), and the functional core's tests once more
#   under Valgrind's memcheck;
# - build-asan/: under AddressSanitizer and UndefinedBehaviorSanitizer (clang),
#   with the fuzz targets, each of which runs for FUZZ_SECONDS (default 30).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
jobs="$(nproc)"
fuzz_seconds="${FUZZ_SECONDS:-30}"
status=0
for variant in build build-asan; do
    case "$variant" in
        build) options="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSRA_MEMCHECK=ON" ;;
        build-asan) options="-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DTESSRA_FUZZ=ON -DTESSRA_FUZZ_SECONDS=$fuzz_seconds" ;;
    esac
    # A tree configured with another compiler is configured anew.
    if [ "$variant" = build-asan ] && [ -f "$variant/CMakeCache.txt" ] \
        && ! grep -q "^CMAKE_CXX_COMPILER:.*clang" "$variant/CMakeCache.txt"; then
        rm -rf "$variant"
    fi
    echo "== $variant =="
    # shellcheck disable=SC2086
    cmake -S . -B "$variant" $options >/dev/null
    # The sanitizer build needs only what its tests run; the tool and the benchmarks
    # are built in build/.
    targets=""
    [ "$variant" = build-asan ] && targets="--target tst_units tst_window fuzzers"
    # shellcheck disable=SC2086
    cmake --build "$variant" -j "$jobs" $targets
    # The fuzz targets keep the processors busy at a lower priority; the other
    # tests mostly wait, so one more of them runs at a time beside the targets.
    parallel="$jobs"
    [ "$variant" = build-asan ] && parallel=$((jobs + 1))
    (cd "$variant" && ctest --output-on-failure -j "$parallel") || status=1
done
echo "== fuzz executions =="
awk '/Testing: /{name=$3} /^Done [0-9]+ runs/{print name ": " $0}' build-asan/Testing/Temporary/LastTest.log
exit $status
