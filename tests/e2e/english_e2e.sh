#!/usr/bin/env bash
# End to end, over the sample dictionary and a small WordNet made here (LEXORA_WORDNET_PATH, never
# the machine's): Glosix looks up "ability" and shows its WordNet senses with their example and
# synonyms under the entry (its text pane read through the clipboard); in Lexora a 填空 run over
# the Book is answered by keys to its end, once wrongly and otherwise with the exact word, and the
# learning record holds those answers as 填空's; 从文章取词 opens a subtitle file, hides the words of
# the Book and those the learner's vocabulary test says he knows, the first two words are ticked
# and added with their sentences, and 撤销 takes both out again (each checked in the saved Book).
#   english_e2e.sh LEXORA GLOSIX LEXBOOK SAMPLEBOOK WORDNETMAKER SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 glosix=$2 lexbook=$3 samplebook=$4 wordnet_maker=$5 src=$6 bin=$7 out=$8
started=$(date +%s)

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin english_e2e xdotool openbox import python3 xclip
e2e_logs=("$tmp/run.log" "$tmp/trace.txt" "$tmp/lexora.log")
e2e_display 461 500
export QT_LOGGING_RULES="lexora.glosix.info=true"
e2e_sample_home "$bin" "$samplebook" "$src" 12
book=$home/Book/English
"$wordnet_maker" "$tmp/wn" || fail "cannot write the WordNet files"
export LEXORA_WORDNET_PATH=$tmp/wn
# Glosix's window where its text pane is known; 正确停顿 off (a right answer gives way to the next
# question at the next tick); a vocabulary test taken: the 100 most frequent words are known,
# up to "student", frequency rank 157 in the sample dictionary.
python3 - "$home/Config.INI" <<'PY'
import struct, sys
b = struct.pack('<4i', 640, 60, 1160, 460)
open(sys.argv[1], 'a').write('GlosixDlgSize=' + b.hex().upper() + '%02X' % (sum(b) % 256) + '\n'
                             '[PracticeTool]\nState=0101010101010006\n'
                             '[PLAN]\nVocabularyWords=100\nVocabularyLow=80\nVocabularyHigh=120\nVocabularyPool=595\n')
