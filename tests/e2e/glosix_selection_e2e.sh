#!/usr/bin/env bash
# End to end: look-up from anywhere and the look-up history in the real Glosix. A word selected in
# another program (xclip owns the X11 primary selection) is looked up by `Glosix --selection`,
# both when it starts Glosix and when it hands the word to the running one; "went" shows the entry
# of "go"; a word copied to the clipboard is looked up once the watch is on; the history window
# lists the words and adds them to the Book in one step, once only (checked with `lexbook dump`).
#   glosix_selection_e2e.sh GLOSIX LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

glosix=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin glosix_selection_e2e xdotool openbox import python3 xclip
e2e_logs=("$tmp/run.log")
e2e_display 261 300
export QT_LOGGING_RULES="lexora.glosix.info=true"
e2e_sample_home "$bin" "$samplebook" "$src" 20
python3 - "$home/Config.INI" <<'PY'
import struct, sys
b = struct.pack('<4i', 640, 60, 1160, 460)
open(sys.argv[1], 'a').write('GlosixDlgSize=' + b.hex().upper() + '%02X' % (sum(b) % 256) + '\n')
PY
# A dictionary of its own with inflected forms: "went" is the past of "go".
cat >"$tmp/ecdict.csv" <<'CSV'
word,phonetic,definition,translation,pos,collins,oxford,tag,bnc,frq,exchange,detail,audio
go,gəʊ,,v. 去；走,,,,,0,0,p:went/d:gone/i:going/3:goes,,
went,went,,v. go的过去式,,,,,0,0,0:go/1:p,,
quokka,ˈkwɒkə,,n. 短尾矮袋鼠,,,,,0,0,s:quokkas,,
wombat,ˈwɒmbæt,,n. 袋熊,,,,,0,0,s:wombats,,
numbat,ˈnʌmbæt,,n. 袋食蚁兽,,,,,0,0,s:numbats,,
CSV
rm -f "$home"/Dict/*
"$lexbook" dict-ecdict "$tmp/ecdict.csv" "$home/Dict" >/dev/null 2>&1 || fail "cannot build the main dictionary"
"$lexbook" dict-ecdict "$tmp/ecdict.csv" "$home/Dict" --companion >/dev/null 2>&1 || fail "cannot build the companion dictionary"

dump_words() { "$lexbook" dump "$home/Book/English" | python3 -c 'import json,sys
for l in sys.stdin: print(json.loads(l)["word"])'; }
count_of() { dump_words | grep -cx "$1" || true; }
rows=$(dump_words | wc -l)
select_primary() { printf '%s' "$1" | xclip -selection primary -loops 10; }
history_file=$XDG_DATA_HOME/lexora/glosix-history.txt
history_count() { awk -F'\t' -v w="$1" '$1 == w { print $2 }' "$history_file"; }

# 1. The selection starts Glosix, which shows its entry.
select_primary "  quokka. "
(cd "$tmp" && exec "$glosix" --home "$home" --selection) >>"$tmp/run.log" 2>&1 &
pids+=($!)
wait_for 15 logged 'word shown "quokka"' || fail "Glosix --selection did not show the selected word"
gwin=
wait_for 10 eval 'gwin=$(xdotool search --onlyvisible --name "^Glosix$" 2>/dev/null | head -1); [ -n "$gwin" ]' \
  || fail "no window titled Glosix"
sleep 0.6
import -window root "$out/glosix_selection_started.png"

# 2. "went" typed: the entry of "go", with the line naming the form.
xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.2
xdotool mousemove --window "$gwin" 150 14 click 1; sleep 0.2
xdotool key --window "$gwin" ctrl+a BackSpace
xdotool type --window "$gwin" --delay 40 went
xdotool key --window "$gwin" Return
wait_for 5 logged 'look-up shown "went"' || fail "Glosix did not show \"went\""
# Twice more: a word looked up three times is marked in the history.
xdotool key --window "$gwin" Return; sleep 0.3
xdotool key --window "$gwin" Return
wait_for 5 eval '[ "$(grep -c "look-up shown \"went\"" "$tmp/run.log")" = 3 ]' || fail "\"went\" was not looked up three times"
sleep 0.4
# The text pane's text through the clipboard: click into it, select all, copy.
xdotool mousemove --window "$gwin" 250 200 click 1; sleep 0.2
xdotool key --window "$gwin" ctrl+a ctrl+c; sleep 0.3
xclip -o -selection clipboard >"$tmp/entry.txt" 2>/dev/null
grep -q '^go' "$tmp/entry.txt" && grep -q 'went' "$tmp/entry.txt" \
  || { cat "$tmp/entry.txt"; fail "the entry shown for \"went\" is not that of \"go\""; }
import -window root "$out/glosix_selection_went.png"

# 3. A second selection goes to the running Glosix: the new process ends, the window shows it.
select_primary "wombat"
(cd "$tmp" && "$glosix" --home "$home" --selection) >>"$tmp/run.log" 2>&1 || fail "the second Glosix --selection failed"
wait_for 5 logged 'word shown "wombat"' || fail "the running Glosix did not show the handed-over word"
[ "$(xdotool search --onlyvisible --name '^Glosix$' | wc -l)" = 1 ] || fail "a second Glosix window appeared"

# 4. The clipboard watch, from the window menu's check item: a copied word is looked up; a
#    sentence is not.
xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.2
xdotool mousemove --window "$gwin" 40 30 click 3; sleep 0.5   # the window menu beside the tool row
import -window root "$out/glosix_selection_menu.png"
xdotool key w; sleep 0.5                            # 监视剪贴板(&W)
wait_for 3 logged 'clipboard watch true' || fail "the menu item did not switch the clipboard watch on"
printf 'numbat' | xclip -selection clipboard -loops 10
wait_for 5 logged 'copied word shown "numbat"' || fail "the watch did not look up the copied word"
printf 'the numbat eats termites' | xclip -selection clipboard -loops 10
sleep 1
logged 'copied word shown "the' && fail "the watch looked up a sentence"
grep -q 'GlosixWatchClipboard=1' "$home/Config.INI" || fail "the watch is not kept in Config.INI"

# 5. The history, counted in its file and shown in its window (Ctrl+H).
for w in quokka wombat numbat; do [ "$(history_count $w)" = 1 ] || fail "history: $w not counted once"; done
[ "$(history_count went)" = 3 ] || fail "history: went not counted three times"
xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.2
xdotool key --window "$gwin" ctrl+h
hwin=$(e2e_wait_window '^查词记录$') || fail "no history window"
sleep 0.5
import -window root "$out/glosix_selection_history.png"
# The filter, from the keyboard: "at" leaves wombat and numbat.
xdotool type --window "$hwin" --delay 40 at; sleep 0.4
import -window root "$out/glosix_selection_history_filtered.png"
xdotool key --window "$hwin" ctrl+a BackSpace; sleep 0.3
# All words into the Book: Down into the list, select all, 添加到词库 by its key.
xdotool key --window "$hwin" Down ctrl+a alt+a
wait_for 5 logged 'history added 4 already 0' || fail "the history did not add its four words"
sleep 0.4
import -window root "$out/glosix_selection_history_added.png"
for w in quokka went wombat numbat; do [ "$(count_of $w)" = 1 ] || fail "the Book does not hold $w once"; done
# Again: nothing is added twice.
xdotool key --window "$hwin" alt+a
wait_for 5 logged 'history added 0 already 4' || fail "a second add from the history was not refused"
[ "$(dump_words | wc -l)" = $((rows + 4)) ] || fail "the Book has other rows than before plus four"
"$lexbook" check "$home/Book/English" >/dev/null 2>&1 || fail "the Book does not check clean"

echo "PASS: Glosix --selection, the clipboard watch and the history (screenshots in $out)"
