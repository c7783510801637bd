#include "script/ovs_script.h"

#include <algorithm>

#include "platform/text.h"

namespace script {

ScriptBuffer::ScriptBuffer(const platform::System& system,
                           std::function<std::string(const std::string&)> expandMacros)
    : system_(system), expand_(std::move(expandMacros)), codePage_(system.AnsiCodePage()) {}

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
  codePage_ = system_.AnsiCodePage();
  header_.codePage = static_cast<int32_t>(codePage_);
  controlIds_.clear();
  WriteHeader();
  SetDescription(description);
}

void ScriptBuffer::SetDescription(const std::string& text) {
  if (text.empty() || bytes_.size() < kFirstBlockOffset) return;
  std::string ansi = ToScriptBytes(text::FirstChars(text, kDescriptionSize));
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
  std::vector<int32_t>& ids = controlIds_.emplace_back();
  for (const WindowStep& step : block.windowPath) {
    raw.windowPath.push_back(
        {ToScriptBytes(step.className), ToScriptBytes(step.caption), step.ordinal});
    ids.push_back(step.controlId);
  }
  raw.mouseEvents = block.mouseEvents;
  raw.text = ToScriptBytes(block.blockText);
  AppendAtWritePosition([&](std::string& out) { EncodeBlock(out, raw); });
  block.blockText.clear();
}

bool ScriptBuffer::AppendProgramPath(const std::string& path) {
  if (bytes_.size() == kEmptyScriptSize) return false;
  const std::string ansi = ToScriptBytes(path);
  header_.programPathOffset = static_cast<int32_t>(writePosition_);
  header_.programPathLength = static_cast<int32_t>(ansi.size());
  AppendText(ansi);
  WriteHeader();
  return true;
}

void ScriptBuffer::AppendParameters(const std::string& text) {
  const std::string ansi = ToScriptBytes(text);
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
  const bool anyId = std::any_of(controlIds_.begin(), controlIds_.end(), [](const auto& steps) {
    return std::any_of(steps.begin(), steps.end(), [](int32_t id) { return id != 0; });
  });
  if (anyId) AppendText(EncodeControlIds(controlIds_));
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
  const std::string ansi = ToScriptBytes(text);
  if (!ReplaceTrailerString(header_.programPathOffset, header_.programPathLength, ansi)) {
    return false;
  }
  header_.programPathLength = static_cast<int32_t>(ansi.size());
  WriteHeader();
  return true;
}

bool ScriptBuffer::ReplaceParameters(const std::string& text) {
  const std::string ansi = ToScriptBytes(text);
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
  codePage_ = system_.AnsiCodePage();
  controlIds_.clear();
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
  ScriptImage image;
  codePage_ = system_.AnsiCodePage();
  controlIds_.clear();
  if (CheckScript(bytes_, &image)) {
    header_ = ScriptHeader{};
    return false;
  }
  header_ = image.header;
  const auto named = static_cast<unsigned>(header_.codePage);
  if (header_.codePage > 0 && system_.KnowsCodePage(named)) codePage_ = named;
  if (image.hasControlIds) controlIds_ = ControlIdsOf(image.blocks);
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
  return FromScriptBytes(area);
}

std::string ScriptBuffer::ReadProgramPath() const {
  return FromScriptBytes(Slice(header_.programPathOffset, header_.programPathLength));
}

std::string ScriptBuffer::ReadParameters() const {
  const int64_t start = int64_t{header_.programPathOffset} + header_.programPathLength;
  return FromScriptBytes(Slice(start, header_.parametersLength));
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
    block.windowPath[i] = {FromScriptBytes(step.className), FromScriptBytes(step.caption),
                           step.ordinal};
  }
  if (static_cast<size_t>(blocksRead_) < controlIds_.size() &&
      controlIds_[blocksRead_].size() == block.windowPath.size()) {
    for (size_t i = 0; i < block.windowPath.size(); ++i) {
      block.windowPath[i].controlId = controlIds_[blocksRead_][i];
    }
  }
  block.mouseEvents = std::move(raw.mouseEvents);
  if (!raw.text.empty()) block.blockText = expand_(FromScriptBytes(raw.text));
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
