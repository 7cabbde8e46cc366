#!/bin/sh
# cmake --install lays out both programs, the help file where the editor
# looks for it, the desktop entry, the file types and the icons.
set -eu
build=$1
cmake=${2:-cmake}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for file in bin/dravel bin/dravel-conv share/dravel/Dravel.hlp share/applications/dravel.desktop \
            share/mime/packages/dravel.xml share/icons/hicolor/48x48/apps/dravel.png \
            share/icons/hicolor/48x48/mimetypes/dravel-document.png; do
  [ -e "$prefix/$file" ] || { echo "missing: $file"; exit 1; }
done
[ -x "$prefix/bin/dravel-conv" ]
grep -q '^Exec=dravel %F$' "$prefix/share/applications/dravel.desktop"
grep -q '^Icon=dravel$' "$prefix/share/applications/dravel.desktop"
# Every type the desktop entry offers to open is one the package defines;
# never every binary file. "*.hex" is Intel HEX, as such files mostly are.
types=$(sed -n 's/^MimeType=//p' "$prefix/share/applications/dravel.desktop" | tr ';' ' ')
for type in $types; do
  grep -q "type=\"$type\"" "$prefix/share/mime/packages/dravel.xml" || { echo "undefined: $type"; exit 1; }
done
sed -n '/x-ihex/,/<\/mime-type>/p' "$prefix/share/mime/packages/dravel.xml" | grep -q 'pattern="\*.hex"' ||
  { echo "*.hex is not Intel HEX"; exit 1; }
"$prefix/bin/dravel-conv" --help >/dev/null
