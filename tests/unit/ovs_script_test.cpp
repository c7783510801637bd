#include "script/ovs_script.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace {

using script::MouseEvent;
using script::ScriptBuffer;
using script::WindowStep;
namespace button = script::button;
namespace action = script::action;

int32_t LongAt(const std::string& b, size_t at) {
  return script::GetInt32(b, at);
}

std::string Ansi(const std::string& utf8) {
  return text::Utf8ToCp1251(utf8);
}

struct ScriptTest : ::testing::Test {
  SimApp sim;
  ScriptBuffer& s = sim.app.script;

  void SetUp() override { sim.app.macros = app::BuildMacroTable(sim.machine.platform); }

  void Gesture(std::vector<WindowStep> path, int x, int y, std::string text = {}) {
    s.BeginBlock();
    s.block.windowPath = std::move(path);
    s.block.mouseEvents = {{button::kLeft, action::kPress, x, y},
                           {button::kLeft, action::kMove, 3, -2},
                           {button::kLeft, action::kRelease, 3, -2}};
    s.block.blockText = std::move(text);
    s.AppendBlock();
  }

  // A whole recording as the control bar makes it, left plain.
  void RecordSample() {
    s.NewScript("Демо: установка без вопросов");
    Gesture({{"#32770", "Установка Demo App ", 1}, {"Button", "&Далее >", 1}}, 40, 12);
    Gesture({{"#32770", "Установка Demo App ", 1}, {"Edit", "", 2}}, 5, 5, "%TEMP%\\demo.log");
    Gesture({{"#32770", "Установка Demo App ", 1}, {"Button", "Готово", 1}}, 40, 12);
    ASSERT_TRUE(s.AppendProgramPath("%PROGRAMFILES%\\Demo\\setup.exe"));
    s.AppendParameters("/S /D=\"C:\\Demo\"");
    s.AppendTimeStamp();
  }
};

TEST_F(ScriptTest, FreshBufferIsHeaderDescriptionAndPaddingByte) {
  s.NewScript("");
  const std::string& b = s.bytes();
  ASSERT_EQ(b.size(), 240u);
  EXPECT_EQ(LongAt(b, 0), 1024);
  EXPECT_EQ(LongAt(b, 4), 768);
  EXPECT_EQ(script::GetInt16(b, 8), 1);
  EXPECT_EQ(script::GetInt16(b, 10), 0);
  EXPECT_EQ(LongAt(b, 12), 1251);  // the code page of the texts
  EXPECT_EQ(b.find_first_not_of('\0', 16), std::string::npos);
  EXPECT_FALSE(s.AppendProgramPath("C:\\setup.exe"));
  EXPECT_EQ(s.bytes().size(), 240u);
  EXPECT_EQ(LongAt(s.bytes(), 24), 0);
}

TEST_F(ScriptTest, DescriptionIsCutToTwoHundredCharactersAndKeptWhenEmpty) {
  const std::string exact = std::string(150, 'a') + [] {
    std::string s;
    for (int i = 0; i < 50; ++i) s += "я";
    return s;
  }();
  s.NewScript(exact);
  EXPECT_EQ(s.bytes().substr(39, 200).find('\0'), std::string::npos);
  EXPECT_EQ(s.bytes().substr(39 + 150, 50), std::string(50, '\xFF'));  // я in Windows-1251
  EXPECT_EQ(s.ReadDescription(), exact);

  s.SetDescription(exact + "лишнее");
  EXPECT_EQ(s.ReadDescription(), exact);
  EXPECT_EQ(s.bytes().size(), 240u);

  s.SetDescription("Привет");
  EXPECT_EQ(s.bytes().substr(39, 7), Ansi("Привет") + '\0');
  s.SetDescription("");
  EXPECT_EQ(s.ReadDescription(), "Привет");
}

