#!/usr/bin/env bash
# End to end. First without a sound server: every sound goes into a folder as a WAV file
# (LEXORA_SOUND_FOLDER). On the settings page 美音 is chosen and 测试 pressed: the sound is the
# American voice's (byte for byte what `lexbook speak --accent us` writes). 添加 fills in tomato's
# American phonetic; a double-click shows it in Glosix with both accents, and Glosix speaks it in
# the American voice too. Then a 听写 run: a slip of the keys, another English word and the right
# word, graded as such in the messages and in the learning record; F3 climbs the hint ladder.
# Last, Lexora again, now playing through a PulseAudio server of the run's own into a null sink
# (skipped, alone, without PulseAudio): 测试 is heard there, in the American voice.
# The dictionary (with both accents' IPA) and the English words are made here, so nothing the
# machine has installed changes a result.
#   speech_e2e.sh LEXORA GLOSIX LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora_built=$1 glosix_built=$2 lexbook=$3 samplebook=$4 src=$5 bin=$6 out=$7

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin speech_e2e xdotool openbox import python3 cmp
e2e_logs=("$tmp/trace.txt" "$tmp/lexora.log")
e2e_display 421 460
export QT_LOGGING_RULES="lexora.glosix.info=true"
export LEXORA_SOUND_FOLDER=$tmp/sound LEXORA_PRACTICE_TRACE=$tmp/trace.txt
export LEXORA_HUNSPELL_PATH=$tmp/hunspell LEXORA_WORDNET_PATH=$tmp/no-wordnet LEXORA_HYPHEN_PATTERNS=$tmp/hyph_en.dic
mkdir -p "$LEXORA_SOUND_FOLDER" "$LEXORA_HUNSPELL_PATH"
pulse_pid=
e2e_cleanup_more() {
  for p in $(pgrep -f "^$tmp/bin/Glosix" 2>/dev/null); do kill "$p" 2>/dev/null; done
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null
}
# Both programs in a folder of their own: Lexora starts the Glosix beside it.
mkdir -p "$tmp/bin"
cp "$lexora_built" "$tmp/bin/Lexora" && cp "$glosix_built" "$tmp/bin/Glosix" || fail "cannot copy the programs"

# The dictionary: ECDICT's form of a few words and the CMU dictionary's American pronunciations.
e2e_home "$bin"
cat >"$tmp/ecdict.csv" <<'CSV'
word,phonetic,definition,translation,pos,collins,oxford,tag,bnc,frq,exchange,detail,audio
tomato,tә'mɑ:tәu,n. fruit,n. 西红柿,,0,1,,1,1,,,
quiet,'kwaiәt,adj. silent,adj. 安静的,,0,1,,1,1,,,
weather,'weðә,n. the air outside,n. 天气,,0,1,,1,1,,,
dessert,di'zә:t,n. sweet course,n. 甜点,,0,1,,1,1,,,
accept,әk'sept,v. take,v. 接受,,0,1,,1,1,,,
affect,ә'fekt,v. act on,v. 影响,,0,1,,1,1,,,
loose,lu:s,adj. not tight,adj. 松的,,0,1,,1,1,,,
than,ðæn,conj. compared with,conj. 比,,0,1,,1,1,,,
where,weә,adv. in what place,adv. 在哪里,,0,1,,1,1,,,
advice,әd'vais,n. counsel,n. 建议,,0,1,,1,1,,,
principal,'prinsәpl,adj. main,adj. 主要的,,0,1,,1,1,,,
CSV
cat >"$tmp/cmu.out" <<'CMU'
MNCL
("accept" nil (((ae k) 0) ((s eh p t) 1)))
("advice" nil (((ae d) 0) ((v ay s) 1)))
("affect" nil (((ax) 0) ((f eh k t) 1)))
("dessert" nil (((d ih) 0) ((z er t) 1)))
("loose" nil (((l uw s) 1)))
("principal" nil (((p r ih n) 1) ((s ax) 0) ((p ax l) 0)))
("quiet" nil (((k w ay) 1) ((ax t) 0)))
("than" nil (((dh ae n) 1)))
("tomato" nil (((t ax) 0) ((m ey) 1) ((t ow) 1)))
("weather" nil (((w eh) 1) ((dh er) 0)))
("where" nil (((w eh r) 1)))
CMU
rm -f "$home/Dict/"*
for variant in "" --companion; do                 # Lexora's and Glosix's
  "$lexbook" dict-ecdict "$tmp/ecdict.csv" "$home/Dict" $variant --cmu "$tmp/cmu.out" >"$tmp/dict.log" 2>&1 \
    || { cat "$tmp/dict.log"; fail "cannot build the dictionary ($variant)"; }
