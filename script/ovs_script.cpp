#include "script/ovs_script.h"

#include <algorithm>

#include "platform/text.h"

namespace script {

ScriptBuffer::ScriptBuffer(const platform::System& system,
                           std::function<std::string(const std::string&)> expandMacros)
    : system_(system), expand_(std::move(expandMacros)) {}

// ---- Recording --------------------------------------------------------------

void ScriptBuffer::NewScript(const std::string& description) {
  bytes_.assign(kEmptyScriptSize, '\0');
  writePosition_ = kFirstBlockOffset;
  ResetCursors();
  header_ = ScriptHeader{};
  header_.screenWidth = system_.ScreenWidth();
  header_.screenHeight = system_.ScreenHeight();
  header_.versionMajor = kVersionMajor;
  header_.versionMinor = kVersionMinor;
  WriteHeader();
  SetDescription(description);
}

void ScriptBuffer::SetDescription(const std::string& text) {
  if (text.empty() || bytes_.size() < kFirstBlockOffset) return;
  std::string ansi = system_.ToAnsi(text::FirstChars(text, kDescriptionSize));
  ansi.resize(kDescriptionSize, '\0');  // also cuts a code page with wider characters
  bytes_.replace(kDescriptionOffset, kDescriptionSize, ansi);
}

void ScriptBuffer::BeginBlock() {
  block.windowPath.clear();
  block.mouseEvents.clear();
}

void ScriptBuffer::AppendBlock() {
  if (onBlockAppended) onBlockAppended();
  header_.blockCount += 1;
  WriteHeader();
  RawBlock raw;
  raw.windowPath.reserve(block.windowPath.size());
  for (const WindowStep& step : block.windowPath) {
    raw.windowPath.push_back(
        {system_.ToAnsi(step.className), system_.ToAnsi(step.caption), step.ordinal});
  }
  raw.mouseEvents = block.mouseEvents;
  raw.text = system_.ToAnsi(block.blockText);
  AppendAtWritePosition([&](std::string& out) { EncodeBlock(out, raw); });
  block.blockText.clear();
}

bool ScriptBuffer::AppendProgramPath(const std::string& path) {
  if (bytes_.size() == kEmptyScriptSize) return false;
  const std::string ansi = system_.ToAnsi(path);
  header_.programPathOffset = static_cast<int32_t>(writePosition_);
  header_.programPathLength = static_cast<int32_t>(ansi.size());
  AppendText(ansi);
  WriteHeader();
  return true;
}

void ScriptBuffer::AppendParameters(const std::string& text) {
  const std::string ansi = system_.ToAnsi(text);
  AppendText(ansi);
  header_.parametersLength = static_cast<int32_t>(ansi.size());
  WriteHeader();
}

void ScriptBuffer::AppendTimeStamp() {
  const platform::LocalTime t = system_.Now();
  const std::string stamp = text::PadNumber(t.day, 2) + "." + text::PadNumber(t.month, 2) + "." +
                            text::PadNumber(t.year, 4) + " " + text::PadNumber(t.hour, 2) + ":" +
                            text::PadNumber(t.minute, 2) + ":" + text::PadNumber(t.second, 2);
  AppendText(stamp);
}

template <typename Encode>
void ScriptBuffer::AppendAtWritePosition(Encode&& encode) {
  const size_t at = std::min(writePosition_, bytes_.size());
  std::string following = bytes_.substr(at);  // normally just the padding byte
  if (following.empty()) following.push_back('\0');
  bytes_.resize(at);  // keeps the capacity: growth stays geometric
  encode(bytes_);
  writePosition_ = bytes_.size();
  bytes_ += following;
}

void ScriptBuffer::AppendText(const std::string& ansi) {
  AppendAtWritePosition([&](std::string& out) { out += ansi; });
}

void ScriptBuffer::WriteHeader() {
  if (bytes_.size() < kHeaderSize) return;
  bytes_.replace(0, kHeaderSize, EncodeHeader(header_));
}

// ---- Editing the trailer ----------------------------------------------------

bool ScriptBuffer::TrailerFollowsBlocks() const {
  size_t blocksEnd = 0;
  if (CheckScript(bytes_, nullptr, &blocksEnd)) return false;
  return header_.programPathOffset == static_cast<int64_t>(blocksEnd) &&
         DecodeHeader(bytes_) == header_;
}

bool ScriptBuffer::ReplaceTrailerString(int64_t start, int64_t oldLength, const std::string& text) {
  const auto size = static_cast<int64_t>(bytes_.size());
  if (start < static_cast<int64_t>(kFirstBlockOffset) || oldLength < 0 ||
      start + oldLength > size || !TrailerFollowsBlocks()) {
    return false;
  }
  std::string rebuilt;
  rebuilt.reserve(bytes_.size() - oldLength + text.size());
  rebuilt.append(bytes_, 0, start);
  rebuilt += text;
  rebuilt.append(bytes_, start + oldLength);
  bytes_ = std::move(rebuilt);
  writePosition_ = bytes_.empty() ? 0 : bytes_.size() - 1;
  return true;
}

bool ScriptBuffer::ReplaceProgramPath(const std::string& text) {
  const std::string ansi = system_.ToAnsi(text);
  if (!ReplaceTrailerString(header_.programPathOffset, header_.programPathLength, ansi)) {
    return false;
  }
  header_.programPathLength = static_cast<int32_t>(ansi.size());
  WriteHeader();
  return true;
}

bool ScriptBuffer::ReplaceParameters(const std::string& text) {
  const std::string ansi = system_.ToAnsi(text);
  const int64_t start = int64_t{header_.programPathOffset} + header_.programPathLength;
  if (!ReplaceTrailerString(start, header_.parametersLength, ansi)) return false;
  header_.parametersLength = static_cast<int32_t>(ansi.size());
  WriteHeader();
  return true;
}

// ---- Reading ----------------------------------------------------------------

void ScriptBuffer::SetBytes(std::string bytes) {
  bytes_ = std::move(bytes);
  writePosition_ = bytes_.empty() ? 0 : bytes_.size() - 1;
  header_ = ScriptHeader{};
  ResetCursors();
}

bool ScriptBuffer::LoadScript(const platform::FileSystem& fs, const std::string& path) {
  std::optional<std::string> content = fs.ReadFile(path);
  if (!content || content->empty()) {
    SetBytes({});
    return false;
  }
  SetBytes(std::move(*content));
  return true;
}

bool ScriptBuffer::ReadHeader() {
  if (CheckStructure()) {
    header_ = ScriptHeader{};
    return false;
  }
  header_ = DecodeHeader(bytes_);
  return true;
}

std::optional<ScriptDamage> ScriptBuffer::CheckStructure() const {
  return CheckScript(bytes_);
}

bool ScriptBuffer::LoadPlainScript(const platform::FileSystem& fs, const std::string& path) {
  if (!LoadScript(fs, path)) return false;
  UnscrambleBuffer();
  return ReadHeader();
}

std::string ScriptBuffer::Slice(int64_t offset, int64_t length) const {
  if (offset < 0 || length <= 0 || offset + length > static_cast<int64_t>(bytes_.size())) {
    return {};
  }
  return bytes_.substr(offset, length);
}

std::string ScriptBuffer::ReadDescription() const {
  std::string area = Slice(kDescriptionOffset, kDescriptionSize);
  const size_t nul = area.find('\0');
  if (nul != std::string::npos) area.resize(nul);
  return system_.FromAnsi(area);
}

std::string ScriptBuffer::ReadProgramPath() const {
  return system_.FromAnsi(Slice(header_.programPathOffset, header_.programPathLength));
}

std::string ScriptBuffer::ReadParameters() const {
  const int64_t start = int64_t{header_.programPathOffset} + header_.programPathLength;
  return system_.FromAnsi(Slice(start, header_.parametersLength));
}

bool ScriptBuffer::IsVersionSupported() const {
  return kVersionMajor >= header_.versionMajor;
}

void ScriptBuffer::ResetCursors() {
  readPosition_ = kFirstBlockOffset;
  blocksRead_ = 0;
  readFailed_ = false;
}

void ScriptBuffer::RewindBlocks() {
  ResetCursors();
}

bool ScriptBuffer::ReadNextBlock() {
  if (blocksRead_ >= header_.blockCount) {
    blocksRead_ += 1;
    return false;
  }
  if (readFailed_) return false;
  RawBlock raw;
  size_t pos = readPosition_;
  if (DecodeBlock(bytes_, pos, blocksRead_ + 1, &raw)) {
    readFailed_ = true;
    return false;
  }
  readPosition_ = pos;
  block.windowPath.resize(raw.windowPath.size());
  for (size_t i = 0; i < raw.windowPath.size(); ++i) {
    const RawWindowStep& step = raw.windowPath[i];
    block.windowPath[i] = {system_.FromAnsi(step.className), system_.FromAnsi(step.caption),
                           step.ordinal};
  }
  block.mouseEvents = std::move(raw.mouseEvents);
  if (!raw.text.empty()) block.blockText = expand_(system_.FromAnsi(raw.text));
  blocksRead_ += 1;
  return true;
}

// ---- Scrambling -------------------------------------------------------------

void ScriptBuffer::ScrambleBuffer() {
  Scramble(bytes_);
}

void ScriptBuffer::UnscrambleBuffer() {
  Scramble(bytes_);
}

}  // namespace script
