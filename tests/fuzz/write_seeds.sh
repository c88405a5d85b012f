#!/usr/bin/env bash
# Writes the seed inputs of every fuzz target into corpus/<target>/ from the
# exchanges the unit tests use (the card status command F2 00 00 03 43 31 30
# 03 B0, the replies "P10000" and others). The files are committed; run this
# again only to change them. Each target's source describes its input layout.
set -euo pipefail
cd "$(dirname "$0")"
rm -rf corpus
mkdir -p corpus

# Hex pairs to bytes.
bytes() { local h; for h in "$@"; do printf "\\x$h"; done; }
# Text to hex pairs.
asc() { local s=$1 i; for ((i = 0; i < ${#s}; i++)); do printf '%02X ' "'${s:i:1}"; done; }
# A reply frame from address 0 around the text given as hex pairs.
frame() {
  local n=$# bcc h
  bcc=$((0xF2 ^ (n >> 8) ^ (n & 255) ^ 0x03))
  for h in "$@"; do bcc=$((bcc ^ 0x$h)); done
  printf 'F2 00 %02X %02X %s 03 %02X' $((n >> 8)) $((n & 255)) "$*" $bcc
}
# A command frame to address 0: command, parameter, data (hex pairs).
command() { frame 43 "$@"; }
# One delivery: delay in ms, then the bytes (hex pairs).
delivery() {
  local delay=$1
  shift
  printf '%02X %02X %02X %02X %s' $((delay >> 8)) $((delay & 255)) $(($# >> 8)) $(($# & 255)) "$*"
}
seed() { local target=$1 name=$2; shift 2; mkdir -p "corpus/$target"; bytes $* >"corpus/$target/$name"; }

P10000=$(frame $(asc P10000))
NEGATIVE=$(frame $(asc N1010))
STATUS=$(command 31 30)

# transaction: flags, port failure, monitor length, buffer size, deliveries.
seed transaction positive 00 00 00 00 $(delivery 10 06) $(delivery 10 $P10000)
seed transaction negative 00 00 00 00 $(delivery 10 06) $(delivery 10 $NEGATIVE)
seed transaction nak 00 00 00 00 $(delivery 5 15)
seed transaction silent 00 00 00 00
seed transaction reply-without-ack 00 00 00 00 $(delivery 5000 $P10000)
seed transaction rest-missing 00 00 00 00 $(delivery 10 06) $(delivery 10 F2 00 00 06 50 31 30)
seed transaction two-after-eot 00 00 00 00 $(delivery 10 06) $(delivery 6490 AA BB)
seed transaction one-after-eot 00 00 00 00 $(delivery 10 06) $(delivery 6490 15)
seed transaction port-fails 02 02 00 00 $(delivery 10 06) $(delivery 10 F2 00 00 06)
seed transaction short-buffer 0C 00 8A 10 $(delivery 10 06) $(delivery 10 $P10000)
seed transaction oversize 00 00 00 00 $(delivery 10 06) \
  $(delivery 10 $(frame $(asc P10000) $(printf '41 %.0s' $(seq 1094))))

# traffic: routine and port failure flags, port failure, command and
# parameter codes, deliveries.
SENSORS=$(frame $(asc P11000100000000001))
seed traffic card-status 00 00 31 30 $(delivery 10 06) $(delivery 10 $(frame $(asc P10120)))
seed traffic sensor-status 00 00 31 31 $(delivery 10 06) $(delivery 10 $SENSORS)
seed traffic card-type 00 00 50 31 $(delivery 10 06) $(delivery 10 $(frame $(asc PP100012)))
seed traffic negative 00 00 31 30 $(delivery 10 06) $(delivery 10 $NEGATIVE)
seed traffic nak 00 00 31 30 $(delivery 5 15)
seed traffic silent 00 00 31 30
seed traffic two-after-eot 00 00 31 30 $(delivery 10 06) $(delivery 6490 AA BB)
seed traffic one-after-eot 00 00 31 30 $(delivery 10 06) $(delivery 6490 15)
seed traffic truncated 00 00 31 30 $(delivery 10 06) $(delivery 10 F2 00 00 06 50 31)
seed traffic trailing 00 00 31 30 $(delivery 10 06) $(delivery 10 $P10000 55 66)
seed traffic port-fails 04 02 31 30 $(delivery 10 06) $(delivery 10 F2 00 00 06)
seed traffic unit-check 01 00 00 00 $(delivery 10 06) $(delivery 10 $P10000)
seed traffic probe 02 00 00 00 $(delivery 10 06) $(delivery 10 $P10000)
seed traffic console 03 00 A5 30 $(delivery 10 06) $(delivery 10 $(frame 50 A5 30 30 30 30 31 32 33))

# unit_check: flags, port failure, address text, deliveries.
seed unit_check positive 00 00 01 30 $(delivery 10 06) $(delivery 10 $P10000)
seed unit_check negative 00 00 01 30 $(delivery 10 06) $(delivery 10 $NEGATIVE)
seed unit_check other-reply 00 00 01 30 $(delivery 10 06) $(delivery 10 $(frame $(asc X10000)))
seed unit_check bad-check-byte 00 00 01 30 $(delivery 10 06) \
  $(delivery 10 F2 00 00 06 50 31 30 30 30 30 03 00)
seed unit_check address-f 06 00 01 46 $(delivery 10 06) $(delivery 10 $P10000)
seed unit_check late-ack 00 00 01 30 $(delivery 2900 06) $(delivery 2900 $P10000)

# frame_parser: pieces of gap (4 ms units), count, bytes.
piece() { local gap=$1; shift; printf '%02X %02X %s' "$gap" $# "$*"; }
seed frame_parser status $(piece 0 $STATUS)
seed frame_parser split $(piece 0 F2 00 00) $(piece 10 03 43 31 30 03 B0)
seed frame_parser gap $(piece 0 F2 00 00) $(piece 60 03 43 31 30 03 B0) $(piece 0 $STATUS)
seed frame_parser controls $(piece 0 06 04 15 $STATUS 04)
seed frame_parser bad-check-byte $(piece 0 F2 00 00 03 43 31 30 03 00)
seed frame_parser too-long $(piece 0 F2 00 FF FF 06)
seed frame_parser counter $(piece 0 $(command A5 31 30 30 37))

# device_model: fault, latency, pieces of gap (32 ms units), kind, content.
cmd() { local code=$1 parameter=$2; shift 2; printf '00 01 %s %s %02X %s' "$code" "$parameter" $# "$*"; }
ack() { printf '01 03'; }
seed device_model transport 00 05 $(cmd 30 30) $(ack) $(cmd 32 31) $(ack) $(cmd 31 30) $(ack) \
  $(cmd 31 31) $(ack) $(cmd 32 33) $(ack) $(cmd 33 30) $(ack) $(cmd 50 30) $(ack)
seed device_model identity 00 05 $(cmd A2 30 12) $(ack) $(cmd A3 30) $(ack) $(cmd A5 31 30 30 37) \
  $(ack) $(cmd A5 30) $(ack)
seed device_model raw 00 00 00 00 $(printf '%02X' $(echo $STATUS | wc -w)) $STATUS 00 00 01 04
seed device_model control 00 05 00 02 0A $(asc 'card 20/10') 00 02 06 $(asc insert) \
  $(cmd 30 31) $(ack)
for fault in 1 2 3 4 5 6 7 8; do
  seed device_model fault-$fault 0$fault 05 $(cmd 31 30) 80 03 $(cmd 31 30) 80 03
done

# device_operations: INITIALIZE choice, counter text, flags, deliveries.
ops() { local name=$1; shift; seed device_operations "$name" 30 01 37 00 $(delivery 10 06) \
  $(delivery 10 $(frame "$@")); }
ops card-status $(asc P10000)
ops sensors $(asc P11000101010101010)
ops configuration 50 A3 30 $(asc 0007101ER2220)
ops serial-number 50 A2 30 $(asc '000 KDX846-0001 ')
ops counter 50 A5 30 $(asc 000123)
ops initialize $(asc 'P00000KDX-846 V1.01')
ops negative $(asc N1010)
seed device_operations cancelled 00 02 31 32 01 $(delivery 10 06) $(delivery 10 $P10000)

# reply_texts: the bytes themselves.
seed reply_texts configuration $(asc 7101ER2220)
seed reply_texts status $(asc 210)
seed reply_texts negative $(asc B0)
seed reply_texts latin1 80 FF 20 41
seed reply_texts hex $(asc 'F2 00 03')

# device_operations, card type detection: the RF and IC type codes.
ops card-type-s50 50 50 31 $(asc 00010)
ops card-type-sle4442 50 50 30 $(asc 00020)
ops card-type-24c64 50 50 30 $(asc 00036)
ops card-type-unknown 50 50 30 $(asc '000 1')

# console_syntax: the address, then the text (a command line, a repeat
# count and a script at once).
seed console_syntax c04 00 $(asc C04)
seed console_syntax dollar-and-blank 00 $(asc 'C14$00 01')
seed console_syntax letters-as-digits 00 $(asc '$1Z$ff')
seed console_syntax pair-above-ff 00 $(asc 'C04$GG')
seed console_syntax repeat-count 00 $(asc ' 2.9 ')
seed console_syntax script 00 $(asc C10) 0D 0A 0D 0A $(asc '  ') 0D 0A $(asc C11) 0A 0D 0A
seed console_syntax long-line 00 $(printf '41 %.0s' $(seq 1020))

# run_options: the runner's arguments, a zero byte between two.
args() {
  local a sep=
  for a in "$@"; do
    printf '%s%s' "$sep" "$(asc "$a")"
    sep='00 '
  done
}
seed run_options one-unit $(args s.txt --port COM1 --repeat 3 --format=jsonl)
seed run_options station $(args s.txt --port COM1 --port=/dev/ttyUSB0 --duration 1h30m \
  --stop-on-failure --no-identify --junit run.xml --results runs.db)
seed run_options durations $(args 90s 30m 8h 8785h 0s 2d)

# console_transaction: flags, port failure, length offset, list entries
# (four per unit), the command line, deliveries.
line() { local s=$1; printf '%02X %s' ${#s} "$(asc "$s")"; }
seed console_transaction positive 00 00 00 00 $(line C10) $(delivery 10 06) $(delivery 10 $P10000)
seed console_transaction negative 00 00 00 00 $(line 'C10$41') $(delivery 10 06) \
  $(delivery 10 $NEGATIVE)
seed console_transaction silent 00 00 00 00 $(line C10)
seed console_transaction nak 00 00 00 00 $(line C10) $(delivery 10 15)
seed console_transaction no-head 00 00 00 00 $(line C10) $(delivery 10 06) $(delivery 12000 06)
seed console_transaction rest-missing 00 00 00 00 $(line C10) $(delivery 10 06) \
  $(delivery 10 F2 00 00 06 50 31 30)
seed console_transaction stop 02 00 00 00 $(line C10)
seed console_transaction cancel 04 00 00 00 $(line C10) $(delivery 10 06)
seed console_transaction full-lists 00 00 00 7E $(line C10) $(delivery 10 06) $(delivery 10 $P10000)
seed console_transaction short-length 00 00 FD 00 $(line C10) $(delivery 10 06) \
  $(delivery 10 $P10000)
seed console_transaction long-data 00 00 00 00 $(line "C10$(printf '%.0sA' $(seq 40))") \
  $(delivery 10 06) $(delivery 10 $(frame $(asc P10000) $(printf '%02X ' $(seq 0 39))))

# rf_replies: flags, input fields set (number, text), deliveries.
field() { local n=$1 s=$2; printf '%02X %s' "$n" "$(line "$s")"; }
rf() { local name=$1 fields=$2; shift 2; seed rf_replies "$name" 01 $fields $(delivery 10 06) \
  $(delivery 10 $(frame 50 60 "$@")); }
rf activate-type-a 00 30 30 30 30 41 04 00 04 01 02 03 0A 20 05 78 80
rf activate-type-b 00 30 30 30 30 42 50 12 34 56 78
rf activate-ultralight 00 30 30 30 30 4D 00 44 07 04 0A 22 33 44 55 66
rf status 00 32 30 30 30 $(asc 10)
rf block "01 $(field 9 01)" 33 30 30 30 05 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 90 00
rf page 00 33 30 30 30 01 02 03 04 05 06 07 08 90 00
rf value 00 33 30 30 30 10 27 00 00 90 00
rf error 00 33 30 30 30 6F 00
rf apdu "02 $(field 34 0084000008) $(field 35 00A4)" 35 30 30 30 01 02 03 04 90 00
seed rf_replies negative 01 00 $(delivery 10 06) $(delivery 10 $(frame 4E 60 33 30 31))
seed rf_replies trailer 01 03 $(field 9 03) $(field 11 00) $(field 12 '') $(delivery 10 06) \
  $(delivery 10 $(frame 50 60 33 30 30 30 90 00))

# contact_replies: input fields set (number, text), deliveries.
contact() { local name=$1 fields=$2; shift 2; seed contact_replies "$name" $fields \
  $(delivery 10 06) $(delivery 10 $(frame "$@")); }
contact sle4442-activate 00 $(asc PS0000) A2 13 10 91
contact sle-status 00 $(asc PS20001)
contact read-grid "01 $(field 1 03)" $(asc PS3000) 11 22 33 90 00
contact status-6b00 00 $(asc PS3000) 6B 00
contact no-status-word 00 $(asc PS3000) 90
contact long-read 00 $(asc PS3000) $(printf '%02X ' $(seq 0 129)) 90 00
contact 24c64-activate 00 $(asc PT00007)
contact cpu-cold-reset 00 $(asc PQ00000) 3B 02 14 50
contact cpu-apdu "01 $(field 14 00C0000018)" $(asc PQ90000) 6F 00 90 00
contact sam-status "01 $(field 17 'SAM 2')" $(asc PR200010)
contact emv-refusal 00 $(asc NQ069) 3B 02 14 50 31
contact write-grid "02 $(field 1 02) $(field 18 AB)" $(asc PS3000) 90 00

# decoders: the bytes themselves (answers to reset, to select, to request B,
# sector trailers; the last two bytes as a status word).
seed decoders atr-t0 3B 02 14 50
seed decoders atr-t1 3B FA 13 00 00 81 31 FE 45 4A 43 4F 50 34 31 56 32 32 31 96
seed decoders atr-inverse 3F 96 18 81 31 FE 45 49 53 4F 2D 54 31 98
seed decoders atr-global 3B 80 80 1F 07 18
seed decoders atr-compact-tlv 3B 8C 80 01 80 31 80 65 B0 83 11 C0 A9 82 90 00 00
seed decoders atr-category-00 3B 66 00 00 00 31 C0 05 90 00
seed decoders atr-waiting-time 3B D0 66 FF 40 0A
seed decoders ats 06 75 77 81 02 80
seed decoders ats-crc 08 28 00 4A 43 4F 50 76 AB CD
seed decoders atqb 50 3B 4C 5D 01 10 12 34 01 F3 80 86 20
seed decoders trailer-transport 00 00 00 00 00 00 FF 07 80 69 FF FF FF FF FF FF
seed decoders trailer-inconsistent 00 00 00 00 00 00 FF 07 81 69 FF FF FF FF FF FF
seed decoders response-6114 61 14
seed decoders response-63c2 01 02 63 C2

# session_file: session files as text (a header, then one exchange a line).
header='{"format":"kdx846-session","version":1,"tool":"kdx846-run 1.0","port":"COM1","path":"/dev/ttyS0","baud":9600,"address":"0","serial":"KDX846-00000000001","configuration":"7101ER2220","started":"2026-12-08T09:05:03.007"}'
positive='{"n":1,"source":"script","pass":1,"line":1,"time":"2026-12-08T09:05:03.007","sent":"F2 00 00 03 43 31 30 03 B0","received":[{"ms":5,"bytes":"06"},{"ms":10,"bytes":"F2 00 00 06"},{"ms":10,"bytes":"50 31 30 32 32 30 03 96"}],"host":[{"ms":10,"bytes":"06","after":3}],"outcome":"positive","kind":"positive","reply":"50 31 30 32 32 30 03 96","ms":10}'
negative='{"n":2,"source":"operation","time":"2026-12-08T09:05:04.007","sent":"F2 00 00 03 43 60 30 03 E1","received":[{"ms":5,"bytes":"06"},{"ms":10,"bytes":"F2 00 00 05 4E 60 30 30 34 03 EE"}],"host":[{"ms":10,"bytes":"06","after":2}],"outcome":"negative","code":"04","detail":"04 \u00e9","reply":"4E 60 30 30 34 03 EE","ms":10}'
late='{"n":3,"source":"scan","where":"COM2 9600 bits/s","pass":0,"line":0,"time":"2026-12-08T09:05:05.007","sent":"F2 00 00 03 43 31 30 03 B0","received":[{"ms":6,"bytes":"06"},{"ms":13000,"bytes":"F2 00 00 06 50"}],"host":[{"ms":10000,"bytes":"04","after":1}],"outcome":"no-answer","ms":13000}'
mkdir -p corpus/session_file
printf '%s\n%s\n' "$header" "$positive" >corpus/session_file/positive
printf '%s\n%s\n%s\n%s\n' "$header" "$positive" "$negative" "$late" >corpus/session_file/three
printf '%s\n%s' "$header" "$positive" >corpus/session_file/truncated

# results_reader: a database (00), a time stamp (01), a command line (02).
# Texts are a length byte and the characters.
txt() { printf '%02X %s' "${#1}" "$(asc "$1")"; }
seed results_reader run 00 $(txt 2026-12-09T10:00:00.000) $(txt SN-1) $(txt SN-2) 00 \
  00 01 01 $(txt 2026-12-09T10:00:00.010) $(txt positive) 00 00 0A \
  01 01 01 $(txt 2026-12-09T10:00:00.020) $(txt negative) $(txt 04) 00 0C \
  01 02 01 $(txt 2026-12-09T10:00:01.020) $(txt no-ack) 00 01 F4 \
  02 01 02 $(txt 2026-12-09T10:00:02.000) $(txt cancelled) 00 00 00
seed results_reader time 01 $(asc 2026-12-09T10:00:00.000)
seed results_reader command 02 $(asc runs.db) 00 $(asc --export) 00 $(asc out)
