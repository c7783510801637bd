#include "script/ovs_format.h"

#include <algorithm>

namespace script {
namespace {

std::string Str(long long n) {
  return std::to_string(n);
}

// Checks that `count` items of `size` bytes (or `count` bytes when size is 1)
// fit between `pos` and the end, without overflowing.
bool Fits(std::string_view bytes, size_t pos, int64_t count, size_t size = 1) {
  if (count < 0 || pos > bytes.size()) return false;
  return static_cast<uint64_t>(count) <= (bytes.size() - pos) / size;
}

ScriptDamage RunsPastEnd(size_t at, const std::string& what, std::string_view bytes) {
  return {at, what + " runs past the end of the file (" + Str(bytes.size()) + " bytes)"};
}

class BlockDecoder {
 public:
  BlockDecoder(std::string_view bytes, size_t pos, int number)
      : bytes_(bytes), pos_(pos), name_("block " + Str(number)) {}

  std::optional<ScriptDamage> Decode(RawBlock* block) {
    const size_t at = pos_;
    if (!Fits(bytes_, pos_, 1, kBlockHeaderSize)) return RunsPastEnd(at, name_ + " header", bytes_);
    const int32_t steps = Long(), events = Long(), textLength = Long();
    if (steps < 0) return Negative(at, "window step count", steps);
    if (events < 0) return Negative(at + 4, "mouse event count", events);
    if (textLength < 0) return Negative(at + 8, "text length", textLength);
    if (!Fits(bytes_, pos_, steps, kWindowStepHeaderSize)) {
      return RunsPastEnd(at, name_ + ": window step count " + Str(steps), bytes_);
    }
    if (block) block->windowPath.resize(steps);
    for (int32_t i = 0; i < steps; ++i) {
      if (auto damage = DecodeStep(i + 1, block ? &block->windowPath[i] : nullptr)) return damage;
    }
    if (!Fits(bytes_, pos_, events, kMouseEventSize)) {
      return RunsPastEnd(at + 4, name_ + ": mouse event count " + Str(events), bytes_);
    }
    if (block) block->mouseEvents.resize(events);
    for (int32_t i = 0; i < events; ++i) {
      MouseEvent e;
      e.button = GetInt16(bytes_, pos_);
      e.action = GetInt16(bytes_, pos_ + 2);
      e.x = GetInt32(bytes_, pos_ + 4);
      e.y = GetInt32(bytes_, pos_ + 8);
      pos_ += kMouseEventSize;
      if (block) block->mouseEvents[i] = e;
    }
    if (!Fits(bytes_, pos_, textLength)) {
      return RunsPastEnd(at + 8, name_ + ": text of " + Str(textLength) + " bytes", bytes_);
    }
    if (block) block->text.assign(bytes_.substr(pos_, textLength));
    pos_ += textLength;
    return std::nullopt;
  }

  size_t position() const { return pos_; }

 private:
  std::optional<ScriptDamage> DecodeStep(int number, RawWindowStep* step) {
    const size_t at = pos_;
    const std::string name = name_ + ", window step " + Str(number);
    if (!Fits(bytes_, pos_, 1, kWindowStepHeaderSize)) return RunsPastEnd(at, name, bytes_);
    const int32_t classLength = Long(), captionLength = Long(), ordinal = Long();
    if (classLength < 0) return Negative(at, "class name length", classLength, name);
    if (captionLength < 0) return Negative(at + 4, "caption length", captionLength, name);
    if (!Fits(bytes_, pos_, classLength)) {
      return RunsPastEnd(at, name + ": class name of " + Str(classLength) + " bytes", bytes_);
    }
    if (step) step->className.assign(bytes_.substr(pos_, classLength));
    pos_ += classLength;
    if (!Fits(bytes_, pos_, captionLength)) {
      return RunsPastEnd(at + 4, name + ": caption of " + Str(captionLength) + " bytes", bytes_);
    }
    if (step) {
      step->caption.assign(bytes_.substr(pos_, captionLength));
      step->ordinal = ordinal;
    }
    pos_ += captionLength;
    return std::nullopt;
  }

  int32_t Long() {
    const int32_t v = GetInt32(bytes_, pos_);
    pos_ += 4;
    return v;
  }

  ScriptDamage Negative(size_t at, const std::string& field, int32_t value) const {
    return Negative(at, field, value, name_);
  }
  static ScriptDamage Negative(size_t at, const std::string& field, int32_t value,
                               const std::string& name) {
    return {at, name + ": negative " + field + " " + Str(value)};
  }