done
us=$("$lexbook" ipa tomato --accent us --dict "$home/Dict") || fail "the dictionary has no American tomato"
uk=$("$lexbook" ipa tomato --accent uk --dict "$home/Dict") || fail "the dictionary has no British tomato"
[ "$us" != "$uk" ] || fail "tomato sounds the same in both accents: $us"
# English, as the spelling grade knows it: the words, the words they are confused with, no slips.
printf 'SET UTF-8\n' >"$LEXORA_HUNSPELL_PATH/en_US.aff"
printf '20\ntomato\nquiet\nquite\nweather\nwhether\ndessert\ndesert\naccept\nexcept\naffect\neffect\nloose\nlose\nthan\nthen\nwhere\nwere\nadvice\nadvise\nprincipal\nprinciple\n' \
  >"$LEXORA_HUNSPELL_PATH/en_US.dic"
# Hyphenation patterns that cut a few of them (qui-et, weath-er, prin-ci-pal, ad-vice, ac-cept).
printf 'UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\ni1et\nh1er\nn1ci\ni1pa\nd1vi\nc1ce\n' >"$LEXORA_HYPHEN_PATTERNS"
# The Book: ten words, each with a word it is confused with.
python3 - "$tmp/ecdict.csv" >"$tmp/book.tsv" <<'PY'
import csv, sys
for row in csv.DictReader(open(sys.argv[1], encoding='utf-8')):
    if row['word'] != 'tomato':
        print('%s\t\t%s' % (row['word'], row['translation']))
PY
rm -rf "$home/Book" && mkdir -p "$home/Book"
"$samplebook" "$tmp/book.tsv" "$home/Book/English" >/dev/null || fail "cannot make the Book"
printf '[INIT]\nIsFist=0\nIsDisableTTS=0\nVoicePath=./Voice/\nBookPath=./Book/\nBookName=English\n' >"$home/Config.INI"
# Glosix opens right of Lexora (a checksummed rectangle: 16 bytes in hex, then their sum).
python3 - "$home/Config.INI" <<'PY'
import struct, sys
b = struct.pack('<4i', 760, 80, 1240, 460)
open(sys.argv[1], 'a').write('GlosixDlgSize=' + b.hex().upper() + '%02X' % (sum(b) % 256) + '\n')
PY

