#!/usr/bin/env bash
# End to end: the real Lexora ended by the signals a desktop sends at logout. After a grade and a
# review stamp, SIGTERM, SIGHUP, two SIGTERMs at once, and a SIGTERM while a question box is open
# must each save the Book and write Config.INI as "退出" does, and end with status 0; with the Book
# folder gone, a whole copy is kept in the recovery folder instead.
#   lexora_signals_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin lexora_signals_e2e xdotool openbox python3
e2e_kill=KILL   # a Lexora that ignores TERM must not outlive the test

e2e_display 91 160
home=$tmp/home

start_lexora() {
  : >"$tmp/lexora.log"
  e2e_start_lexora "$lexora" "$home"
}
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "${3:-1}"; sleep 0.4; }
key() { xdotool key "$@"; sleep 0.25; }

# Row 1 gets recognition +1 and a review stamp; it is the focused row.
grade_a_word() {
  click 125 45       # "学习"
  key Down
  key KP_4
  key space
}

# ends_cleanly WHAT: Lexora ended by itself with status 0 within 10 s.
ends_cleanly() {
  local status
  for _ in $(seq 50); do kill -0 $lexora_pid 2>/dev/null || break; sleep 0.2; done
  kill -0 $lexora_pid 2>/dev/null && fail "$1: Lexora is still running"
  wait $lexora_pid
  status=$?
  [ $status -eq 0 ] || fail "$1: Lexora ended with status $status"
}

# saved WHAT: the grade, the stamp and the settings are on disk, and the Book is whole.
saved() {
  "$lexbook" check "$home/Book/English" >/dev/null || fail "$1: the Book is not clean after the save"
  "$lexbook" dump "$home/Book/English" >"$tmp/after.jsonl" || fail "$1: cannot read the saved Book"
  python3 - "$tmp/before.jsonl" "$tmp/after.jsonl" "$home/Config.INI" <<'PY' || fail "$1: the work was not saved"
import json, sys, datetime
before = [json.loads(l) for l in open(sys.argv[1], encoding='utf-8')]
after = [json.loads(l) for l in open(sys.argv[2], encoding='utf-8')]
ini = open(sys.argv[3], encoding='utf-8-sig').read()
now = datetime.datetime.now()
problems = []
if len(after) != len(before):
    problems.append(f"{len(after)} entries, expected {len(before)}")
else:
    b, a = before[1], after[1]
    if a['recognition'] != min(b['recognition'] + 1, 10):
        problems.append(f"recognition of row 1 is {a['recognition']}, expected {b['recognition'] + 1}")
    if a['review'][:3] != [now.year % 16, now.month, now.day]:
        problems.append(f"review of row 1 not stamped today: {a['review']}")
    for i, (b, a) in enumerate(zip(before, after)):
        if i != 1 and a != b:
            problems.append(f"entry {i} changed")
for k in ('LexoraDlgSize=', 'IsForbidWinStick=', 'BookName=English', '[MAINLISTCTRL]', 'FocusedItem=1',
          'ColumnWidth='):
    if k not in ini:
        problems.append("Config.INI lacks " + k)
for p in problems:
    print("  not so:", p)
sys.exit(1 if problems else 0)
PY
}

fresh_home() {
  rm -rf "$home"
  e2e_sample_home "$bin" "$samplebook" "$src" 60 "$home"
  "$lexbook" dump "$home/Book/English" >"$tmp/before.jsonl" || fail "cannot read the sample Book"
}

for sig in TERM HUP; do
  fresh_home
  start_lexora
  grade_a_word
  kill -$sig $lexora_pid
  ends_cleanly "SIG$sig"
  grep -q "SIG$sig received, saving and ending" "$tmp/lexora.log" || fail "SIG$sig: not reported on stderr"
  saved "SIG$sig"
  echo "ok: SIG$sig saves and ends"
done

# Two at once: the second must not cut the save short.
fresh_home
start_lexora
grade_a_word
kill -TERM $lexora_pid; kill -TERM $lexora_pid
ends_cleanly "two SIGTERMs"
saved "two SIGTERMs"
echo "ok: two SIGTERMs in quick succession"

# The second one as soon as the first is being handled.
fresh_home
start_lexora
grade_a_word
kill -TERM $lexora_pid
for _ in $(seq 500); do grep -q "received, saving" "$tmp/lexora.log" && break; sleep 0.01; done
kill -TERM $lexora_pid 2>/dev/null
ends_cleanly "a SIGTERM during the shutdown"
saved "a SIGTERM during the shutdown"
echo "ok: a SIGTERM during the shutdown"

# A question box open (the delete confirmation of row 1): the grade is saved, nothing is deleted.
fresh_home
start_lexora
grade_a_word
key Delete
sleep 0.5
[ "$(xdotool search --onlyvisible --pid $lexora_pid 2>/dev/null | wc -l)" -ge 2 ] || fail "no question box opened"
kill -TERM $lexora_pid
ends_cleanly "SIGTERM with a question box open"
saved "SIGTERM with a question box open"
echo "ok: SIGTERM with a question box open"

# The Book folder removed while Lexora runs: SIGTERM asks nothing, the Book goes whole to a new
# folder under $XDG_DATA_HOME/lexora/recovered, and the next start says where.
fresh_home
export XDG_DATA_HOME=$tmp/data
start_lexora
grade_a_word
mv "$home/Book" "$tmp/Book.away"
kill -TERM $lexora_pid
ends_cleanly "SIGTERM with the Book folder gone"
copies=("$XDG_DATA_HOME"/lexora/recovered/*/English.idx)
[ ${#copies[@]} -eq 1 ] && [ -f "${copies[0]}" ] || fail "no recovery copy: ${copies[*]}"
mkdir -p "$home/Book" && cp "${copies[0]}" "${copies[0]%.idx}.txt" "$home/Book/" || fail "cannot copy the recovery copy"
saved "the recovery copy"
start_lexora
notice=
for _ in $(seq 25); do
  [ "$(xdotool search --onlyvisible --pid $lexora_pid 2>/dev/null | wc -l)" -ge 2 ] && { notice=yes; break; }
  sleep 0.2
done
[ -n "$notice" ] || fail "the next start did not say where the copy is"
kill -TERM $lexora_pid
ends_cleanly "the start after the recovery"
echo "ok: SIGTERM with the Book folder gone keeps a whole copy and the next start tells"

echo "PASS: Lexora ends on SIGTERM and SIGHUP as through its menu"
