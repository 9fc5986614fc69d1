#!/bin/sh
# Converts one UTF-8 story script to Shift-JIS (CP932) with CR LF line ends.
# Usage: to_shift_jis.sh ICONV SOURCE OUTPUT
set -e
iconv="$1"
source="$2"
output="$3"
LC_ALL=C
export LC_ALL
"$iconv" -f UTF-8 -t CP932 "$source" > "$output.sjis"
sed 's/\r*$/\r/' "$output.sjis" > "$output.tmp"
rm -f "$output.sjis"
mv "$output.tmp" "$output"
