// The encoding of every string a program hands the framework: Shift-JIS, as
// designed, or UTF-8 once the program chose it with SetTextEncoding. Captions
// reach the platform and the font table's names reach the font back-end in
// Shift-JIS either way; the log is written in the chosen encoding.
#pragma once

#include <cstdint>
#include <string>

int TextIsUtf8(void);
// Bytes of the character that starts at p in the current encoding: a
// Shift-JIS lead byte takes the byte after it along (never the terminating
// zero); a UTF-8 character its whole sequence, a malformed byte itself.
int TextCharLength(const unsigned char* p);
// A program's text as Shift-JIS, for the platform and the font back-end.
std::string TextToShiftJis(const char* text);
// After a format was cut at its buffer's end: drops a character left
// incomplete by the cut.
void TextDropCutCharacter(char* text);
