#!/usr/bin/env bash
# End to end: the real Lexora on a display of its own, a temporary program folder with a sample
# Book, keys and clicks as a learner gives them, the quit through the menu; then the Book and
# Config.INI are read back, and a second start must end while the first one stays.
#   lexora_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin lexora_e2e xdotool openbox import python3
e2e_display 91 160

# The program folder: the built sample folder (dictionary, ...), with a Book made here so that
# its values are known, and a Config.INI that asks nothing.
e2e_sample_home "$bin" "$samplebook" "$src" 60
"$lexbook" dump "$home/Book/English" >"$tmp/before.jsonl" || fail "cannot read the sample Book"

start_lexora() { e2e_start_lexora "$lexora" "$home"; }
# Positions inside the window, from its top-left corner (template and font dependent).
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.25; }
row_y() { echo $((132 + 20 * $1)); }
study_x=125 study_y=45 file_x=205 file_y=45
spelling_x=443 listening_x=473
quit_from_menu() {   # $1: how many items down ("退出" is 4, "退出(不保存)" 5)
  click $file_x $file_y
  for _ in $(seq "$1"); do key Down; done
  key Return
  for _ in $(seq 50); do kill -0 $lexora_pid 2>/dev/null || break; sleep 0.2; done
  kill -0 $lexora_pid 2>/dev/null && fail "Lexora did not end through its menu"
  wait $lexora_pid
}

start_lexora
import -window root "$out/lexora_e2e_start.png"
click $study_x $study_y                          # "学习"
key Down                                         # row 1 (abandon) becomes the focused row
key KP_4                                         # recognition +1
key space                                        # review time stamped (and spoken)
click $spelling_x "$(row_y 3)"                   # row 3 (able): spelling +1
click $listening_x "$(row_y 2)" 3                # row 2 (ability), right button: listening -1;
                                                 # it is the focused row at the end
import -window root "$out/lexora_e2e.png"
quit_from_menu 4

"$lexbook" dump "$home/Book/English" >"$tmp/after.jsonl" || fail "cannot read the saved Book"
python3 - "$tmp/before.jsonl" "$tmp/after.jsonl" "$home/Config.INI" <<'PY' || fail "the saved Book or Config.INI is not as expected"
import json, sys, datetime
before = [json.loads(l) for l in open(sys.argv[1], encoding='utf-8')]
after = [json.loads(l) for l in open(sys.argv[2], encoding='utf-8')]
ini = open(sys.argv[3], encoding='utf-8').read()
ok = True
def check(cond, what):
    global ok
    if not cond:
        ok = False
        print("  not so:", what)
check(len(before) == len(after) == 60, "60 entries before and after")
now = datetime.datetime.now()
for i, (b, a) in enumerate(zip(before, after)):
    exp = dict(b)
    if i == 1:
        exp['recognition'] = min(b['recognition'] + 1, 10)
    if i == 3:
        exp['spelling'] = min(b['spelling'] + 1, 10)
    if i == 2:
        exp['listening'] = max(b['listening'] - 1, 0)
    for k in ('word', 'recognition', 'spelling', 'listening', 'added', 'textStart', 'textEnd'):
        check(a[k] == exp[k], f"entry {i} {k}: {a[k]} (expected {exp[k]})")
    if i == 1:
        check(a['review'][:3] == [now.year % 16, now.month, now.day], f"entry 1 review stamped today: {a['review']}")
    else:
        check(a['review'] == b['review'], f"entry {i} review unchanged")
# The clicks must have changed something real in the sample values.
check(before[1]['recognition'] < 10 and before[3]['spelling'] < 10 and before[2]['listening'] > 0,
      "the sample Book leaves room for the changes")
for key in ('IsFist=0', 'LexoraDlgSize=', 'IsForbidWinStick=1', 'VoicePath=', 'BookPath=./Book/',
            'BookName=English', 'IsCase=0', 'IsDisableTTS=1', '[MAINLISTCTRL]', 'FocusedItem=2',
            'BackGroundColor=', 'FontSize=0', 'ColumnWidth='):
    check(key in ini, "Config.INI holds " + key)
sys.exit(0 if ok else 1)
PY

# One copy only: a second start ends at once and the first one stays.
start_lexora
first_pid=$lexora_pid
(cd "$tmp" && exec "$lexora" --home "$home") >>"$tmp/lexora.log" 2>&1 &
second=$!
pids+=($second)
ended=
for _ in $(seq 50); do kill -0 $second 2>/dev/null || { ended=1; break; }; sleep 0.2; done
[ -n "$ended" ] || fail "a second Lexora kept running"
wait $second || fail "the second Lexora ended with an error"
kill -0 $first_pid 2>/dev/null || fail "the first Lexora ended when the second was started"
[ "$(xdotool search --name '^Tessaly$' | wc -l)" -eq 1 ] || fail "more than one Tessaly window"

