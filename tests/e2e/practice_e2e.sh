#!/usr/bin/env bash
# End to end: a word list imported through the 导入 dialog, a 初记 run over the imported rows
# answered with number-pad keys until it ends (two answers wrong on purpose), the list sorted by
# temporary strangeness and its top rows exported as Unicode style 3; then the saved Book is read
# back with lexbook.
#   practice_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
for tool in xdotool openbox import convert python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (apt-get install xdotool openbox imagemagick)"; exit 1; }
done

tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; import -window root "$out/practice_e2e_fail.png" 2>/dev/null; [ -f "$tmp/lexora.log" ] && { echo "--- Lexora's output"; cat "$tmp/lexora.log"; }; exit 1; }

# A free display of our own.
display=
for n in $(seq 161 230); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
  xpid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; kill -0 $xpid 2>/dev/null || break; sleep 0.1; done
  if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 $xpid 2>/dev/null; then display=":$n"; pids+=($xpid); break; fi
  kill $xpid 2>/dev/null; wait $xpid 2>/dev/null
done
[ -n "$display" ] || fail "no free display for Xvfb"
export DISPLAY=$display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
openbox >"$tmp/openbox.log" 2>&1 &
pids+=($!)
sleep 1
export XDG_RUNTIME_DIR=$tmp/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

home=$tmp/home
mkdir -p "$home"
[ -d "$bin/data" ] && cp -r "$bin/data/." "$home/" 2>/dev/null
rm -rf "$home/CMakeFiles" "$home/cmake_install.cmake"
mkdir -p "$home/Book" "$home/Voice" "$home/Dict"
"$samplebook" "$src/data/dict/words.tsv" "$home/Book/English" --count 60 >/dev/null || fail "cannot make the sample Book"
printf '[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=./Voice/\nBookPath=./Book/\nBookName=English\n' >"$home/Config.INI"
"$lexbook" dump "$home/Book/English" >"$tmp/before.jsonl" || fail "cannot read the sample Book"

# Twelve words the dictionary does not know: they come in without explanation, so in the run
# the right answer is the empty button (every sample row has an explanation).
words=(zqa zqbb zqccc zqdddd zqeeeee zqffffff zqggggggg zqhhhhhhhh zqiiiiiiiii zqjjjjjjjjjj zqkkkkkkkkkkk zqllllllllllll)
: >"$tmp/list.txt"
for w in "${words[@]}"; do printf '%s\r\n' "$w" >>"$tmp/list.txt"; done

(cd "$tmp" && exec "$lexora" --home "$home") >>"$tmp/lexora.log" 2>&1 &
lexora_pid=$!
pids+=($lexora_pid)
wid=
for _ in $(seq 100); do
  wid=$(xdotool search --name '^Tessaly$' 2>/dev/null | head -1)
  [ -n "$wid" ] && break
  kill -0 $lexora_pid 2>/dev/null || fail "Lexora ended at start"
  sleep 0.2
