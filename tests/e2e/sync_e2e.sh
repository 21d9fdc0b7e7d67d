#!/usr/bin/env bash
# End to end, two machines on one: two Lexora processes (each its own program folder, home, data
# and runtime folder, so that neither joins the other) keep the same Book "English", each with a
# synced folder ([SYNC] of Config.INI) that its own Syncthing instance carries, the two talking
# only over 127.0.0.1 (no discovery, no relays, no NAT). A word added in window A through 添加 by
# keys and saved reaches window B, which merges when its folder changes: B's list shows it, and
# lexbook dump of B's Book holds it; a word added in B and saved there comes back to A the same
# way, and so does a degree changed in A; at the end both Books are equal. Neither Lexora sends anything off the machine (the network guard). Skipped (77) without
# syncthing.
#   sync_e2e.sh LEXORA LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR NET_GUARD
set -uo pipefail

lexora=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6 guard=$7

command -v syncthing >/dev/null || { echo "SKIP: syncthing is not installed"; exit 77; }
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin sync_e2e xdotool openbox import python3
e2e_logs=("$tmp/a/lexora.log" "$tmp/b/lexora.log" "$tmp/a/syncthing/log.txt" "$tmp/b/syncthing/log.txt")
e2e_display 481 520
started=$SECONDS

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# syncthing_env M COMMAND...: becomes a Syncthing command for machine M, with its home and nothing of the
# user's (run it in a subshell or in the background).
syncthing_env() {
  local m=$1; shift
  HOME=$tmp/$m STNOUPGRADE=1 STNODEFAULTFOLDER=1 all_proxy= exec "$@"
}
declare -A id port
for m in a b; do
  mkdir -p "$tmp/$m/Sync/.stfolder" "$tmp/$m/run" "$tmp/$m/data"
  chmod 700 "$tmp/$m/run"
  (syncthing_env $m syncthing generate --home="$tmp/$m/syncthing" --no-default-folder --skip-port-probing) \
    >"$tmp/$m/generate.log" 2>&1 || fail "syncthing generate failed: $(cat "$tmp/$m/generate.log")"
  id[$m]=$(sed -n 's/.*<device id="\([A-Z0-9-]*\)".*/\1/p' "$tmp/$m/syncthing/config.xml" | head -1)
  [ -n "${id[$m]}" ] || fail "no device id for machine $m"
  port[$m]=$(free_port)
done
device() { printf '  <device id="%s" name="%s" compression="metadata" introducer="false">\n    <address>tcp://127.0.0.1:%s</address>\n  </device>\n' "$@"; }
for pair in "a b" "b a"; do
  set -- $pair
  cat >"$tmp/$1/syncthing/config.xml" <<EOF
<configuration version="36">
  <folder id="lexora" label="lexora" path="$tmp/$1/Sync" type="sendreceive" rescanIntervalS="2" fsWatcherEnabled="true" fsWatcherDelayS="1">
    <filesystemType>basic</filesystemType>
    <device id="${id[$1]}"></device>
    <device id="${id[$2]}"></device>
  </folder>
$(device "${id[$1]}" self "${port[$1]}")
$(device "${id[$2]}" other "${port[$2]}")
  <gui enabled="false"></gui>
  <options>
    <listenAddress>tcp://127.0.0.1:${port[$1]}</listenAddress>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <urAccepted>-1</urAccepted>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
    <crashReportingEnabled>false</crashReportingEnabled>
    <startBrowser>false</startBrowser>
  </options>
</configuration>
EOF
  syncthing_env $1 syncthing serve --home="$tmp/$1/syncthing" --no-browser --no-restart --no-upgrade \
    >"$tmp/$1/syncthing/log.txt" 2>&1 &
  pids+=($!)
done

# The two program folders, the same sample Book in each, and each machine's synced folder.
for m in a b; do
  e2e_sample_home "$bin" "$samplebook" "$src" 20 "$tmp/$m/home"
  printf '[SYNC]\nFolder=%s/\nDevice=%s\n' "$tmp/$m/Sync" "machine-$m" >>"$tmp/$m/home/Config.INI"
done
word=$(sed -n '70p' "$src/data/dict/words.tsv" | cut -f1)
"$lexbook" dump "$tmp/b/home/Book/English" | grep -q "\"word\":\"$word\"" && fail "B's Book holds \"$word\" already"