PY
export LEXORA_PRACTICE_TRACE=$tmp/trace.txt
key() { xdotool key "$@"; sleep 0.25; }
active_is() { [[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" =~ $1 ]]; }
active_is_not() { local name; name=$(xdotool getactivewindow getwindowname 2>/dev/null) && [[ ! "$name" =~ $1 ]]; }

# 1. Glosix: "ability" typed, its entry with the WordNet senses under it.
(cd "$tmp" && exec "$glosix" --home "$home") >>"$tmp/run.log" 2>&1 &
glosix_pid=$!
pids+=($glosix_pid)
gwin=
wait_for 15 eval 'gwin=$(xdotool search --onlyvisible --name "^Glosix$" 2>/dev/null | head -1); [ -n "$gwin" ]' \
  || fail "no window titled Glosix"
sleep 0.5
xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.2
xdotool mousemove --window "$gwin" 150 14 click 1; sleep 0.2
xdotool key --window "$gwin" ctrl+a BackSpace
xdotool type --window "$gwin" --delay 40 ability
xdotool key --window "$gwin" Return
wait_for 5 logged 'look-up shown "ability"' || fail "Glosix did not show \"ability\""
sleep 0.5
xdotool mousemove --window "$gwin" 250 200 click 1; sleep 0.2
xdotool key --window "$gwin" ctrl+a ctrl+c; sleep 0.3
xclip -o -selection clipboard >"$tmp/entry.txt" 2>/dev/null
for line in '^ability' '^WordNet$' '^1\. n\. the quality of being able to perform$' '^“the ability to read”$' \
            '^2\. n\. possession of the qualities required to do something$' '^同义词：power$'; do
  grep -q "$line" "$tmp/entry.txt" || { cat "$tmp/entry.txt"; fail "the entry of \"ability\" lacks /$line/"; }
done
xdotool mousemove --window "$gwin" 250 380 click 1; sleep 0.3   # the selection cleared for the picture
import -window root "$out/english_e2e_glosix.png"
kill $glosix_pid; wait $glosix_pid 2>/dev/null
echo "glosix: the senses of \"ability\" shown ($(( $(date +%s) - started )) s)"

# 2. Lexora: 练习 → 填空 over all twelve rows; seven have no example and are left out with a message.
e2e_start_lexora "$lexora" "$home"
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
practice_x=365 file_x=205 menu_y=45
menu() {   # $1 x of the tool-bar menu, $2 how many items down
  click "$1" $menu_y
  for _ in $(seq "$2"); do xdotool key Down; done
  key Return
}
saved() {   # 文件 → 保存, then the saved Book's dump into $1
  menu $file_x 3
  sleep 1
  "$lexbook" dump "$book" >"$1" || fail "cannot read the saved Book"
}
click 125 45; sleep 0.5; click 125 45                # "学习": the word-book page
key ctrl+a
menu $practice_x 5                                   # 填空 (初记 强记 听辩 听写 填空)
wait_for 10 active_is '^填空$' || fail "no 填空 set-up"
key Return                                           # 开始
wait_for 10 active_is '^Lexora$' || fail "no message about the words without an example"
key Return
wait_for 10 active_is '^单词填空' || fail "no 填空 window"
# Answers as the trace asks: the first question wrongly, then the blank again (or, should a message
# come first, that answered) with the exact word; every later one with the exact word.
read_from=1 n=0 word= wrong_given=0 retyped=0 lines=0
type_answer() { xdotool type --delay 30 "$1"; sleep 0.1; xdotool key Return; }
for _ in $(seq 200); do
  lines=$(wc -l <"$tmp/trace.txt" 2>/dev/null || echo 0)
  if [ "$lines" -ge "$read_from" ]; then
    line=$(sed -n "${read_from}p" "$tmp/trace.txt")
    read_from=$((read_from + 1))
    case $line in
      question*)
        n=$(cut -f2 <<<"$line") word=$(cut -f4 <<<"$line") retyped=0
        [ $n = 1 ] && sleep 0.5 && import -window root "$out/english_e2e_cloze.png"
        if [ $wrong_given = 0 ]; then type_answer qqq; wrong_given=1; else type_answer "$word"; fi ;;
      message*)
        wait_for 5 active_is_not '^单词填空' || fail "no box for \"$line\""
        sleep 0.2; key Return ;;
      end*) break ;;
    esac
    continue
  fi
  # Nothing new: after the wrong answer the same blank waits, with the explanation as its hint.
  if [ $wrong_given = 1 ] && [ $retyped = 0 ] && [ $n = 1 ] && active_is '^单词填空'; then
    sleep 1
    [ "$(wc -l <"$tmp/trace.txt")" -ge "$read_from" ] && continue
    import -window root "$out/english_e2e_cloze_hint.png"
    type_answer "$word"; retyped=1
  fi
  sleep 0.3
done
grep -q '^message	已完成$' "$tmp/trace.txt" || fail "the 填空 run ended without 已完成"
wait_for 10 active_is '^Tessaly$' || fail "the outer window did not come back after 填空"
questions=$(grep -c '^question' "$tmp/trace.txt")
echo "cloze: $questions questions ($(( $(date +%s) - started )) s)"
"$lexbook" log "$book" >"$tmp/log.jsonl" || fail "cannot read the learning record"
python3 - "$tmp/log.jsonl" <<'PY' || fail "the learning record does not hold the 填空 answers"
import json, sys
answers = [a for a in map(json.loads, open(sys.argv[1], encoding='utf-8')) if a['kind'] == 'answer']
cloze = [a for a in answers if a['mode'] == 'cloze']
words = {a['word'] for a in cloze}
wrong = [a['word'] for a in cloze if a['outcome'] != 'right']
# The first answer wrong, every other right (the word missed comes back later in the run).
ok = len(cloze) == len(answers) and words == {'abandon', 'ability', 'able', 'about', 'absent'}
ok = ok and cloze[0]['outcome'] != 'right' and wrong == [cloze[0]['word']]
print(f"record: {len(cloze)} answers of 填空 over {sorted(words)}, wrong: {wrong}")
sys.exit(0 if ok else 1)
PY