TEST_F(ScriptTest, EditStepWithEmptyCaptionIsLongsAndClassNameOnly) {
  s.NewScript("x");
  s.BeginBlock();
  s.block.windowPath = {{"Edit", "", 3}};
  s.block.mouseEvents = {{button::kRight, action::kPress, -7, 9}};
  s.AppendBlock();
  const std::string& b = s.bytes();
  ASSERT_EQ(b.size(), 240u + 12 + 12 + 4 + 12);
  EXPECT_EQ(LongAt(b, 20), 1);  // BlockCount
  EXPECT_EQ(LongAt(b, 239), 1);
  EXPECT_EQ(LongAt(b, 243), 1);
  EXPECT_EQ(LongAt(b, 247), 0);
  EXPECT_EQ(LongAt(b, 251), 4);
  EXPECT_EQ(LongAt(b, 255), 0);
  EXPECT_EQ(LongAt(b, 259), 3);
  EXPECT_EQ(b.substr(263, 4), "Edit");
  EXPECT_EQ(b.substr(267, 12), std::string("\x02\x00\x01\x00\xF9\xFF\xFF\xFF\x09\x00\x00\x00", 12));
  EXPECT_EQ(b.back(), '\0');
}

TEST_F(ScriptTest, RecordingWritesTrailerTimeStampAndTellsTheControlBar) {
  int firstDo = 0;
  s.onBlockAppended = [&] { ++firstDo; };
  RecordSample();
  EXPECT_EQ(firstDo, 3);
  const std::string& b = s.bytes();
  const std::string path = "%PROGRAMFILES%\\Demo\\setup.exe";
  const std::string params = "/S /D=\"C:\\Demo\"";
  EXPECT_EQ(LongAt(b, 20), 3);
  EXPECT_EQ(LongAt(b, 24), static_cast<int32_t>(path.size()));
  EXPECT_EQ(LongAt(b, 32), static_cast<int32_t>(params.size()));
  const size_t offset = LongAt(b, 28);
  EXPECT_EQ(b.substr(offset), path + params + "08.12.2026 14:03:27" + '\0');
  EXPECT_EQ(s.block.blockText, "");  // appending consumed the text

  sim.machine.system.now = {2027, 1, 2, 3, 4, 5};
  s.AppendTimeStamp();
  EXPECT_EQ(s.bytes().substr(s.bytes().size() - 20), std::string("02.01.2027 03:04:05") + '\0');
}

TEST_F(ScriptTest, ReplacingTrailerStringsMovesWhatFollows) {
  s.NewScript("x");
  Gesture({{"Button", "OK", 1}}, 1, 1);
  ASSERT_TRUE(s.AppendProgramPath("C:\\abc.exe"));  // 10 characters
  s.AppendParameters("/q");
  s.AppendTimeStamp();
  const std::string before = s.bytes();
  const int32_t offset = LongAt(before, 28);

  ASSERT_TRUE(s.ReplaceProgramPath("a.b"));
  EXPECT_EQ(s.bytes().size(), before.size() - 7);
  EXPECT_EQ(LongAt(s.bytes(), 28), offset);
  EXPECT_EQ(s.bytes().substr(offset), "a.b/q" + before.substr(before.size() - 20));
  EXPECT_EQ(s.ReadProgramPath(), "a.b");
  EXPECT_EQ(s.ReadParameters(), "/q");

  ASSERT_TRUE(s.ReplaceProgramPath("D:\\Программы\\setup.exe"));
  ASSERT_TRUE(s.ReplaceParameters(""));
  EXPECT_EQ(LongAt(s.bytes(), 32), 0);
  EXPECT_EQ(s.ReadParameters(), "");
  ASSERT_TRUE(s.ReplaceParameters("/silent"));
  EXPECT_EQ(s.ReadProgramPath(), "D:\\Программы\\setup.exe");
  EXPECT_EQ(s.ReadParameters(), "/silent");
  EXPECT_EQ(s.bytes().substr(39, offset - 39), before.substr(39, offset - 39));
  EXPECT_EQ(s.bytes().substr(s.bytes().size() - 20), before.substr(before.size() - 20));
  EXPECT_TRUE(s.ReadHeader());
}

