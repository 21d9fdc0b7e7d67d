#!/usr/bin/env bash
# End to end: the learning record of real runs. A 初记 run over a 10-word Book answered to its end
# (the first answer wrong), then `lexbook log`, read while Lexora still runs, shows each answer of
# the run once and in order. A second run is killed with SIGKILL after some answers; after that
# `lexbook log` holds every answer given before the kill, `lexbook check` finds the Book sound, and
# a restarted Lexora opens it without a word (no message box), shows the record in 学习统计 and
# quits with a save.
#
# Which answer button is right comes from the practice window's trace (LEXORA_PRACTICE_TRACE).
#   record_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin record_e2e xdotool openbox import python3
e2e_logs=("$tmp/trace.txt" "$tmp/lexora.log")
e2e_display 371 430
e2e_sample_home "$bin" "$samplebook" "$src" 10
# 正确停顿 off: a right answer gives way to the next question at the next tick.
printf '[PracticeTool]\nState=0101010101010006\n' >>"$home/Config.INI"
export LEXORA_PRACTICE_TRACE=$tmp/trace.txt

click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.25; }
active_is() { [[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" =~ $1 ]]; }
# The trace of the present run only (each run numbers its questions from 1).
since=0
traced() { tail -n +$((since + 1)) "$tmp/trace.txt" 2>/dev/null | grep -qE "$1"; }
practice_x=365 file_x=205 menu_y=45

# 初记 over every row, two loops; then answers with the number pad (Num Lock on: pad-4 is the
# upper button, pad-1 the lower), each key twice since the first press may only show the
# choices. `run STOP`: answers until the run ends, or STOP answers of this run were given.
start_run() {
  since=$(cat "$tmp/trace.txt" 2>/dev/null | wc -l)
  key ctrl+a
  click $practice_x $menu_y
  key Down Return
  wait_for 10 active_is '^初记$' || fail "no practice set-up"
  key Tab Tab Tab Up                                 # 循环次数: 3 → 2
  key Return                                         # 开始
  wait_for 10 active_is '^单词初记' || fail "no practice window"
}
run() {
  local stop=$1 given=0 n=0 line slot want
  while :; do
    wait_for 15 traced "^(question	$((n + 1))	|message	)" || fail "neither question $((n + 1)) nor the end came"
    traced "^question	$((n + 1))	" || return 0
    n=$((n + 1))
    line=$(tail -n +$((since + 1)) "$tmp/trace.txt" | grep -E "^question	$n	")
    slot=$(cut -f3 <<<"$line")
    want=right
    [ $n = 1 ] && want=wrong
    if { [ "$slot" = 0 ] && [ $want = right ]; } || { [ "$slot" = 1 ] && [ $want = wrong ]; }; then
      xdotool key KP_Left KP_Left
    else
      xdotool key KP_End KP_End
    fi
    wait_for 5 traced "^answer	$n	" || fail "question $n took no answer"
    given=$((given + 1))
    [ "$given" = "$stop" ] && return 0
    [ $n -ge 200 ] && fail "the run did not end after $n questions"
  done
}

e2e_start_lexora "$lexora" "$home"
sleep 1
click 125 45; sleep 0.5; click 125 45                # "学习": the word-book page (again is no harm)
xdotool key Num_Lock
start_run
run 0
traced '^message	已完成$' || fail "the run ended without 已完成"
wait_for 10 active_is '^Lexora$' || fail "no 已完成 message"
key Return
wait_for 10 traced '^end	accepted$' || fail "the run did not end"
first=$(grep -c '^answer' "$tmp/trace.txt")

# Each answer of the run once, in order, beside the running writer.
check_log() {   # $1: how many answers of the trace the log must hold
  "$lexbook" log "$home/Book/English" >"$tmp/log.jsonl" || fail "lexbook log cannot read the record"
  python3 - "$tmp/trace.txt" "$tmp/log.jsonl" "$1" <<'PY' || fail "the record does not hold each answer once"
import json, sys
trace = [l.rstrip('\n').split('\t') for l in open(sys.argv[1], encoding='utf-8')]
# Question numbers start again with each run: pair each answer with the question just before it.
want, word = [], None
for t in trace:
    if t[0] == 'question':
        word = t[3]
    elif t[0] == 'answer':
        want.append((word, t[2]))
want = want[:int(sys.argv[3])]
log = [json.loads(l) for l in open(sys.argv[2], encoding='utf-8')]
got = [(a['word'], 'right' if a['outcome'] == 'right' else 'wrong') for a in log if a['kind'] == 'answer']
if got != want:
    print(f"  not so: {len(got)} recorded answers for the trace's {len(want)}")
    for w, g in zip(want + [None] * len(got), got + [None] * len(want)):
        if w != g:
            print("   ", w, g)
    sys.exit(1)
print(f"record: {len(got)} answers, each once")
PY
}
check_log "$first"

# The second run, killed after five answers.
start_run
run 5
sleep 0.3
kill -KILL "$lexora_pid"
wait "$lexora_pid" 2>/dev/null
given=$(grep -c '^answer' "$tmp/trace.txt")
[ "$given" -eq $((first + 5)) ] || fail "$given answers in the trace, not $((first + 5))"
check_log "$given"
"$lexbook" check "$home/Book/English" >"$tmp/check.txt" 2>&1 || { cat "$tmp/check.txt"; fail "the Book is not sound after the kill"; }

# A restart opens the Book without a message and quits with a save; the record is as it was.
e2e_window_gone '^(Tessaly|单词初记.*)$' || fail "the killed program's windows stay"
sleep 1
e2e_start_lexora "$lexora" "$home"
sleep 1
active_is '^Lexora$' && fail "a message box at the restart"
sleep 1
click 125 45; sleep 0.5; click 125 45
# The first row's word, hovered: its tip tells the recall of recognition, which the runs trained.
xdotool mousemove $((wx + 90)) $((wy + 130)); sleep 0.3; xdotool mousemove $((wx + 92)) $((wy + 131)); sleep 1
import -window root "$out/record_e2e_tip.png"
# 练习 → 学习统计 (the last item): the charts of the record the two runs made.
click $practice_x $menu_y
key Up Return
e2e_wait_window '^学习统计$' >/dev/null || fail "no 学习统计 window"
sleep 1.5
import -window root "$out/record_e2e_statistics.png"
key Escape
e2e_window_gone '^学习统计$' || fail "Esc did not close 学习统计"
click $file_x $menu_y
key Down Down Down Down Return                       # 退出
for _ in $(seq 50); do kill -0 "$lexora_pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$lexora_pid" 2>/dev/null && fail "Lexora did not end through its menu"
"$lexbook" check "$home/Book/English" >"$tmp/check.txt" 2>&1 || { cat "$tmp/check.txt"; fail "the Book is not sound after the save"; }
check_log "$given"
echo "PASS: the learning record end to end ($first answers in a whole run, 5 before a kill)"
