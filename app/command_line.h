#pragma once
// Runs started from the command line with nobody at the keyboard:
//   /PLAY <script or folder> [/SPEED 0|1|2] [/TIMEOUT <seconds>] [/REPORT <file>]
//         [/LOG <file>] [/MESSAGES]
//   /RECORD <setup program> <script file>
//   /RESUME <state file>   (registered by a run, to go on after a restart)
// Option names ignore letter case and come in any order. Anything else is
// left to the /ADD rules of start-up.
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/files.h"

namespace app {

// Words of a command line: spaces separate, double quotes group (and are
// removed); backslashes are plain characters, so "C:\Folder\" is one word.
std::vector<std::string> SplitCommandLine(const std::string& line);

struct CommandLineRun {
  enum class Kind { None, Play, Record, Resume };
  Kind kind = Kind::None;
  std::string target;      // /PLAY: the script or folder; /RECORD: the setup program
  std::string scriptPath;  // /RECORD: where the script is saved; /RESUME: the run's state
  UnattendedRun options;
  std::string error;       // what is wrong with the command line; empty when nothing
};

CommandLineRun ParseRunCommand(const platform::FileSystem& fs, const std::string& line);
std::string UsageText();

}  // namespace app
