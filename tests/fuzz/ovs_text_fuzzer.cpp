// libFuzzer target for the text form of a script (`ovstool build`): any
// text. A text that builds a readable script must come back byte for byte
// through the script, its text and the script again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/ovs_format.h"
#include "script/ovs_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  script::ScriptImage image;
  if (const auto error = script::ScriptFromText(source, image)) {
    Require(error->line >= 1 && !error->message.empty());
    return 0;
  }
  const std::string bytes = script::BuildScript(image);
  script::ScriptImage read;
  if (script::CheckScript(bytes, &read)) return 0;  // e.g. a stated offset that points nowhere
  Require(script::BuildScript(read) == bytes);
  script::ScriptImage again;
  Require(!script::ScriptFromText(script::ScriptToText(read), again));
  Require(script::BuildScript(again) == bytes);
  return 0;
}