// A script recorded on a Russian Windows is read in its own code page on an
// English one, and keeps its control IDs through an edit of its trailer; a
// script from before (zeros at offset 12, nothing after its time stamp) is
// read in the system's code page, and an edit adds neither.
TEST_F(ScriptTest, TheCodePageAndTheControlIdsTravelWithTheScript) {
  s.NewScript("Папка");
  Gesture({{"#32770", "Установка", 1}, {"Button", "&Далее >", 1, 1}}, 40, 12);
  ASSERT_TRUE(s.AppendProgramPath("C:\\Установки\\setup.exe"));
  s.AppendParameters("");
  s.AppendTimeStamp();
  const std::string russian = s.bytes();

  sim.machine.system.codePage = 1252;
  s.SetBytes(russian);
  ASSERT_TRUE(s.ReadHeader());
  ASSERT_TRUE(s.ReplaceParameters("/D=C:\\Программы"));
  s.SetBytes(s.bytes());
  ASSERT_TRUE(s.ReadHeader());
  EXPECT_EQ(s.codePage(), 1251u);
  EXPECT_EQ(s.ReadProgramPath(), "C:\\Установки\\setup.exe");
  EXPECT_EQ(s.ReadParameters(), "/D=C:\\Программы");
  ASSERT_TRUE(s.ReadNextBlock());
  EXPECT_EQ(s.block.windowPath[1], (WindowStep{"Button", "&Далее >", 1, 1}));

  std::string old = russian.substr(0, russian.find("CTID")) + '\0';
  old.replace(12, 4, 4, '\0');
  s.SetBytes(old);
  ASSERT_TRUE(s.ReadHeader());
  EXPECT_EQ(s.codePage(), 1252u);
  ASSERT_TRUE(s.ReplaceParameters("/S"));
  EXPECT_EQ(s.bytes().find("CTID"), std::string::npos);
  EXPECT_EQ(script::GetInt32(s.bytes(), 12), 0);
  ASSERT_TRUE(s.ReadNextBlock());
  EXPECT_EQ(s.block.windowPath[1].controlId, 0);
}

TEST_F(ScriptTest, ReplacingWithoutATrailerChangesNothing) {
  s.NewScript("x");
  Gesture({{"Button", "OK", 1}}, 1, 1);
  const std::string before = s.bytes();
  EXPECT_FALSE(s.ReplaceProgramPath("C:\\setup.exe"));
  EXPECT_FALSE(s.ReplaceParameters("/S"));
  EXPECT_EQ(s.bytes(), before);
}

TEST_F(ScriptTest, ReplacingRefusesATrailerThatDoesNotStartWhereTheBlocksEnd) {
  s.NewScript("x");
  Gesture({{"Button", "OK", 1}}, 1, 1);
  ASSERT_TRUE(s.AppendProgramPath(""));
  s.AppendTimeStamp();
  const std::string sound = s.bytes();
  const int32_t blocksEnd = LongAt(sound, 28);
  // An empty trailer whose offset points into block 1, past the last byte,
  // or beyond a few stray bytes: the file still reads, but a replace would
  // write where it does not belong.
  for (int32_t offset : {int32_t(script::kFirstBlockOffset) + 4, int32_t(sound.size()), 0}) {
    std::string bytes = sound;
    std::string field;
    script::PutInt32(field, offset);
    bytes.replace(28, 4, field);
    if (offset == 0) {  // stray bytes between the blocks and the trailer
      script::PutInt32(field, blocksEnd + 2);
      bytes.replace(28, 4, field.substr(4));
      bytes.insert(blocksEnd, "??");
    }
    s.SetBytes(bytes);
    ASSERT_TRUE(s.ReadHeader()) << offset;
    EXPECT_FALSE(s.ReplaceProgramPath("C:\\setup.exe")) << offset;
    EXPECT_FALSE(s.ReplaceParameters("/S")) << offset;
    EXPECT_EQ(s.bytes(), bytes) << offset;
  }
  s.SetBytes(sound);
  ASSERT_TRUE(s.ReadHeader());
  EXPECT_TRUE(s.ReplaceProgramPath("C:\\setup.exe"));
  EXPECT_TRUE(s.ReadHeader());
}

TEST_F(ScriptTest, ScramblingRestoresEveryByte) {
  RecordSample();
  const std::string plain = s.bytes();
  s.ScrambleBuffer();
  EXPECT_EQ(s.bytes()[0], static_cast<char>(plain[0] ^ 0x9E ^ 0xD3));
  EXPECT_EQ(s.bytes().back(), static_cast<char>(0x9E ^ 0xD3));
  s.UnscrambleBuffer();
  EXPECT_EQ(s.bytes(), plain);
}

