#pragma once
// Position.lst: one package name a line, in list order, in the ANSI code
// page, each line ended by CR LF. A list with a name that the code page
// cannot hold (a Cyrillic name on an English Windows) is written in UTF-8
// after its byte order mark instead, which the reader recognises.
#include <string>
#include <vector>

#include "platform/system.h"

namespace library {

// The names, one a line, in the file's order (CR LF or LF).
std::vector<std::string> DecodePositionList(const platform::System& system,
                                            const std::string& bytes);
// The file's bytes for these names.
std::string EncodePositionList(const platform::System& system,
                               const std::vector<std::string>& names);
// Moves the listed names to the top in the file's order by swapping each
// into the next place; names without a package, and names the file repeats,
// are passed over. Names match exactly, letter case included.
void ApplyPositionList(std::vector<std::string>& names, const std::vector<std::string>& positions);

}  // namespace library
