#include "script/ovs_text.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "script/ovs_script.h"

namespace {

using script::ScriptImage;

std::string AllBytes() {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  return all;
}

std::string RoundTrip(const std::string& bytes) {
  ScriptImage image;
  EXPECT_FALSE(script::CheckScript(bytes, &image));
  ScriptImage again;
  const std::string text = script::ScriptToText(image);
  auto error = script::ScriptFromText(text, again);
  EXPECT_FALSE(error) << error->line << ": " << error->message << "\n" << text;
  return script::BuildScript(again);
}

// Every byte value in every string, odd header fields, stray bytes and a
// file without padding all come back unchanged through the text.
TEST(ScriptText, KeepsEveryByteOfUnusualScripts) {
  ScriptImage image;
  image.header = {-1, 70000, 3, -2, 0x04030201, {5, 6, 7, 0xFF}, 0, 0, 0, 0, {0x98, 0, 0x7F}};
  image.description = AllBytes().substr(1, 199) + '\0';
  image.blocks.push_back({{{AllBytes(), "\"quoted\" \\ back", -1}, {"Edit", "", 0}},
                          {{7, -9, -1, 2147483647}, {script::button::kMiddle, 2, 0, 0}},
                          AllBytes()});
  image.blocks.push_back({});
  image.gap = std::string("\x00\x98\xA0", 3);
  image.programPath = "C:\\Программы\\setup.exe";
  image.parameters = "\t/S\r\n";
  image.stamp = "not a time";
  image.padding = std::nullopt;
  const std::string bytes = script::BuildScript(image);
  EXPECT_EQ(RoundTrip(bytes), bytes);

  // An empty trailer whose offset points before the blocks.
  image.gap.clear();
  image.programPath.clear();
  image.parameters.clear();
  image.padding = 0x55;
  image.programOffsetExplicit = true;
  image.header.programPathOffset = 12;
  const std::string noTrailer = script::BuildScript(image);
  EXPECT_EQ(script::GetInt32(noTrailer, 28), 12);
  EXPECT_EQ(RoundTrip(noTrailer), noTrailer);
}

TEST(ScriptText, ShowsStringsReadablyAndEscapesWhatWouldNotSurvive) {
  ScriptImage image;
  image.description = std::string(200, '\0');
  image.blocks.push_back({{{"Button", text::Utf8ToCp1251("&Далее >"), 1}}, {}, ""});
  image.programPath = std::string("a\"b\\c\x98\x01", 7);
  image.padding = 0;
  const std::string text = script::ScriptToText(image);
  EXPECT_NE(text.find("window \"Button\" \"&Далее >\" 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("program \"a\\\"b\\\\c\\x98\\x01\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("description \"\"\n"), std::string::npos) << text;
}

// A script of an English Windows shows its strings in its code page and
// keeps each window step's control ID; IDs that do not fit the blocks are
// no IDs, and stay the bytes they were.
TEST(ScriptText, ShowsAndKeepsTheCodePageAndTheControlIds) {
  ScriptImage image;
  image.header.codePage = 1252;
  image.description = std::string(200, '\0');
  image.blocks.push_back({{{"#32770", "Caf\xE9 Setup", 1, 0}, {"Button", "&Next >", 1, 1}}, {}, ""});
  image.blocks.push_back({{{"Edit", "", 1, 1019}}, {}, "C:\\Caf\xE9"});
  image.stamp = "11.12.2026 07:00:00";
  image.hasControlIds = true;
  image.padding = 0;
  const std::string bytes = script::BuildScript(image);
  const std::string text = script::ScriptToText(image);
  EXPECT_NE(text.find("codepage 1252\n"), std::string::npos) << text;
  EXPECT_NE(text.find("window \"#32770\" \"Café Setup\" 1 id 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("window \"Edit\" \"\" 1 id 1019\n"), std::string::npos) << text;
  EXPECT_EQ(RoundTrip(bytes), bytes);

  ScriptImage read;
  ASSERT_FALSE(script::CheckScript(bytes, &read));
  EXPECT_TRUE(read.hasControlIds);
  EXPECT_EQ(read.stamp, image.stamp);
  EXPECT_EQ(read.blocks[0].windowPath[1].controlId, 1);

  image.blocks.pop_back();  // the IDs of two blocks after one
  std::string mismatched = script::BuildScript(image);
  mismatched.insert(mismatched.size() - 1, std::string("\x04\0\0\0\x13\0\0\0\x01\0\0\0\0\0\0\0", 16));
  mismatched.replace(mismatched.find("CTID") + 4, 4, std::string("\x20\0\0\0", 4));
  ASSERT_FALSE(script::CheckScript(mismatched, &read));
  EXPECT_FALSE(read.hasControlIds);
  EXPECT_GT(read.stamp.size(), script::kTimeStampSize);  // the bytes after it, kept as they are
  EXPECT_EQ(RoundTrip(mismatched), mismatched);
}

TEST(ScriptText, BuildsWithDefaultsFromAShortText) {
  ScriptImage image;
  ASSERT_FALSE(script::ScriptFromText(
      "\xEF\xBB\xBF# made by hand\r\nblock\r\n  mouse press left 1 2 # the click\r\nend\r\n"
      "program \"C:\\\\setup.exe\"\r\n",
      image));
  const std::string bytes = script::BuildScript(image);
  EXPECT_EQ(script::GetInt16(bytes, 8), script::kVersionMajor);
  EXPECT_EQ(script::GetInt32(bytes, 20), 1);
  EXPECT_EQ(bytes.back(), '\0');
  EXPECT_EQ(bytes.substr(bytes.size() - 13, 12), "C:\\setup.exe");
  EXPECT_FALSE(script::CheckScript(bytes));
}

TEST(ScriptText, NamesTheLineAndTheMistake) {
  struct Case {
    std::string text;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"screen 1 2\nscreen 3 4\n", 2, "'screen' appears twice (first on line 1)"},
      {"\n\nversion one 0\n", 3, "'version': major version must be a whole number, not 'one'"},
      {"version 70000 0\n", 1, "'version': major version 70000 is outside -32768..32767"},
      {"description \"abc\n", 1, "a string is not closed by '\"'"},
      {"program \"a\\qb\"\n", 1, "unknown escape '\\q' (use \\\\, \\\" or \\xHH)"},
      {"program \"\\x4\"\n", 1, "'\\x' must be followed by two hexadecimal digits"},
      {"program \"日本\"\n", 1, "'日' has no Windows-1251 byte; write a raw byte as \\xHH"},
      {"program \"a\xFF\"\n", 1, "byte 0xFF is not valid UTF-8; write a raw byte as \\xHH"},
      {"program \"\xEF\xBF\xBD\"\n", 1,
       "'\xEF\xBF\xBD' has no Windows-1251 byte; write a raw byte as \\xHH"},
      {"block\n  window Button \"OK\" 1\nend\n", 2,
       "'window': the class name must be a quoted string"},
      {"block\n  mouse press left 1\nend\n", 2, "'mouse': y is missing"},
      {"block\n  mouse push left 1 2\nend\n", 2,
       "'mouse': the action must be a whole number, not 'push'"},
      {"block\n  text \"a\"\n  text \"b\"\nend\n", 3, "'text' appears twice in one block"},
      {"block\nblock\n", 2, "'block' inside the block opened on line 1 (missing 'end')"},
      {"end\n", 1, "'end' without 'block'"},
      {"block\n", 1, "'block' is not closed by 'end'"},
      {"padding 256\n", 1, "'padding': the padding byte 256 is outside 0..255"},
      {"reserved 00 000000\n", 1, "'reserved': expected 8 hexadecimal digits, not '00'"},
      {"stamp \"x\" \"y\"\n", 1, "'stamp': unexpected 'y' at the end of the line"},
      {"programme \"x\"\n", 1, "unknown keyword 'programme'"},
      {"\"x\"\n", 1, "a line starts with a keyword, not a string"},
      {"program-offset 5\nprogram \"x\"\n", 1,
       "'program-offset' is only for an empty trailer: it cannot be combined with 'gap', "
       "'program' or 'parameters'"},
      {"description \"" + std::string(201, 'a') + "\"\n", 1,
       "'description' is 201 bytes long; at most 200 fit"},
  };
  for (const Case& c : cases) {
    ScriptImage image;
    auto error = script::ScriptFromText(c.text, image);
    ASSERT_TRUE(error) << c.text;
    EXPECT_EQ(error->line, c.line) << c.text;
    EXPECT_EQ(error->message, c.message) << c.text;
  }
}

}  // namespace
