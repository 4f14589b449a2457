#!/usr/bin/env bash
# Writes the committed seed inputs of the fuzz targets, each a hand-made case
# in the input layout that its target's source describes. Run it after a
# layout changes; the seeds under corpus/ are its output.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p corpus && cd corpus

# Little-endian integer of $1 bytes.
le() {
  local bytes=$1 value=$2 i
  for ((i = 0; i < bytes; i++)); do
    printf "\\x$(printf %02x $(((value >> (8 * i)) & 255)))"
  done
}
u16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; }
repeat() { local i; for ((i = 0; i < $2; i++)); do printf '%s' "$1"; done; }
# A 2-byte length and the text's bytes.
counted() { le 2 "${#1}"; printf '%s' "$1"; }
seed() { rm -f "$1"; cat >"$1"; }

mkdir -p command_line string_block ports_format wide_string tree_names

# command_line: LANGID, window handle, program path length, raw command line.
cl() { le 2 "$1"; le 8 "$2"; le 2 "$3"; }
{ cl 0x0409 66 40; u16 '"C:\Setup\QuillaneSetup.exe"'; } | seed command_line/interactive-no-arguments
{ cl 0x0411 66 60; u16 'QuillaneSetup.exe -s1 -KP:COM3 -KV:LPT2'; } | seed command_line/quiet-ports-japanese
{ cl 0x0409 0x000A0F2C 60; u16 'setup.exe  -S1 -KP:COM03,4 -KV:COM 3 -KP:LPT9 -KV:LPT-1 -KV:COM99999999999'; } |
  seed command_line/port-number-forms
{ cl 0x0804 -1 259; u16 $'"C:\\a b\\setup.exe"\t -u3 -s1 -km'; } | seed command_line/cleanup-windows2000
{ cl 0x0404 66 50; u16 'setup -s1 -KP:LPT1 -KV:LPT1 TSetDialog'; } | seed command_line/same-port-both
{ cl 0x0C04 -66 50; u16 'setup -U1 -s1 -KV:COM2 -KP:COM33 -KM'; } | seed command_line/kv-without-kp
# Mode 2 in English with window 66: a 259-unit path, the blank and the
# argument text fill the 1024 units exactly; one more unit does not fit.
{ cl 0x0409 66 259; u16 "x.exe -u1 $(repeat a 708)"; } | seed command_line/at-launch-limit
{ cl 0x0409 66 259; u16 "x.exe -u1 $(repeat a 709)"; } | seed command_line/past-launch-limit
{ cl 0x0409 66 10; u16 $'prog\x01\x1f-s1 -KP:COM7'; le 2 0; u16 '-u3'; } | seed command_line/separators-and-nul
{ cl 0x0411 66 30; u16 'セットアップ.exe -s1 -KP:COM１ -KV:COM	+4'; } | seed command_line/wide-characters

# string_block: LANGID, result code, string id, entry index, alignment, block.
block8() {
  local entry
  for entry in '' '' setup.exe '' data1.cab data1.hdr data2.cab ISSetup.dll layout.bin setup.ini \
    setup.inx '{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}' 0x0409.ini 0x0411.ini ReadMeE.txt \
    "Quillane_User'sManual.pdf"; do
    le 2 "${#entry}"
    u16 "$entry"
  done
}
sb() { le 2 "$1"; le 4 "$2"; le 4 "$3"; le 1 "$4"; le 1 "$5"; }
{ sb 1041 101 114 2 0; block8; } | seed string_block/setup-exe
{ sb 1033 1001 123 11 1; block8; } | seed string_block/product-code-unaligned
{ sb 2052 102 115 3 0; block8; } | seed string_block/empty-entry
# The header and 121 bytes of the block: the last entry is cut short, at an odd size.
{ sb 1028 104 127 15 0; block8; } | seed string_block/last-entry-cut-short
truncate -s $((12 + 121)) string_block/last-entry-cut-short
{ sb 1033 106 0 0 0; le 2 7; u16 abc; le 2 0; u16 def; } | seed string_block/nul-inside-entry
{ sb 3082 0 1 1 0; le 2 0xFFFF; u16 abc; } | seed string_block/length-past-block
{ sb 1041 -1 0xFFFFFFFF 16 1; block8; } | seed string_block/index-outside-block

