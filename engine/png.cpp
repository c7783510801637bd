#include "engine/png.h"

#include <array>
#include <cstdint>

namespace engine {
namespace {

constexpr size_t kMaxStoredBlock = 65535;

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

uint32_t Crc32(const std::string& bytes, size_t from) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i) {
    c = CrcTable()[(c ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeStart = out.size();
  out += type;
  out += data;
  PutBigEndian(out, Crc32(out, typeStart));
}

// The image rows, each after a filter byte of 0, as a zlib stream of stored
// deflate blocks.
std::string ZlibStored(const platform::ScreenImage& image) {
  std::string raw;
  const size_t rowBytes = size_t(image.width) * 3;
  raw.reserve((rowBytes + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(image.rgb.data()) + y * rowBytes, rowBytes);
  }
  std::string z = "\x78\x01";
  for (size_t pos = 0; pos < raw.size() || pos == 0; pos += kMaxStoredBlock) {
    const size_t len = std::min(kMaxStoredBlock, raw.size() - pos);
    const bool last = pos + len >= raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += static_cast<char>(len & 0xFF);
    z += static_cast<char>(len >> 8);
    z += static_cast<char>(~len & 0xFF);
    z += static_cast<char>((~len >> 8) & 0xFF);
    z.append(raw, pos, len);
    if (last) break;
  }
  uint32_t a = 1, b = 0;  // Adler-32
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(z, (b << 16) | a);
  return z;
}

}  // namespace

std::string EncodePng(const platform::ScreenImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() < size_t(image.width) * image.height * 3) {
    return {};
  }
  std::string out = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(image.width));
  PutBigEndian(header, static_cast<uint32_t>(image.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", ZlibStored(image));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace engine
