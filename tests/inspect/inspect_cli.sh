#!/usr/bin/env bash
# VekSecurity --inspect on a document of each native format, and --list --recheck over a result file that
# lists them: the counts printed are those the documents were written with.
#   inspect_cli.sh MAKE_DEMO_DOCS VEKSECURITY
set -euo pipefail
make_docs=$1 program=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/C"
printf '%s\r\n' "$(printf '파일명,개인정보종류,검출수,경로' | iconv -f UTF-8 -t CP949)" > "$dir/C/result.csv"
"$make_docs" "$dir" --manifest > "$dir/manifest" 2>/dev/null
failed=0
formats=0
while IFS=$'\t' read -r file expected; do
  formats=$((formats + 1))
  got=$("$program" --inspect "$file" 2>/dev/null | tail -n 1)
  if [ "$got" != "$expected" ]; then
    echo "FAIL --inspect $file"
    echo "  expected: $expected"
    echo "  got:      $got"
    failed=1
  fi
done < "$dir/manifest"
[ "$formats" -ge 8 ] || { echo "FAIL: the generator wrote $formats documents"; failed=1; }

# --recheck: the fifth field is what the file holds now, the scanner's count being the truth here.
csv=$(VEKSECURITY_DRIVE_C="$dir/C" VEKSECURITY_DRIVE_D="$dir/D" "$program" --list "$dir/C/result.csv" --keywords off --recheck 2>/dev/null)
rows=$(printf '%s\n' "$csv" | grep -c . || true)
[ "$rows" -eq "$formats" ] || { echo "FAIL --recheck listed $rows rows, not $formats"; failed=1; }
while IFS=, read -r name kind hits folder now; do
  if [ "$hits" != "$now" ]; then
    echo "FAIL --recheck $name: scanner $hits, found now '$now'"
    failed=1
  fi
done <<< "$csv"
# A listed file that cannot be read leaves the field empty and is named on the error output.
printf 'not a zip' > "$dir/D/업무자료/2024/미리보기/연락처_미리보기.xlsx"
line=$(VEKSECURITY_DRIVE_C="$dir/C" VEKSECURITY_DRIVE_D="$dir/D" "$program" --list "$dir/C/result.csv" --keywords off \
  --recheck 2>"$dir/err" | grep '연락처_미리보기' || true)
[ "${line##*,}" = "" ] || { echo "FAIL: a damaged file has a count: $line"; failed=1; }
grep -q '연락처_미리보기.xlsx: .*xlsx 형식이 아니어서' "$dir/err" || { echo "FAIL: no sentence for a damaged file"; cat "$dir/err"; failed=1; }
"$program" --inspect "$dir/없는파일.docx" >/dev/null 2>"$dir/err" && { echo "FAIL: --inspect of a missing file exits 0"; failed=1; }
grep -q '파일이 없습니다.' "$dir/err" || { echo "FAIL: no sentence for a missing file"; cat "$dir/err"; failed=1; }
exit $failed