# The tip over the explanation of "about" (several lines) shows its example too.
xdotool mousemove $((wx + 200)) $((wy + 212)); sleep 0.3
xdotool mousemove $((wx + 204)) $((wy + 213)); sleep 0.8
import -window root "$out/english_e2e_tip.png"
xdotool mousemove $((wx + 600)) $((wy + 600)); sleep 0.3

# 3. 从文章取词: the subtitle file opened from the chooser, the first two words ticked and added.
cat >"$tmp/film.srt" <<'SRT'
1
00:00:01,000 --> 00:00:03,500
They abandoned the dog near the water.

2
00:00:04,000 --> 00:00:06,000
Nobody doubted her ability to practice, said Mary.
SRT
"$lexbook" words-from "$tmp/film.srt" --book "$book" --dict "$home/Dict" --wordnet "$tmp/wn" --known-rank 157 \
  >"$tmp/words.jsonl" || fail "lexbook words-from failed"
saved "$tmp/before.jsonl"
menu $practice_x 6                                   # 从文章取词
wait_for 10 active_is '^从文章取词$' || fail "no 从文章取词 window"
key alt+o                                            # 打开文件
wait_for 10 active_is '^(Open|打开)$' || fail "no file chooser"
key ctrl+a
xdotool type --delay 10 "$tmp/film.srt"
key Return
wait_for 10 active_is '^从文章取词$' || fail "the file chooser did not close"
sleep 0.3
key space Down space                                 # the first two words ticked
sleep 0.3
import -window root "$out/english_e2e_words.png"
key alt+a                                            # 加入
wait_for 10 active_is_not '^从文章取词$' || fail "no message after 加入"
key Return
wait_for 10 active_is '^从文章取词$' || fail "the message did not close"
key Escape
wait_for 10 active_is '^Tessaly$' || fail "the 从文章取词 window did not close"
sleep 0.3
import -window root "$out/english_e2e_added.png"
saved "$tmp/added.jsonl"
key ctrl+z                                           # 撤销: both words go as one step
sleep 0.5
saved "$tmp/undone.jsonl"
import -window root "$out/english_e2e_undone.png"
menu $file_x 4                                       # 退出
wait_for 10 bash -c "! kill -0 $lexora_pid 2>/dev/null" || fail "Lexora did not end through its menu"
wait $lexora_pid
python3 - "$tmp/words.jsonl" "$tmp/before.jsonl" "$tmp/added.jsonl" "$tmp/undone.jsonl" <<'PY' \
  || fail "the words taken from the subtitles are not as expected"
import json, sys
listed, before, added, undone = ([json.loads(l) for l in open(p, encoding='utf-8')] for p in sys.argv[1:5])
ok = True
def check(cond, what):
    global ok
    if not cond:
        ok = False
        print("  not so:", what)
shown = [w['word'] for w in listed]
print("listed:", ' '.join(shown))
for hidden in ('abandon', 'ability', 'the', 'they', 'mary'):
    check(hidden not in shown, f"{hidden} is hidden (in the Book, known, or a name)")
check(any(w['rank'] for w in listed) and any(w['exams'] for w in listed), "ranks and exam lists are given")
key = lambda e: (e['word'], e['explanation'], e['comment'])
check([key(e) for e in added[:len(before)]] == [key(e) for e in before], "the Book's rows stay as they were")
new = added[len(before):]
check([e['word'] for e in new] == shown[:2], f"the two ticked words were added: {[e['word'] for e in new]}")
check([e['comment'] for e in new] == [w['sentence'] for w in listed[:2]], "each with its sentence in the comment")
check(all(e['explanation'] for e in new), "each with the dictionary's explanation")
check([key(e) for e in undone] == [key(e) for e in before], "after the undo the Book is as before")
sys.exit(0 if ok else 1)
PY
echo "PASS: English entries, 填空 and 从文章取词 end to end in $(( $(date +%s) - started )) s (screenshots in $out)"