TEST_F(ScriptTest, SavedScriptReadsBackBlockByBlockWithMacrosExpanded) {
  RecordSample();
  s.ScrambleBuffer();
  sim.machine.files.PutFile("C:\\Scripts\\Demo.OVS", s.bytes());

  ASSERT_TRUE(s.LoadPlainScript(sim.machine.files, "C:\\Scripts\\Demo.OVS"));
  EXPECT_TRUE(s.IsVersionSupported());
  EXPECT_EQ(s.ReadDescription(), "Демо: установка без вопросов");
  EXPECT_EQ(s.ReadProgramPath(), "%PROGRAMFILES%\\Demo\\setup.exe");
  EXPECT_EQ(s.ReadParameters(), "/S /D=\"C:\\Demo\"");

  s.RewindBlocks();
  s.block.blockText = "left by the player";
  ASSERT_TRUE(s.ReadNextBlock());
  EXPECT_EQ(s.block.windowPath, (std::vector<WindowStep>{{"#32770", "Установка Demo App ", 1},
                                                         {"Button", "&Далее >", 1}}));
  EXPECT_EQ(s.block.mouseEvents[0], (MouseEvent{button::kLeft, action::kPress, 40, 12}));
  EXPECT_EQ(s.block.mouseEvents[2], (MouseEvent{button::kLeft, action::kRelease, 3, -2}));
  EXPECT_EQ(s.block.blockText, "left by the player");  // a block without text keeps it

  ASSERT_TRUE(s.ReadNextBlock());
  EXPECT_EQ(s.block.windowPath[1], (WindowStep{"Edit", "", 2}));
  EXPECT_EQ(s.block.blockText, "C:\\WINDOWS\\TEMP\\demo.log");
  ASSERT_TRUE(s.ReadNextBlock());
  EXPECT_EQ(s.block.windowPath[1].caption, "Готово");
  EXPECT_FALSE(s.ReadNextBlock());
  EXPECT_FALSE(s.readFailed());
  EXPECT_EQ(s.blocksRead(), 4);
  EXPECT_EQ(s.readPosition(), static_cast<size_t>(s.header().programPathOffset));
}

TEST_F(ScriptTest, ScriptWithoutBlocksEndsAtOnce) {
  s.NewScript("nothing recorded");
  sim.machine.files.PutFile("C:\\Empty.OVS", [&] {
    std::string b = s.bytes();
    script::Scramble(b);
    return b;
  }());
  ASSERT_TRUE(s.LoadPlainScript(sim.machine.files, "C:\\Empty.OVS"));
  s.RewindBlocks();
  EXPECT_FALSE(s.ReadNextBlock());
  EXPECT_EQ(s.blocksRead(), 1);
  EXPECT_EQ(s.ReadProgramPath(), "");
}

TEST_F(ScriptTest, MissingAndEmptyFilesAreRefused) {
  RecordSample();
  EXPECT_FALSE(s.LoadScript(sim.machine.files, "C:\\nowhere.OVS"));
  EXPECT_TRUE(s.bytes().empty());
  EXPECT_FALSE(s.ReadHeader());
  sim.machine.files.PutFile("C:\\zero.OVS", "");
  EXPECT_FALSE(s.LoadPlainScript(sim.machine.files, "C:\\zero.OVS"));
  ASSERT_TRUE(s.CheckStructure());
  EXPECT_EQ(s.CheckStructure()->what, "the file is empty");
  EXPECT_FALSE(s.ReadNextBlock());
  EXPECT_EQ(s.ReadDescription(), "");
}

