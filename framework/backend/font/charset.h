// Conversions between the framework's two text encodings, Shift-JIS (CP932,
// the designed one) and UTF-8 (chosen by a program with SetTextEncoding), and
// the reading of one UTF-8 character. Used by the log, the captions and the
// text calls; iconv does the conversions.
#pragma once

#include <cstdint>
#include <string>

// Shift-JIS to UTF-8. A byte that starts no Shift-JIS character is taken as
// Latin-1, so nothing is lost silently and the result is always UTF-8.
std::string CharsetSjisToUtf8(const char* sjis);
// UTF-8 to Shift-JIS. Characters that Shift-JIS lacks, and bytes that are not
// UTF-8, become '?'.
std::string CharsetUtf8ToSjis(const char* utf8);

// The character that starts at p (p[0] != 0): its code point and its length
// in bytes (1..4). A byte that starts no well-formed character (a stray
// continuation byte, an overlong or cut sequence, a surrogate, beyond
// U+10FFFF) is one character of its own, U+FFFD.
uint32_t CharsetUtf8Next(const unsigned char* p, int* length);
