#include "app/safe_write.h"

#include <optional>

namespace app {
namespace {

constexpr int kTempNameAttempts = 100;

// A name in the same folder (so the final rename stays on one disk) that
// belongs to nobody yet; nothing when all candidates are taken.
std::optional<std::string> FreeTempName(const platform::FileSystem& fs, const std::string& path) {
  for (int n = 0; n < kTempNameAttempts; ++n) {
    std::string candidate = path + ".~tmp";
    if (n > 0) candidate += std::to_string(n);
    if (!fs.Attributes(candidate)) return candidate;
  }
  return std::nullopt;
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
