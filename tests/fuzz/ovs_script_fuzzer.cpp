// libFuzzer target for the script reader: any bytes, read the way a script
// file is read for playback. Besides finding crashes and out-of-bounds reads,
// it checks that a buffer the header check accepts reads whole and comes
// back byte for byte through the parts and through the text form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "script/ovs_script.h"
#include "script/ovs_text.h"

namespace {

class FakeSystem : public platform::System {
 public:
  std::string UserName() const override { return "user"; }
  std::string WindowsFolder() const override { return "C:\\WINDOWS"; }
  std::string TempPath() const override { return "C:\\TEMP\\"; }
  std::string ProgramFolder() const override { return "C:\\Orvanta"; }
  std::string ProgramPath() const override { return {}; }
  std::string ProgramFilesFolder() const override { return "C:\\Program Files"; }
  std::string CommandLine() const override { return {}; }
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }
  platform::LocalTime Now() const override { return {}; }
  unsigned ThreadId() const override { return 1; }
  long long AwakeTimeMs() const override { return 0; }
  void KeepAwake(bool) override {}
  bool ClaimSingleInstance(const std::string&) override { return true; }
  unsigned AnsiCodePage() const override { return 1251; }
  bool KnowsCodePage(unsigned cp) const override { return text::IsSingleByteCodePageKnown(cp); }
  std::string ToCodePage(const std::string& utf8, unsigned cp) const override {
    return text::Utf8ToCodePage(utf8, cp);
  }
  std::string FromCodePage(const std::string& bytes, unsigned cp) const override {
    return text::CodePageToUtf8(bytes, cp);
  }
};

constexpr int kMaxBlocks = 100000;

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckLossless(const std::string& plain) {
  script::ScriptImage image;
  Require(!script::CheckScript(plain, &image));
  Require(script::BuildScript(image) == plain);
  script::ScriptImage fromText;
  Require(!script::ScriptFromText(script::ScriptToText(image), fromText));
  Require(script::BuildScript(fromText) == plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FakeSystem system;
  script::ScriptBuffer buffer(system, [](const std::string& s) { return s; });
  buffer.SetBytes(std::string(reinterpret_cast<const char*>(data), size));
  buffer.UnscrambleBuffer();
  if (!buffer.ReadHeader()) return 0;
  buffer.ReadDescription();
  buffer.ReadProgramPath();
  buffer.ReadParameters();
  buffer.IsVersionSupported();
  buffer.RewindBlocks();
  int blocks = 0;
  while (blocks < kMaxBlocks && buffer.ReadNextBlock()) ++blocks;
  Require(!buffer.readFailed());
  Require(blocks == std::min(buffer.header().blockCount, kMaxBlocks));
  CheckLossless(buffer.bytes());
  return 0;
}
