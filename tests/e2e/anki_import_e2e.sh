#!/usr/bin/env bash
# End to end: an Anki package (made here with lexbook export from a Book of four words) imported
# through the 导入 dialog with the keyboard: the chooser, the format chosen by the extension, the
# table preview, the field map changed (explanation and comment swapped), 导入; the new rows seen
# in the list and in the saved Book; then 撤销 (Ctrl+Z) and the saved Book is the sample again.
#   anki_import_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin anki_import_e2e xdotool openbox import python3
e2e_display 231 260
e2e_sample_home "$bin" "$samplebook" "$src" 20
"$lexbook" dump "$home/Book/English" >"$tmp/before.jsonl" || fail "cannot read the sample Book"

# The package: four notes with a phonetic, an explanation and a comment each.
printf '#columns:Word\tPhonetic\tExplanation\tComment\n' >"$tmp/deck.tsv"
printf 'zqapple\tˈæpl\tn.苹果\tfruit\nzqpear\tpeə\tn.梨\ttree\nzqplum\tplʌm\tn.李子\tpurple\nzqfig\tfɪɡ\tn.无花果\tsweet\n' >>"$tmp/deck.tsv"
"$lexbook" import "$tmp/Deck/Deck" "$tmp/deck.tsv" >/dev/null || fail "cannot make the source Book"
"$lexbook" export "$tmp/Deck/Deck" "$tmp/deck.apkg" >/dev/null || fail "lexbook cannot write the package"

e2e_start_lexora "$lexora" "$home"
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.25; }
active_is() { [[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" =~ $1 ]]; }
answer_message() { wait_for 10 active_is '^Lexora$' || fail "no message box for $1"; key Return; }
file_x=205 menu_y=45
menu() {   # $1 items down the 文件 menu: 导入 1, 保存 3, 退出 4
  click $file_x $menu_y
  for _ in $(seq "$1"); do xdotool key Down; done
  key Return
}
saved() {   # $1: the dump of the saved Book goes here
  menu 3
  sleep 1
  "$lexbook" dump "$home/Book/English" >"$1" || fail "cannot read the saved Book"
}

# "学习": the word-book page. A click while the web page still comes up can be lost, so the
# menu is tried again once.
click 125 45
menu 1
if ! wait_for 10 active_is '^导入文件$'; then
  click 125 45
  menu 1
  wait_for 10 active_is '^导入文件$' || fail "no import dialog"
fi
key Return                                     # 打开文件
wait_for 10 active_is '^(Open|打开)$' || fail "no file chooser"
key ctrl+a
xdotool type --delay 10 "$tmp/deck.apkg"
key Return
wait_for 10 active_is '^导入文件$' || fail "the file chooser did not close"
sleep 0.5
import -window root "$out/anki_import_e2e_preview.png"
# The field map by its labels' keys: 解释 (Alt+E) takes the field after the guessed one (Comment),
# 注释 (Alt+C) the one before it (Explanation).
key alt+e Down                                 # 解释 ← Comment
key alt+c Up                                   # 注释 ← Explanation
sleep 0.3
import -window root "$out/anki_import_e2e_mapped.png"
for _ in $(seq 7); do xdotool key Tab; done    # 类名, 跳过词库中已有的单词, the three strangeness lists, 打开文件, 导入
key space                                      # 导入
answer_message "the import"                    # "导入完成，导入单词数:4"
key Escape
wait_for 10 active_is '^Tessaly$' || fail "the import dialog did not close"
sleep 0.5
import -window root "$out/anki_import_e2e_rows.png"

saved "$tmp/imported.jsonl"
key ctrl+z                                     # 撤销: the import goes as one step
sleep 0.5
import -window root "$out/anki_import_e2e_undone.png"
saved "$tmp/undone.jsonl"
menu 4
wait_for 10 bash -c "! kill -0 $lexora_pid 2>/dev/null" || fail "Lexora did not end through its menu"
wait $lexora_pid

python3 - "$tmp/before.jsonl" "$tmp/imported.jsonl" "$tmp/undone.jsonl" <<'PY' || fail "the saved Books are not as expected"
import json, sys
before, imported, undone = ([json.loads(l) for l in open(p, encoding='utf-8')] for p in sys.argv[1:4])
ok = True
def check(cond, what):
    global ok
    if not cond:
        ok = False
        print("  not so:", what)
new = imported[len(before):]
check([e['word'] for e in imported[:len(before)]] == [e['word'] for e in before], "the sample rows stay first")
check([e['word'] for e in new] == ['zqapple', 'zqpear', 'zqplum', 'zqfig'], f"the notes came in: {[e['word'] for e in new]}")
want = {'zqapple': ('ˈæpl', 'fruit', 'n.苹果'), 'zqpear': ('peə', 'tree', 'n.梨'),
        'zqplum': ('plʌm', 'purple', 'n.李子'), 'zqfig': ('fɪɡ', 'sweet', 'n.无花果')}
for e in new:
    got = (e['phonetic'], e['explanation'], e['comment'])
    check(got == want.get(e['word']), f"{e['word']}: phonetic, explanation, comment as mapped: {got}")
key = lambda e: {k: v for k, v in e.items() if k not in ('textStart', 'textEnd')}
check([key(e) for e in undone] == [key(e) for e in before], "after the undo the Book is the sample again")
sys.exit(0 if ok else 1)
PY
echo "PASS: anki_import_e2e"