// Damage reports name the field that is wrong by its offset.
TEST_F(ScriptTest, NegativeCountsAndLengthsAreRefusedWithTheirOffset) {
  RecordSample();
  const std::string good = s.bytes();
  const size_t firstStep = 239 + 12;
  struct Case {
    size_t at;
    const char* word;
  };
  for (Case c :
       {Case{20, "block count"}, Case{24, "program path length"}, Case{28, "program path offset"},
        Case{32, "parameters length"}, Case{239, "window step count"},
        Case{243, "mouse event count"}, Case{247, "text length"},
        Case{firstStep, "class name length"}, Case{firstStep + 4, "caption length"}}) {
    std::string bad = good;
    bad.replace(c.at, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    s.SetBytes(bad);
    EXPECT_FALSE(s.ReadHeader()) << c.word;
    auto damage = s.CheckStructure();
    ASSERT_TRUE(damage) << c.word;
    EXPECT_EQ(damage->offset, c.at) << damage->what;
    EXPECT_NE(damage->what.find(std::string("negative ") + c.word), std::string::npos)
        << damage->what;
    EXPECT_EQ(s.header(), script::ScriptHeader{});
  }
}

TEST_F(ScriptTest, TrailerOutsideTheFileOrInsideTheBlocksIsRefused) {
  RecordSample();
  const std::string good = s.bytes();
  std::string bad = good;
  bad.replace(28, 4, std::string("\x00\x00\x01\x00", 4));  // offset 65536
  s.SetBytes(bad);
  EXPECT_FALSE(s.ReadHeader());
  EXPECT_NE(s.CheckStructure()->what.find("runs past the end"), std::string::npos);
  bad.replace(28, 4, std::string("\xF0\x00\x00\x00", 4));  // offset 240, in block 1
  s.SetBytes(bad);
  EXPECT_FALSE(s.ReadHeader());
  EXPECT_NE(s.CheckStructure()->what.find("inside the action blocks"), std::string::npos);
}

// Every prefix of a real script: refused while the trailer is cut, accepted
// once only the time stamp or the padding byte is missing; never read beyond.
TEST_F(ScriptTest, TruncatedAtEveryOffsetIsRefusedOrReadSafely) {
  RecordSample();
  const std::string good = s.bytes();
  const size_t trailerEnd = LongAt(good, 28) + LongAt(good, 24) + LongAt(good, 32);
  for (size_t n = 0; n < good.size(); ++n) {
    s.SetBytes(good.substr(0, n));
    const bool ok = s.ReadHeader();
    EXPECT_EQ(ok, n >= trailerEnd) << n;
    if (!ok) {
      EXPECT_LE(s.CheckStructure()->offset, n) << n;
    }
    s.ReadDescription();
    s.ReadProgramPath();
    s.ReadParameters();
    s.RewindBlocks();
    int blocks = 0;
    while (s.ReadNextBlock()) ++blocks;
    EXPECT_EQ(blocks, ok ? 3 : 0);
  }
}

// Every byte changed in three ways: either refused, or every block reads and
// the parts rebuild the same bytes.
TEST_F(ScriptTest, CorruptedAtEveryOffsetIsRefusedOrReadWhole) {
  RecordSample();
  const std::string good = s.bytes();
  for (size_t i = 0; i < good.size(); ++i) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string bad = good;
      bad[i] = static_cast<char>(bad[i] ^ flip);
      s.SetBytes(bad);
      if (!s.ReadHeader()) {
        ASSERT_LT(s.CheckStructure()->offset, bad.size());
        continue;
      }
      s.ReadProgramPath();
      s.ReadParameters();
      s.RewindBlocks();
      int blocks = 0;
      while (s.ReadNextBlock()) ++blocks;
      EXPECT_FALSE(s.readFailed()) << i;
      EXPECT_EQ(blocks, s.header().blockCount) << i;
      script::ScriptImage image;
      ASSERT_FALSE(script::CheckScript(bad, &image));
      EXPECT_EQ(script::BuildScript(image), bad) << i;
    }
  }
}

// After a save the buffer stays scrambled while the working header still
// counts its blocks: reading it must stop, not wander off.
TEST_F(ScriptTest, ReadingAScrambledBufferStopsAndStaysStopped) {
  RecordSample();
  s.ScrambleBuffer();
  s.RewindBlocks();
  EXPECT_FALSE(s.ReadNextBlock());
  EXPECT_TRUE(s.readFailed());
  EXPECT_FALSE(s.ReadNextBlock());
  EXPECT_EQ(s.blocksRead(), 0);
  s.UnscrambleBuffer();
  s.RewindBlocks();
  EXPECT_TRUE(s.ReadNextBlock());
}

TEST_F(ScriptTest, LongRecordingGrowsTheBufferGeometrically) {
  s.NewScript("x");
  const char* data = s.bytes().data();
  int moves = 0;
  for (int i = 0; i < 20000; ++i) {
    Gesture({{"Button", "OK", 1}}, i, i);
    if (s.bytes().data() != data) ++moves, data = s.bytes().data();
  }
  EXPECT_LT(moves, 40);
  EXPECT_EQ(s.bytes().back(), '\0');
  EXPECT_TRUE(s.ReadHeader());
  EXPECT_EQ(s.header().blockCount, 20000);
}

}  // namespace
