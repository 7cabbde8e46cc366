#!/bin/sh
# cpack builds the Debian package; unpacked into a scratch root it holds both
# programs, their manual pages (which man reads without a warning), the
# completion of every converter option, the help file, the desktop entry,
# file types and icons, all under /usr, and depends on the libraries the
# programs link.
set -eu
build=$1
cpack=${2:-cpack}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && "$cpack" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$scratch/out/dravel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no package $deb"; ls "$scratch/out"; exit 1; }
[ "$(dpkg-deb -f "$deb" Package)" = dravel ]
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6 libqt6printsupport6; do
  echo "$depends" | grep -q "$lib" || { echo "Depends lacks $lib: $depends"; exit 1; }
done
root="$scratch/root"
dpkg -x "$deb" "$root"
for file in usr/bin/dravel usr/bin/dravel-conv usr/share/dravel/Dravel.hlp \
            usr/share/applications/dravel.desktop usr/share/mime/packages/dravel.xml \
            usr/share/icons/hicolor/48x48/apps/dravel.png usr/share/man/man1/dravel.1.gz \
            usr/share/man/man1/dravel-conv.1.gz usr/share/bash-completion/completions/dravel-conv \
            usr/share/doc/dravel/copyright usr/share/doc/dravel/changelog.gz; do
  [ -e "$root/$file" ] || { echo "missing: $file"; exit 1; }
done
[ -x "$root/usr/bin/dravel-conv" ]
outside=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || { echo "outside /usr: $outside"; exit 1; }
for page in dravel dravel-conv; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page.1: $warnings"; exit 1; }
done
completion="$root/usr/share/bash-completion/completions/dravel-conv"
for option in $("$build/tools/dravel-conv" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "$option" "$completion" || { echo "completion lacks $option"; exit 1; }
done
bash -c ". '$completion' && complete -p dravel-conv" >/dev/null
