#pragma once
// Text that goes into a file is stored one byte per character in the ANSI
// code page; a character the code page lacks would come back as another one.
#include <string>
#include <string_view>

#include "platform/system.h"

namespace app {

// The characters of `text` that the code page cannot hold, each once, in the
// order they first appear, separated by spaces; empty when all fit.
// `codePage` 0: the system's.
std::string CharsOutsideCodePage(const platform::System& system, std::string_view text,
                                 unsigned codePage = 0);

// The refusal shown for the field `field` holding the characters `chars`.
std::string OutsideCodePageMessage(const std::string& field, const std::string& chars);

}  // namespace app
