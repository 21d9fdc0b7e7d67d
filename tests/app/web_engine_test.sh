#!/usr/bin/env bash
# Runs the web-engine test on an Xvfb display of its own, with its own runtime folder.
#   web_engine_test.sh TEST_BINARY SHOT_DIR
set -uo pipefail
binary=$1 shots=$2

command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
command -v python3 >/dev/null || { echo "SKIP: python3 is not installed"; exit 77; }

tmp=$(mktemp -d)
xpid=
cleanup() { [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT

display=
for n in $(seq 161 230); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
  xpid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; kill -0 $xpid 2>/dev/null || break; sleep 0.1; done
  if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 $xpid 2>/dev/null; then display=":$n"; break; fi
  kill $xpid 2>/dev/null; wait $xpid 2>/dev/null; xpid=
done
[ -n "$display" ] || { echo "FAIL: no free display for Xvfb"; exit 1; }

export DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$tmp/run LEXORA_SHOT_DIR=$shots
unset WAYLAND_DISPLAY
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The engine's sandbox refuses to run as root (CI runs as root).
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
# No GPU under Xvfb.
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu ${QTWEBENGINE_CHROMIUM_FLAGS:-}"
"$binary" 2>&1 | tee "$tmp/out.log"
rc=${PIPESTATUS[0]}
# A skipped GoogleTest case leaves the code at 0; report it to CTest as a skip.
[ "$rc" -eq 0 ] && grep -q '^\[  SKIPPED \]' "$tmp/out.log" && exit 77
exit "$rc"
