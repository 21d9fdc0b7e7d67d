#!/usr/bin/env bash
# End to end: a word list imported through the 导入 dialog, a 初记 run from the 练习 menu over the
# imported rows (and three rows the Book had before, so that new review times show) answered with
# the number pad until it ends, in turn with Num Lock on (the digits 4 and 1) and off (pad-Up,
# pad-Down and pad-Enter choose and answer, pad-End is 不知道), two answers wrong on purpose; the whole list then narrowed with
# the strangeness filter to the rows of temporary strangeness above 0, which must be the two wrong
# words, and those exported as Unicode style 3; a look at the practice window in the other three
# modes; then the saved Book is read back with lexbook, and its learning record holds each answer once.
#
# Which answer button is right comes from the practice window's trace (LEXORA_PRACTICE_TRACE, one
# line per question with the right slot), not from the screen.
#   practice_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6
started=$(date +%s)

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin practice_e2e xdotool openbox import python3
e2e_logs=("$tmp/trace.txt" "$tmp/lexora.log")
e2e_display 161 230
e2e_sample_home "$bin" "$samplebook" "$src" 60
# The learner switched 正确停顿 off in an earlier run (the seven option bytes and their checksum):
# a right answer then gives way to the next question at the next tick.
printf '[PracticeTool]\nState=0101010101010006\n' >>"$home/Config.INI"
"$lexbook" dump "$home/Book/English" >"$tmp/before.jsonl" || fail "cannot read the sample Book"
export LEXORA_PRACTICE_TRACE=$tmp/trace.txt

# Twelve words the dictionary does not know: they come in without explanation.
words=(zqa zqbb zqccc zqdddd zqeeeee zqffffff zqggggggg zqhhhhhhhh zqiiiiiiiii zqjjjjjjjjjj zqkkkkkkkkkkk zqllllllllllll)
: >"$tmp/list.txt"
for w in "${words[@]}"; do printf '%s\r\n' "$w" >>"$tmp/list.txt"; done

