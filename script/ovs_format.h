#pragma once
// The byte layout of an OVS script, apart from any machine: little-endian
// numbers, strings as raw ANSI bytes, and a structure check that never looks
// past the end of the bytes it is given.
//
//   0    ScriptHeader (39 bytes)
//   39   description (200 bytes, 0x00-padded)
//   239  BlockCount action blocks
//        program path, parameters (the trailer), time stamp,
//        [control IDs], one 0x00 byte
//
// Two additions sit where every reader of the format looks at nothing: the
// code page of the texts at offset 12 (a Long, 0 for none: the system's),
// and after the time stamp, which no reader reads, the control ID of every
// window step (signature, Long length of what follows, then per block a
// Long step count and a Long ID per step).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace script {

constexpr size_t kHeaderSize = 39;
constexpr size_t kDescriptionOffset = 39;
constexpr size_t kDescriptionSize = 200;
constexpr size_t kFirstBlockOffset = 239;
constexpr size_t kEmptyScriptSize = 240;  // header, description, padding byte
constexpr size_t kBlockHeaderSize = 12;
constexpr size_t kWindowStepHeaderSize = 12;
constexpr size_t kMouseEventSize = 12;
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
  int32_t codePage = 0;                 // of the texts; 0: the system's
  std::array<uint8_t, 4> reserved16{};  // kept as found, so edits preserve them
  int32_t blockCount = 0;
  int32_t programPathLength = 0;
  int32_t programPathOffset = 0;
  int32_t parametersLength = 0;
  std::array<uint8_t, 3> reserved36{};
  bool operator==(const ScriptHeader&) const = default;
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

// Why a buffer cannot be read as a script, and where.
struct ScriptDamage {
  size_t offset = 0;
  std::string what;
};

// A block as stored: class names, captions and text are raw ANSI bytes.
struct RawWindowStep {
  std::string className;
  std::string caption;
  int32_t ordinal = 0;
  int32_t controlId = 0;  // stored apart from the block, after the time stamp
  bool operator==(const RawWindowStep&) const = default;
};

struct RawBlock {
  std::vector<RawWindowStep> windowPath;
  std::vector<MouseEvent> mouseEvents;
  std::string text;
  bool operator==(const RawBlock&) const = default;
};

void PutInt16(std::string& out, int16_t value);
void PutInt32(std::string& out, int32_t value);
int16_t GetInt16(std::string_view bytes, size_t offset);  // caller checks the bounds
int32_t GetInt32(std::string_view bytes, size_t offset);

std::string EncodeHeader(const ScriptHeader& header);
// Needs at least kHeaderSize bytes; a shorter input gives an all-zero header.
ScriptHeader DecodeHeader(std::string_view bytes);

void EncodeBlock(std::string& out, const RawBlock& block);
// Reads the block that starts at `pos` (its 1-based `number` only names it in
// the damage report). On success advances `pos` and fills `block` when given;
// on damage leaves both alone.
std::optional<ScriptDamage> DecodeBlock(std::string_view bytes, size_t& pos, int number,
                                        RawBlock* block);

// The control IDs of the blocks' window steps, a list per block.
using ControlIds = std::vector<std::vector<int32_t>>;
constexpr char kControlIdsSignature[] = "CTID";
// The bytes that follow the time stamp; the IDs the blocks' steps hold.
ControlIds ControlIdsOf(const std::vector<RawBlock>& blocks);
std::string EncodeControlIds(const ControlIds& ids);
// Nothing unless `bytes` are all of one such part, whole.
std::optional<ControlIds> DecodeControlIds(std::string_view bytes);

// A whole plain script split into its parts, so that it can be shown and
// rebuilt byte for byte.
struct ScriptImage {
  ScriptHeader header;      // blockCount and the trailer fields follow the parts below
  std::string description;  // the whole 200-byte area
  std::vector<RawBlock> blocks;
  std::string gap;  // bytes between the last block and the program path
  std::string programPath;
  std::string parameters;
  std::string stamp;  // bytes after the parameters, up to the control IDs or the last byte
  // The steps' controlId came from the file (and go back into it) when true.
  bool hasControlIds = false;
  std::optional<uint8_t> padding;  // the last byte; none when the trailer ends the file
  // An empty trailer may carry an offset that points nowhere near the blocks;
  // it is then kept as it is instead of being derived from the layout.
  bool programOffsetExplicit = false;
};

// Checks the plain bytes: every count and length non-negative, every block
// and the trailer inside the bytes, the trailer after the blocks. Fills
// `image` and `blocksEnd` (the offset just past the last block) when given
// and the bytes are sound.
std::optional<ScriptDamage> CheckScript(std::string_view bytes, ScriptImage* image = nullptr,
                                        size_t* blocksEnd = nullptr);
std::string BuildScript(const ScriptImage& image);

// Both directions are the same XOR.
void Scramble(std::string& bytes);

}  // namespace script
