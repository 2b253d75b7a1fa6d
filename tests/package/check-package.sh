#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user meets it: unpacked into a scratch root (dpkg -x), its programs
# run from there, its manual pages rendered, its bash completion asked, and its window started
# under Xvfb by a user who may not write the program's folder. The -dbgsym package beside it
# must hold the debug symbols of its stripped programs.
set -euo pipefail
deb=$1
version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}  # the programs carry the version without the Debian revision
scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
passed=0
failed=0
check() {  # check NAME COMMAND...: one line per check, and a count at the end
  if "${@:2}"; then
    passed=$((passed + 1)); echo "ok   $1"
  else
    failed=$((failed + 1)); echo "FAIL $1"
  fi
}

echo "== $deb"
dpkg-deb -f "$deb" Package Version Architecture Section Depends
dpkg-deb -c "$deb" | awk '{print $1, $6}'
root=$scratch/root
dpkg -x "$deb" "$root"

expected=(usr/bin/velmoran usr/bin/velmoran-cli usr/share/applications/velmoran.desktop
          usr/share/icons/hicolor/scalable/apps/velmoran.svg usr/share/mime/packages/velmoran.xml
          usr/share/metainfo/org.velmoran.Velmoran.metainfo.xml
          usr/share/man/man1/velmoran.1.gz usr/share/man/man1/velmoran-cli.1.gz
          usr/share/bash-completion/completions/velmoran-cli
          usr/share/doc/velmoran/copyright usr/share/doc/velmoran/changelog.gz
          usr/share/doc/velmoran/changelog.Debian.gz)
for size in 16 24 32 48 64 128 256; do
  expected+=(usr/share/icons/hicolor/${size}x${size}/apps/velmoran.png)
done
for f in "${expected[@]}"; do check "holds $f" test -s "$root/$f"; done
for size in 16 48 256; do
  check "icon ${size}x${size} has that size" \
    grep -q "$size x $size" <(file "$root/usr/share/icons/hicolor/${size}x${size}/apps/velmoran.png")
done
check "the desktop entry opens files" grep -qx "Exec=velmoran %F" "$root/usr/share/applications/velmoran.desktop"
for type in application/x-dvd-sup application/x-dvd-ifo; do
  check "the MIME package defines $type" \
    grep -q "type=\"$type\"" "$root/usr/share/mime/packages/velmoran.xml"
  check "the desktop entry declares $type" grep -q "^MimeType=.*$type;" "$root/usr/share/applications/velmoran.desktop"
done
check "Depends names Qt 6 Widgets" grep -q libqt6widgets6 <(dpkg-deb -f "$deb" Depends)
check "the version $version carries a Debian revision" test "$upstream" != "$version"

# Stripped programs without .comment sections; their debug symbols in the -dbgsym package.
dbgsym=$(dirname "$deb")/velmoran-dbgsym_${version}_$(dpkg-deb -f "$deb" Architecture).deb
dpkg -x "$dbgsym" "$scratch/dbgsym"
for program in velmoran velmoran-cli; do
  binary=$root/usr/bin/$program
  check "$program is stripped" grep -q ", stripped" <(file "$binary")
  check "$program has no .comment section" test -z "$(readelf -S "$binary" | grep -F .comment)"
  id=$(readelf -n "$binary" | sed -n 's/.*Build ID: //p')
  check "velmoran-dbgsym holds $program's symbols" \
    test -s "$scratch/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
done

# The installed command-line tool.
cli=$root/usr/bin/velmoran-cli
check "velmoran-cli --version is the package's" test "$("$cli" --version)" = "velmoran-cli $upstream"
check "velmoran --version is the package's" test "$("$root/usr/bin/velmoran" --version)" = "velmoran $upstream"
check "colour to-ycrcb" test "$("$cli" colour to-ycrcb 255,255,255)" = EB7F7F
status=0; "$cli" sup show "$scratch/missing.sup" 2>/dev/null || status=$?
check "a missing file fails with 1" test "$status" = 1
status=0; "$cli" sup 2>/dev/null || status=$?
check "a usage error exits 2" test "$status" = 2

# Manual pages render without warnings and name their program.
for page in velmoran velmoran-cli; do
  file=$root/usr/share/man/man1/$page.1.gz
  check "man -l $page renders" grep -q "^NAME" <(MANWIDTH=80 man -l "$file" 2>/dev/null)
  check "man -l $page has no warnings" test -z "$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)"
done

# Bash completion: subcommands and options.
complete_line() {  # prints the completions for the words given, the last one being completed
  bash -c 'source /usr/share/bash-completion/bash_completion; source "$0"
           COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
           _velmoran_cli; printf "%s\n" "${COMPREPLY[@]}"' \
    "$root/usr/share/bash-completion/completions/velmoran-cli" "$@"
}
check "completes sup re to remap" test "$(complete_line velmoran-cli sup re)" = remap
check "completes vob scan options" grep -qx -- --all <(complete_line velmoran-cli vob scan --)
check "skips --log-level's value" test "$(complete_line velmoran-cli --log-level 5 co)" = colour

# The window, started by a user who may not write /usr/bin: the settings go to the config
# folder, the default one or $XDG_CONFIG_HOME.
user=nobody
home=$scratch/home
mkdir -p "$home" "$scratch/xdg"
chown "$user" "$home" "$scratch/xdg"
chmod 755 "$scratch" "$root" "$root/usr" "$root/usr/bin"
exec 5>"$scratch/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(head -n1 "$scratch/display")
start_window() {  # start_window INI [XDG]: waits for INI to appear, then ends the window
  local ini=$1 xdg=${2:-}
  env -i DISPLAY="$display" HOME="$home" PATH=/usr/bin:/bin ${xdg:+XDG_CONFIG_HOME=$xdg} \
    setpriv --reuid="$user" --regid=nogroup --clear-groups "$root/usr/bin/velmoran" \
    >"$scratch/window.log" 2>&1 &
  local pid=$! found=1
  for _ in $(seq 100); do [ -s "$ini" ] && { found=0; break; }; sleep 0.2; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  return $found
}
check "window writes ~/.config/velmoran/velmoran.INI" start_window "$home/.config/velmoran/velmoran.INI"
check "the settings hold the first-start values" grep -q "^FirstSubtitle=1" "$home/.config/velmoran/velmoran.INI"
check "window writes \$XDG_CONFIG_HOME/velmoran/velmoran.INI" start_window "$scratch/xdg/velmoran/velmoran.INI" "$scratch/xdg"
check "nothing written beside the program" test ! -e "$root/usr/bin/velmoran.INI"

echo "package: $passed passed, $failed failed"
test "$failed" = 0