e2e_start_lexora "$lexora" "$home"
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.25; }
visible() { [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]; }
active_is() { [[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" =~ $1 ]]; }
outer_visible() { visible '^Tessaly$'; }
traced() { grep -qE "$1" "$tmp/trace.txt" 2>/dev/null; }
# The message box (captioned with the program's name) is answered with Enter.
answer_message() { wait_for 10 active_is '^Lexora$' || fail "no message box for $1"; key Return; }
file_x=205 practice_x=365 menu_y=45
menu() {   # $1 x of the tool-bar menu, $2 how many items down
  click "$1" $menu_y
  for _ in $(seq "$2"); do xdotool key Down; done
  key Return
}

click 125 45                                   # "学习": the word-book page

# 文件 → 导入: 打开文件 (the focused button) opens the chooser, where the path is typed.
menu $file_x 1
wait_for 10 active_is '^导入文件$' || fail "no import dialog"
key Return
wait_for 10 active_is '^(Open|打开)$' || fail "no file chooser"
key ctrl+a
xdotool type --delay 10 "$tmp/list.txt"
key Return
wait_for 10 active_is '^导入文件$' || fail "the file chooser did not close"
key Tab space                                  # 导入
answer_message "the import"                    # "导入完成，导入单词数:12"
key Escape                                     # 关闭
wait_for 10 active_is '^Tessaly$' || fail "the import dialog did not close"
import -window root "$out/practice_e2e_imported.png"

# The import left its rows selected with the first one current. Three rows above are taken in
# too: rows 58 to 72.
for _ in 1 2 3; do xdotool key Up; done
for _ in $(seq 14); do xdotool key shift+Down; done
sleep 0.3

# 练习 → 初记, two loops.
menu $practice_x 1
wait_for 10 active_is '^初记$' || fail "no practice set-up"
key Tab Tab Tab Up                             # 循环次数: 3 → 2
key Return                                     # 开始
run_started=$(date +%s)
wait_for 10 traced '^question	1	' || fail "the run did not start"
wait_for 10 active_is '^单词初记' || fail "no practice window"
outer_visible && fail "the outer window stays visible during the run"

# Every question answered with the number pad, its state set with the Num Lock key (off on a new
# display). The same pad keys are pressed in both states (xdotool names them by their Num-Lock-off
# keysyms, which need no modifier, so the X server's lock state decides what they send):
# - odd questions, Num Lock on: pad-4 (KP_Left) is the upper button, pad-1 (KP_End) the lower one;
#   each key is pressed twice, since the first press may only show the choices, and once a
#   question is answered the window takes no other answer to it (at most the second press shows
#   the next question's choices);
# - even questions, Num Lock off: pad-Down or pad-Up moves the focus to the other button when it
#   is not on the right one (a run starts on the upper button, and an answer leaves the focus on
#   the right button of its question), pad-Enter presses the focused button (twice, as above),
#   and pad-End is 不知道 (pressed until the choices show).
# The first two questions (two different words) are answered wrongly, the rest rightly.
numlock=off focus=0
set_numlock() { [ "$numlock" = "$1" ] || { xdotool key Num_Lock; numlock=$1; sleep 0.1; }; }
n=0 wrong_words=()
while :; do
  next=$((n + 1))
  wait_for 15 traced "^(question	$next	|message	|end	)" || fail "neither question $next nor the end came"
  traced "^question	$next	" || break
  n=$next
  line=$(grep -E "^question	$n	" "$tmp/trace.txt")
  slot=$(cut -f3 <<<"$line") word=$(cut -f4 <<<"$line")
  want=right
  if [ $n -le 2 ] && [[ ! " ${wrong_words[*]-} " =~ " $word " ]]; then want=wrong; fi
  if [ $((n % 2)) = 1 ]; then
    set_numlock on
    if [ "$slot" = 0 ]; then right=KP_Left bad=KP_End; else right=KP_End bad=KP_Left; fi
    [ $want = wrong ] && press=$bad || press=$right
    xdotool key $press $press
  else
    set_numlock off
    if [ $want = wrong ]; then
      for _ in $(seq 8); do xdotool key KP_End; sleep 0.5; traced "^answer	$n	" && break; done
    else
      if [ "$slot" != $focus ]; then
        [ $((n % 4)) = 0 ] && xdotool key KP_Up || xdotool key KP_Down
      fi
      xdotool key KP_Enter KP_Enter
    fi
  fi
  wait_for 5 traced "^answer	$n	" || fail "question $n ($word) took no answer"
  traced "^answer	$n	$want\$" || fail "question $n ($word) was not judged $want"
  focus=$slot
  [ $want = wrong ] && wrong_words+=("$word")
  if [ $n = 1 ]; then
    outer_visible && fail "the outer window came back during the run"
    import -window root "$out/practice_learn.png"   # both choices and the cross
  fi
  [ $n -ge 100 ] && fail "the run did not end after $n questions"
done
traced '^message	已完成$' || fail "the run ended without 已完成"
answer_message "已完成"
wait_for 10 traced '^end	accepted$' || fail "the run did not end"
wait_for 10 outer_visible || fail "the outer window did not come back after the run"
[ ${#wrong_words[@]} = 2 ] || fail "wrong answers: ${wrong_words[*]-}"
echo "run: $n questions in $(( $(date +%s) - run_started )) s, wrong: ${wrong_words[*]}"
import -window root "$out/practice_e2e_after.png"

# The whole list narrowed to the rows whose temporary strangeness is above 0 (the pop-up menu's
# last item, 陌生度选择过虑: "大于" "0"), and those exported as Unicode style 3.
key ctrl+a
key Menu
key Up Return
wait_for 10 active_is '^临时陌生度过虑$' || fail "no strangeness filter"
key Down Return                                # 等于 → 大于, 确定
wait_for 10 active_is '^Tessaly$' || fail "the strangeness filter did not close"
menu $file_x 2
wait_for 10 active_is '^导出文件$' || fail "no export dialog"
key Return                                     # 打开文件: the save chooser takes a new name
wait_for 10 active_is '^(Save As|另存为)$' || fail "no save chooser"
key ctrl+a
xdotool type --delay 10 "$tmp/out.txt"
key Return
wait_for 10 active_is '^导出文件$' || fail "the save chooser did not close"
key Tab Tab Tab Tab space                      # 导出Unicode
key Tab Tab Down Down                          # 样式三
for _ in $(seq 7); do xdotool key shift+Tab; done
key space                                      # 导出
answer_message "the export"                    # "导出完成，导出单词数:2"
key Escape
wait_for 10 active_is '^Tessaly$' || fail "the export dialog did not close"

# The practice window in the other modes, over the whole list: each run paused at once after its
# screenshot (no time-out answers for the learner) and shut with the close button.
key ctrl+a
look() {   # $1 items down the 练习 menu, $2 set-up title, $3 window title, $4 screenshot name, $5... keys
  local down=$1 setup=$2 title=$3 name=$4 questions X Y WIDTH HEIGHT SCREEN WINDOW
  shift 4
  questions=$(grep -c '^question' "$tmp/trace.txt")
  menu $practice_x "$down"
  wait_for 10 active_is "^$setup\$" || fail "no $setup set-up"
  key Return
  wait_for 10 active_is "^$title" || fail "no $title window"
  [ $# -gt 0 ] && key "$@"
  sleep 0.5
  import -window root "$out/$name.png"
  key Pause
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name "^$title" | head -1)")"
  xdotool mousemove $((X + WIDTH - 32)) $((Y + 9)); sleep 0.3; xdotool click 1
  wait_for 10 outer_visible || fail "the $title window did not close"
  [ "$(grep -c '^question' "$tmp/trace.txt")" -gt "$questions" ] || fail "no question in $title"
  sleep 0.3
}
look 2 强记 单词强记 practice_drill KP_4         # the first press shows the choices
look 3 听辨 单词听辩 practice_listen KP_4
look 4 拼写 单词拼写 practice_dictate a b       # typed into the word box

# Quit with saving.
menu $file_x 4
wait_for 10 bash -c "! kill -0 $lexora_pid 2>/dev/null" || fail "Lexora did not end through its menu"
wait $lexora_pid

"$lexbook" dump "$home/Book/English" >"$tmp/after.jsonl" || fail "cannot read the saved Book"
python3 - "$tmp/before.jsonl" "$tmp/after.jsonl" "$tmp/out.txt" "$tmp/trace.txt" "${wrong_words[*]}" "${words[@]}" <<'PY' \
  || fail "the saved Book or the export is not as expected"
import json, sys, datetime
before = [json.loads(l) for l in open(sys.argv[1], encoding='utf-8')]
after = [json.loads(l) for l in open(sys.argv[2], encoding='utf-8')]
out = open(sys.argv[3], 'rb').read()
trace = [l.rstrip('\n').split('\t') for l in open(sys.argv[4], encoding='utf-8')]
wrong = set(sys.argv[5].split())
words = sys.argv[6:]
ok = True
def check(cond, what):
    global ok
    if not cond:
        ok = False
        print("  not so:", what)
now = datetime.datetime.now()
today = [now.year % 16, now.month, now.day]
check(len(after) == len(before) + len(words), f"{len(after)} entries: the sample and the imported words")
check([a['word'] for a in after] == [b['word'] for b in before] + words, "the imported words follow the sample")
# The first run: every question up to the first "end" line.
first = trace[:next(i for i, t in enumerate(trace) if t[0] == 'end') + 1]
asked = {t[3] for t in first if t[0] == 'question'}
practised = {b['word'] for b in before[57:60]} | set(words)
check(asked == practised, f"the run asked rows 58 to 72: {sorted(asked ^ practised)} differ")
later = [t for t in trace[len(first):] if t[0] not in ('question', 'end')]
check(not later, f"the later runs were left before any answer: {later}")
for i, a in enumerate(after):
    w = a['word']
    if i >= len(before):
        check((a['recognition'], a['spelling'], a['listening']) == (10, 10, 10), f"{w}: degrees as imported")
        check(a['review'][:3] == today and a['review'] >= a['added'], f"{w}: practised today ({a['review']})")
        continue
    b = before[i]
    for k in ('recognition', 'spelling', 'listening', 'added', 'textStart', 'textEnd'):
        check(a[k] == b[k], f"{w} {k} unchanged: {a[k]} (was {b[k]})")
    if w in practised:
        check(a['review'] != b['review'] and a['review'][:3] == today, f"{w}: new review time ({a['review']})")
    else:
        check(a['review'] == b['review'], f"{w}: review time unchanged")
check(out[:2] == b'\xff\xfe', "the export starts with FF FE")
text = out[2:].decode('utf-16-le')
plus = {l[1:] for l in text.split('\r\n') if l.startswith('+')}
check(plus == wrong, f"exactly the wrongly answered words have a temporary strangeness above 0: {sorted(plus)}")
sys.exit(0 if ok else 1)
PY
# The learning record beside the Book: each answer of the run once, in order, with its word and
# outcome (the trace judges 不知道 wrong), all of 初记.
"$lexbook" log "$home/Book/English" >"$tmp/log.jsonl" || fail "cannot read the learning record"
python3 - "$tmp/trace.txt" "$tmp/log.jsonl" <<'PY' || fail "the learning record does not hold each answer once"
import json, sys
trace = [l.rstrip('\n').split('\t') for l in open(sys.argv[1], encoding='utf-8')]
first = trace[:next(i for i, t in enumerate(trace) if t[0] == 'end') + 1]
asked = {t[1]: t[3] for t in first if t[0] == 'question'}
want = [(asked[t[1]], t[2]) for t in first if t[0] == 'answer']
log = [json.loads(l) for l in open(sys.argv[2], encoding='utf-8')]
answers = [a for a in log if a['kind'] == 'answer']
got = [(a['word'], 'right' if a['outcome'] == 'right' else 'wrong') for a in answers]
if got != want or {a['mode'] for a in answers} != {'learn'}:
    print(f"  not so: {len(got)} recorded answers match the trace's {len(want)}")
    for w, g in zip(want + [None] * len(got), got + [None] * len(want)):
        if w != g:
            print("   ", w, g)
    sys.exit(1)
print(f"record: {len(got)} answers, one per answer of the run")
PY
echo "PASS: practice end to end in $(( $(date +%s) - started )) s (screenshots in $out)"
