#!/usr/bin/env bash
# End to end: the real Lexora and the real Glosix on a display of their own. A double-click on a
# row starts Glosix and shows that word; a second double-click reaches the same window; closed by
# hand, Glosix is started again by the next double-click; a second Glosix started by hand ends
# while the first stays; with Glosix's executable missing a double-click changes nothing visible.
# What Glosix shows is read from its log (QT_LOGGING_RULES), what the screen shows from screenshots.
#   glosix_e2e.sh LEXORA GLOSIX LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
# The full dictionary is used when tools/fetch_ecdict.sh has made one (its cache, or
# LEXORA_E2E_DICT=FOLDER with 21ct.* and Dict.*), else the sample dictionary of the build.
set -uo pipefail

lexora_built=$1 glosix_built=$2 lexbook=$3 samplebook=$4 src=$5 bin=$6 out=$7

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin glosix_e2e xdotool openbox import compare python3
e2e_cleanup_more() { for p in $(pgrep -f "$tmp/bin/Glosix" 2>/dev/null); do kill "$p" 2>/dev/null; done; }
e2e_display 161 230
export QT_LOGGING_RULES="lexora.glosix.info=true"

# Both programs side by side in a folder of their own, so that Glosix can be taken away.
mkdir -p "$tmp/bin"
cp "$lexora_built" "$tmp/bin/Lexora" && cp "$glosix_built" "$tmp/bin/Glosix" || fail "cannot copy the programs"
lexora=$tmp/bin/Lexora

# The program folder: the sample folder, the full dictionary when there is one, a sample Book.
e2e_home "$bin"
full=${LEXORA_E2E_DICT:-${XDG_CACHE_HOME:-$HOME/.cache}/lexora/ecdict/Dict}
dictionary=sample
if [ -f "$full/21ct.idx" ] && [ -f "$full/21ct.dic" ] && [ -f "$full/Dict.idx" ] && [ -f "$full/Dict.dic" ]; then
  for f in 21ct.idx 21ct.dic Dict.idx Dict.dic; do ln -sf "$full/$f" "$home/Dict/$f"; done
  dictionary="full ($full)"
