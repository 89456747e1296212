#!/usr/bin/env bash
# check-installed-designer.sh BUILD_DIR: installs BUILD_DIR into a temporary prefix and runs
# the installed varn-designer, which must find the installed packages by itself.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
output=$(env -u LD_LIBRARY_PATH "$prefix/bin/varn-designer" palette)
for component in TDBLocateEdit TDBFieldComboBox TDBSortComboBox TDBGridTitleSort TDBFilterGrid; do
  grep -q "^  $component, bitmap 24x24" <<<"$output" || {
    echo "installed varn-designer palette lacks $component:"
    echo "$output"
    exit 1
  }
done
values=$(env -u LD_LIBRARY_PATH "$prefix/bin/varn-designer" values TDBGridTitleSort ClickedTitleMask)
[ "$values" = $'%t (sorted)\n%t %s\n%t (%i)\n%i: %t' ] || {
  echo "installed varn-designer values: $values"
  exit 1
}
echo "installed varn-designer: palette and values pass"
