#!/bin/sh
# Regenerates the encoding fixtures with iconv. Each file holds the lines of
# its source text, ended by CR LF; "-bom" files start with the byte-order mark.
set -eu
cd "$(dirname "$0")/encodings"

unicode='Grüße aus Köln
Журнал
日本語のテキスト
😀 smile
'
western='Grüße
café crème
'
cyrillic='Журнал
Привет
'
ascii='plain
text
'

crlf() { printf '%s' "$1" | sed 's/$/\r/'; }

crlf "$unicode" > utf8.txt
{ printf '\357\273\277'; crlf "$unicode"; } > utf8-bom.txt
crlf "$unicode" | iconv -f UTF-8 -t UTF-16LE > utf16le.txt
{ printf '\377\376'; crlf "$unicode" | iconv -f UTF-8 -t UTF-16LE; } > utf16le-bom.txt
crlf "$unicode" | iconv -f UTF-8 -t UTF-16BE > utf16be.txt
{ printf '\376\377'; crlf "$unicode" | iconv -f UTF-8 -t UTF-16BE; } > utf16be-bom.txt
crlf "$unicode" | iconv -f UTF-8 -t UTF-7 > utf7.txt
crlf "$western" | iconv -f UTF-8 -t LATIN1 > latin1.txt
crlf "$western" | iconv -f UTF-8 -t CP1252 > cp1252.txt
crlf "$cyrillic" | iconv -f UTF-8 -t CP1251 > cp1251.txt
crlf "$ascii" > ascii.txt