done
[ -n "$wid" ] || fail "no window titled Tessaly"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")"
wx=$X wy=$Y
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.25; }
wait_window() {   # $1: title pattern; prints the id
  local id=
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
outer_visible() { [ -n "$(xdotool search --onlyvisible --name '^Tessaly$' 2>/dev/null)" ]; }
study_x=125 study_y=45 file_x=205 file_y=45 practice_x=365 practice_y=45 temp_header_x=382 header_y=112
row_y() { echo $((132 + 20 * $1)); }

click $study_x $study_y

# 文件 → 导入: 打开文件 (the focused button) opens the chooser; the path is typed there.
click $file_x $file_y
key Down Return
dlg=$(wait_window '^导入文件$') || fail "no import dialog"
key Return
sleep 1.5
xdotool type --delay 20 "$tmp/list.txt"
key Return
sleep 1
key Tab space             # 导入
sleep 1
key Return                # "导入完成，导入单词数:12"
key Escape                # 关闭
sleep 0.5

# 练习 → 初记 over the twelve new rows, which the import left selected.
click $practice_x $practice_y
key Down Return
wait_window '^初记$' >/dev/null || fail "no practice set-up"
key Return                # 开始
pw=$(wait_window '^单词初记') || fail "no practice window"
outer_visible && fail "the outer window stays visible during the run"
import -window root "$out/practice_e2e_learn.png"
xdotool mousemove --window "$pw" 190 318 click 1   # 正确停顿 off: a right answer moves on at the next tick
sleep 0.3

# Which answer buttons show text, and whether a red cross is shown.
shot() {   # the practice window's pixels, cut from the screen (it has no frame of the window manager)
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$pw" 2>/dev/null)"
  import -window root "$tmp/root.png" 2>/dev/null
  convert "$tmp/root.png" -crop "${WIDTH:-1}x${HEIGHT:-1}+${X:-0}+${Y:-0}" +repage "$tmp/pw.png" 2>/dev/null
}
has_text() {   # $1: y offset of the button's inside
  local m
  m=$(convert "$tmp/pw.png" -crop 360x44+40+"$1" +repage -colorspace gray -threshold 50% -format '%[fx:mean]' info: 2>/dev/null)
  python3 -c "import sys; sys.exit(0 if float('${m:-1}') < 0.997 else 1)"
}
has_cross() {
  local m
  m=$(convert "$tmp/pw.png" -crop 424x140+7+152 +repage -fx '(r>0.7&&g<0.35&&b<0.35)' -format '%[fx:mean]' info: 2>/dev/null)
  python3 -c "import sys; sys.exit(0 if float('${m:-0}') > 0.002 else 1)"
}
slot0_y=165 slot1_y=235
questions=0 wrong=0 finished=
while [ $questions -lt 200 ]; do
  xdotool search --onlyvisible --name '^单词初记' >/dev/null 2>&1 || { finished=1; break; }
  shot
  if ! has_text $slot0_y && ! has_text $slot1_y; then
    key KP_4            # the first press only shows the choices
    shot
  fi
  t0=1 t1=1
  has_text $slot0_y || t0=0
  has_text $slot1_y || t1=0
  if [ $wrong -lt 2 ]; then want=wrong; else want=right; fi
  if [ $t0 -eq 0 ] && [ $t1 -eq 1 ]; then right=KP_4 bad=KP_1; else right=KP_1 bad=KP_4; fi
  if [ $want = wrong ]; then key $bad; else key $right; fi
  questions=$((questions + 1))
  shot
  if has_cross; then wrong=$((wrong + 1)); fi
  # Wait for the next question (both buttons empty) or the end of the run.
  cleared=
  for _ in $(seq 40); do
    sleep 0.25
    xdotool search --onlyvisible --name '^单词初记' >/dev/null 2>&1 || break
    shot
    if ! has_text $slot0_y && ! has_text $slot1_y; then cleared=1; break; fi
  done
  if [ -z "$cleared" ]; then
    key Return          # "已完成"
    sleep 1
  fi
done
[ -n "$finished" ] || fail "the run did not end after $questions questions"
[ $wrong -ge 2 ] || fail "only $wrong wrong answers were seen"
sleep 1
outer_visible || fail "the outer window did not come back after the run"
echo "run: $questions questions, $wrong wrong"
import -window root "$out/practice_e2e_after.png"

# The list sorted by temporary strangeness, highest first: the two wrong words lead; they are
# exported as Unicode style 3.
click $temp_header_x $header_y
click $temp_header_x $header_y
click 200 "$(row_y 0)"
xdotool keydown shift; click 200 "$(row_y 1)"; xdotool keyup shift
click $file_x $file_y
key Down Down Return
dlg=$(wait_window '^导出文件$') || fail "no export dialog"
key Return                # 打开文件: the save chooser takes a new name
sleep 1.5
xdotool type --delay 20 "$tmp/out.txt"
key Return
sleep 1
key Tab Tab Tab Tab space # 导出Unicode
xdotool mousemove --window "$dlg" 12 299 click 1   # 样式三
sleep 0.3
xdotool mousemove --window "$dlg" 411 18 click 1   # 导出
sleep 1
key Return                # "导出完成，导出单词数:2"
key Escape
sleep 0.5

# Quit with saving.
click $file_x $file_y
for _ in 1 2 3 4; do key Down; done
key Return
for _ in $(seq 50); do kill -0 $lexora_pid 2>/dev/null || break; sleep 0.2; done
kill -0 $lexora_pid 2>/dev/null && fail "Lexora did not end through its menu"
wait $lexora_pid

"$lexbook" dump "$home/Book/English" >"$tmp/after.jsonl" || fail "cannot read the saved Book"
python3 - "$tmp/before.jsonl" "$tmp/after.jsonl" "$tmp/out.txt" "${words[@]}" <<'PY' || fail "the saved Book or the export is not as expected"
import json, sys, datetime
before = {e['word']: e for e in map(json.loads, open(sys.argv[1], encoding='utf-8'))}
after = [json.loads(l) for l in open(sys.argv[2], encoding='utf-8')]
out = open(sys.argv[3], 'rb').read()
words = sys.argv[4:]
ok = True
def check(cond, what):
    global ok
    if not cond:
        ok = False
        print("  not so:", what)
now = datetime.datetime.now()
today = [now.year % 16, now.month, now.day]
check(len(after) == len(before) + len(words), f"{len(after)} entries: the sample and the imported words")
seen = set()
for a in after:
    w = a['word']
    seen.add(w)
    if w in words:
        check(a['review'][:3] == today, f"{w}: practised today ({a['review']})")
        check((a['recognition'], a['spelling'], a['listening']) == (10, 10, 10), f"{w}: degrees as imported")
    else:
        b = before.get(w)
        check(b is not None, f"{w} was in the sample")
        if b:
            for k in ('recognition', 'spelling', 'listening', 'review', 'added'):
                check(a[k] == b[k], f"{w} {k} unchanged: {a[k]} (was {b[k]})")
check(set(words) <= seen, "every imported word is in the Book")
check(out[:2] == b'\xff\xfe', "the export starts with FF FE")
text = out[2:].decode('utf-16-le')
plus = [l[1:] for l in text.split('\r\n') if l.startswith('+')]
check(len(plus) == 2 and all(w in words for w in plus), f"the two rows of highest temporary strangeness are practised words: {plus}")
sys.exit(0 if ok else 1)
PY
echo "PASS: practice end to end (screenshots in $out)"
