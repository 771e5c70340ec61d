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
# A sanitizer tree configured with another compiler is configured anew.
if [ -f build-asan/CMakeCache.txt ] && ! grep -q "^CMAKE_CXX_COMPILER:.*clang" build-asan/CMakeCache.txt; then
    rm -rf build-asan
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSRA_MEMCHECK=ON >/dev/null
cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DTESSRA_FUZZ=ON \
    -DTESSRA_FUZZ_SECONDS="$fuzz_seconds" >/dev/null

echo "== build =="
cmake --build build -j "$jobs"
# Most of build/'s tests wait on timers and peers: the sanitizer build, which needs only what its tests run,
# compiles beside them at a lower priority. Their report follows the build's.
(cd build && ctest --output-on-failure -j "$jobs") >build/ctest.log 2>&1 &
build_tests=$!
echo "== build-asan =="
nice -n 10 cmake --build build-asan -j "$jobs" --target tst_units tst_window fuzzers || status=1
wait "$build_tests" || status=1
echo "== build: tests =="
cat build/ctest.log
echo "== build-asan: tests =="
# The fuzz targets keep the processors busy at a lower priority; the other
# tests mostly wait, so one more of them runs at a time beside the targets.
(cd build-asan && ctest --output-on-failure -j $((jobs + 1))) || status=1
echo "== fuzz executions =="
awk '/Testing: /{name=$3} /^Done [0-9]+ runs/{print name ": " $0}' build-asan/Testing/Temporary/LastTest.log
exit $status
