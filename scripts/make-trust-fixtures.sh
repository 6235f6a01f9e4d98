#!/usr/bin/env bash
# Signed server folders made by the real minisign tool, for the tests that
# check signatures where minisign cannot run (the Windows suite under Wine):
#   make-trust-fixtures.sh DIR
# DIR/key.pub signs prehashed/ and legacy/ (minisign -l); other/ is signed by
# DIR/other.pub; altered/ had a file changed and badlist/ its SHA256SUMS
# changed after signing. Each folder holds zelvak.rar and verzk.txt.
set -euo pipefail
dir="$1"
rm -rf "$dir"
mkdir -p "$dir"
minisign -G -W -p "$dir/key.pub" -s "$dir/key.sec" >/dev/null
minisign -G -W -p "$dir/other.pub" -s "$dir/other.sec" >/dev/null

signed_folder() {
  local name="$1" key="$2"
  shift 2
  mkdir -p "$dir/$name"
  printf 'archive bytes' >"$dir/$name/zelvak.rar"
  printf '2027' >"$dir/$name/verzk.txt"
  (cd "$dir/$name" && sha256sum zelvak.rar verzk.txt >SHA256SUMS)
  minisign -S -s "$dir/$key.sec" -m "$dir/$name/SHA256SUMS" \
    -t "$(printf 'timestamp:1790000000\tfile:SHA256SUMS')" "$@" >/dev/null
}

signed_folder prehashed key
signed_folder legacy key -l
signed_folder other other
signed_folder altered key
printf 'archive bytez' >"$dir/altered/zelvak.rar"
signed_folder badlist key
# One hexadecimal digit of the list changed: still a list, no longer the signed one.
first="$(head -c 1 "$dir/badlist/SHA256SUMS")"
replacement=0
[ "$first" = 0 ] && replacement=1
printf '%s' "$replacement" | dd of="$dir/badlist/SHA256SUMS" bs=1 seek=0 conv=notrunc status=none
