#!/usr/bin/env bash
# Installs into a throw-away DESTDIR and checks what a desktop relies on: every file in
# its place, the desktop entry and AppStream data valid, the thumbnailer's Exec line
# drawing real files, and the .deb made of the same tree.
# usage: install_test.sh BUILD_DIR [ICON_SOURCE...]
set -euo pipefail
build=$1; shift
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
share=$work/root/usr/share
for f in bin/zor bin/zor-icons share/applications/zor.desktop share/mime/packages/zor.xml \
         share/metainfo/org.example.zor.metainfo.xml share/man/man1/zor.1 share/man/man1/zor-icons.1 \
         share/zor/zor.chm share/thumbnailers/zor.thumbnailer; do
  [ -s "$work/root/usr/$f" ] || fail "$f is not installed"
done
for size in 16 24 32 48 64 128 256; do
  [ -s "$share/icons/hicolor/${size}x${size}/apps/zor.png" ] || fail "no ${size}px icon"
done

desktop-file-validate "$share/applications/zor.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$share/metainfo/org.example.zor.metainfo.xml" >/dev/null \
  || fail "AppStream data"
xmllint --noout "$share/mime/packages/zor.xml" || fail "MIME package"
for page in zor zor-icons; do
  man -l "$share/man/man1/$page.1" >/dev/null 2>&1 || fail "man page $page"
done

# The thumbnailer as a file manager runs it: %s size, %i input, %o output.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/zor.thumbnailer")
for source in "$@"; do
  out=$work/thumb.png; rm -f "$out"
  cmd=${exec_line//%s/128}; cmd=${cmd//%i/\"$source\"}; cmd=${cmd//%o/\"$out\"}
  PATH=$work/root/usr/bin:$PATH eval "$cmd" || fail "thumbnailer failed on $source"
  read -r geometry opaque < <(identify -format '%wx%h %[fx:maxima.a]\n' "$out") || fail "no PNG for $source"
  [ "$geometry" = 128x128 ] || fail "$source gives a $geometry thumbnail"
  [ "$opaque" != 0 ] || fail "$source gives a blank thumbnail"
done

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null || fail "no .deb"
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb -c "$deb")
grep -q './usr/share/applications/zor.desktop' <<<"$contents" || fail ".deb lacks the desktop entry"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail ".deb does not depend on Qt"
echo "install ok"
