#include "app/safe_write.h"

#include <optional>

#include "platform/text.h"

namespace app {
namespace {

constexpr int kTempNameAttempts = 10;

// Temporary name number `k` for the file at `path`, in the same folder (so
// the final rename stays on one disk): the file name with its last
// characters replaced by "~" or "~k". It is no longer than the target's own
// name (but for names of a character or two), so it fits wherever the
// target fits, and it never ends in ".OVS".
std::string TempPath(const std::string& path, int k) {
  const size_t nameStart = path.rfind('\\') + 1;  // 0 without a folder
  const std::string name = path.substr(nameStart);
  const std::string suffix = k == 0 ? "~" : "~" + std::to_string(k);
  const size_t chars = text::CharCount(name);
  const size_t keep = chars > suffix.size() ? chars - suffix.size() : 0;
  return path.substr(0, nameStart) + text::FirstChars(name, keep) + suffix;
}

// Removes what earlier saves of `path` left behind when they were cut off,
// and returns the first temporary name that belongs to nobody; nothing when
// all are taken. A read-only file of such a name was never made by a save
// and stays.
std::optional<std::string> FreeTempName(platform::FileSystem& fs, const std::string& path) {
  std::optional<std::string> free;
  for (int k = 0; k < kTempNameAttempts; ++k) {
    const std::string candidate = TempPath(path, k);
    if (text::EqualsNoCase(candidate, path)) continue;
    auto attributes = fs.Attributes(candidate);
    if (attributes && !attributes->folder && !attributes->readOnly && fs.DeleteFile(candidate)) {
      attributes.reset();
    }
    if (!attributes && !free) free = candidate;
  }
  return free;
}

}  // namespace

bool WriteFileReplacing(platform::FileSystem& fs, const std::string& path,
                        const std::string& bytes) {
  if (path.empty() || path.back() == '\\') return false;
  const auto existing = fs.Attributes(path);
  if (existing && (existing->folder || existing->readOnly)) return false;
  const auto temp = FreeTempName(fs, path);
  if (!temp) return false;
  if (fs.WriteFile(*temp, bytes) && fs.ReplaceFile(*temp, path)) return true;
  fs.DeleteFile(*temp);
  return false;
}

}  // namespace app
