#!/usr/bin/env bash
# Usage: check_library_install.sh <build dir> <cmake>
# Installs the bundled libraries into a scratch prefix and compares them with
# the ones the build wrote beside the program.
set -euo pipefail
build=$1 cmake=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$cmake" --install "$build" --component library --prefix "$scratch" >"$scratch/install.log" ||
  { cat "$scratch/install.log"; fail "install"; }
for f in 场地图例.tkk 填充图案.tck; do
  [ -s "$build/app/图例文件/$f" ] || fail "$f was not written beside the program"
  [ -f "$scratch/share/plandeck/图例文件/$f" ] || fail "$f not installed"
  cmp -s "$build/app/图例文件/$f" "$scratch/share/plandeck/图例文件/$f" || fail "$f differs from the built one"
done
echo "bundled libraries: OK"
