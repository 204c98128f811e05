#!/usr/bin/env bash
# Builds a demo sandbox: two drive folders (C and D) with sample documents, and a scanner result file
# C/result.csv (CP949, CR LF) that names them. Some lines name files that do not exist, some hold kinds
# the keyword filter drops, so that every filter has something to do.
#   samples/make_demo.sh DIR
set -euo pipefail
dir=${1:?usage: make_demo.sh DIR}
rm -rf "$dir"
mkdir -p "$dir/C" "$dir/D"

kinds=("주민등록번호" "휴대폰번호" "주민등록번호, 전화번호" "계좌번호" "이메일" "여권번호" "핸드폰번호, 계좌번호" "운전면허번호")
folders=('D:\업무자료\2023\영업부' 'D:\업무자료\2023\인사팀' 'D:\업무자료\2024\고객관리' 'C:\Users\홍길동\Documents'
         'C:\Users\홍길동\Desktop\설문 결과' 'D:\공유\총무')
names=("고객명단" "급여대장" "설문응답" "회원목록" "연락처" "계약서" "신청서" "명부")
exts=("xlsx" "hwp" "docx" "txt" "pdf" "csv")

host_path() {  # Windows path -> host path under the sandbox
  local p=$1 drive=${1:0:1} rest=${1:3}
  printf '%s/%s/%s' "$dir" "$drive" "${rest//\\//}"
}

{
  printf '파일명,개인정보종류,검출수,경로,검사일시\r\n'
  for i in $(seq 0 39); do
    kind=${kinds[$((i % ${#kinds[@]}))]}
    folder=${folders[$((i % ${#folders[@]}))]}
    name="${names[$((i % ${#names[@]}))]}_$((2020 + i % 5))_$i.${exts[$((i % ${#exts[@]}))]}"
    hits=$(( (i * 37) % 240 + 1 ))
    kind_field=$kind
    [[ $kind == *,* ]] && kind_field=${kind//, /·}
    printf '%s,%s,%s,%s,2026-12-01 10:%02d\r\n' "$name" "$kind_field" "$hits" "$folder" "$i"
    if (( i % 7 != 3 )); then  # every seventh file was already removed by hand
      target=$(host_path "$folder")
      mkdir -p "$target"
      printf '샘플 문서 %s\n' "$name" > "$target/$name"
    fi
  done
} | iconv -f UTF-8 -t CP949 > "$dir/C/result.csv"
echo "$dir/C/result.csv"
