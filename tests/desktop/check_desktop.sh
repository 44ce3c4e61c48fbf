#!/usr/bin/env bash
# Usage: check_desktop.sh <source dir> <build dir> <cmake>
# Validates the desktop files, registers the file type in a scratch MIME
# database, and installs the desktop component into a scratch prefix.
set -euo pipefail
src=$1 build=$2 cmake=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in desktop-file-validate xmllint update-mime-database; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

# Hints count as failures too: the launcher should validate clean.
out=$(desktop-file-validate "$src/desktop/plandeck.desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
xmllint --noout "$src/desktop/plandeck-mime.xml" "$src/desktop/plandeck.svg"
grep -qx 'Exec=plandeck %f' "$src/desktop/plandeck.desktop" || fail "Exec line"
grep -qx 'MimeType=application/x-plandeck-drawing;' "$src/desktop/plandeck.desktop" || fail "MimeType line"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The MIME database built from our package maps .gck files, without case.
mkdir -p "$scratch/mime/packages"
cp "$src/desktop/plandeck-mime.xml" "$scratch/mime/packages/plandeck.xml"
update-mime-database "$scratch/mime" >/dev/null 2>&1 || fail "update-mime-database rejected the package"
grep -q '^50:application/x-plandeck-drawing:\*\.gck$' "$scratch/mime/globs2" || fail "no case-insensitive *.gck glob"
[ -f "$scratch/mime/application/x-plandeck-drawing.xml" ] || fail "MIME type not registered"

prefix="$scratch/prefix"
# Only the desktop component: the rest needs a full build first.
"$cmake" --install "$build" --component desktop --prefix "$prefix" >"$scratch/install.log" ||
  { cat "$scratch/install.log"; fail "install"; }
for f in share/applications/plandeck.desktop \
         share/icons/hicolor/scalable/apps/plandeck.svg \
         share/mime/packages/plandeck.xml; do
  [ -f "$prefix/$f" ] || fail "$f not installed"
  grep -q "$prefix/$f" "$scratch/install.log" || fail "$f not listed by cmake --install"
done
echo "desktop files: OK"