e2e_net_guard "$guard"
# start M: Lexora of machine M, with its own home, data and runtime folder; sets wid_M.
start() {
  HOME=$tmp/$1 XDG_DATA_HOME=$tmp/$1/data XDG_RUNTIME_DIR=$tmp/$1/run \
    e2e_start_lexora "$lexora" "$tmp/$1/home" "$tmp/$1/lexora.log"
  printf -v "wid_$1" %s "$wid"
}
start a
start b
[ "$wid_a" != "$wid_b" ] || fail "the two Lexora processes share one window"
# A above, B below.
xdotool windowmove "$wid_a" 0 0; xdotool windowmove "$wid_b" 0 400; sleep 0.5
key() { xdotool key "$@"; sleep 0.3; }
# click M X Y: a click at X, Y inside window M.
click() {
  local X Y WIDTH HEIGHT SCREEN WINDOW w=wid_$1
  eval "$(xdotool getwindowgeometry --shell "${!w}")"
  xdotool mousemove $((X + $2)) $((Y + $3)) click 1; sleep 0.6
}
click a 125 45                                     # 学习
click b 125 45
# save M: 文件 → 保存 in window M, which writes M's journal file.
save() { click $1 205 45; key Down Down Down Return; }
# add M WORD: 编辑 → 添加项 (counted from the bottom) in window M, WORD typed and added, then saved.
add() {
  click $1 285 45
  for _ in $(seq 12); do key Up; done
  key Return; sleep 0.6
  xdotool type --delay 60 "$2"; sleep 0.8          # filled from the dictionary while typing
  import -window root "$out/sync_e2e_add_$1.png"
  key Return                                       # 添加: the dialog stays open
  key Escape
  save $1
}
# holds M PATTERN: waits up to 40 s until a line of lexbook dump of machine M's Book matches
# PATTERN (a merge saves the Book); sets carried.
holds() {
  local from=$SECONDS
  for _ in $(seq 80); do
    "$lexbook" dump "$tmp/$1/home/Book/English" 2>/dev/null | grep -q "$2" && { carried=$((SECONDS - from)); return 0; }
    sleep 0.5
  done
  return 1
}
second=$(sed -n '71p' "$src/data/dict/words.tsv" | cut -f1)
add a "$word"
holds b "\"word\":\"$word\"" || fail "\"$word\" added and saved in A did not reach B"
to_b=$carried
click b 100 152                                    # B's first row, then its last: the word that came in
key ctrl+End Home
import -window root "$out/sync_e2e_b.png"
add b "$second"
"$lexbook" dump "$tmp/b/home/Book/English" >"$tmp/b.jsonl" || fail "cannot read B's Book"
[ "$(grep -c "\"word\":\"$word\"" "$tmp/b.jsonl")" -eq 1 ] || fail "B's Book does not hold \"$word\" once"
grep -q "\"word\":\"$second\"" "$tmp/b.jsonl" || fail "B's save did not keep \"$second\""
[ "$(wc -l <"$tmp/b.jsonl")" -eq 22 ] || fail "B's Book holds $(wc -l <"$tmp/b.jsonl") entries, not the 20 and two words"
holds a "\"word\":\"$second\"" || fail "\"$second\" added and saved in B did not reach A"
to_a=$carried
click a 100 152
key ctrl+End Home
import -window root "$out/sync_e2e_a.png"
# An edit of a field travels too: A's second row ("abandon", recognition 7), selected by a click
# once the list is back at its top, gets recognition +1 from the number pad.
key ctrl+Home
click a 100 152
key KP_4
save a
holds b '"word":"abandon",.*"recognition":8,' || fail "A's change of a degree did not reach B"
click b 100 152
key ctrl+Home                                      # B's list back at its top: abandon's new degree
import -window root "$out/sync_e2e_degree.png"
sorted() { "$lexbook" dump "$tmp/$1/home/Book/English" | sed 's/"seq":[0-9]*,//; s/,"textStart".*//' | sort; }
sorted a >"$tmp/a.sorted"
sorted b >"$tmp/b.sorted"
cmp -s "$tmp/a.sorted" "$tmp/b.sorted" || fail "the two Books differ: $(diff "$tmp/a.sorted" "$tmp/b.sorted")"
e2e_nothing_sent "from either Lexora"
echo "PASS: \"$word\" carried from A to B in ${to_b} s, \"$second\" from B to A in ${to_a} s, a degree from A to B in ${carried} s; equal Books; run $((SECONDS - started)) s"
