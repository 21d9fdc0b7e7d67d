# Sourced by the end-to-end scripts: a display of our own (Xvfb + openbox), a private runtime
# folder, and a program folder with a known Book. Expects $tmp, the array pids and fail().

# Starts Xvfb on the first free display from 91 on and openbox on it; exports DISPLAY.
start_display() {
  local n xpid display=
  for n in $(seq 91 160); do
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
  # Locks, events and window sockets of this run only.
  export XDG_RUNTIME_DIR=$tmp/run
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

# make_home HOME SAMPLEBOOK SOURCE_DIR BINARY_DIR COUNT: the built sample folder with a Book
# "English" of COUNT entries made here, and a Config.INI that asks nothing.
make_home() {
  local home=$1 samplebook=$2 src=$3 bin=$4 count=$5
  mkdir -p "$home"
  [ -d "$bin/data" ] && cp -r "$bin/data/." "$home/" 2>/dev/null
  rm -rf "$home/CMakeFiles" "$home/cmake_install.cmake" "$home/Book"
  mkdir -p "$home/Book" "$home/Voice" "$home/Dict"
  "$samplebook" "$src/data/dict/words.tsv" "$home/Book/English" --count "$count" >/dev/null \
    || fail "cannot make the sample Book"
  printf '[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=./Voice/\nBookPath=./Book/\nBookName=English\n' >"$home/Config.INI"
}
