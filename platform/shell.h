#pragma once
// Starting programs and documents through the shell.
#include <string>

#include "platform/desktop.h"

namespace platform {

constexpr int kShowNormal = 5;  // SW_SHOW

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecute: a value greater than 32 means success.
  virtual long Execute(WindowHandle owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) = 0;
};

}  // namespace platform
