#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own. The layers, from
# the bottom: records/, pedigree/, export/, driver/, tools/. Tests may include anything.
# Within tools/ each program keeps to its own folder, except that pedprep may use pedinfo's
# analysis (never the reverse); pedgen uses neither.
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
# Whether a file of tools/$1 may include a header of tools/$2.
tool_may_use() {
  [ "$1" = "$2" ] || [ "$1/$2" = "pedprep/pedinfo" ]
}
status=0
while read -r file; do
  own=$(rank "${file%%/*}")
  while read -r header; do
    if [ "$(rank "${header%%/*}")" -gt "$own" ]; then
      echo "$file includes $header, from a layer above its own"
      status=1
    elif [[ $file == tools/*/* && $header == tools/*/* ]]; then
      user=${file#tools/}
      used=${header#tools/}
      if ! tool_may_use "${user%%/*}" "${used%%/*}"; then
        echo "$file includes $header, from a program it may not use"
        status=1
      fi
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find records pedigree export driver tools -name '*.cc' -o -name '*.h' | grep -Ev '(_test\.cc|/test_[a-z_]*\.h)$')
[ $status -eq 0 ] && echo "layers: every include stays at or below its own layer"
exit $status