started=$(date +%s)
e2e_start_lexora "$tmp/bin/Lexora" "$home"
key() { xdotool key "$@"; sleep 0.3; }
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; sleep 0.5; }
sounds() { ls "$LEXORA_SOUND_FOLDER" | grep -c "^$1-" || true; }
newest() { ls "$LEXORA_SOUND_FOLDER"/"$1"-*.wav 2>/dev/null | sort | tail -1; }
active_is() { [[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" =~ $1 ]]; }
traced() { grep -qF -- "$1" "$tmp/trace.txt" 2>/dev/null; }
click 125 45                                       # 学习: the word-book page

# 1. 编辑 → 设置 (the last item) opens on the TTS page; 美音, then 测试.
click 285 45
key Up Return
sw=$(e2e_wait_window '^属性页$') || fail "no settings window"
sleep 0.5
# The TTS page's controls, from the window's client corner.
accent_x=488 accent_y=175 test_x=485 test_y=44 save_x=398 save_y=324
at() { xdotool mousemove --window "$sw" "$1" "$2" click 1; sleep 0.5; }
at $accent_x $accent_y                             # 口音: 英音 → 美音
key Down Return
sleep 0.5
import -window root "$out/speech_e2e_us.png"
at $test_x $test_y                                 # 测试: the test sentence, in the voice now chosen
wait_for 10 eval '[ "$(sounds Lexora)" -ge 1 ]' || fail "测试 made no sound"
sleep 0.5
"$lexbook" speak "Welcome to use Tessaly." --accent us --out "$tmp/us.wav" || fail "lexbook speak --accent us failed"
"$lexbook" speak "Welcome to use Tessaly." --accent uk --out "$tmp/uk.wav" || fail "lexbook speak --accent uk failed"
heard=$(newest Lexora)
cmp -s "$heard" "$tmp/us.wav" || fail "测试 after 美音 did not speak in the American voice ($(stat -c %s "$heard") bytes, US $(stat -c %s "$tmp/us.wav"), UK $(stat -c %s "$tmp/uk.wav"))"
at $save_x $save_y                                 # 关闭保存
e2e_window_gone '^属性页$' || fail "the settings window stayed"
grep -q '^Accent=US' "$home/Config.INI" || fail "美音 was not kept in Config.INI"

# 2. 编辑 → 添加项: tomato is filled in with its American phonetic.
click 285 45
for _ in $(seq 12); do xdotool key Up; done
key Return
e2e_wait_window '^添加&修改$' >/dev/null || fail "no add dialog"
sleep 0.5
xdotool type --delay 60 tomato; sleep 1
import -window root "$out/speech_e2e_add.png"
key Return                                         # 添加: the dialog stays open
key Escape
e2e_window_gone '^添加&修改$' || fail "the add dialog stayed"

# 3. A double-click on tomato (the last row) starts Glosix with it: both accents, the American
# first; Enter in its input box looks it up again and speaks it, in the American voice.
xdotool mousemove $((wx + 100)) $((wy + 132 + 20 * 10)) click 1; sleep 0.3
xdotool click --repeat 2 --delay 80 1
wait_for 15 grep -q 'word shown "tomato"' "$tmp/lexora.log" || fail "Glosix did not show tomato"
gwin=$(e2e_wait_window '^Glosix$') || fail "no Glosix window"
sleep 1
import -window root "$out/speech_e2e_glosix.png"
xdotool windowactivate --sync "$gwin" 2>/dev/null; sleep 0.3
xdotool mousemove --window "$gwin" 150 14 click 1; sleep 0.2
xdotool key --window "$gwin" Return
wait_for 10 eval '[ "$(sounds Glosix)" -ge 1 ]' || fail "Glosix made no sound"
sleep 0.5
"$lexbook" speak tomato --accent us --out "$tmp/tomato_us.wav" || fail "lexbook speak tomato failed"
cmp -s "$(newest Glosix)" "$tmp/tomato_us.wav" || fail "Glosix did not speak tomato in the American voice"
xdotool key --window "$gwin" Escape
sleep 0.5

# 4. 听写 over the whole Book: a slip of the keys, another word, then every word right.
xdotool windowactivate --sync "$wid" 2>/dev/null; sleep 0.3
xdotool mousemove $((wx + 100)) $((wy + 132)) click 1; sleep 0.3
key ctrl+a
click 365 45                                       # 练习
for _ in 1 2 3 4; do xdotool key Down; done        # 初记 强记 听辩 | 听写
key Return
e2e_wait_window '^拼写$' >/dev/null || fail "no 听写 set-up (拼写)"
key Return                                         # 开始
e2e_wait_window '^单词拼写' >/dev/null || fail "no 听写 run"
sleep 0.8
confused() {
  case $1 in quiet) echo quite;; weather) echo whether;; dessert) echo desert;; accept) echo except;;
    affect) echo effect;; loose) echo lose;; than) echo then;; where) echo were;; advice) echo advise;;
    principal) echo principle;; *) echo "$1";; esac
}
# The run's order is random: the slip comes first; the other word at the first word that has a
# confusable one (tomato has none: answered right meanwhile); every other answer right.
n=0 stage=0
for _ in $(seq 60); do
  traced $'end\t' && break
  q=$(grep -c $'^question\t' "$tmp/trace.txt" 2>/dev/null || true)
  if active_is '^(Wrong|Lexora)$'; then key Return; continue; fi
  if [ "$q" = "$n" ]; then sleep 0.2; continue; fi
  n=$q
  word=$(grep $'^question\t' "$tmp/trace.txt" | tail -1 | cut -f4)
  kind=right answer=$word
  if [ $stage = 0 ]; then
    key F3 F3 F3                                 # the hint ladder's three rungs
    sleep 0.3
    import -window root "$out/speech_e2e_hint.png"
    answer=${word%?}                             # a letter missing: a slip
    [ "$word" = tomato ] && answer=${word:0:3}${word:4}
    kind=typo stage=1
  elif [ $stage = 1 ] && [ "$(confused "$word")" != "$word" ]; then
    answer=$(confused "$word") kind=other stage=2  # another English word
  fi
  xdotool type --delay 30 "$answer"; sleep 0.2
  [ $kind = other ] && import -window root "$out/speech_e2e_other_word.png"
  xdotool key Return; sleep 0.4
  [ $kind != right ] && { wait_for 5 active_is '^Wrong$' || fail "no message after the answer \"$answer\" for \"$word\""; }
  [ $kind = typo ] && import -window root "$out/speech_e2e_typo.png"
  [ $kind = other ] && import -window root "$out/speech_e2e_wrong.png"
