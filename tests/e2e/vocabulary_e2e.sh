#!/usr/bin/env bash
# End to end: 练习 → 词汇量测试 over the sample dictionary's ranked words, answered by keys only
# (twenty claims, the checked ones, at least one, answered with their first meaning, then 不认识
# until the test ends) and its estimate shown; then the zk list with 建组并标记已认识 makes the Book "zk-词汇量"
# and the program switches to it. lexbook dump shows exactly the list's words within the estimate
# (kept in Config.INI) with the low degrees of known words, counted from the dictionary's own
# ranks, and every other word with the default ones.
#   vocabulary_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin vocabulary_e2e xdotool openbox import
e2e_display 441 480
e2e_sample_home "$bin" "$samplebook" "$src" 40
book=$home/Book/zk-词汇量

e2e_start_lexora "$lexora"
key() { xdotool key "$@"; sleep 0.3; }
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; sleep 0.6; }
click 125 45                                       # 学习
click 365 45                                       # 练习
key Up Up Up Up Return                             # 词汇量测试 (above 今日计划, 今日复习, 学习统计)
vd=$(e2e_wait_window '^词汇量测试$') || fail "no 词汇量测试 window"
sleep 0.5
import -window root "$out/vocabulary_e2e_question.png"
# Twenty claims (认识, Alt+Y), each taken before the next key: a claim that is checked shows four
# meanings where its two buttons were (the row of the last meaning is no longer blank), and the
# first meaning (Alt+1) answers it. Then 不认识 (Alt+N) until the end: at most 100 words are asked,
# and a key of a hidden button does nothing. Keys sent faster than these are lost now and then.
shot() { import -window "$vd" "$tmp/now.png" 2>/dev/null; md5sum <"$tmp/now.png"; }
# settle FROM N: waits until the dialog differs from the checksum FROM (empty: any) and then stays
# the same for N looks 0.2 s apart (a change may be painted in more than one step).
settle() {
  local now last=$1 same=0
  for _ in $(seq 150); do
    sleep 0.2
    now=$(shot)
    if [ "$now" = "$last" ] && [ "$now" != "$1" ]; then same=$((same + 1)); else same=0; fi
    [ $same -ge "$2" ] && return 0
    last=$now
  done
  return 1
}
checks=0
for _ in $(seq 20); do
  was=$(shot); xdotool key alt+y
  settle "$was" 1 || fail "认识 took no answer"
  [ "$(convert "$tmp/now.png" -crop 380x14+20+177 +repage -format %k info:)" -gt 1 ] || continue
  checks=$((checks + 1))
  [ $checks -eq 1 ] && import -window root "$out/vocabulary_e2e_check.png"
  was=$(shot); xdotool key alt+1
  settle "$was" 1 || fail "the check took no answer"
done
[ $checks -gt 0 ] || fail "not one of twenty claims was checked"
for _ in $(seq 100); do xdotool key --delay 80 alt+n; done
# The keys are taken in order: the test has ended when the dialog stops changing.
settle "" 8 || fail "the 词汇量测试 dialog never came to rest"
import -window root "$out/vocabulary_e2e_result.png"
# The exam list (zk, the first), then the button beside it.
eval "$(xdotool getwindowgeometry --shell "$vd")"
xdotool mousemove $((X + 45)) $((Y + 253)) click 1; sleep 0.5
key Home Return Tab space                          # zk, 建组并标记已认识
e2e_window_gone '^词汇量测试$' || fail "建组并标记已认识 made no Book (did the test end?)"
[ -f "$book.idx" ] || fail "no Book zk-词汇量 was made"
sleep 1
import -window root "$out/vocabulary_e2e_book.png"
words=$("$lexbook" config "$home/Config.INI" get PLAN VocabularyWords --int 0)
pool=$("$lexbook" config "$home/Config.INI" get PLAN VocabularyPool --int 0)
[ "$pool" -eq "$(awk -F, 'NR > 1 && $6 > 0' "$src/data/dict/wordinfo.csv" | wc -l)" ] \
  || fail "the test's pool holds $pool words, not the dictionary's ranked ones"
[ "$words" -gt 0 ] && [ "$words" -lt "$pool" ] || fail "no estimate inside the pool was kept: $words of $pool"
# The dictionary's own view: the zk words, and those among the $words most frequent words.
awk -F, 'NR > 1 && (" " $4 " ") ~ / zk / { print $1 }' "$src/data/dict/wordinfo.csv" | sort >"$tmp/zk.txt"
awk -F, 'NR > 1 && $6 > 0 { print $6, $1 }' "$src/data/dict/wordinfo.csv" | sort -n | head -n "$words" \
  | awk '{ print $2 }' | sort | comm -12 - "$tmp/zk.txt" >"$tmp/known_expected.txt"
"$lexbook" dump "$book" >"$tmp/book.jsonl" || fail "cannot read the Book made"
sed -n 's/.*"word":"\([^"]*\)".*"recognition":\([0-9]*\),"spelling":\([0-9]*\),"listening":\([0-9]*\).*/\1 \2,\3,\4/p' \
  "$tmp/book.jsonl" >"$tmp/degrees.txt"
awk '{ print $1 }' "$tmp/degrees.txt" | sort | cmp -s - "$tmp/zk.txt" \
  || fail "the Book does not hold the zk list: $(wc -l <"$tmp/degrees.txt") words of $(wc -l <"$tmp/zk.txt")"
awk '$2 == "1,1,1" { print $1 }' "$tmp/degrees.txt" | sort | cmp -s - "$tmp/known_expected.txt" \
  || fail "the words marked known are not the zk words within the estimate $words"
others=$(awk '$2 != "1,1,1" && $2 != "10,10,10"' "$tmp/degrees.txt" | wc -l)
[ "$others" -eq 0 ] || fail "$others words have neither the known nor the default degrees"
known=$(wc -l <"$tmp/known_expected.txt")
kill $lexora_pid 2>/dev/null
wait $lexora_pid 2>/dev/null
echo "PASS: 词汇量测试 by keys, $checks of 20 claims checked, estimate $words of $pool; zk-词汇量 holds $(wc -l <"$tmp/zk.txt") words, $known marked known (screenshots in $out)"
