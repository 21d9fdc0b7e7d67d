#!/usr/bin/env bash
# End to end: 学习统计 opened and closed with Esc; 今日复习 opened from the 练习 menu of the real Lexora, its spelling button pressed
# with its key (Alt+S), the set-up 拼写 started with Enter and the 听写 run closed at once; Esc
# closes the dialog; then the program quits through its menu. The sample Book was reviewed long ago, so every entry is due
# and the run takes the first 100.
#   today_review_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin today_review_e2e xdotool openbox import
e2e_display 301 360
e2e_sample_home "$bin" "$samplebook" "$src" 150
due=$("$lexbook" due "$home/Book/English" --degree spelling | wc -l)
[ "$due" -eq 150 ] || fail "lexbook due counts $due entries due for spelling, not 150"

e2e_start_lexora "$lexora"
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.3; }
study_x=125 study_y=45 file_x=205 file_y=45 practice_x=365 practice_y=45

click $study_x $study_y
# 练习 → 学习统计, the last item (Up from the top wraps to it): the window opens, Esc closes it.
click $practice_x $practice_y
key Up Return
e2e_wait_window '^学习统计$' >/dev/null || fail "no 学习统计 window"
sleep 1
import -window root "$out/today_review_e2e_statistics.png"
key Escape
e2e_window_gone '^学习统计$' || fail "Esc did not close 学习统计"
# 练习 → 今日复习, the item before it.
click $practice_x $practice_y
key Up Up Return
e2e_wait_window '^今日复习$' >/dev/null || fail "no 今日复习 dialog"
sleep 0.5
import -window root "$out/today_review_e2e.png"
key alt+s                                          # 听写(&S)
e2e_wait_window '^拼写$' >/dev/null || fail "the spelling button did not open the set-up 拼写"
e2e_window_gone '^今日复习$' || fail "the 今日复习 dialog stays open"
import -window root "$out/today_review_e2e_setup.png"
key Return                                         # 开始
pw=$(e2e_wait_window '^单词拼写') || fail "no 听写 run"
sleep 0.5
import -window root "$out/today_review_e2e_run.png"
# The run window's own close button (Esc never closes it), hovered first as a mouse does; the
# first click may only activate the window.
eval "$(xdotool getwindowgeometry --shell "$pw")"
for _ in 1 2 3; do
  xdotool mousemove $((X + WIDTH - 35)) $((Y + 10)); sleep 0.3
  xdotool mousemove $((X + WIDTH - 32)) $((Y + 10)); sleep 0.3
  xdotool click 1; sleep 1
  [ -z "$(xdotool search --onlyvisible --name '^单词拼写' 2>/dev/null)" ] && break
done
e2e_window_gone '^单词拼写' || fail "the run did not end on its close button"
e2e_wait_window '^Tessaly$' >/dev/null || fail "the outer window did not come back"
sleep 0.5

# Esc closes the dialog and starts nothing.
click $practice_x $practice_y
key Up Up Return
e2e_wait_window '^今日复习$' >/dev/null || fail "no 今日复习 dialog the second time"
key Escape
e2e_window_gone '^今日复习$' || fail "Esc did not close 今日复习"
[ -z "$(xdotool search --onlyvisible --name '^拼写$' 2>/dev/null)" ] || fail "Esc started a practice"

# Quit without saving (退出(不保存), fifth in 文件).
click $file_x $file_y
for _ in 1 2 3 4 5; do key Down; done
key Return
for _ in $(seq 50); do kill -0 $lexora_pid 2>/dev/null || break; sleep 0.2; done
kill -0 $lexora_pid 2>/dev/null && fail "Lexora did not end through its menu"
wait $lexora_pid
echo "PASS: 今日复习 end to end (screenshots in $out)"
