#include "platform/text.h"

#include <gtest/gtest.h>

TEST(Text, FindsWithoutRegardToCaseInCyrillicAndLatin) {
  EXPECT_EQ(text::FindNoCase("C:\\Документы и Настройки\\Ёлка", "документы И НАСТРОЙКИ"), 3u);
  EXPECT_EQ(text::FindNoCase("путь\\ЁЛКА", "ёлка"), text::FindNoCase("путь\\ЁЛКА", "ЁЛКА"));
  EXPECT_EQ(text::FindNoCase("abc", "ABCD"), std::string::npos);
  EXPECT_TRUE(text::EqualsNoCase("Program Files", "PROGRAM FILES"));
  EXPECT_FALSE(text::EqualsNoCase("е", "ё"));  // different letters, not case variants
}

TEST(Text, CountsAndCutsCharactersNotBytes) {
  EXPECT_EQ(text::CharCount("Привет"), 6u);
  EXPECT_EQ(text::FirstChars("Привет", 3), "При");
  EXPECT_EQ(text::DropChars("%CDROM%\\Папка", 7), "\\Папка");
  EXPECT_EQ(text::FirstChars("ab", 10), "ab");
}

TEST(Text, Cp1251RoundTripsEveryAssignedByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    if (b != 0x98) all += static_cast<char>(b);
  }
  EXPECT_EQ(text::Utf8ToCp1251(text::Cp1251ToUtf8(all)), all);
  EXPECT_EQ(text::Utf8ToCp1251("Далее >"), "\xC4\xE0\xEB\xE5\xE5 >");
  EXPECT_EQ(text::Utf8ToCp1251("日本"), "??");
}

TEST(Text, MalformedUtf8NeverStallsOrOverruns) {
  const std::string bad = "a\xC3";  // cut sequence at the end
  EXPECT_EQ(text::CharCount(bad), 2u);
  EXPECT_EQ(text::FoldCase(bad).size(), bad.size());
  EXPECT_EQ(text::Utf8ToUtf16("\xFF\xFE"), std::u16string(u"\uFFFD\uFFFD"));
}

TEST(Text, OverlongAndSurrogateFormsAreInvalidBytesSoFoldingKeepsPositions) {
  // "a" written in two and three bytes, and an encoded surrogate half: each
  // byte is invalid on its own and folding must not shorten the string.
  for (const std::string odd : {"\xC1\xA1", "\xE0\x81\xA1", "\xF0\x80\x81\xA1", "\xED\xA0\x80"}) {
    const std::string s = "x" + odd + "\\Ann";
    EXPECT_EQ(text::FoldCase(s).size(), s.size());
    EXPECT_EQ(text::FindNoCase(s, "ANN"), s.size() - 3);
    EXPECT_EQ(text::CharCount(odd), odd.size());
  }
  EXPECT_EQ(text::Utf8ToUtf16("\xED\xA0\x80"), std::u16string(u"\uFFFD\uFFFD\uFFFD"));
}

TEST(Text, ParsesNumbersLikeTheSettingsStoreReadsThem) {
  EXPECT_EQ(text::ParseNumber("1", 0), 1);
  EXPECT_EQ(text::ParseNumber(" 12abc", 0), 12);
  EXPECT_EQ(text::ParseNumber("abc", 7), 7);
  EXPECT_EQ(text::ParseNumber("", 3), 3);
  EXPECT_EQ(text::ParseNumber("99999999999999999999999", 5), 5);
}