# "退出(不保存)" after a change leaves the Book as it was.
cp "$home/Book/English.idx" "$tmp/saved.idx"
click $study_x $study_y
key Down
key KP_4
quit_from_menu 5
cmp -s "$home/Book/English.idx" "$tmp/saved.idx" || fail "\"退出(不保存)\" changed the Book"
# Editing through the dialogs: two words added (one that the dictionary knows), one modified, one
# found with Ctrl+F and deleted through the confirmation, a second Book made, three rows copied
# into it and the switch to it; after the quit both Books are read back.
edit_x=285 edit_y=45 copy_x=258 copy_y=166
# Counted from the bottom: "撤销" and "重做" at the top are skipped by the arrow keys while greyed out.
edit_menu() {   # $1: how many items up ("添加项" 12, "修改项" 11, "移动&复制到组" 8, "新建&切换组" 3)
  click $edit_x $edit_y
  for _ in $(seq "$1"); do key Up; done
  key Return
  sleep 0.6
}
known=$(sed -n '70p' "$src/data/dict/words.tsv" | cut -f1)
"$lexbook" dump "$home/Book/English" >"$tmp/before_edit.jsonl" || fail "cannot read the Book before editing"
start_lexora
click $study_x $study_y
edit_menu 12                                     # the add dialog
xdotool type --delay 60 "$known"; sleep 0.8      # filled from the dictionary while typing
import -window root "$out/lexora_e2e_add.png"
key Return                                       # "添加": the dialog stays open
xdotool type --delay 60 "zzqx"; key Return
key Escape
edit_menu 11                                     # modify the focused row (zzqx)
key shift+Tab; key End; xdotool type "x"         # its phonetic gains an "x"
import -window root "$out/lexora_e2e_modify.png"
key Return
key ctrl+f                                       # the find window, from the list
xdotool type --delay 60 "才能"; key Return       # searches the explanations: "ability"
import -window root "$out/lexora_e2e_find.png"
key Escape
key Delete; sleep 0.4                            # the confirmation dialog
import -window root "$out/lexora_e2e_delete.png"
key Return
key ctrl+z; sleep 0.4                            # undone: "ability" is back, 重做 can be used
click $edit_x $edit_y
import -window root "$out/lexora_e2e_undo_menu.png"
key Escape
key ctrl+y; sleep 0.4                            # deleted again
edit_menu 3                                      # groups: a new Book "Second"
xdotool type --delay 60 "Second"; key Tab; key space
import -window root "$out/lexora_e2e_groups.png"
key Escape
key ctrl+Home shift+Down shift+Down              # the first three rows
edit_menu 8
click $copy_x $copy_y                            # "复制"
import -window root "$out/lexora_e2e_copy.png"
key Return
edit_menu 3; key Return                          # switch to "Second", saving "English"
import -window root "$out/lexora_e2e_switched.png"
quit_from_menu 4

for b in English Second; do
  "$lexbook" check "$home/Book/$b" >"$tmp/check_$b.txt" || fail "lexbook check $b: $(cat "$tmp/check_$b.txt")"
  "$lexbook" dump "$home/Book/$b" >"$tmp/after_$b.jsonl" || fail "cannot read $b"
done
python3 - "$tmp/before_edit.jsonl" "$tmp/after_English.jsonl" "$tmp/after_Second.jsonl" "$home/Config.INI" "$known" <<'PY' || fail "the edited Books are not as expected"
import json, sys
load = lambda p: [json.loads(l) for l in open(p, encoding='utf-8')]
before, english, second = load(sys.argv[1]), load(sys.argv[2]), load(sys.argv[3])
ini = open(sys.argv[4], encoding='utf-8').read()
known = sys.argv[5]
ok = True
def check(cond, what):
    global ok
    if not cond:
        ok = False
        print("  not so:", what)
words = [e['word'] for e in before]
check(known not in words, f"{known} is not in the sample Book yet")
expected = [w for w in words if w != 'ability'] + [known, 'zzqx']
check([e['word'] for e in english] == expected, f"English holds {[e['word'] for e in english][-4:]} at its end")
added = {e['word']: e for e in english}
k = added.get(known, {})
check(k.get('phonetic') and k.get('explanation'), f"{known} got phonetic and explanation from the dictionary: {k}")
z = added.get('zzqx', {})
check(z.get('phonetic', '').endswith('x') and z.get('phonetic') == k.get('phonetic', '') + 'x', f"zzqx modified: {z}")
check(english[-1]['seq'] == len(english) - 1, "consecutive numbers")
check([e['word'] for e in second] == expected[:3], f"Second holds the three copied rows: {[e['word'] for e in second]}")
for a, b in zip(second, english[:3]):
    for f in ('explanation', 'phonetic', 'recognition', 'spelling', 'listening', 'review', 'added'):
        check(a[f] == b[f], f"copied {a['word']} {f}")
check('BookName=Second' in ini, "Config.INI names the Book switched to")
sys.exit(0 if ok else 1)
PY
echo "PASS: Lexora end to end (screenshots in $out)"
