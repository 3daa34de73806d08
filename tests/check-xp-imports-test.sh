#!/usr/bin/env bash
# The import check must fail, saying why, wherever it could not really look. Usage:
# check-xp-imports-test.sh OBJDUMP CANARY, a CANARY that imports GetTickCount64 (the test
# programs do, through winpthreads).
set -uo pipefail
objdump=$1 canary=$2 here=$(cd "$(dirname "$0")/.." && pwd) work=$(mktemp -d) failed=0
trap 'rm -rf "$work"' EXIT
cp "$here/scripts/check-xp-imports" "$work/"
list=$here/scripts/post-xp-apis.txt
# Each case: how the list is made, the files checked, what the failure must say.
while IFS='|' read -r make files wanted; do
  rm -f "$work/post-xp-apis.txt"
  eval "$make" && out=$(eval "\"$work/check-xp-imports\" $objdump $files" 2>&1) &&
    { echo "FAIL ($make): passed: $out"; failed=1; continue; }
  grep -qF -- "$wanted" <<<"$out" || { echo "FAIL ($make): no \"$wanted\" in: $out"; failed=1; }
done <<EOT
cp "$list" "$work/"|"$canary"|kernel32.dll!GetTickCount64
sed 's/\$/\r/' "$list" >"$work/post-xp-apis.txt"|"$canary"|kernel32.dll!GetTickCount64
: >"$work/post-xp-apis.txt"|"$canary"|lists no function
grep '^#' "$list" >"$work/post-xp-apis.txt"|"$canary"|lists no function
sed 's/\t/ /' "$list" >"$work/post-xp-apis.txt"|"$canary"|not "dll<TAB>function"
sed 's/GetTickCount64/GetTick Count64/' "$list" >"$work/post-xp-apis.txt"|"$canary"|GetTick Count64
sed 's/GetTickCount64\$/GetTickCount64 /' "$list" >"$work/post-xp-apis.txt"|"$canary"|kernel32.dll!GetTickCount64
sed 's/^\([a-z]\)/ \1/' "$list" >"$work/post-xp-apis.txt"|"$canary"|kernel32.dll!GetTickCount64
sed 's/^kernel32\.dll/KERNEL32.DLL/' "$list" >"$work/post-xp-apis.txt"|"$canary"|kernel32.dll!GetTickCount64
true|"$canary"|is missing
cp "$list" "$work/"||no file to check
cp "$list" "$work/"|"$list"|cannot read it
EOT
[ "$failed" -eq 0 ] && echo "the import check fails wherever it cannot look"
exit "$failed"
