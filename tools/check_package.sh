#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what a distribution would ship:
# the layout, the desktop files and metainfo (validators), the installed programs' --version,
# the program folder an installed copy chooses, then builds the Debian package and inspects it.
#   check_package.sh BUILD_DIR
set -uo pipefail

build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
fail() { echo "!! $*"; failed=1; }

prefix=$tmp/prefix/usr
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; echo "!! cmake --install failed"; exit 1; }

expected=(
  bin/Lexora bin/lexbook
  share/lexora/Readme.txt share/lexora/ReportError.txt share/lexora/Config.INI share/lexora/Book/English.idx share/lexora/Book/English.txt
  share/lexora/Dict/Dict.idx share/lexora/Dict/Dict.dic share/lexora/Dict/21ct.idx share/lexora/Dict/21ct.dic
  share/applications/org.lexora.Lexora.desktop share/metainfo/org.lexora.Lexora.metainfo.xml
  share/icons/hicolor/scalable/apps/org.lexora.Lexora.svg
  share/man/man1/lexbook.1.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/org.lexora.Lexora.png")
done
# The companion, once it is built, comes with its menu entry and icons.
if [ -e "$prefix/bin/Glosix" ]; then
  expected+=(share/applications/org.lexora.Glosix.desktop share/icons/hicolor/scalable/apps/org.lexora.Glosix.svg)
  for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/org.lexora.Glosix.png")
  done
fi
for f in "${expected[@]}"; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
# Nothing the programs write may be installed beside them.
[ -z "$(find "$prefix/bin" -type f ! -name Lexora ! -name Glosix ! -name lexbook)" ] || fail "extra files in bin/"

for d in "$prefix"/share/applications/*.desktop; do
  desktop-file-validate "$d" || fail "desktop-file-validate: $d"
done
appstreamcli validate --no-net --explain "$prefix"/share/metainfo/org.lexora.Lexora.metainfo.xml >"$tmp/as.log" 2>&1 \
  || { cat "$tmp/as.log"; fail "appstreamcli validate"; }
# Each icon file is the size its folder says.
for size in 16 32 48 64 128 256; do
  for icon in "$prefix"/share/icons/hicolor/${size}x${size}/apps/*.png; do
    got=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$icon")
    [ "$got" = "${size}x${size}" ] || fail "$icon is $got"
  done
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$("$prefix/bin/lexbook" --version)" = "lexbook $version" ] || fail "installed lexbook --version is not 'lexbook $version'"
if [ -e "$prefix/bin/Glosix" ]; then
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/Glosix" --version 2>/dev/null)" = "Glosix $version" ] \
    || fail "installed Glosix --version is not 'Glosix $version' without a display"
fi
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/Lexora" --version 2>/dev/null)" = "Lexora $version" ] \
  || fail "installed Lexora --version is not 'Lexora $version' without a display"
"$prefix/bin/lexbook" check "$prefix/share/lexora/Book/English" >/dev/null || fail "the installed sample Book is not clean"
grep -q "version=\"$version\"" "$prefix/share/metainfo/org.lexora.Lexora.metainfo.xml" || fail "the metainfo does not name release $version"

# The package: built by CPack, its dependencies computed from the binaries.
(cd "$build" && cpack -G DEB) >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb=$(ls -t "$build"/package/lexora_"$version"_*.deb 2>/dev/null | head -1)
if [ -n "$deb" ]; then
  dpkg-deb --info "$deb" >"$tmp/info.txt" || fail "dpkg-deb --info"
  dpkg-deb --contents "$deb" >"$tmp/contents.txt" || fail "dpkg-deb --contents"
  depends=$(sed -n 's/^ Depends: //p' "$tmp/info.txt")
  for lib in libqt6widgets6 libqt6network6 libespeak-ng1 libsndfile1 libpulse0 libhunspell libc6 fonts-noto-cjk qt6-translations-l10n \
             hunspell-en-us hunspell-en-gb hyphen-en-us; do
    grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib: $depends"
  done
  # flite is optional at build time; when it was built in, its libraries come in through dpkg-shlibdeps.
  if grep -q '^FLITE_INCLUDE_DIR:PATH=/' "$build/CMakeCache.txt" 2>/dev/null; then
    grep -q "libflite1" <<<"$depends" || fail "the package is built with flite but does not depend on libflite1: $depends"
  fi
  for f in ./usr/bin/Lexora ./usr/bin/lexbook ./usr/share/lexora/Dict/Dict.idx ./usr/share/applications/org.lexora.Lexora.desktop \
           ./usr/share/man/man1/lexbook.1.gz; do
    grep -q " $f\$" "$tmp/contents.txt" || fail "the package lacks $f"
  done
  # Debug information stays out of the package.
  dpkg-deb -x "$deb" "$tmp/unpacked"
  file "$tmp/unpacked/usr/bin/Lexora" 2>/dev/null | grep -q "not stripped" && fail "Lexora is not stripped in the package"
  echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes; installed size $(sed -n 's/^ Installed-Size: //p' "$tmp/info.txt") KiB"
  echo "  Depends: $depends"
else
  fail "no package was built"
fi
[ $failed -eq 0 ] && echo "install layout, validators and package: fine"
exit $failed
