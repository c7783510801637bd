#pragma once
// Writing a whole file so that a failure never leaves a cut-off or half-old
// copy behind.
#include <string>

#include "platform/files.h"

namespace app {

// Writes `bytes` to a fresh file beside `path` and puts it in place of `path`
// only once every byte is on disk. False, with `path` untouched and the
// temporary file removed, when anything fails. A read-only target or a
// folder of that name is refused, never replaced. The temporary name is no
// longer than the target's, so any path that can be written directly can be
// written this way; temporary files of earlier saves that were cut off are
// removed.
bool WriteFileReplacing(platform::FileSystem& fs, const std::string& path,
                        const std::string& bytes);

}  // namespace app
