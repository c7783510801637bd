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
#include "script/ovs_format.h"

namespace script {

struct WindowStep {
  std::string className;  // at most 255 characters
  std::string caption;    // empty matches any caption
  int32_t ordinal = 0;    // 1-based among like siblings; 0 not found; -1 the desktop
  int32_t controlId = 0;  // of a child window (GetDlgCtrlID); 0 none or not stored
  bool operator==(const WindowStep&) const = default;
};

struct CurrentBlock {
  std::vector<WindowStep> windowPath;  // outermost window first
  std::vector<MouseEvent> mouseEvents;
  std::string blockText;
  bool blockTextChanged = false;
};

class ScriptBuffer {
 public:
  // `system` gives the screen size, the local time and the code pages;
  // `expandMacros` is applied to each block text as it is read.
  ScriptBuffer(const platform::System& system,
               std::function<std::string(const std::string&)> expandMacros);

  // Recording. Appending keeps the one padding byte at the end and grows the
  // buffer geometrically, so a long recording costs linear time.
  void NewScript(const std::string& description);
  void SetDescription(const std::string& text);
  void BeginBlock();
  void AppendBlock();
  // False, changing nothing, while the buffer holds no block (240 bytes).
  bool AppendProgramPath(const std::string& path);
  void AppendParameters(const std::string& text);
  // The time stamp, and after it the control IDs of the blocks' windows
  // when any has one.
  void AppendTimeStamp();
  std::function<void()> onBlockAppended;  // the control bar's FirstDo

  // Editing the trailer in place; the buffer is rebuilt around the new text.
  // False, changing nothing, when the buffer has no trailer to replace or its
  // trailer does not start where the blocks end.
  bool ReplaceProgramPath(const std::string& text);
  bool ReplaceParameters(const std::string& text);

  // Reading. LoadScript refuses a missing, unreadable or empty file and then
  // leaves an empty buffer behind.
  bool LoadScript(const platform::FileSystem& fs, const std::string& path);
  // Copies the header; false (and an all-zero header) when the plain buffer
  // is not a well-formed script: counts or lengths running past the end,
  // negative lengths, a trailer outside the buffer.
  bool ReadHeader();
  std::optional<ScriptDamage> CheckStructure() const;
  // LoadScript + UnscrambleBuffer + ReadHeader.
  bool LoadPlainScript(const platform::FileSystem& fs, const std::string& path);
  std::string ReadDescription() const;
  std::string ReadProgramPath() const;
  std::string ReadParameters() const;
  bool IsVersionSupported() const;
  void RewindBlocks();  // read position to the first block, blocks read to 0
  // False after the last block, and from the first block that does not fit
  // in the buffer on (readFailed() then tells the two apart) until the next
  // rewind or new content.
  bool ReadNextBlock();
  bool readFailed() const { return readFailed_; }

  void ScrambleBuffer();
  void UnscrambleBuffer();

  const std::string& bytes() const { return bytes_; }
  void SetBytes(std::string bytes);  // as read from a file (scrambled or not)
  const ScriptHeader& header() const { return header_; }
  // The code page the texts are in: the one the script names when the
  // system knows it, else the system's (a script from before it was stored).
  unsigned codePage() const { return codePage_; }
  size_t readPosition() const { return readPosition_; }
  int blocksRead() const { return blocksRead_; }

  CurrentBlock block;

 private:
  void WriteHeader();
  void ResetCursors();
  // Writes at the write position, moving what follows (the padding byte).
  template <typename Encode>
  void AppendAtWritePosition(Encode&& encode);
  void AppendText(const std::string& ansi);
  // True when the buffer is sound and the trailer starts right after the
  // last block, where every replace must write.
  bool TrailerFollowsBlocks() const;
  bool ReplaceTrailerString(int64_t start, int64_t oldLength, const std::string& text);
  std::string Slice(int64_t offset, int64_t length) const;
  std::string ToScriptBytes(const std::string& text) const {
    return system_.ToCodePage(text, codePage_);
  }
  std::string FromScriptBytes(const std::string& bytes) const {
    return system_.FromCodePage(bytes, codePage_);
  }

  const platform::System& system_;
  std::function<std::string(const std::string&)> expand_;
  std::string bytes_;
  ScriptHeader header_;
  size_t writePosition_ = kFirstBlockOffset;
  size_t readPosition_ = kFirstBlockOffset;
  int blocksRead_ = 0;
  bool readFailed_ = false;
  unsigned codePage_ = 0;
  ControlIds controlIds_;  // of the blocks recorded or read
};

}  // namespace script
