# Shared by the end-to-end scripts (sourced); each begins with e2e_begin.

# e2e_begin NAME TOOL...: skips (status 77) without Xvfb and fails without a TOOL; makes the
# scratch folder $tmp and the array pids, whose processes end with the script (signal $e2e_kill,
# default TERM; then e2e_cleanup_more, when the script defines it); defines fail MESSAGE, which
# keeps a screenshot as $out/NAME_fail.png (when $out is set) and prints the files of the array
# e2e_logs (default: $tmp/lexora.log).
e2e_begin() {
  e2e_name=$1
  shift
  command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (apt-get install xdotool openbox imagemagick)"; exit 1; }
  done
  # The program asks for its update page at start; a test run sends nothing beyond this machine.
  export LEXORA_UPDATE_BASE=
  tmp=$(mktemp -d)
  # What the programs keep in the user's data folder (Glosix's history, recovered Books) stays in the run's folder.
  export XDG_DATA_HOME=$tmp/data
  # No shared StarDict folder: the machine's installed dictionaries never change what Glosix shows.
  export LEXORA_STARDICT_PATH=
  # Nor its WordNet (senses, tip examples, 填空): a script that wants one names its own after this.
  export LEXORA_WORDNET_PATH=
  pids=()
  e2e_logs=("$tmp/lexora.log")
  trap e2e_end EXIT
}
e2e_end() {
  local p
  for p in "${pids[@]}"; do kill -"${e2e_kill:-TERM}" "$p" 2>/dev/null; done
  if declare -F e2e_cleanup_more >/dev/null; then e2e_cleanup_more; fi
  wait 2>/dev/null
  rm -rf "$tmp"
}
fail() {
  echo "FAIL: $*"
  [ -n "${out:-}" ] && import -window root "$out/${e2e_name}_fail.png" 2>/dev/null
  local f
  for f in "${e2e_logs[@]}"; do [ -s "$f" ] && { echo "--- $(basename "$f")"; cat "$f"; }; done
  exit 1
}

# e2e_display FIRST LAST: a free Xvfb display numbered FIRST..LAST with openbox on it, exported as
# DISPLAY, and a runtime folder of this run only (locks, events and window sockets).
e2e_display() {
  local n xpid display=
  for n in $(seq "$1" "$2"); do
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
}

# e2e_home BINARY_DIR [HOME]: HOME (default $tmp/home), a copy of the built sample program folder
# (dictionary, ...) with empty Book, Voice and Dict folders where it has none; sets home.
e2e_home() {
  home=${2:-$tmp/home}
  mkdir -p "$home"
  [ -d "$1/data" ] && cp -r "$1/data/." "$home/" 2>/dev/null
  rm -rf "$home/CMakeFiles" "$home/cmake_install.cmake"
  mkdir -p "$home/Book" "$home/Voice" "$home/Dict"
}

# e2e_sample_home BINARY_DIR SAMPLEBOOK SOURCE_DIR COUNT [HOME]: e2e_home with a fresh Book
# "English" of COUNT entries made here, so that its values are known, and a Config.INI that asks
# nothing.
e2e_sample_home() {
  e2e_home "$1" "${5:-}"
  rm -rf "$home/Book"
  mkdir -p "$home/Book"
  "$2" "$3/data/dict/words.tsv" "$home/Book/English" --count "$4" >/dev/null || fail "cannot make the sample Book"
  printf '[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=./Voice/\nBookPath=./Book/\nBookName=English\n' >"$home/Config.INI"
}

# e2e_start_lexora LEXORA [HOME [LOG]]: starts Lexora on the program folder HOME (default $home), from $tmp, its output
# appended to LOG (default $tmp/lexora.log), and waits for its window "Tessaly" (that process's own, when
# several run); sets lexora_pid (added to pids), wid and the window's top-left corner wx, wy.
e2e_start_lexora() {
  (cd "$tmp" && exec "$1" --home "${2:-$home}") >>"${3:-$tmp/lexora.log}" 2>&1 &
  lexora_pid=$!
  pids+=($lexora_pid)
  wid=
  for _ in $(seq 100); do
    wid=$(xdotool search --all --pid $lexora_pid --name '^Tessaly$' 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    kill -0 $lexora_pid 2>/dev/null || fail "Lexora ended at start"
    sleep 0.2
  done
  [ -n "$wid" ] || fail "no window titled Tessaly"
  # The window is made anew when the web page's browser comes up after the first paint: take the
  # one that stays.
  local last=
  for _ in $(seq 40); do
    sleep 0.5
    wid=$(xdotool search --all --onlyvisible --pid $lexora_pid --name '^Tessaly$' 2>/dev/null | tail -1)
    [ -n "$wid" ] && [ "$wid" = "$last" ] && break
    last=$wid
  done
  [ -n "$wid" ] || fail "the window titled Tessaly went away"
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  wx=$X wy=$Y
}

# e2e_net_guard GUARD: every program started from here on carries GUARD (net_guard.c, preloaded;
# the web engine's processes inherit it), which logs and refuses each connect and name look-up off
# the machine into $netlog; the guard is first seen to catch both. e2e_nothing_sent WHEN fails when
# anything was tried.
e2e_net_guard() {
  netlog=$tmp/net.log
  e2e_logs+=("$netlog")
  export LEXORA_NET_LOG=$netlog LD_PRELOAD=$1
  timeout 2 bash -c 'exec 3<>/dev/tcp/192.0.2.1/9' 2>/dev/null
  timeout 2 bash -c 'exec 3<>/dev/tcp/lexora-net-guard.invalid/9' 2>/dev/null
  grep -q ' connect 192.0.2.1 port 9$' "$netlog" && grep -q ' resolve lexora-net-guard.invalid$' "$netlog" \
    || fail "the network guard did not catch a connect and a look-up"
  rm -f "$netlog"
}
e2e_nothing_sent() { [ ! -s "$netlog" ] || fail "a request left the machine $1"; }

# e2e_wait_window PATTERN: prints the id of a visible window whose title matches, waiting up to
# 10 s; fails (status 1) when none comes. e2e_window_gone PATTERN: waits until none is visible.
e2e_wait_window() {
  local id=
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
e2e_window_gone() {
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  return 1
}

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds (status 0) or the time
# is up (status 1). logged TEXT [FILE]: FILE (default $tmp/run.log) holds TEXT.
wait_for() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
  return 1
}
logged() { grep -qF -- "$1" "${2:-$tmp/run.log}"; }
