#pragma once
// What the disc-image wizard puts onto a disc: the library's scripts in the
// list's order and, when asked, each package's setup program with the files
// of its folder that belong to it.
#include <cstdint>
#include <string>
#include <vector>

#include "app/app.h"

namespace dialogs {

constexpr const char* kDiscScriptFolder = "Folder OVS";
constexpr const char* kDiscSoftFolder = "soft";
// A setup program's folder goes onto the disc whole only when it holds no
// more files than this (and nothing else that belongs to something else).
constexpr int kMaxOwnFolderFiles = 20;

// The script files of `folder` ("*.ovs", any letter case; hidden and system
// files left out), by file name, in the order of the library list.
std::vector<std::string> ScriptFilesInOrder(const platform::FileSystem& fs,
                                            const platform::System& system,
                                            const std::string& folder);

// One package's setup program and what of its folder is copied.
struct SetupCopy {
  std::string packageName;
  std::string scriptFile;          // the script's file name in the library
  std::string folder;              // the setup program's folder on this machine
  std::string programName;         // its file name
  std::vector<std::string> files;  // names in `folder` to copy, the program first
  bool wholeFolder = false;
  uint64_t bytes = 0;
  std::string problem;  // why it cannot be copied; empty when it can

  // The program's path on the disc: %cdrom%\soft\<package>\<program>.
  std::string DiscPath() const;
};

struct SetupPlan {
  std::vector<SetupCopy> packages;
  int FileCount() const;
  uint64_t Bytes() const;
  int Problems() const;
};

// Finds each script's setup program (its path macros expanded on this
// machine; a path on %cdrom% is also looked for in the image itself, where
// an earlier run of the wizard may have put it) and decides what to copy:
// the whole folder when it is the program's own, see kMaxOwnFolderFiles and
// the rule text below, otherwise the program alone.
SetupPlan PlanSetupCopies(const app::App& app, const std::string& scriptFolder,
                          const std::string& imageFolder);

// The rule as the user reads it.
std::string SetupCopyRule();
// "Офис — setup.exe с папкой «Office»: 3 файла, 1,5 МБ" and the like.
std::string DescribeSetupCopy(const SetupCopy& copy);
// "3 файла, 1,5 МБ".
std::string DescribeAmount(int files, uint64_t bytes);
// "1 файл", "3 файла", "5 файлов".
std::string CountOfFiles(int count);
// "512 байт", "2 байта", "12,3 КБ", "1,5 МБ", "4,2 ГБ".
std::string FormatSize(uint64_t bytes);

}  // namespace dialogs
