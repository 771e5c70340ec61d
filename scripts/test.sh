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
# The two trees are configured at once, and the sanitizer build's fuzz targets compile beside the first build at a
# lower priority, in the gaps it leaves.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSRA_MEMCHECK=ON >/dev/null &
configuring=$!
cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DTESSRA_FUZZ=ON \
    -DTESSRA_FUZZ_SECONDS="$fuzz_seconds" -DTESSRA_FUZZ_RUNS=0 >/dev/null
wait "$configuring"
nice -n 10 cmake --build build-asan -j "$jobs" --target fuzzers >build-asan/fuzzers-build.log 2>&1 &
fuzzers=$!

echo "== build =="
cmake --build build -j "$jobs"
# Most of build/'s tests wait on timers and peers: the rest of the sanitizer build, which needs only what its tests
# run, compiles beside them at a lower priority. Each fuzz target runs for its fixed time whatever the processors
# give it, beside the rest. The tests of each folder report into that folder, so that the runs keep apart; their
# reports follow in turn.
(cd build && ctest --output-on-failure -j "$jobs") >build/ctest.log 2>&1 &
build_tests=$!
echo "== build-asan =="
wait "$fuzzers" || status=1
cat build-asan/fuzzers-build.log
(cd build-asan/fuzz && ctest --output-on-failure -j "$jobs") >build-asan/fuzz-ctest.log 2>&1 &
fuzz_tests=$!
# The window's tests, which wait longest, run while the unit tests' program compiles.
nice -n 10 cmake --build build-asan -j "$jobs" --target tst_window || status=1
(cd build-asan/tests && ctest --output-on-failure -j "$jobs" -R '^window[.]') >build-asan/ctest-window.log 2>&1 &
window_tests=$!
nice -n 10 cmake --build build-asan -j "$jobs" --target tst_units || status=1
wait "$window_tests" || status=1
(cd build-asan/tests && ctest --output-on-failure -j "$jobs" -E '^window[.]') >build-asan/ctest.log 2>&1 || status=1
wait "$build_tests" || status=1
wait "$fuzz_tests" || status=1
for report in build/ctest.log build-asan/ctest-window.log build-asan/ctest.log build-asan/fuzz-ctest.log; do
    echo "== $report =="
    cat "$report"
done
echo "== fuzz executions =="
awk '/Testing: /{name=$3} /^Done [0-9]+ runs/{print name ": " $0}' build-asan/fuzz/Testing/Temporary/LastTest.log
exit $status