# ports_format: port, flags, enabled, capacity, eight values, instance,
# PortName, Driver, VrnID, HardwareID.
pf() { le 4 "$1"; le 1 "$2"; le 4 "$3"; le 2 "$4"; shift 4; local value; for value; do le 4 "$value"; done; }
guid='{4d36e978-e325-11ce-bfc1-08002be10318}'
{ pf 3 0 0 1024 0 0 0 0 1 0 0 0; counted 0001; counted COM7; counted "$guid\\0002"; counted ''
  printf 'UMDF\\VarnoPortEmulator\0ROOT\\x\0\0'; } | seed ports_format/kp-port-line-and-emulator
{ pf 40 3 1 16 -1 -1 -1 -1 -1 -1 -1 -1; counted '5&2a3b&0&1'; counted COM12; counted noslash
  counted ID-1234; printf 'ROOT\\modem\0'; } | seed ports_format/kv-port-40-small-buffer
{ pf 41 2 2 0 1 2 3 4 5 6 7 8; counted '  -12x'; counted COM1; counted 'a\-7'; counted x
  printf 'umdf\\varnoportemulatoR'; } | seed ports_format/out-of-range-unterminated-id
{ pf 1 1 0 1099 -2147483648 2147483647 0 0 0 0 0 0; counted "$(repeat i 259)"
  counted "$(repeat p 260)"; counted '\99999999999'; counted "$(repeat d 260)"
  printf 'USB\\umdf\\varnoportemulator'; } | seed ports_format/longest-texts
# "3=0,0001\n" and its terminator fill 10 bytes exactly; 9 are one short.
{ pf 3 0 0 10 0 0 0 0 0 0 0 0; counted 0001; counted COM3; counted "$guid"; counted ''; } |
  seed ports_format/exact-fit
{ pf 3 0 0 9 0 0 0 0 0 0 0 0; counted 0001; counted COM3; counted "$guid"; counted ''; } |
  seed ports_format/one-byte-short

# wide_string: operations, each an opcode, two string numbers, operands.
op() { le 1 "$1"; le 1 "$2"; le 1 "$3"; }
units() { le 1 "${#1}"; u16 "$1"; }
{ op 0 0 0; units 0123456789; op 2 0 0; op 2 0 0; op 3 0 0; le 2 3; le 2 5; op 2 1 0; op 4 1 0; le 2 0x3042
  op 2 0 1; } | seed wide_string/append-self-while-growing
{ op 1 0 0; le 1 12; u16 prefix-tail; le 2 0; op 6 0 0; le 2 7; le 1 0; op 0 1 0; units abcdef
  op 6 1 0; le 2 2; le 1 1; le 2 3; } | seed wide_string/assign-own-part
{ op 0 0 0; units abcabc; op 11 0 0; le 1 3; u16 cab; le 2 0; op 12 0 0; le 2 1; le 1 2; le 2 2
  op 11 0 0; le 1 0; le 2 0xFFFF; op 14 0 0; le 2 4; } | seed wide_string/find-from-positions
{ op 0 0 0; units x; op 8 1 0; op 9 2 1; op 9 2 2; op 10 0 2; units ab; op 13 0 2; units x
  op 7 2 0; op 13 0 2; units ''; } | seed wide_string/copy-move-compare
{ op 15 0 0; le 1 0; le 2 258; u16 "$(repeat a 258)"; op 15 0 0; le 1 1; units b; op 15 0 0; le 1 1
  units c; op 15 0 1; le 1 0; le 2 4; u16 wxyz; op 15 0 1; le 1 3; le 2 2; u16 PQR; op 15 0 2
  le 1 2; } | seed wide_string/path-buffers-full

# tree_names: length of the entry name, then the path and the entry.
{ le 1 6; u16 'C:\Users\USER~1\AppData\Local\Temp\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\'; u16 'kpusb0'; } |
  seed tree_names/working-root-short-spelling
{ le 1 5; u16 '\VARNO'; u16 'VARNO'; } | seed tree_names/empty-program-files
{ le 1 3; u16 '\\?\C:\'; u16 'ab.'; } | seed tree_names/volume-root
{ le 1 2; u16 'C:..'; u16 '..'; } | seed tree_names/drive-relative-dots
