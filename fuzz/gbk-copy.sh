#!/usr/bin/env bash
# gbk-copy.sh SOURCE_DIR OUT_DIR FILE...: copies the files (paths relative to SOURCE_DIR)
# under OUT_DIR converted to GBK, the bytes GCC's -fexec-charset=GBK gives their string
# literals; clang, which has no other execution character set than UTF-8, compiles the
# copies and passes the bytes through. A file with a character whose GBK trail byte is a
# backslash is refused: in a literal that byte would escape the next character, at the end
# of a comment it would join the next line to it. A copy is rewritten only when it changes;
# a copy of a file no longer given is removed.
set -euo pipefail
src=$1
out=$2
shift 2
for f in "$@"; do
  mkdir -p "$out/$(dirname "$f")"
  tmp="$out/$f.tmp"
  if ! iconv -f UTF-8 -t GBK "$src/$f" >"$tmp"; then
    echo "gbk-copy: $f holds a character that GBK has not" >&2
    exit 1
  fi
  if ! LC_ALL=C perl -0777 -ne '
      my $trail = 0;
      while (/\G(?:[\x00-\x80\xFF]|[\x81-\xFE]([\x40-\xFE]))/gc) { $trail = 1 if defined $1 && $1 eq "\\" }
      exit(($trail || (pos() // 0) != length) ? 1 : 0);' "$tmp"; then
    echo "gbk-copy: $f has a character whose GBK form ends in a backslash" >&2
    exit 1
  fi
  if cmp -s "$tmp" "$out/$f"; then rm "$tmp"; else mv "$tmp" "$out/$f"; fi
done
declare -A given
for f in "$@"; do given[$f]=1; done
while IFS= read -r copy; do
  [ -n "${given[$copy]:-}" ] || rm -f "$out/$copy"
done < <(cd "$out" && find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||')