fi
echo "dictionary: $dictionary"
"$samplebook" "$src/data/dict/words.tsv" "$home/Book/English" --count 60 >/dev/null || fail "cannot make the sample Book"
printf '[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=./Voice/\nBookPath=./Book/\nBookName=English\n' >"$home/Config.INI"
# Glosix opens right of Lexora (a checksummed rectangle: 16 bytes in hex, then their sum).
python3 - "$home/Config.INI" <<'PY'
import struct, sys
b = struct.pack('<4i', 830, 100, 1230, 500)
open(sys.argv[1], 'a').write('GlosixDlgSize=' + b.hex().upper() + '%02X' % (sum(b) % 256) + '\n')
PY
mapfile -t words < <("$lexbook" dump "$home/Book/English" | python3 -c 'import json,sys
for l in sys.stdin: print(json.loads(l)["word"])')
[ "${#words[@]}" -ge 5 ] || fail "cannot read the sample Book"

e2e_start_lexora "$lexora" "$home"
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
row_y() { echo $((132 + 20 * $1)); }
word_x=100
rest() { xdotool mousemove $((wx + 300)) $((wy + 8)); sleep "${1:-0.5}"; }   # on the caption: no tips
click 125 45                                     # "学习": the word-book page

glosix_pids() { pgrep -f "^$tmp/bin/Glosix" || true; }
glosix_windows() { xdotool search --onlyvisible --name '^Glosix$' 2>/dev/null || true; }
shown() { grep -q "word shown \"$1\"" "$tmp/lexora.log"; }
shown_count() { grep -c "word shown \"$1\"" "$tmp/lexora.log" || true; }
has_window() { [ -n "$(glosix_windows)" ]; }
no_glosix() { [ -z "$(glosix_pids)" ]; }

# 1. A double-click starts Glosix, which shows that word.
click $word_x "$(row_y 1)"
xdotool click --repeat 2 --delay 80 1; sleep 0.5
wait_for 10 shown "${words[1]}" || fail "Glosix did not show \"${words[1]}\" after the first double-click"
wait_for 5 has_window || fail "no window titled Glosix"
first=$(glosix_pids)
[ "$(echo "$first" | wc -w)" -eq 1 ] || fail "expected one Glosix, found: $first"
gwin=$(glosix_windows | head -1)
sleep 0.5
import -window root "$out/glosix_e2e_started.png"

# 2. Another row: the same window shows it (and is brought to the top).
click $word_x "$(row_y 3)"
xdotool click --repeat 2 --delay 80 1; sleep 0.5
wait_for 5 shown "${words[3]}" || fail "the running Glosix did not show \"${words[3]}\""
[ "$(glosix_pids)" = "$first" ] || fail "a second Glosix was started instead of using the first"
[ "$(glosix_windows | wc -l)" -eq 1 ] || fail "more than one Glosix window"
[ "$(xdotool getactivewindow 2>/dev/null)" = "$gwin" ] || echo "note: the window manager did not give Glosix the focus"
import -window root "$out/glosix_e2e_second_word.png"

# 3. A second Glosix started by hand ends at once; the first stays.
(cd "$tmp" && exec "$tmp/bin/Glosix" --home "$home") >>"$tmp/lexora.log" 2>&1 &
second=$!
wait_for 10 eval '! kill -0 '"$second"' 2>/dev/null' || fail "a second Glosix kept running"
wait $second || fail "the second Glosix ended with an error"
[ "$(glosix_pids)" = "$first" ] || fail "the first Glosix did not stay"
[ "$(glosix_windows | wc -l)" -eq 1 ] || fail "more than one Glosix window after a second start"

# 4. Closed by hand (Esc in its window), it is started again by the next double-click.
xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.3
xdotool key Escape   # to the focused window, through the keyboard itself
wait_for 10 no_glosix || fail "Glosix did not end on Esc"
grep -q '^GlosixDlgSize=' "$home/Config.INI" || fail "Glosix did not keep its rectangle in Config.INI"
before=$(shown_count "${words[2]}")
click $word_x "$(row_y 2)"
xdotool click --repeat 2 --delay 80 1; sleep 0.5
wait_for 10 eval '[ "$(shown_count "${words[2]}")" -gt '"$before"' ]' || fail "Glosix was not started again after it was closed"
wait_for 5 has_window || fail "no Glosix window after the restart"
again=$(glosix_pids)
[ -n "$again" ] && [ "$again" != "$first" ] || fail "expected a new Glosix process"

# 5. Logout or kill: SIGTERM ends Glosix as its close does, keeping its rectangle.
sed -i '/^GlosixDlgSize=/d' "$home/Config.INI"
kill -TERM $again
wait_for 10 no_glosix || fail "Glosix did not end on SIGTERM"
grep -q '^GlosixDlgSize=' "$home/Config.INI" || fail "Glosix did not keep its rectangle when ended by SIGTERM"

# 6. Without Glosix's executable, a double-click changes nothing visible.
rm -f "$tmp/bin/Glosix"
click $word_x "$(row_y 4)"                       # selected first: the selection is not the change looked for
rest 1.5
xdotool search --onlyvisible --name '.' 2>/dev/null | sort >"$tmp/windows-before"
import -window root "$tmp/before.png"
xdotool mousemove $((wx + word_x)) $((wy + $(row_y 4)))
xdotool click --repeat 2 --delay 80 1
rest 2.5                                         # longer than Lexora could wait for a start
xdotool search --onlyvisible --name '.' 2>/dev/null | sort >"$tmp/windows-after"
import -window root "$tmp/after.png"
kill -0 $lexora_pid 2>/dev/null || fail "Lexora ended when Glosix was missing"
cmp -s "$tmp/windows-before" "$tmp/windows-after" || fail "a window appeared or went when Glosix was missing"
diff_px=$(compare -metric AE "$tmp/before.png" "$tmp/after.png" /dev/null 2>&1 | cut -d' ' -f1)
[ "${diff_px:-1}" = 0 ] || { cp "$tmp/after.png" "$out/glosix_e2e_missing_after.png"; fail "the screen changed ($diff_px pixels) when Glosix was missing"; }
no_glosix || fail "a Glosix runs although its executable is gone"

echo "PASS: Glosix end to end with the $dictionary dictionary (screenshots in $out)"
