#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own. The layers, from
# the bottom: records/, pedigree/, export/, driver/, tools/. Tests may include anything.
cd "$(dirname "$0")/.." || exit 2
rank() {
  case "$1" in
    records) echo 1 ;;
    pedigree) echo 2 ;;
    export) echo 3 ;;
    driver) echo 4 ;;
    tools) echo 5 ;;
    *) echo 9 ;;  # testing/ and anything else: never below a production layer
  esac
}
status=0
while read -r file; do
  own=$(rank "${file%%/*}")
  while read -r header; do
    if [ "$(rank "${header%%/*}")" -gt "$own" ]; then
      echo "$file includes $header, from a layer above its own"
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find records pedigree export driver tools -name '*.cc' -o -name '*.h' | grep -Ev '(_test\.cc|/test_[a-z_]*\.h)$')
[ $status -eq 0 ] && echo "layers: every include stays at or below its own layer"
exit $status
