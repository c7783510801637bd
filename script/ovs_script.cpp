#include "script/ovs_script.h"

namespace script {

ScriptBuffer::ScriptBuffer(const platform::System& system,
                           std::function<std::string(const std::string&)> expandMacros)
    : system_(system), expand_(std::move(expandMacros)) {}

}  // namespace script
