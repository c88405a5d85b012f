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
