#!/usr/bin/env bash
# Fails when a core source (anything under src/ outside a qt/ folder) includes Qt.
src=${1:?source folder}
hits=$(grep -rlE '^\s*#\s*include\s*[<"]Q' "$src" --include='*.h' --include='*.cpp' | grep -v '/qt/' || true)
if [ -n "$hits" ]; then
  echo "Qt included in core code:"; echo "$hits"; exit 1
fi
echo "core is free of Qt"
