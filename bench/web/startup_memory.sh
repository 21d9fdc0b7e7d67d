#!/usr/bin/env bash
# Start-up and memory of Lexora with a 100,000-entry Book, with and without the web page's
# browser. Each run starts the real program on an Xvfb display of its own:
#   - "no web page": no update address, so the browser only loads about:blank (the baseline);
#   - "web page": the update address points at a local server on 127.0.0.1, so the browser is
#     made after the first paint and loads the page.
# Reported: time to the visible window, time until the update request reaches the server (the
# browser is up and navigating), and the PSS of all Lexora processes (the program and the web
# engine's helpers) a few seconds after start.
# The window is found by polling xdotool, so the times carry its polling step (tens of ms).
#   startup_memory.sh LEXORA SAMPLEBOOK DICT_FOLDER [RUNS]
set -uo pipefail
lexora=$1 samplebook=$2 dict=$3 runs=${4:-5}
for tool in Xvfb xdotool python3; do command -v $tool >/dev/null || { echo "needs $tool"; exit 77; }; done

tmp=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT

display=
for n in $(seq 231 299); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if [ -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; pids+=($xpid); break; fi
  kill $xpid 2>/dev/null
done
[ -n "$display" ] || { echo "no free display"; exit 1; }
export DISPLAY=$display XDG_RUNTIME_DIR=$tmp/run
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -m 700 "$XDG_RUNTIME_DIR"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"

# The program folder: a 100,000-entry Book made from generated words.
home=$tmp/home
mkdir -p "$home/Book" "$home/Voice" "$home/Dict" "$tmp/site"
cp "$dict"/Dict.idx "$dict"/Dict.dic "$home/Dict/" || { echo "no dictionary in $dict"; exit 1; }
python3 - "$tmp/words.tsv" <<'PY'
import sys, itertools
syl = ["ab","con","de","ex","in","ing","ly","ment","pro","re","sion","ta","ter","tion","un","ver","a","o","i","ble"]
with open(sys.argv[1], "w", encoding="utf-8") as f:
    for n, w in enumerate(itertools.islice((a+b+c+d for a in syl for b in syl for c in syl for d in syl), 100000)):
        f.write(f"{w}{n}\t5iN^liF\tn. 学习；记忆 {n}\n")
PY
"$samplebook" "$tmp/words.tsv" "$home/Book/English" --count 100000 >/dev/null || { echo "samplebook failed"; exit 1; }
printf '[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=./Voice/\nBookPath=./Book/\nBookName=English\n' >"$home/Config.INI"
cp "$home/Config.INI" "$tmp/Config.INI.clean"

echo '<html><body>Lexora is up to date.</body></html>' >"$tmp/site/checkupdate.htm"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -u -m http.server "$port" --bind 127.0.0.1 --directory "$tmp/site" 2>"$tmp/server.log" >/dev/null &
pids+=($!)
sleep 1

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
pss_kb() {   # PSS of a process and all its descendants
  local total=0 p
  for p in $1 $(pgrep -P "$1") $(for c in $(pgrep -P "$1"); do pgrep -P "$c"; done); do
    [ -r "/proc/$p/smaps_rollup" ] || continue
    total=$(( total + $(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup") ))
  done
  echo $total
}

run_once() {   # $1: update base (empty for none); prints "window_ms request_ms pss_kb"
  cp "$tmp/Config.INI.clean" "$home/Config.INI"
  : >"$tmp/server.log"
  local t0 pid wid= tw= tr=-
  t0=$(now_ms)
  LEXORA_UPDATE_BASE=$1 "$lexora" --home "$home" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 400); do
    wid=$(xdotool search --name '^Tessaly$' 2>/dev/null | head -1)
    [ -n "$wid" ] && { tw=$(( $(now_ms) - t0 )); break; }
  done
  if [ -n "$1" ]; then
    for _ in $(seq 4000); do
      grep -q 'GET /checkupdate.htm' "$tmp/server.log" && { tr=$(( $(now_ms) - t0 )); break; }
      sleep 0.005
    done
  fi
  sleep 4   # the page loaded and the engine settled
  local pss
  pss=$(pss_kb $pid)
  kill -9 $pid 2>/dev/null; pkill -9 -P $pid 2>/dev/null; wait $pid 2>/dev/null
  sleep 0.5
  echo "$tw $tr $pss"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

declare -a bw br bp ww wr wp
for i in $(seq "$runs"); do
  read -r a b c < <(run_once "")
  bw+=($a); bp+=($c)
  read -r a b c < <(run_once "http://127.0.0.1:$port")
  ww+=($a); wr+=($b); wp+=($c)
done
mb() { awk -v k="$1" 'BEGIN {printf "%.1f MB", k/1024}'; }
b_w=$(printf '%s\n' "${bw[@]}" | median); w_w=$(printf '%s\n' "${ww[@]}" | median)
w_r=$(printf '%s\n' "${wr[@]}" | median)
b_p=$(printf '%s\n' "${bp[@]}" | median); w_p=$(printf '%s\n' "${wp[@]}" | median)
echo "Lexora start-up with a 100,000-entry Book, median of $runs runs"
echo "  visible window, no web page (baseline):    ${b_w} ms"
echo "  visible window, web page:                  ${w_w} ms  ($(awk -v a=$w_w -v b=$b_w 'BEGIN{printf "%.2f", a/b}') x baseline)"
echo "  update request at the server (engine up):  ${w_r} ms  ($(awk -v a=$w_r -v b=$b_w 'BEGIN{printf "%.2f", a/b}') x baseline)"
echo "  PSS of all Lexora processes, no web page:  $(mb $b_p)"
echo "  PSS of all Lexora processes, page loaded:  $(mb $w_p)  ($(awk -v a=$w_p -v b=$b_p 'BEGIN{printf "%.2f", a/b}') x)"
