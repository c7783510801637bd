#include "platform/text.h"

#include <array>
#include <cstdint>

namespace text {
namespace {

// Decodes one UTF-8 sequence at `i`; advances `i`. Malformed bytes decode to
// U+FFFD one byte at a time, so no input can stall or overrun the loop. An
// overlong form, an encoded surrogate half or a value past U+10FFFF is
// malformed too: read as a character it would re-encode to another length,
// and positions found in a folded copy would no longer fit the original.
char32_t DecodeAt(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  size_t length = 0;
  char32_t c = 0, least = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, c = b0 & 0x1F, least = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, c = b0 & 0x0F, least = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, c = b0 & 0x07, least = 0x10000;
  }
  bool valid = length > 0 && i + length <= s.size();
  for (size_t k = 1; valid && k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    valid = (b & 0xC0) == 0x80;
    c = (c << 6) | (b & 0x3F);
  }
  if (valid && c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) {
    i += length;
    return c;
  }
  ++i;
  return 0xFFFD;
}

void Encode(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t UpperOf(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;  // а..я
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;  // ѐ..џ, ё among them
  return c;
}

// Upper half of Windows-1251 (0x80..0xFF).
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
    0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432,
    0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
    0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448,
    0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

// Upper half of Windows-1252 (0x80..0xFF): 0xA0 on is Latin-1 itself. Its
// five unassigned bytes stand for the control characters of their value, as
// Windows decodes them.
constexpr std::array<char16_t, 128> Cp1252High() {
  std::array<char16_t, 128> high{};
  constexpr char16_t kFrom80[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (size_t k = 0; k < high.size(); ++k) {
    high[k] = k < 32 ? kFrom80[k] : static_cast<char16_t>(0x80 + k);
  }
  return high;
}
constexpr std::array<char16_t, 128> kCp1252High = Cp1252High();

const std::array<char16_t, 128>* HighHalfOf(unsigned codePage) {
  if (codePage == 1251) return &kCp1251High;
  if (codePage == 1252) return &kCp1252High;
  return nullptr;
}

char ToByte(char32_t c, const std::array<char16_t, 128>& high) {
  if (c < 0x80) return static_cast<char>(c);
  if (c == 0xFFFD) return '?';
  for (size_t k = 0; k < high.size(); ++k) {
    if (high[k] == c) return static_cast<char>(0x80 + k);
  }
  return '?';
}

std::string ToSingleByte(std::string_view utf8, const std::array<char16_t, 128>& high) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) out += ToByte(DecodeAt(utf8, i), high);
  return out;
}

std::string FromSingleByte(std::string_view bytes, const std::array<char16_t, 128>& high) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    Encode(b < 0x80 ? char32_t(b) : char32_t(high[b - 0x80]), out);
  }
  return out;
}

}  // namespace

std::string FoldCase(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const size_t start = i;
    const char32_t c = DecodeAt(s, i);
    const char32_t u = UpperOf(c);
    if (u == c) {
      out.append(s.substr(start, i - start));  // keep bytes as they were
    } else {
      Encode(u, out);  // Latin and Cyrillic pairs share their encoded length
    }
  }
  return out;
}

size_t FindNoCase(std::string_view s, std::string_view what, size_t from) {
  if (from > s.size()) return std::string_view::npos;
  return FoldCase(s).find(FoldCase(what), from);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a == b || (a.size() == b.size() && FoldCase(a) == FoldCase(b));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

size_t CharCount(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++n) DecodeAt(s, i);
  return n;
}

size_t ByteOffsetOfChar(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t k = 0; k < n && i < s.size(); ++k) DecodeAt(s, i);
  return i;
}

std::string FirstChars(std::string_view s, size_t n) {
  return std::string(s.substr(0, ByteOffsetOfChar(s, n)));
}

std::string DropChars(std::string_view s, size_t n) {
  return std::string(s.substr(ByteOffsetOfChar(s, n)));
}

std::string Trim(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

std::string TrimLeft(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string Utf8ToCp1251(std::string_view utf8) { return ToSingleByte(utf8, kCp1251High); }
std::string Cp1251ToUtf8(std::string_view bytes) { return FromSingleByte(bytes, kCp1251High); }

bool IsSingleByteCodePageKnown(unsigned codePage) { return HighHalfOf(codePage) != nullptr; }

std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage) {
  const auto* high = HighHalfOf(codePage);
  return high ? ToSingleByte(utf8, *high) : std::string();
}

std::string CodePageToUtf8(std::string_view bytes, unsigned codePage) {
  const auto* high = HighHalfOf(codePage);
  return high ? FromSingleByte(bytes, *high) : std::string();
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = DecodeAt(utf8, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    Encode(c, out);
  }
  return out;
}

std::string PadNumber(long long value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

long long ParseNumber(std::string_view s, long long fallback) {
  size_t i = s.find_first_not_of(' ');
  if (i == std::string_view::npos) return fallback;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return fallback;
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (v > 100000000000000LL) return fallback;  // absurdly long: not a setting
    v = v * 10 + (s[i] - '0');
  }
  return negative ? -v : v;
}

}  // namespace text
