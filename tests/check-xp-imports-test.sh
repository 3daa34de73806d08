#!/usr/bin/env bash
# The import check must fail, and say why, wherever it could not really look. Usage:
# check-xp-imports-test.sh OBJDUMP CANARY, where CANARY imports GetTickCount64 (the test
# programs do, through winpthreads).
set -uo pipefail
objdump=$1 canary=$2
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/scripts/check-xp-imports" "$work/"
failed=0

# expect LIST-KIND WANTED-OUTPUT [FILES...]: the check with such a list must fail and print that.
expect() {
  local kind=$1 wanted=$2
  shift 2
  rm -f "$work/post-xp-apis.txt"
  case $kind in
    lf) cp "$here/scripts/post-xp-apis.txt" "$work/" ;;
    crlf) sed 's/$/\r/' "$here/scripts/post-xp-apis.txt" >"$work/post-xp-apis.txt" ;;
    empty) : >"$work/post-xp-apis.txt" ;;
    comments) grep '^#' "$here/scripts/post-xp-apis.txt" >"$work/post-xp-apis.txt" ;;
    blanks) sed 's/\t/ /' "$here/scripts/post-xp-apis.txt" >"$work/post-xp-apis.txt" ;;
    missing) ;;
  esac
  local out
  if out=$("$work/check-xp-imports" "$objdump" "$@" 2>&1); then
    echo "FAIL ($kind list, files: $*): passed: $out"; failed=1
  elif ! grep -qF -- "$wanted" <<<"$out"; then
    echo "FAIL ($kind list, files: $*): no \"$wanted\" in: $out"; failed=1
  fi
}

expect lf "kernel32.dll!GetTickCount64" "$canary"
expect crlf "kernel32.dll!GetTickCount64" "$canary"
expect empty "lists no function" "$canary"
expect comments "lists no function" "$canary"
expect blanks "not \"dll<TAB>function\"" "$canary"
expect missing "is missing" "$canary"
expect lf "no file to check"
expect lf "cannot read it" "$here/scripts/post-xp-apis.txt"
[ "$failed" -eq 0 ] && echo "the import check fails wherever it cannot look"
exit "$failed"
