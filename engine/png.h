#pragma once
// A PNG file of a screen picture: 8-bit RGB, stored (uncompressed) deflate
// blocks. Screenshots of a failed unattended run need nothing more.
#include <string>

#include "platform/desktop.h"

namespace engine {

// The bytes of a PNG file; empty for an empty image.
std::string EncodePng(const platform::ScreenImage& image);

}  // namespace engine
