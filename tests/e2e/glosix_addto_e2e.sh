#!/usr/bin/env bash
# End to end: "AddTo" in the real Glosix. Without Lexora the word is appended to the Book named in
# Config.INI (once: a second press says it is there); with Lexora running the word joins the Book
# Lexora has open, and Lexora's save at its end writes it. The Book is read with `lexbook dump`,
# what Glosix did from its log, and the window from screenshots.
#   glosix_addto_e2e.sh LEXORA GLOSIX LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 glosix=$2 lexbook=$3 samplebook=$4 src=$5 bin=$6 out=$7

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin glosix_addto_e2e xdotool openbox import python3
e2e_logs=("$tmp/run.log")
e2e_display 231 260
export QT_LOGGING_RULES="lexora.glosix.info=true"
e2e_sample_home "$bin" "$samplebook" "$src" 20
# Glosix at a known place (a checksummed rectangle: 16 bytes in hex, then their sum).
python3 - "$home/Config.INI" <<'PY'
import struct, sys
b = struct.pack('<4i', 700, 80, 1180, 420)
open(sys.argv[1], 'a').write('GlosixDlgSize=' + b.hex().upper() + '%02X' % (sum(b) % 256) + '\n')
PY

dump_words() { "$lexbook" dump "$home/Book/English" | python3 -c 'import json,sys
for l in sys.stdin: print(json.loads(l)["word"])'; }
count_of() { dump_words | grep -cx "$1" || true; }
# Two dictionary words that the Book does not hold.
mapfile -t fresh < <(python3 - "$src/data/dict/words.tsv" <(dump_words) <<'PY'
import sys
have = set(l.strip() for l in open(sys.argv[2]))
for line in open(sys.argv[1], encoding='utf-8'):
    if line.startswith('#') or '\t' not in line: continue
    w = line.split('\t')[0]
    if w.isalpha() and w.islower() and w not in have: print(w)
PY
)
[ "${#fresh[@]}" -ge 2 ] || fail "no dictionary words outside the sample Book"
first=${fresh[0]} second=${fresh[1]}
echo "words: $first (no Lexora), $second (Lexora running)"
rows=$(dump_words | wc -l)

logged_count() { grep -cF -- "$1" "$tmp/run.log" || true; }

(cd "$tmp" && exec "$glosix" --home "$home") >>"$tmp/run.log" 2>&1 &
glosix_pid=$!
pids+=($glosix_pid)
wait_for 15 logged "ready" || fail "Glosix did not start"
gwin=
wait_for 10 eval 'gwin=$(xdotool search --onlyvisible --name "^Glosix$" 2>/dev/null | head -1); [ -n "$gwin" ]' \
  || fail "no window titled Glosix"
sleep 0.5

look_up() {   # types the word into the input box and presses Enter
  xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.2
  xdotool mousemove --window "$gwin" 150 14 click 1; sleep 0.2   # into the input box
  xdotool key --window "$gwin" ctrl+a BackSpace
  xdotool type --window "$gwin" --delay 40 "$1"
  xdotool key --window "$gwin" Return
  wait_for 5 logged "look-up shown \"$1\"" || fail "Glosix did not show \"$1\""
  sleep 0.3
}

# 1. No Lexora: the word goes into the Book's files, with the main dictionary's texts.
look_up "$first"
xdotool key --window "$gwin" ctrl+d
wait_for 5 logged "addto 1 “$first”已添加到词库 English" || fail "Glosix did not append \"$first\" to the Book"
sleep 0.3
import -window root "$out/glosix_addto_without_lexora.png"
[ "$(count_of "$first")" = 1 ] || fail "\"$first\" is not in the Book once after AddTo"
"$lexbook" dump "$home/Book/English" | python3 -c '
import json, sys
rows = [json.loads(l) for l in sys.stdin]
e = rows[-1]
assert e["word"] == sys.argv[1], e
assert e["phonetic"] and e["explanation"], ("no dictionary texts", e)
assert (e["recognition"], e["spelling"], e["listening"]) == (10, 10, 10), e
' "$first" || fail "the appended entry is not as the add dialog makes it"
"$lexbook" check "$home/Book/English" >/dev/null 2>&1 || fail "the Book does not check clean after the append"
# Again, from the keyboard without the shortcut: Tab from the input box past 查询 and Speak reaches
# the button, Space presses it. Said, not added.
xdotool key --window "$gwin" Tab Tab Tab space
wait_for 5 logged "addto 3 “$first”已在词库 English 中，未重复添加" || fail "a second AddTo was not refused"
[ "$(count_of "$first")" = 1 ] || fail "\"$first\" was added twice"

# 2. Lexora running: it has the Book open (and holds its lock); AddTo goes to its list.
e2e_start_lexora "$lexora" "$home" "$tmp/run.log"
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove $((X + 125)) $((Y + 45)) click 1; sleep 0.8   # "学习": the word-book page
look_up "$second"
before=$(logged_count "addto 0 “$second”已添加到 Lexora 打开的词库")
xdotool key --window "$gwin" ctrl+d
wait_for 5 eval '[ "$(logged_count "addto 0 “'"$second"'”已添加到 Lexora 打开的词库")" -gt '"$before"' ]' \
  || fail "Lexora did not add \"$second\""
sleep 0.8
import -window root "$out/glosix_addto_with_lexora.png"
[ "$(count_of "$second")" = 0 ] || fail "Glosix wrote the Book's files while Lexora had it open"
xdotool key --window "$gwin" ctrl+d
wait_for 5 logged "addto 2 “$second”已在 Lexora 打开的词库中，未重复添加" || fail "Lexora took \"$second\" twice"

# lexbook keeps off a Book that Lexora has open: its import would be lost at Lexora's save.
printf 'quokka\n' >"$tmp/list.txt"
XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR "$lexbook" import "$home/Book/English" "$tmp/list.txt" --style 1 >>"$tmp/run.log" 2>&1 \
  && fail "lexbook imported into a Book that Lexora has open"
[ "$(count_of quokka)" = 0 ] || fail "lexbook wrote a Book that Lexora has open"

# Lexora ends as on logout: it saves, and the Book holds both words, each once.
kill -TERM $lexora_pid
for _ in $(seq 75); do kill -0 $lexora_pid 2>/dev/null || break; sleep 0.2; done
kill -0 $lexora_pid 2>/dev/null && fail "Lexora did not end on SIGTERM"
[ "$(count_of "$first")" = 1 ] && [ "$(count_of "$second")" = 1 ] || fail "the Book does not hold both words once"
[ "$(dump_words | wc -l)" = $((rows + 2)) ] || fail "the Book has other rows than before plus two"
"$lexbook" check "$home/Book/English" >/dev/null 2>&1 || fail "the Book does not check clean at the end"

echo "PASS: AddTo with and without Lexora (screenshots in $out)"
