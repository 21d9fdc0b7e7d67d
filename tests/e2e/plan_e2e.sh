#!/usr/bin/env bash
# End to end, as a new user: Lexora opens on its own start page (made on the machine, nothing
# requested: every process of the run carries net_guard, which logs and refuses each connect and
# name look-up off the machine, and the run fails on any); 编辑 → 从词表新建组 makes a Book of the
# sample dictionary's CET-4 list and switches to it; 练习 → 今日计划 keeps a plan of twelve new
# words a day and comes back with today's words; its start button (Alt+S) opens the set-up 初记
# over them; the run is answered by keys until it ends, then lexbook's streak has today checked in
# and 学习统计 shows it on the calendar.
#   plan_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR NET_GUARD
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6 guard=$7

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin plan_e2e xdotool openbox import
e2e_display 361 420
e2e_sample_home "$bin" "$samplebook" "$src" 40
book=$home/Book/cet4

# From here on every program started carries the network guard.
e2e_net_guard "$guard"
# Which choice is right comes from the practice window's trace, not from the screen.
export LEXORA_PRACTICE_TRACE=$tmp/trace.txt
traced() { grep -qE "$1" "$tmp/trace.txt" 2>/dev/null; }

e2e_start_lexora "$lexora"
key() { xdotool key "$@"; sleep 0.3; }
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; sleep 0.6; }
sleep 2
import -window root "$out/plan_e2e_start_page.png"
# The start page was drawn by the web engine's own processes: each of them carries the guard.
engine=0
for p in $(ps -e -o pid=,ppid= | awk -v root=$lexora_pid '{ parent[$1] = $2 }
           END { for (p in parent) for (q = p; q in parent; q = parent[q]) if (parent[q] == root) { print p; break } }'); do
  [ "$(cat /proc/$p/comm 2>/dev/null)" = QtWebEngineProc ] || continue
  grep -qF "$guard" /proc/$p/maps 2>/dev/null || fail "the web engine's process $p runs without the network guard"
  engine=$((engine + 1))
done
[ $engine -gt 0 ] || fail "no process of the web engine under Lexora"
e2e_nothing_sent "at start"
[ -z "$(xdotool search --onlyvisible --name '^今日计划$' 2>/dev/null)" ] || fail "今日计划 opened for a Book without a plan"
click 125 45                                       # 学习
click 285 45                                       # 编辑
key Up Up Return                                   # 从词表新建组 (above 设置)
e2e_wait_window '^从词表新建组$' >/dev/null || fail "no 从词表新建组 window"
sleep 0.5
key Down Down                                      # zk, gk, cet4
key Tab space                                      # + 并入: the expression and the Book's name are cet4
key shift+Tab
import -window root "$out/plan_e2e_list_book.png"
key Return                                         # 新建并切换
e2e_window_gone '^从词表新建组$' || fail "从词表新建组 did not make the Book"
[ -f "$book.idx" ] || fail "no Book cet4 was made"
"$lexbook" dump "$book" >"$tmp/cet4.jsonl" || fail "cannot read the Book made"
[ "$(wc -l <"$tmp/cet4.jsonl")" -gt 12 ] || fail "the CET-4 Book holds too few words: $(wc -l <"$tmp/cet4.jsonl")"
click 365 45                                       # 练习
key Up Up Up Return                                # 今日计划 (above 今日复习 and 学习统计)
e2e_wait_window '^今日计划$' >/dev/null || fail "no 今日计划 window"
sleep 0.8
key shift+Tab shift+Tab shift+Tab shift+Tab        # from 开始今日学习 back to 每天新词
key ctrl+a
xdotool type --delay 80 12; sleep 0.3
key Tab Tab space                                  # 保存计划: the plan kept, the window comes back
sleep 1.5
pd=$(e2e_wait_window '^今日计划$') || fail "今日计划 did not come back with the plan"
"$lexbook" plan "$book" >"$tmp/plan.json" || fail "lexbook plan failed"
grep -q '"planned":12' "$tmp/plan.json" || fail "the plan does not ask for twelve new words: $(cat "$tmp/plan.json")"
sleep 1
import -window root "$out/plan_e2e_start.png"
key alt+s                                          # 开始今日学习(&S)
e2e_wait_window '^初记$' >/dev/null || fail "the start button did not open the set-up 初记"
import -window root "$out/plan_e2e_setup.png"
key Return                                         # 开始
pw=$(e2e_wait_window '^单词初记') || fail "no 初记 run"
sleep 1
import -window root "$out/plan_e2e_run.png"
# Each question answered rightly from the number pad (Num Lock on: pad-4 is the upper choice,
# pad-1 the lower, pressed twice since the first press may only show the choices), the right one
# named by the run's trace, until lexbook sees all twelve of today's new words answered; a right
# answer pauses the run (正确停顿) until Enter goes on.
xdotool key Num_Lock
done_new=0
for n in $(seq 100); do
  wait_for 15 traced "^question	$n	" || fail "question $n did not come"
  [ "$(grep -E "^question	$n	" "$tmp/trace.txt" | cut -f3)" = 0 ] && k=KP_Left || k=KP_End
  xdotool key $k $k
  wait_for 5 traced "^answer	$n	" || fail "question $n took no answer"
  done_new=$("$lexbook" plan "$book" | sed -n 's/.*"new":{"done":\([0-9]*\).*/\1/p')
  [ "${done_new:-0}" -ge 12 ] && break
  for _ in $(seq 10); do
    wait_for 1 traced "^question	$((n + 1))	" && break
    xdotool key Return
  done
done
[ "${done_new:-0}" -ge 12 ] || fail "today's twelve new words were not all answered ($done_new)"
import -window root "$out/plan_e2e_answered.png"
# The run window's own close button, hovered first as a mouse does.
eval "$(xdotool getwindowgeometry --shell "$pw")"
for _ in 1 2 3; do
  xdotool mousemove $((X + WIDTH - 35)) $((Y + 10)); sleep 0.3
  xdotool mousemove $((X + WIDTH - 32)) $((Y + 10)); sleep 0.3
  xdotool click 1; sleep 1
  [ -z "$(xdotool search --onlyvisible --name '^单词初记' 2>/dev/null)" ] && break
done
e2e_window_gone '^单词初记' || fail "the run did not end on its close button"
e2e_wait_window '^Tessaly$' >/dev/null || fail "the outer window did not come back"
sleep 1
"$lexbook" streak "$book" >"$tmp/streak.json" || fail "lexbook streak failed"
grep -q '"state":"done"' "$tmp/streak.json" || fail "today is not checked in: $(cat "$tmp/streak.json")"
# 学习, then 练习 → 学习统计 (the last item), then its last page, the calendar.
xdotool mousemove $((wx + 125)) $((wy + 45)) click 1; sleep 0.6
import -window root "$out/plan_e2e_status.png"
xdotool mousemove $((wx + 365)) $((wy + 45)) click 1; sleep 0.4
key Up Return
e2e_wait_window '^学习统计$' >/dev/null || fail "no 学习统计 window"
sleep 2
key ctrl+shift+Tab
sleep 1
import -window root "$out/plan_e2e_calendar.png"
key Escape
kill $lexora_pid 2>/dev/null
wait $lexora_pid 2>/dev/null
e2e_nothing_sent "during the run"
echo "PASS: the daily plan end to end ($n questions), $engine processes of the web engine guarded, nothing sent off the machine (screenshots in $out)"
