#!/usr/bin/env bash
# End to end on Wayland: Weston (its X11 back end, inside the test's Xvfb) is the compositor and
# Glosix runs on Qt's Wayland platform. A word copied with wl-copy is looked up by
# `Glosix --selection` when it starts Glosix, and again when it hands the word to the running one:
# Wayland gives the selection only to a focused window, which a hand-over process has none of.
#   glosix_wayland_e2e.sh GLOSIX LEXBOOK SAMPLEBOOK SOURCE_DIR BINARY_DIR ARTEFACT_DIR
set -uo pipefail

glosix=$1 lexbook=$2 samplebook=$3 src=$4 bin=$5 out=$6

source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_begin glosix_wayland_e2e weston wl-copy import
e2e_logs=("$tmp/run.log" "$tmp/weston.log")
e2e_display 341 380
e2e_sample_home "$bin" "$samplebook" "$src" 5
[ -n "$(ls /usr/lib/*/qt6/plugins/platforms/libqwayland*.so 2>/dev/null)" ] \
  || fail "Qt's Wayland platform is needed (apt-get install qt6-wayland)"

weston --backend=x11-backend.so --socket=lexora-e2e --idle-time=0 --width=1000 --height=700 >"$tmp/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/lexora-e2e" ] && break; sleep 0.2; done
[ -S "$XDG_RUNTIME_DIR/lexora-e2e" ] || fail "Weston did not start"
export WAYLAND_DISPLAY=lexora-e2e QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="lexora.glosix.info=true"


# 1. The clipboard's word starts Glosix, which reads it once its window has the focus.
wl-copy "apple" || fail "wl-copy cannot reach Weston"
(cd "$tmp" && exec "$glosix" --home "$home" --selection) >>"$tmp/run.log" 2>&1 &
pids+=($!)
wait_for 15 logged 'word shown "apple"' || fail "Glosix --selection did not show the copied word on Wayland"

# 2. A second word, handed over to the running Glosix by a process with no window of its own.
wl-copy "abandon"
(cd "$tmp" && timeout 15 "$glosix" --home "$home" --selection) >>"$tmp/handover.log" 2>&1 \
  || { cat "$tmp/handover.log"; fail "the handing-over Glosix --selection failed"; }
wait_for 5 logged 'word shown "abandon"' || { cat "$tmp/handover.log"; fail "the running Glosix did not show the handed-over word"; }
[ "$(grep -c '^lexora.glosix: ready' "$tmp/run.log")" = 1 ] || fail "a second Glosix window came up"
sleep 0.5
import -window root "$out/glosix_wayland.png"
echo "PASS: glosix_wayland_e2e"
