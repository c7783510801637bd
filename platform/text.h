#pragma once
// Text helpers shared by every layer. Strings inside the program are UTF-8;
// "characters" below are Unicode code points, which is what one ANSI byte
// stands for in the files and calls the program deals with.
#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Upper-cases Latin and Cyrillic letters (including Ё/ё). The result has the
// same byte length as the input, so positions found in it are valid in the
// original string.
std::string FoldCase(std::string_view s);

// Byte position of the first occurrence of `what` in `s` at or after `from`,
// compared without regard to case; npos when absent.
size_t FindNoCase(std::string_view s, std::string_view what, size_t from = 0);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);

size_t CharCount(std::string_view s);
// The first `n` characters (the whole string when it is shorter).
std::string FirstChars(std::string_view s, size_t n);
// Everything after the first `n` characters.
std::string DropChars(std::string_view s, size_t n);
// Byte offset of character number `n` (clamped to the string's size).
size_t ByteOffsetOfChar(std::string_view s, size_t n);

std::string Trim(std::string_view s);  // spaces only, as the Basic Trim did
std::string TrimLeft(std::string_view s);

// Windows-1251, the code page of a Russian Windows. Characters it lacks
// become '?'. The one unassigned byte (0x98) decodes to U+FFFD.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view bytes);
// The same for Windows-1251 and Windows-1252 (Western European, the code
// page of an English Windows) by number; any other gives an empty string.
bool IsSingleByteCodePageKnown(unsigned codePage);
std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage);
std::string CodePageToUtf8(std::string_view bytes, unsigned codePage);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Decimal text of an integer with at least `width` digits, zero-padded.
std::string PadNumber(long long value, int width);

// Parses a leading decimal integer the way the settings store's numbers are
// read: optional spaces and sign, then digits; anything else yields `fallback`.
long long ParseNumber(std::string_view s, long long fallback);

}  // namespace text
