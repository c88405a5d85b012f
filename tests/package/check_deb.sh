#!/usr/bin/env bash
# Checks the Debian package as an operator's machine would get it:
#   check_deb.sh PACKAGE_DIR VERSION EXPECTED_FILES
# the file list, the control fields, then, unpacked into a scratch root, the
# desktop entry and AppStream file (validated, and every file they name
# present), stripped programs that answer --version without a display or
# LD_LIBRARY_PATH, and a man page for each that renders without warnings and
# names every option of its --help.
set -uo pipefail
dir=$1 version=$2 expected=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

shopt -s nullglob
debs=("$dir"/kdx846_"$version"_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one kdx846_${version}_*.deb in $dir, found ${#debs[@]}"; exit 1; }
deb=${debs[0]}
echo "package: $deb"

# Files (not folders) in the package, against the expected list.
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if ! diff <(sort "$expected") <(echo "$actual") >/dev/null; then
  fail "file list differs from $expected (- expected, + packaged):"
  diff <(sort "$expected") <(echo "$actual") | grep '^[<>]' | sed 's/^</-/; s/^>/+/'
fi

# Control fields: name, version, and dependencies computed by dpkg-shlibdeps.
[ "$(dpkg-deb -f "$deb" Package)" = kdx846 ] || fail "Package is not kdx846"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The package names alone, one a line: "libc6 (>= 2.34), a | b" gives libc6, a, b.
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g' | grep -v '^$')
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6charts6 libc6 libstdc++6 \
           libsqlite3-0; do
  grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib"
done
grep -q -- '-dev$' <<<"$names" && fail "Depends names a -dev package: $(grep -- '-dev$' <<<"$names")"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x"; exit 1; }
share=$root/usr/share

# The desktop entries (the tool, the results window) and the AppStream file
# validate as installed.
desktop=$share/applications/org.kdx846.TestTool.desktop
results=$share/applications/org.kdx846.Results.desktop
metainfo=$share/metainfo/org.kdx846.TestTool.metainfo.xml
for entry in "$desktop" "$results"; do
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
done
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
out=$(appstreamcli validate-tree --no-net "$root/usr" 2>&1) || fail "appstreamcli validate-tree: $out"
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "newest AppStream release is '$release', not $version"

# What the entries name is in the tree.
field() { sed -n "s/^$1=//p" "${2:-$desktop}" | head -1; }
for entry in "$desktop" "$results"; do
  for key in Exec TryExec; do
    program=$(field "$key" "$entry" | cut -d' ' -f1)
    [ -x "$root/usr/bin/$program" ] || fail "$key=$program is not an executable in /usr/bin"
  done
  [ "$(field Icon "$entry")" = "$(field Icon)" ] || fail "$entry has another icon"
done
icon=$(field Icon)
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon has no scalable SVG"
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
  if [ ! -f "$png" ]; then
    fail "Icon=$icon has no ${size}x${size} PNG"
    continue
  fi
  # The PNG header's width and height, big-endian at bytes 16 to 23.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w $h" = "$size $size" ] || fail "$png is $w x $h"
done

for program in kdx846 kdx846-sim kdx846-run kdx846-results; do
  bin=$root/usr/bin/$program
  # Stripped: no symbol table, no debugging sections.
  readelf -S "$bin" | grep -Eq '\.(symtab|debug_info)' && fail "$program is not stripped"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH "$bin" --version 2>&1)
  [ "$out" = "$program $version" ] || fail "$program --version: '$out'"

  page=$share/man/man1/$program.1.gz
  [ -f "$page" ] || { fail "no man page for $program"; continue; }
  warnings=$(zcat "$page" | groff -man -Tascii -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$program.1: $warnings"
  text=$(zcat "$page" | groff -man -Tascii -P-cbou 2>/dev/null)
  grep -q "^NAME" <<<"$text" || fail "$program.1 has no NAME section"
  for option in $(env -u DISPLAY "$bin" --help | grep -Eo -- '(^| )--?[a-zA-Z][a-zA-Z-]*' | sort -u); do
    grep -qF -- "$option" <<<"$text" || fail "$program.1 lacks $option"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checks passed"
