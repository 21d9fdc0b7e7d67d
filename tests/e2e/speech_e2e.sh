#!/usr/bin/env bash
# End to end, without a sound server: every sound goes into a folder as a WAV file
# (LEXORA_SOUND_FOLDER). On the settings page 美音 is chosen and 测试 pressed: the sound is the
# American voice's (byte for byte what `lexbook speak --accent us` writes). 添加 fills in tomato's
# American phonetic; a double-click shows it in Glosix with both accents, and Glosix speaks it in
# the American voice too. Then a 听写 run: a slip of the keys, another English word and the right
# word, graded as such in the messages and in the learning record; F3 climbs the hint ladder.
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
export LEXORA_HUNSPELL_PATH=$tmp/hunspell LEXORA_WORDNET_PATH=$tmp/no-wordnet
mkdir -p "$LEXORA_SOUND_FOLDER" "$LEXORA_HUNSPELL_PATH"
e2e_cleanup_more() { for p in $(pgrep -f "^$tmp/bin/Glosix" 2>/dev/null); do kill "$p" 2>/dev/null; done; }
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
"$lexbook" dict-ecdict "$tmp/ecdict.csv" "$home/Dict" --cmu "$tmp/cmu.out" >"$tmp/dict.log" 2>&1 || { cat "$tmp/dict.log"; fail "cannot build the dictionary"; }
us=$("$lexbook" ipa tomato --accent us --dict "$home/Dict") || fail "the dictionary has no American tomato"
uk=$("$lexbook" ipa tomato --accent uk --dict "$home/Dict") || fail "the dictionary has no British tomato"
[ "$us" != "$uk" ] || fail "tomato sounds the same in both accents: $us"
# English, as the spelling grade knows it: the words, the words they are confused with, no slips.
printf 'SET UTF-8\n' >"$LEXORA_HUNSPELL_PATH/en_US.aff"
printf '20\ntomato\nquiet\nquite\nweather\nwhether\ndessert\ndesert\naccept\nexcept\naffect\neffect\nloose\nlose\nthan\nthen\nwhere\nwere\nadvice\nadvise\nprincipal\nprinciple\n' \
  >"$LEXORA_HUNSPELL_PATH/en_US.dic"
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
eval "$(xdotool getwindowgeometry --shell "$sw")"; sx=$X sy=$Y
du() { echo $(( ($1 * 3 + 1) / 2 )); }             # dialog units to pixels (x 1.5 at the default font)
page_x=$(( $(du 74) + 6 )) page_y=$(( 30 + $(du 3) + 18 ))
import -window root "$out/speech_e2e_settings.png"