done
traced $'end\t' || fail "the 听写 run did not end"
traced '拼写有误，差一点(仍算答错)' || fail "the slip was not graded a typo"
traced '是另一个单词' || fail "the other word was not graded so"
# The first question's three rungs: its first letter, then each syllable's, then every letter's place.
python3 - "$tmp/trace.txt" <<'PY' || fail "the hint ladder did not climb as it should"
import sys
lines = [l.rstrip('\n').split('\t') for l in open(sys.argv[1], encoding='utf-8')]
word = next(l[3] for l in lines if l[0] == 'question')
hints = [l[3] for l in lines if l[0] == 'hint' and l[1] == '1']
assert len(hints) == 3, hints
assert hints[0] == word[0] + '\u2026', hints
letters = hints[2].replace(' \u00b7 ', '')
assert len(letters) == len(word) and letters[0] == word[0] and set(letters[1:]) <= set(word + '_'), (word, hints)
assert hints[1] == ' \u00b7 '.join(s[0] + '\u2026' for s in hints[2].split(' \u00b7 ')), hints
print('hints of %s: %s' % (word, ' | '.join(hints)))
PY
sleep 0.5
kill -TERM $lexora_pid 2>/dev/null                 # ends as 退出 does: the Book is saved
wait $lexora_pid 2>/dev/null
"$lexbook" dump "$home/Book/English" >"$tmp/after.jsonl" || fail "cannot read the Book after the run"
# The Book keeps a phonetic in the phonetic font's codes: təˈmeɪˌtoʊ is tE5meI7toJ (E ə, 5 ˈ, 7 ˌ, J ʊ).
[ "$us" = "təˈmeɪˌtoʊ" ] || fail "the American tomato is $us"
python3 - "$tmp/after.jsonl" <<'PY' || fail "tomato was not added with its American phonetic"
import json, sys
rows = [json.loads(l) for l in open(sys.argv[1], encoding='utf-8')]
t = [r for r in rows if r['word'] == 'tomato']
assert len(t) == 1 and t[0]['phonetic'] == 'tE5meI7toJ', t
PY
"$lexbook" log "$home/Book/English" >"$tmp/log.jsonl" || fail "lexbook log failed"
python3 - "$tmp/log.jsonl" <<'PY' || fail "the learning record does not keep the grades"
import json, sys
answers = [a for a in map(json.loads, open(sys.argv[1], encoding='utf-8')) if a.get('kind') == 'answer']
grades = [a.get('spelling') for a in answers]
missed = [(a.get('spelling'), a['outcome']) for a in answers if a.get('spelling') != 'right']
assert grades[0] == 'typo' and missed == [('typo', 'wrong'), ('other-word', 'wrong')], grades
assert len(grades) >= 12, grades
PY
# 5. The same 测试 once more, now really played: a PulseAudio server of this run's own with a null
# sink, Lexora started again without the sound folder; the sink's monitor, recorded meanwhile, must
# carry the American sentence: not silence, as long as the sound `lexbook speak --accent us` writes
# and, sample for sample, like it rather than the British one.
play_through_pulse() {
  local p dir=$tmp/pulse sock=$tmp/pulse/native
  for p in pulseaudio parec pactl; do
    command -v $p >/dev/null || { echo "SKIP (playback through PulseAudio only): $p is not installed (apt-get install pulseaudio pulseaudio-utils)"; return 0; }
  done
  mkdir -p "$dir/rt" "$dir/state"
  HOME=$dir PULSE_RUNTIME_PATH=$dir/rt PULSE_STATE_PATH=$dir/state PULSE_SERVER= \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes --log-target=stderr \
      "--load=module-null-sink sink_name=lexora_null" \
      "--load=module-native-protocol-unix auth-anonymous=1 socket=$sock" >"$tmp/pulse.log" 2>&1 &
  pulse_pid=$!
  e2e_logs+=("$tmp/pulse.log")
  if ! wait_for 10 eval 'pactl --server="unix:$sock" info >/dev/null 2>&1'; then
    echo "SKIP (playback through PulseAudio only): the server did not come up: $(tail -3 "$tmp/pulse.log")"
    return 0
  fi
  unset LEXORA_SOUND_FOLDER
  export PULSE_SERVER=unix:$sock
  e2e_start_lexora "$tmp/bin/Lexora" "$home" "$tmp/lexora2.log"
  e2e_logs+=("$tmp/lexora2.log")
  click 125 45                                     # 学习, then 编辑 → 设置 as above
  click 285 45
  key Up Return
  sw=$(e2e_wait_window '^属性页$') || fail "no settings window (second run)"
  sleep 0.5
  parec --server="unix:$sock" -d lexora_null.monitor --format=s16le --rate=22050 --channels=1 --raw \
    --latency-msec=50 >"$tmp/heard.raw" 2>"$tmp/parec.log" &
  local rec=$!
  pids+=($rec)
  wait_for 10 eval '[ -n "$(pactl --server="unix:$sock" list short source-outputs 2>/dev/null)" ]' \
    || fail "parec did not start recording: $(cat "$tmp/parec.log")"
  sleep 0.3
  at $test_x $test_y                               # 测试, in the accent kept from the first run
  import -window root "$out/speech_e2e_pulse.png"
  # The sink plays in real time: the sentence's length and some slack.
  sleep "$(python3 -c 'import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes() / w.getframerate() + 2)' "$tmp/us.wav")"
  kill $rec 2>/dev/null; wait $rec 2>/dev/null
  kill -TERM $lexora_pid 2>/dev/null; wait $lexora_pid 2>/dev/null
  python3 - "$tmp/heard.raw" "$tmp/us.wav" "$tmp/uk.wav" <<'PY' || fail "nothing, or not the American sentence, reached the null sink"
import array, math, operator, sys, wave
def loud(s):
    # From the first to the last sample above a fortieth of the peak: the sound without the silence around it.
    peak = max(map(abs, s), default=0)
    at = [i for i, v in enumerate(s) if abs(v) > peak / 40]
    return peak, s[at[0]:at[-1] + 1] if at else s[:0]
def wav(path):
    w = wave.open(path)
    assert w.getsampwidth() == 2 and w.getnchannels() == 1 and w.getframerate() == 22050
    return loud(array.array('h', w.readframes(w.getnframes())))[1]
def corr(a, b, lag):
    # Normalised correlation of a[i] with b[i + lag] where both are.
    a, b = (a[max(0, -lag):], b[max(0, lag):])
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    na, nb = math.sqrt(sum(map(operator.mul, a, a))), math.sqrt(sum(map(operator.mul, b, b)))
    return sum(map(operator.mul, a, b)) / na / nb if na and nb else 0.0
def likeness(a, b):
    # The server resamples on the way, and the onsets may differ (the first milliseconds of a
    # stream): line up the loudness of 20-sample blocks first, then the samples themselves.
    env = lambda s: array.array('d', (sum(map(abs, s[i:i + 20])) for i in range(0, len(s) - 19, 20)))
    ea, eb = env(a), env(b)
    coarse = max(range(-100, 101), key=lambda lag: corr(ea, eb, lag)) * 20
    return max(corr(a, b, coarse + lag) for lag in range(-40, 41))
raw = array.array('h', open(sys.argv[1], 'rb').read())
peak, heard = loud(raw)
us, uk = wav(sys.argv[2]), wav(sys.argv[3])
print('null sink: %d bytes recorded (%.2f s), peak %d (%.1f dBFS), sound %.2f s; lexbook speak: US %.2f s, UK %.2f s'
      % (len(raw) * 2, len(raw) / 22050, peak, 20 * math.log10(max(peak, 1) / 32768),
         len(heard) / 22050, len(us) / 22050, len(uk) / 22050))
assert peak > 1000, 'silence'
assert abs(len(heard) - len(us)) < 0.1 * len(us), 'not as long as the American sentence'
to_us, to_uk = likeness(heard, us), likeness(heard, uk)
print('likeness of what was heard: to the US sound %.3f, to the UK sound %.3f' % (to_us, to_uk))
assert to_us > 0.8 and to_us > to_uk + 0.1, 'not the American voice'
PY
}
play_through_pulse

echo "PASS: speech and spelling end to end in $(( $(date +%s) - started )) s (screenshots in $out)"
