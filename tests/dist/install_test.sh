#!/usr/bin/env bash
# Installs into a throw-away DESTDIR and checks what a desktop and a distribution rely on:
# every file in its place under one application id, the desktop entry, AppStream data and
# man pages valid, the file types offered to the desktop's own tools, the thumbnailer's
# Exec line drawing real files, shell completion of every option the programs print, and
# the .deb made of the same tree (checked by lintian where it is installed).
# usage: install_test.sh BUILD_DIR [ICON_SOURCE...]
set -euo pipefail
build=$1; shift
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
root=$work/root
share=$root/usr/share
id=$(xmllint --xpath 'string(/component/id)' "$share"/metainfo/*.metainfo.xml)
entry=$share/applications/$id.desktop
for f in bin/zor bin/zor-icons share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/mime/packages/zor.xml share/mime/packages/zor-dll.xml share/mime/packages/zor-cpl.xml \
         share/man/man1/zor.1.gz share/man/man1/zor-icons.1.gz share/zor/zor.chm share/thumbnailers/zor.thumbnailer \
         share/bash-completion/completions/zor share/bash-completion/completions/zor-icons \
         share/doc/zor/copyright share/doc/zor/changelog.gz; do
  [ -s "$root/usr/$f" ] || fail "$f is not installed"
done
for size in 16 24 32 48 64 128 256; do
  [ -s "$share/icons/hicolor/${size}x${size}/apps/zor.png" ] || fail "no ${size}px icon"
done

# One application id: the AppStream data's, naming the desktop entry it launches.
[[ $id =~ ^[a-z]+(\.[a-z0-9_]+){2,}$ ]] || fail "application id '$id' is not reverse-DNS"
launchable=$(xmllint --xpath 'string(/component/launchable[@type="desktop-id"])' "$share/metainfo/$id.metainfo.xml")
[ "$launchable" = "$id.desktop" ] || fail "the AppStream data launches '$launchable', not $id.desktop"
homepage=$(xmllint --xpath 'string(/component/url[@type="homepage"])' "$share/metainfo/$id.metainfo.xml")
grep -q '^Icon=zor$' "$entry" || fail "the desktop entry does not name the icon zor"
if grep -rl 'example\.\(org\|com\)' "$share" --include='*.desktop' --include='*.xml' \
     --include=copyright; then
  fail "placeholder addresses are installed"
fi

desktop-file-validate "$entry" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$share/metainfo/$id.metainfo.xml" >/dev/null || fail "AppStream data"
for package in "$share"/mime/packages/*.xml; do
  xmllint --noout "$package" || fail "MIME package $package"
done
for page in zor zor-icons; do
  warnings=$(MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man page $page"
  [ -z "$warnings" ] || fail "man page $page: $warnings"
  # Every menu command of the list is a paragraph of its own.
  awk '/^\.TP/ { tagged = NR } /^\.BR? "/ && /\\\(->/ && tagged != NR - 1 { print FILENAME ":" NR ": " $0; bad = 1 }
       END { exit bad }' <(gzip -dc "$share/man/man1/$page.1.gz") || fail "man page $page: a command runs into the one before"
done
gzip -dc "$share/doc/zor/changelog.gz" >"$work/changelog" || fail "changelog.gz"
changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version) || fail "changelog"

# The desktop's view of the installed types, in throw-away XDG folders over the machine's
# MIME database: GIO's (GNOME, Xfce, Cinnamon, MATE; KDE reads the same database), and
# xdg-mime's, which on other desktops takes a file's type from file(1).
desk=$work/desktop
mkdir -p "$desk/system/applications" "$desk/home/data" "$desk/home/config" "$desk/etc" "$desk/files"
ln -s /usr/share/mime "$desk/system/mime"
update-mime-database "$share/mime" 2>/dev/null
update-desktop-database "$share/applications"
on_desktop() {  # on_desktop NAME COMMAND...: NAME as $XDG_CURRENT_DESKTOP, empty for none
  env -u DESKTOP_SESSION -u KDE_FULL_SESSION -u KDE_SESSION_VERSION -u GNOME_DESKTOP_SESSION_ID -u DISPLAY \
    XDG_CURRENT_DESKTOP="$1" XDG_DATA_DIRS="$share:$desk/system" XDG_DATA_HOME="$desk/home/data" \
    XDG_CONFIG_HOME="$desk/home/config" XDG_CONFIG_DIRS="$desk/etc" HOME="$desk/home" PATH="$root/usr/bin:$PATH" "${@:2}"
}
gio_default() { on_desktop GNOME gio mime "$1" | sed -n 's/^Default application for “[^”]*”: //p'; }
gio_offers() { on_desktop GNOME gio mime "$1" | awk '/^[^\t]/ { on = /^Registered applications/ } on && /^\t/ { print $1 }'; }
for source in "$@"; do cp "$source" "$desk/files/x.${source##*.}"; done
for ext in ico cur icl dll cpl exe; do
  [ -f "$desk/files/x.$ext" ] || fail "no sample .$ext among the icon sources given"
done
# A program for Windows programs, as wine is, once it is installed.
with_wine() {
  printf '[Desktop Entry]\nType=Application\nName=Windows programs\nExec=/bin/true %%f\nMimeType=application/x-ms-dos-executable;\n' \
    >"$desk/system/applications/winelike.desktop"
  update-desktop-database "$desk/system/applications"
}
for wine in no yes; do
  [ $wine = no ] || with_wine
  for file in "$desk"/files/*; do
    ext=${file##*.}
    type=$(on_desktop GNOME gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    [ -n "$type" ] || fail "GIO gives .$ext no type"
    magic=$(file --brief --mime-type "$file")
    if [ "$ext" = exe ]; then
      # A program stays with what runs programs; zor is for it only when the user says so.
      # (file(1) gives programs and libraries one type, so where it decides, zor is offered for both.)
      [ "$(gio_default "$type")" != "$id.desktop" ] || fail "zor became the program for .exe ($type)"
      ! gio_offers "$type" | grep -qx "$id.desktop" || fail "zor is offered for every .exe ($type)"
      continue
    fi
    [ "$(gio_default "$type")" = "$id.desktop" ] || fail "GIO does not open .$ext ($type) with zor"
    [ "$(on_desktop GNOME xdg-mime query filetype "$file")" = "$type" ] || fail "xdg-mime on GNOME types .$ext differently"
    [ "$(on_desktop GNOME xdg-mime query default "$type")" = "$id.desktop" ] || fail "xdg-mime on GNOME does not open .$ext with zor"
    [ "$(on_desktop '' xdg-mime query default "$magic")" = "$id.desktop" ] || fail "xdg-mime does not open .$ext ($magic, from file(1)) with zor"
    if [ $wine = yes ] && [[ $ext == @(icl|dll|cpl) ]]; then
      # A library is a kind of Windows program: what runs programs is still offered for it.
      gio_offers "$type" | grep -qx winelike.desktop || fail "the program for Windows programs is no longer offered for .$ext"
    fi
  done
done

# The thumbnailer as a file manager runs it: %s size, %i input, %o output.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/zor.thumbnailer")
for source in "$@"; do
  out=$work/thumb.png; rm -f "$out"
  cmd=${exec_line//%s/128}; cmd=${cmd//%i/\"$source\"}; cmd=${cmd//%o/\"$out\"}
  PATH=$root/usr/bin:$PATH eval "$cmd" || fail "thumbnailer failed on $source"
  read -r geometry opaque < <(identify -format '%wx%h %[fx:maxima.a]\n' "$out") || fail "no PNG for $source"
  [ "$geometry" = 128x128 ] || fail "$source gives a $geometry thumbnail"
  [ "$opaque" != 0 ] || fail "$source gives a blank thumbnail"
done

# Shell completion, loaded as bash-completion finds it for the installed programs: every
# command and option that --help prints is completed where it belongs.
completions() {  # completions WORD...: what bash offers for the last word
  PATH=$root/usr/bin:$PATH bash --norc --noprofile -c '
    if [ -r /usr/share/bash-completion/bash_completion ]; then
      . /usr/share/bash-completion/bash_completion
      XDG_DATA_DIRS=${0%/bash-completion/completions} BASH_COMPLETION_USER_DIR=/nonexistent __load_completion "$1" || exit 3
    else
      . "$0/$1"
    fi
    completer=$(complete -p "$1") || exit 3
    completer=${completer#*-F }
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    "${completer%% *}" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf "%s\n" "${COMPREPLY[@]}"' "$share/bash-completion/completions" "$@" || fail "no completion for $1"
}
# The options of a help text: "  -s, --size SIZE   (thumbnail) ..." gives "thumbnail -s" and "thumbnail --size".
# A command's own help has no "Options:" heading: all of it is read.
help_options() {
  local text; text=$(cat)
  if grep -q '^Options:' <<<"$text"; then text=$(sed -n '/^Options:/,/^[^ ]/p' <<<"$text"); fi
  awk -v command="$1" '/^  -/ {
      line = substr($0, 3); owner = command
      if (match(line, /  +\([a-z]+\) /)) { owner = substr(line, RSTART, RLENGTH); gsub(/[ ()]/, "", owner) }
      sub(/  .*/, "", line); gsub(/,/, " ", line); n = split(line, names, " ")
      for (i = 1; i <= n; i++) if (names[i] ~ /^-/) print owner, names[i] }' <<<"$text"
}
helps=$work/helps; mkdir -p "$helps"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/zor" --help >"$helps/zor"
"$root/usr/bin/zor-icons" --help >"$helps/zor-icons"
for command in search create build-icl; do "$root/usr/bin/zor-icons" $command --help >"$helps/$command"; done
{ help_options '' <"$helps/zor" | sed 's/^/zor /'
  help_options '' <"$helps/zor-icons" | sed 's/^/zor-icons /'
  for command in search create build-icl; do help_options $command <"$helps/$command" | sed 's/^/zor-icons /'; done
} >"$helps/all"
[ "$(grep -c . "$helps/all")" -ge 12 ] || fail "the help texts list too few options: $(cat "$helps/all")"
while read -r program command option; do
  if [ -z "$option" ]; then option=$command; command=; fi
  words=("$program"); [ -z "$command" ] || words+=("$command")
  completions "${words[@]}" "${option:0:2}" | grep -xF -- "$option" >/dev/null \
    || fail "'${words[*]} ${option:0:2}<Tab>' does not offer $option"
done <"$helps/all"
commands=$(sed -n '/^Commands:/,/^Options:/p' "$helps/zor-icons" | sed -n 's/^  \([a-z]\+\)\( .*\)\?$/\1/p')
[ "$(wc -w <<<"$commands")" -ge 5 ] || fail "zor-icons --help lists too few commands"
for command in $commands; do
  completions zor-icons '' | grep -x "$command" >/dev/null || fail "'zor-icons <Tab>' does not offer $command"
done
completions zor-icons export --format '' | sort | tr '\n' ' ' | grep -qx 'ico png ' || fail "export --format values"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null || fail "no .deb"
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb -c "$deb")
grep -q "./usr/share/applications/$id.desktop" <<<"$contents" || fail ".deb lacks the desktop entry"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail ".deb does not depend on Qt"
[ "$(dpkg-deb -f "$deb" Homepage)" = "$homepage" ] || fail ".deb's Homepage is not the AppStream data's $homepage"
[ "$(dpkg-deb -f "$deb" Version)" = "$changelog_version" ] || fail "the changelog is not of version $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Description | sed 1d | wc -l)" -ge 3 ] || fail ".deb has no extended description"
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" || fail "lintian"
fi
echo "install ok"
