#!/usr/bin/env bash
# Reads help.chm back with an independent CHM reader: it must be a valid CHM file that
# holds /Introduction.htm and the other pages exactly as written, name the introduction
# as its default topic, and every link in a page must lead to a page inside it.
# Usage: check_chm.sh help.chm PAGES_DIR
set -euo pipefail
CHM="$1" PAGES="$2"
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT

failures=0
check() {
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

listing="$(enum_chmLib "$CHM")"
lists() { grep -qE "[[:space:]]$1\$" <<<"$listing"; }
check "the reader opens it and lists /Introduction.htm" lists /Introduction.htm
for page in OutputFile.htm Troubleshooting.htm style.css toc.hhc; do check "lists /$page" lists "/$page"; done

extract_chmLib "$CHM" "$OUT" >/dev/null
for page in Introduction.htm OutputFile.htm Troubleshooting.htm; do
  check "$page reads back as written" cmp -s "$PAGES/$page" "$OUT/$page"
done
check "the introduction is the default topic" grep -qa 'Introduction.htm' "$OUT/#SYSTEM"

for page in "$PAGES"/*.htm; do
  for target in $(grep -o 'href="[^"#]*' "$page" | sed 's/href="//' | sort -u); do
    check "$(basename "$page") links to $target inside the file" test -f "$OUT/$target"
  done
done

echo "$failures failed"
[ "$failures" -eq 0 ]