  std::string_view bytes_;
  size_t pos_;
  std::string name_;
};

std::optional<ScriptDamage> CheckHeaderFields(const ScriptHeader& h) {
  if (h.blockCount < 0) return ScriptDamage{20, "negative block count " + Str(h.blockCount)};
  if (h.programPathLength < 0) {
    return ScriptDamage{24, "negative program path length " + Str(h.programPathLength)};
  }
  if (h.programPathOffset < 0) {
    return ScriptDamage{28, "negative program path offset " + Str(h.programPathOffset)};
  }
  if (h.parametersLength < 0) {
    return ScriptDamage{32, "negative parameters length " + Str(h.parametersLength)};
  }
  return std::nullopt;
}

// Where the trailer starts, and whether its offset can be derived from the
// layout (it follows the blocks, perhaps after some stray bytes).
std::optional<ScriptDamage> CheckTrailer(std::string_view bytes, const ScriptHeader& h,
                                         size_t blocksEnd) {
  const int64_t offset = h.programPathOffset;
  const int64_t length = int64_t{h.programPathLength} + h.parametersLength;
  if (length == 0) return std::nullopt;  // nothing is ever read from it
  if (offset < static_cast<int64_t>(blocksEnd)) {
    return ScriptDamage{28, "program path offset " + Str(offset) +
                                " lies inside the action blocks, which end at " + Str(blocksEnd)};
  }
  if (!Fits(bytes, offset, length)) {
    return RunsPastEnd(
        28, "program path and parameters (" + Str(length) + " bytes at offset " + Str(offset) + ")",
        bytes);
  }
  return std::nullopt;
}

void SplitTail(std::string_view bytes, size_t blocksEnd, ScriptImage& image) {
  const ScriptHeader& h = image.header;
  const bool trailerEmpty = h.programPathLength == 0 && h.parametersLength == 0;
  size_t trailerStart = static_cast<size_t>(h.programPathOffset);
  if (trailerEmpty && (trailerStart < blocksEnd || trailerStart > bytes.size())) {
    image.programOffsetExplicit = true;
    trailerStart = blocksEnd;
  }
  image.gap.assign(bytes.substr(blocksEnd, trailerStart - blocksEnd));
  image.programPath.assign(bytes.substr(trailerStart, h.programPathLength));
  const size_t parametersStart = trailerStart + h.programPathLength;
  image.parameters.assign(bytes.substr(parametersStart, h.parametersLength));
  std::string_view rest = bytes.substr(parametersStart + h.parametersLength);
  if (!rest.empty()) {
    image.padding = static_cast<uint8_t>(rest.back());
    rest.remove_suffix(1);
  }
  image.stamp.assign(rest);
  if (rest.size() <= kTimeStampSize) return;
  const std::optional<ControlIds> ids = DecodeControlIds(rest.substr(kTimeStampSize));
  if (!ids || ids->size() != image.blocks.size()) return;
  for (size_t b = 0; b < ids->size(); ++b) {
    if ((*ids)[b].size() != image.blocks[b].windowPath.size()) return;
  }
  for (size_t b = 0; b < ids->size(); ++b) {
    for (size_t s = 0; s < (*ids)[b].size(); ++s) {
      image.blocks[b].windowPath[s].controlId = (*ids)[b][s];
    }
  }
  image.stamp.resize(kTimeStampSize);
  image.hasControlIds = true;
}

}  // namespace

void PutInt16(std::string& out, int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutInt32(std::string& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

int16_t GetInt16(std::string_view bytes, size_t offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return static_cast<int16_t>(p[0] | (p[1] << 8));
}

int32_t GetInt32(std::string_view bytes, size_t offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return static_cast<int32_t>(uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                              (uint32_t{p[3]} << 24));
}

std::string EncodeHeader(const ScriptHeader& h) {
  std::string out;
  out.reserve(kHeaderSize);
  PutInt32(out, h.screenWidth);
  PutInt32(out, h.screenHeight);
  PutInt16(out, h.versionMajor);
  PutInt16(out, h.versionMinor);
  PutInt32(out, h.codePage);
  out.append(h.reserved16.begin(), h.reserved16.end());
  PutInt32(out, h.blockCount);
  PutInt32(out, h.programPathLength);
  PutInt32(out, h.programPathOffset);
  PutInt32(out, h.parametersLength);
  out.append(h.reserved36.begin(), h.reserved36.end());
  return out;
}

ScriptHeader DecodeHeader(std::string_view bytes) {
  ScriptHeader h;
  if (bytes.size() < kHeaderSize) return h;
  h.screenWidth = GetInt32(bytes, 0);
  h.screenHeight = GetInt32(bytes, 4);
  h.versionMajor = GetInt16(bytes, 8);
  h.versionMinor = GetInt16(bytes, 10);
  h.codePage = GetInt32(bytes, 12);
  std::copy_n(bytes.begin() + 16, h.reserved16.size(), h.reserved16.begin());
  h.blockCount = GetInt32(bytes, 20);
  h.programPathLength = GetInt32(bytes, 24);
  h.programPathOffset = GetInt32(bytes, 28);
  h.parametersLength = GetInt32(bytes, 32);
  std::copy_n(bytes.begin() + 36, h.reserved36.size(), h.reserved36.begin());
  return h;
}

void EncodeBlock(std::string& out, const RawBlock& block) {
  PutInt32(out, static_cast<int32_t>(block.windowPath.size()));
  PutInt32(out, static_cast<int32_t>(block.mouseEvents.size()));
  PutInt32(out, static_cast<int32_t>(block.text.size()));
  for (const RawWindowStep& step : block.windowPath) {
    PutInt32(out, static_cast<int32_t>(step.className.size()));
    PutInt32(out, static_cast<int32_t>(step.caption.size()));
    PutInt32(out, step.ordinal);
    out += step.className;
    out += step.caption;
  }
  for (const MouseEvent& e : block.mouseEvents) {
    PutInt16(out, e.button);
    PutInt16(out, e.action);
    PutInt32(out, e.x);
    PutInt32(out, e.y);
  }
  out += block.text;
}

ControlIds ControlIdsOf(const std::vector<RawBlock>& blocks) {
  ControlIds ids;
  for (const RawBlock& block : blocks) {
    std::vector<int32_t>& steps = ids.emplace_back();
    for (const RawWindowStep& step : block.windowPath) steps.push_back(step.controlId);
  }
  return ids;
}

std::string EncodeControlIds(const ControlIds& ids) {
  std::string body;
  for (const std::vector<int32_t>& steps : ids) {
    PutInt32(body, static_cast<int32_t>(steps.size()));
    for (const int32_t id : steps) PutInt32(body, id);
  }
  std::string out(kControlIdsSignature, 4);
  PutInt32(out, static_cast<int32_t>(body.size()));
  return out + body;
}

std::optional<ControlIds> DecodeControlIds(std::string_view bytes) {
  if (bytes.size() < 8 || bytes.substr(0, 4) != std::string_view(kControlIdsSignature, 4)) {
    return std::nullopt;
  }
  if (GetInt32(bytes, 4) != static_cast<int64_t>(bytes.size() - 8)) return std::nullopt;
  ControlIds ids;
  for (size_t pos = 8; pos < bytes.size();) {
    if (!Fits(bytes, pos, 1, 4)) return std::nullopt;
    const int32_t count = GetInt32(bytes, pos);
    pos += 4;
    if (!Fits(bytes, pos, count, 4)) return std::nullopt;
    std::vector<int32_t>& steps = ids.emplace_back();
    for (int32_t k = 0; k < count; ++k, pos += 4) steps.push_back(GetInt32(bytes, pos));
  }
  return ids;
}

std::optional<ScriptDamage> DecodeBlock(std::string_view bytes, size_t& pos, int number,
                                        RawBlock* block) {
  BlockDecoder decoder(bytes, pos, number);
  RawBlock decoded;
  if (auto damage = decoder.Decode(block ? &decoded : nullptr)) return damage;
  if (block) *block = std::move(decoded);
  pos = decoder.position();
  return std::nullopt;
}

std::optional<ScriptDamage> CheckScript(std::string_view bytes, ScriptImage* image,
                                        size_t* blocksEnd) {
  if (bytes.empty()) return ScriptDamage{0, "the file is empty"};
  if (bytes.size() < kFirstBlockOffset) {
    return ScriptDamage{bytes.size(), "the file is " + Str(bytes.size()) +
                                          " bytes long, too short for the header and the "
                                          "description (" +
                                          Str(kFirstBlockOffset) + " bytes)"};
  }
  const ScriptHeader header = DecodeHeader(bytes);
  if (auto damage = CheckHeaderFields(header)) return damage;
  size_t pos = kFirstBlockOffset;
  std::vector<RawBlock> blocks;
  for (int32_t i = 0; i < header.blockCount; ++i) {
    RawBlock* block = nullptr;
    if (image) block = &blocks.emplace_back();
    if (auto damage = DecodeBlock(bytes, pos, i + 1, block)) return damage;
  }
  if (auto damage = CheckTrailer(bytes, header, pos)) return damage;
  if (blocksEnd) *blocksEnd = pos;
  if (image) {
    *image = ScriptImage{};
    image->header = header;
    image->description.assign(bytes.substr(kDescriptionOffset, kDescriptionSize));
    image->blocks = std::move(blocks);
    SplitTail(bytes, pos, *image);
  }
  return std::nullopt;
}

std::string BuildScript(const ScriptImage& image) {
  std::string body;
  for (const RawBlock& block : image.blocks) EncodeBlock(body, block);
  ScriptHeader h = image.header;
  h.blockCount = static_cast<int32_t>(image.blocks.size());
  h.programPathLength = static_cast<int32_t>(image.programPath.size());
  h.parametersLength = static_cast<int32_t>(image.parameters.size());
  if (!image.programOffsetExplicit) {
    h.programPathOffset = static_cast<int32_t>(kFirstBlockOffset + body.size() + image.gap.size());
  }
  std::string out = EncodeHeader(h);
  std::string description = image.description.substr(0, kDescriptionSize);
  description.resize(kDescriptionSize, '\0');
  out.reserve(kFirstBlockOffset + body.size() + image.gap.size() + image.programPath.size() +
              image.parameters.size() + image.stamp.size() + 1);
  out += description;
  out += body;
  out += image.gap;
  out += image.programPath;
  out += image.parameters;
  out += image.stamp;
  if (image.hasControlIds) out += EncodeControlIds(ControlIdsOf(image.blocks));
  if (image.padding) out += static_cast<char>(*image.padding);
  return out;
}

void Scramble(std::string& bytes) {
  constexpr char key = static_cast<char>(kScrambleKeyA ^ kScrambleKeyB);
  for (char& b : bytes) b ^= key;
}

}  // namespace script
