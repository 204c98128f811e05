#!/usr/bin/env bash
# Builds a demo sandbox: two drive folders (C and D) with a few hundred sample documents with Korean names
# in nested folders, and a scanner result file C/result.csv (CP949, CR LF) of about 300 lines that
# exercises every filter rule: kinds with and without a keyword, hit counts around 10 and 100, counts
# that are not integers, folders and kinds holding typical exclusion words (백업, 임시, 테스트), names
# with blanks around them, lines with fewer than four fields, files that no longer exist, a line that is
# not valid CP949, and a name the batch files must refuse (a double quote).
#   samples/make_demo.sh DIR        (prints the result file's path)
set -euo pipefail
dir=${1:?usage: make_demo.sh DIR}
rm -rf "$dir"
mkdir -p "$dir/C" "$dir/D"

kinds=("주민등록번호" "휴대폰번호" "주민등록번호·전화번호" "계좌번호" "이메일" "여권번호" "핸드폰번호·계좌번호"
       "운전면허번호" "전화번호" "주민등록번호(테스트)")
folders=('D:\업무자료\2023\영업부' 'D:\업무자료\2023\인사팀\급여' 'D:\업무자료\2024\고객관리\상반기'
         'C:\Users\홍길동\Documents' 'C:\Users\홍길동\Desktop\설문 결과' 'D:\공유\총무\백업'
         'D:\업무자료\2024\마케팅\행사 참가자' 'C:\Users\홍길동\Downloads\임시' 'D:\프로젝트\고객센터\상담이력')
names=("고객명단" "급여대장" "설문응답" "회원목록" "연락처" "계약서" "신청서" "명부" "상담기록" "참가자명단" "견적서")
exts=("xlsx" "hwp" "docx" "txt" "pdf" "csv" "pptx")

host_path() {  # Windows path -> host path under the sandbox
  local drive=${1:0:1} rest=${1:3}
  printf '%s/%s/%s' "$dir" "$drive" "${rest//\\//}"
}

make_file() {  # Windows folder, name
  local target
  target=$(host_path "$1")
  mkdir -p "$target"
  printf '샘플 문서: %s\n' "$2" > "$target/$2"
}

{
  printf '파일명,개인정보종류,검출수,경로,검사일시,비고\r\n'
  for i in $(seq 0 289); do
    kind=${kinds[$((i % ${#kinds[@]}))]}
    folder=${folders[$(((i / 3) % ${#folders[@]}))]}
    name="${names[$((i % ${#names[@]}))]}_$((2019 + i % 6))_$(printf '%03d' "$i").${exts[$((i % ${#exts[@]}))]}"
    hits=$(((i * 37) % 240 + 1))
    printf '%s,%s,%s,%s,2026-12-01 %02d:%02d,\r\n' "$name" "$kind" "$hits" "$folder" $((9 + i % 9)) $((i % 60))
    # About one file in eight was already removed by hand since the scan.
    if ((i % 8 != 5)); then make_file "$folder" "$name"; fi
  done
  # Lines that show the loader's rules one by one.
  printf ' 앞뒤공백 파일.hwp , 주민등록번호,  45,D:\\업무자료\\2023\\영업부\r\n'
  make_file 'D:\업무자료\2023\영업부' ' 앞뒤공백 파일.hwp '
  printf '건수뒤공백.xlsx,휴대폰번호,7 ,D:\\업무자료\\2023\\영업부\r\n'   # not an integer: the last count holds
  make_file 'D:\업무자료\2023\영업부' '건수뒤공백.xlsx'
  printf '건수없음.txt,계좌번호,,D:\\업무자료\\2023\\영업부\r\n'
  make_file 'D:\업무자료\2023\영업부' '건수없음.txt'
  printf '루트파일.txt,주민등록번호\r\n'                                   # fewer than four fields: root of C
  make_file 'C:\' '루트파일.txt'
  printf '따옴표"이름.txt,주민등록번호,3,D:\\업무자료\\2023\\영업부\r\n'  # listed, but no batch line
  make_file 'D:\업무자료\2023\영업부' '따옴표"이름.txt'
  printf '백분율 100%%.xlsx,전화번호,120,D:\\업무자료\\2024\\마케팅\\행사 참가자\r\n'
  make_file 'D:\업무자료\2024\마케팅\행사 참가자' '백분율 100%.xlsx'
  for i in $(seq 1 6); do
    printf '없는파일_%d.docx,주민등록번호,%d,D:\\업무자료\\삭제됨\r\n' "$i" $((i * 20))
  done
} | iconv -f UTF-8 -t CP949 > "$dir/C/result.csv"
"$(dirname "$0")/demo_docs.sh" "$dir"  # a document of each format the preview reads, with its lines
# A line that is not valid CP949 (skipped by the loader) and an empty last line.
printf 'broken\xff\xfe.txt,\xc1\xd6\xb9\xce,5,D:\\x\r\n\r\n' >> "$dir/C/result.csv"
echo "$dir/C/result.csv"
