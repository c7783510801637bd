#pragma once
// A readable, line-based text form of a whole script that keeps every byte,
// so that a script can be looked at, edited in a text editor and rebuilt.
//
//   screen 1024 768
//   version 1 0
//   codepage 1251                      # of the strings; absent: none named
//   reserved 00000000 000000           # bytes 16..19 and 36..38
//   control-ids                        # the control IDs follow the time stamp
//   description "Демо"
//   block                              # 1 at offset 239
//     window "#32770" "Установка" 1    # class, caption, ordinal[, id N]
//     mouse press left 40 12           # action, button, x, y
//     text "%TEMP%\\demo.log"
//   end
//   program "%PROGRAMFILES%\\Demo\\setup.exe"
//   parameters "/S"
//   stamp "08.12.2026 14:03:27"
//   padding 0
//
// Strings are bytes of the script's code page (Windows-1251 or -1252; any
// other is shown as 1251) written as UTF-8 between double quotes; `codepage`
// must come before them. `id N` on every window line of a script that stores
// control IDs (after its time stamp) gives each step's. A byte
// that would not come back the same way (control characters, 0x98, and for
// clarity the no-break space and soft hyphen) is written \xHH; a quote or a
// backslash is escaped with a backslash. `#` starts a comment outside quotes.
// Lines that are left out take their defaults: zero numbers, empty strings,
// version 1 0, padding 0. Two lines appear only for unusual files: `gap`
// (bytes between the last block and the program path) and `program-offset`
// (an empty trailer whose offset points elsewhere).
#include <optional>
#include <string>
#include <string_view>

#include "script/ovs_format.h"

namespace script {

std::string ScriptToText(const ScriptImage& image);

struct TextError {
  int line = 0;  // 1-based
  std::string message;
};

// Fills `image` from the text; on a mistake tells the line and what is wrong.
std::optional<TextError> ScriptFromText(std::string_view text, ScriptImage& image);

}  // namespace script
