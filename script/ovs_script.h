#pragma once
// The OVS script: one recorded installation. In memory it is the script
// buffer, byte for byte the content of the file; this module owns the format
// and every operation that reads or changes the buffer, plus the records of
// the current block that the recorder fills and the player consumes.
//
// Arrays are 0-based here (the file format itself has no arrays).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"

namespace script {

// File layout constants.
constexpr size_t kHeaderSize = 39;
constexpr size_t kDescriptionOffset = 39;
constexpr size_t kDescriptionSize = 200;
constexpr size_t kFirstBlockOffset = 239;
constexpr size_t kEmptyScriptSize = 240;  // header, description, padding byte
constexpr size_t kTimeStampSize = 19;
constexpr int16_t kVersionMajor = 1;
constexpr int16_t kVersionMinor = 0;
constexpr uint8_t kScrambleKeyA = 0x9E;
constexpr uint8_t kScrambleKeyB = 0xD3;

struct ScriptHeader {
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  int16_t versionMajor = 0;
  int16_t versionMinor = 0;
  int32_t blockCount = 0;
  int32_t programPathLength = 0;
  int32_t programPathOffset = 0;
  int32_t parametersLength = 0;
};

namespace button {
constexpr int16_t kLeft = 1, kRight = 2, kMiddle = 4;
}
namespace action {
constexpr int16_t kPress = 1, kMove = 2, kRelease = 3;
}

// 12 bytes in the file: Button, Action (Integers), X, Y (Longs).
struct MouseEvent {
  int16_t button = button::kLeft;
  int16_t action = action::kPress;
  int32_t x = 0;  // press: client coordinate; move/release: offset from the press
  int32_t y = 0;
  bool operator==(const MouseEvent&) const = default;
};

struct WindowStep {
  std::string className;  // at most 255 characters
  std::string caption;    // empty matches any caption
  int32_t ordinal = 0;    // 1-based among like siblings; 0 not found; -1 the desktop
  bool operator==(const WindowStep&) const = default;
};

struct CurrentBlock {
  std::vector<WindowStep> windowPath;  // outermost window first
  std::vector<MouseEvent> mouseEvents;
  std::string blockText;
  bool blockTextChanged = false;
};

// Why a buffer cannot be read as a script, and where.
struct ScriptDamage {
  size_t offset = 0;
  std::string what;
};

class ScriptBuffer {
 public:
  // `system` gives the screen size, the local time and the ANSI code page;
  // `expandMacros` is applied to each block text as it is read.
  ScriptBuffer(const platform::System& system, std::function<std::string(const std::string&)> expandMacros);

  // Recording.
  void NewScript(const std::string& description);
  void SetDescription(const std::string& text);
  void BeginBlock();
  void AppendBlock();
  bool AppendProgramPath(const std::string& path);
  void AppendParameters(const std::string& text);
  void AppendTimeStamp();
  std::function<void()> onBlockAppended;  // the control bar's FirstDo

  // Editing the trailer in place.
  void ReplaceProgramPath(const std::string& text);
  void ReplaceParameters(const std::string& text);

  // Reading. LoadScript refuses a missing, unreadable or empty file.
  bool LoadScript(const platform::FileSystem& fs, const std::string& path);
  // Copies the header; false (and nothing usable) when the plain buffer is not
  // a well-formed script: counts or lengths running past the end, negative
  // lengths, a trailer outside the buffer.
  bool ReadHeader();
  std::optional<ScriptDamage> CheckStructure() const;
  // LoadScript + UnscrambleBuffer + ReadHeader.
  bool LoadPlainScript(const platform::FileSystem& fs, const std::string& path);
  std::string ReadDescription() const;
  std::string ReadProgramPath() const;
  std::string ReadParameters() const;
  bool IsVersionSupported() const;
  void RewindBlocks();  // read position to the first block, blocks read to 0
  bool ReadNextBlock();

  void ScrambleBuffer();
  void UnscrambleBuffer();

  const std::string& bytes() const { return bytes_; }
  void SetBytes(std::string bytes);  // as read from a file (scrambled or not)
  const ScriptHeader& header() const { return header_; }
  size_t readPosition() const { return readPosition_; }
  int blocksRead() const { return blocksRead_; }

  CurrentBlock block;

 private:
  const platform::System& system_;
  std::function<std::string(const std::string&)> expand_;
  std::string bytes_;
  ScriptHeader header_;
  size_t writePosition_ = kFirstBlockOffset;
  size_t readPosition_ = kFirstBlockOffset;
  int blocksRead_ = 0;
};

}  // namespace script
