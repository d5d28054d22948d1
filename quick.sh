#!/usr/bin/env bash
# Quick start on a Debian machine:
#   bash quick.sh run [args]   install what is missing, build the tool, run Quenlo as root
#   bash quick.sh test         install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libjsoncpp-dev libinih-dev
          util-linux python3 clang libclang-rt-14-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The installer's and the build's own output goes here and is shown only when a step fails, so
# what the user sees first is the tool's output (or the tests').
LOG=build/quick.log

# quiet COMMAND...: runs COMMAND with its output in $LOG; on failure shows the log and stops.
quiet() {
    mkdir -p "$(dirname "$LOG")"
    local status=0
    "$@" > "$LOG" 2>&1 || status=$?
    if [ $status -ne 0 ]; then
        cat "$LOG" >&2
        echo "quick.sh: failed (status $status): $*; output above, also in $LOG" >&2
        exit $status
    fi
}

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing ${missing[*]}"
        quiet as_root sh -c 'apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y "$@"' \
            sh "${missing[@]}"
    fi
}

# build DIR [cmake options...] [-- targets...]
build() {
    local dir=$1; shift
    local opts=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts+=("$1"); shift; done
    [ $# -gt 0 ] && shift && targets=("$@")
    quiet cmake -S . -B "$dir" -G Ninja "${opts[@]}"
    if [ ${#targets[@]} -gt 0 ]; then
        quiet cmake --build "$dir" --target "${targets[@]}"
    else
        quiet cmake --build "$dir"
    fi
}

jobs=$(nproc)
case "${1:-}" in
run)
    shift
    install_missing
    build build -- Quenlo
    as_root ./build/Quenlo "$@"
    ;;
test)
    install_missing
    # Every test with AddressSanitizer and UndefinedBehaviorSanitizer: the codec and drivers
    # work on fixed buffers.
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DQUENLO_SANITIZE=address,undefined
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
    # Every unit test under ThreadSanitizer: detection, sends and the simulated modems run on
    # threads of their own. The end-to-end scripts run the real binary only in the plain build.
    build build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUENLO_SANITIZE=thread -- unit_tests
    ctest --test-dir build-tsan --output-on-failure -j "$jobs" -E '^e2e\.'
    # A short libFuzzer run of the PDU decoders over the seed corpus; new inputs go to a
    # scratch directory so the committed corpus stays as it is. Its progress lines go to
    # build/fuzz.log and are shown only when it fails.
    build build-fuzz -DQUENLO_FUZZ=ON -DQUENLO_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -- codec_fuzz
    scratch=$(mktemp -d)
    LOG=build/fuzz.log quiet ./build-fuzz/tests/fuzz/codec_fuzz -runs=200000 -max_total_time=60 "$scratch" \
        tests/fuzz/corpus
    echo "fuzzer: $(tail -n 1 build/fuzz.log)"
    rm -rf "$scratch"
    # Everything, end-to-end runs of the real binary included.
    build build
    ctest --test-dir build --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: bash quick.sh run [args] | bash quick.sh test" >&2
    exit 2
    ;;
esac
