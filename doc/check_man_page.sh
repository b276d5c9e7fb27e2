#!/bin/sh
# Checks one man page: it renders under groff with every warning turned on and prints none,
# and it has a SEE ALSO section. Exits 77 (skipped) where groff is not installed.
page="$1"
if ! command -v groff > /dev/null; then
  echo "groff is not installed: $page not checked"
  exit 77
fi
warnings=$(groff -ww -man -Tutf8 "$page" 2>&1 > /dev/null)
if [ -n "$warnings" ]; then
  echo "$page: groff warns:"
  echo "$warnings"
  exit 1
fi
if ! grep -q '^\.SH "*SEE ALSO' "$page"; then
  echo "$page: no SEE ALSO section"
  exit 1
fi
