#!/usr/bin/env bash
# Runs each fuzzer in build/native for the given number of seconds (default
# 10) and ends with a "N passed, N failed" line: a fuzzer passes when it finds
# nothing. Each starts from a seed corpus written here from crafted inputs
# (build/native/corpus/NAME, kept between runs so that it grows): recordings
# whole and cut, program images with their markers at the edges, names with
# two-byte characters whose second byte is a backslash, command lines, window
# notes in records and in words.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-10}
passed=0
failed=0

# seed FUZZER NAME PRINTF-FORMAT [ARGS]: one crafted input of the fuzzer's corpus.
seed() {
  mkdir -p "build/native/corpus/$1"
  printf "${@:3}" >"build/native/corpus/$1/seed-$2"
}
key='\x00\x01\x00\x00\x41\x1e\x00\x00\x1e\x00\x00\x00\x88\x13\x00\x00\x20\x00\x01\x00'  # a key down
move='\x00\x02\x00\x00\x0a\x00\x00\x00\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'  # to 10 20
# a window note: class Notepad, title "a.txt - Note", at -8 80, 640 by 480
note='\x57\x80\x00\x00\xf8\xff\xff\xff\x50\x00\x00\x00\x00\x00\x00\x00\x80\x02\xe0\x01\x58\x80\x00\x00\x4e\x6f\x74\x65\x70\x61\x64\x00\x00\x00\x00\x00\x61\x2e\x74\x78\x58\x80\x00\x00\x74\x20\x2d\x20\x4e\x6f\x74\x65\x00\x00\x00\x00\x00\x00\x00\x00'
seed recording_fuzz one-key "$key"
seed recording_fuzz window-note "$note"
seed rec_text_fuzz noted-key "$move$note$key"
seed rec_text_fuzz window-lines '0 move 1 2\n0 window "\xe8\xae\xb0 \\"q\\" \\\\x #1\\x81" class "#32770" at -8 80 size 640 480\n0 key-down A\n0 WINDOW none\n0 window "" class B at 0x10 -0x10 size 0 65535\n'
seed rec_text_fuzz class-title 'Afx:00400000:8\x00\xce\xde\xb1\xea\xcc\xe2 - \xbc\xc7\xca\xc2\xb1\xbe \x81'  # a class and a title, as the note fuzz reads them
seed recording_fuzz keys-end-marker "$key$key$(printf '\\x00%.0s' {1..20})"
seed recording_fuzz cut-record "$key"'\x00\x02\x00'
seed recording_fuzz move-first '\x00\x02\x00\x00\x0a\x00\x00\x00\x14\x00\x00\x00\x88\x13\x00\x00\x20\x00\x01\x00'
seed recording_fuzz marker-at-end '\x21\x07\x00\x00\x00MZ..$$$$$..@@@@@'
seed recording_fuzz marker-cut '\x07\xff\xff\xff\x7fabc@@@@@'
seed recording_fuzz gbk-name '"C:\\\x81\\My Macros\\\xbc\xc7\xbc\xc7.rec"\x00\x00\x10\x00'
seed text_fuzz command-line '"C:\\Program Files\\k.exe"  \xce\xc4.rec'
seed text_fuzz numbers '\xb4-\xce7 -2147483648 4294967297'
seed text_fuzz title '\x03\x00\x00\x00\xe8\x03\x00\x00\xff\xff\xff\x7f\xfc\xff\xff\xff\x2c\x01\x00\x00\x01\x01demo.rec'
seed rec_text_fuzz held-click '\x00\x02\x00\x00\x05\x00\x00\x00\x07\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x01\x02\x00\x00\x05\x00\x00\x00\x07\x00\x00\x00\x90\x01\x00\x00\x00\x00\x00\x00'  # a move, then the left button held
seed rec_text_fuzz aliases '\xef\xbb\xbfstart 0x10\n0x5 key-down Escape scan 0x1\n-3 key-up VK_RETURN\n0 key-down 186\n'
seed rec_text_fuzz hex-positions '0 move 0xffffffff -0x10 window 16\n1 left-down -2147483648 0x7fffffff\n0 key-up PgDn\n'
seed rec_text_fuzz wheels '0 move 5 6\n2 wheel -120 at 412 300\n1 hwheel 0x1e at -10 5\n0 key-down MiddleButton\n0 key-up XButton2 scan 0\n'
seed rec_text_fuzz wheel-records '\x00\x02\x00\x00\x0a\x00\x00\x00\x14\x00\x00\x00\x88\x13\x00\x00\x20\x00\x01\x00\x0a\x02\x00\x00\x9c\x01\x00\x00\x2c\x01\x00\x00\x8a\x13\x00\x00\x88\xff\xff\xff\x0e\x02\x00\x00\xf6\xff\xff\xff\x05\x00\x00\x00\x8b\x13\x00\x00\x1e\x00\x00\x00'
seed text_fuzz settings-path %s "C:\\tools.old\\$(printf 'a%.0s' {1..250})"

for fuzzer in build/native/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=build/native/corpus/$name
  mkdir -p "$corpus"
  if "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix=build/native/ "$corpus" \
      >"build/native/$name.log" 2>&1; then
    echo "PASS $name ($seconds s, from $(find "$corpus" -name 'seed-*' | wc -l) seeds)"
    passed=$((passed + 1))
  else
    echo "FAIL $name: see build/native/$name.log"
    tail -n 30 "build/native/$name.log"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
