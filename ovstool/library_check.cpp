#include "ovstool/library_check.h"

#include <map>
#include <set>

#include "app/paths.h"
#include "engine/window_likeness.h"
#include "library/library_order.h"
#include "platform/text.h"
#include "script/ovs_script.h"

namespace ovstool {
namespace {

constexpr const char* kExtension = ".OVS";

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

// The file name of a package's script. The program opens name + ".OVS",
// which Windows finds whatever the case of the extension; a case-sensitive
// file system needs the spelling on disk.
std::string ScriptFileName(const platform::FileSystem& fs, const std::string& folder,
                           const std::string& name) {
  const std::string usual = name + kExtension;
  if (fs.FindEntry(app::AddBackslash(folder) + usual)) return usual;
  if (auto entries = fs.ListFolder(folder, usual)) {
    for (const platform::FolderEntry& entry : *entries) {
      if (entry.name.size() == usual.size() && entry.name.compare(0, name.size(), name) == 0) {
        return entry.name;
      }
    }
  }
  return usual;
}

// The distinct captions of the script's windows that carry a version
// number, quoted and separated by commas; empty when none does.
std::string CaptionsWithVersion(script::ScriptBuffer& buffer) {
  std::set<std::string> seen;
  std::string out;
  buffer.RewindBlocks();
  while (buffer.ReadNextBlock()) {
    for (const script::WindowStep& step : buffer.block.windowPath) {
      if (engine::VersionNumberIn(step.caption).empty() || !seen.insert(step.caption).second) {
        continue;
      }
      out += (out.empty() ? "" : ", ") + Quoted(step.caption);
    }
  }
  return out;
}

// What stops the script from playing on this machine, as the player would
// find it; empty when nothing does. `versionNote` gets the captions that
// carry a version number.
std::string CheckScript(const platform::FileSystem& fs, const platform::System& system,
                        const app::MacroTable& macros, const std::string& path,
                        std::string& versionNote) {
  const auto bytes = fs.ReadFile(path);
  if (!bytes) return "cannot be read";
  script::ScriptBuffer buffer(system, [](const std::string& s) { return s; });
  buffer.SetBytes(*bytes);
  buffer.UnscrambleBuffer();
  if (auto damage = buffer.CheckStructure()) {
    return "damaged at byte offset " + std::to_string(damage->offset) + ": " + damage->what;
  }
  buffer.ReadHeader();
  versionNote = CaptionsWithVersion(buffer);
  if (!buffer.IsVersionSupported()) {
    return "made by a newer version of the program (format " +
           std::to_string(buffer.header().versionMajor) + "." +
           std::to_string(buffer.header().versionMinor) + "; this one plays format " +
           std::to_string(script::kVersionMajor) + " and older)";
  }
  const std::string stored = buffer.ReadProgramPath();
  if (text::Trim(stored).empty()) return "names no setup program";
  const std::string program = app::ExpandMacros(macros, fs, stored);
  if (app::PathExists(fs, program)) return {};
  std::string finding = "the setup program does not exist: " + Quoted(program);
  if (program != stored) finding += " (stored as " + Quoted(stored) + ")";
  return finding;
}

using FileNames = std::map<std::string, std::string>;  // package name -> its script's file

void CheckPositionList(const platform::FileSystem& fs, const platform::System& system,
                       const std::string& folder, const std::vector<std::string>& names,
                       const FileNames& files, std::vector<std::string>& findings) {
  const std::string listPath = library::PositionListPath(fs, folder);
  if (!fs.FindEntry(listPath)) {
    if (!names.empty()) {
      findings.push_back(std::string(library::kPositionFile) +
                         ": missing; the packages play in the order of their names");
    }
    return;
  }
  std::map<std::string, std::string> byFolded;  // folded name -> a script of that name
  for (const std::string& name : names) byFolded.emplace(text::FoldCase(name), name);
  std::set<std::string> listed;
  const std::vector<std::string> lines = library::ReadPositionList(fs, system, folder);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    const std::string where =
        std::string(library::kPositionFile) + ", line " + std::to_string(i + 1) + ": ";
    if (files.count(line)) {
      listed.insert(line);
      continue;
    }
    auto alike = byFolded.find(text::FoldCase(line));
    if (alike == byFolded.end()) {
      findings.push_back(where + Quoted(line) + " has no script");
    } else {
      findings.push_back(where + Quoted(line) + " differs only in letter case from the script " +
                         Quoted(files.at(alike->second)) + ", so it does not place it");
      listed.insert(alike->second);  // said once, not again as unlisted
    }
  }
  for (const std::string& name : names) {
    if (!listed.count(name)) {
      findings.push_back(files.at(name) + ": not in " + library::kPositionFile +
                         "; it plays after the listed packages");
    }
  }
}

void CheckNameCase(const std::vector<std::string>& names, const FileNames& files,
                   std::vector<std::string>& findings) {
  // Names come sorted without regard to case, so look-alikes are neighbours.
  for (size_t i = 1; i < names.size(); ++i) {
    if (text::FoldCase(names[i]) == text::FoldCase(names[i - 1])) {
      findings.push_back(files.at(names[i - 1]) + ", " + files.at(names[i]) +
                         ": names that differ only in letter case; Windows keeps only one "
                         "of them");
    }
  }
}

}  // namespace

std::optional<std::vector<std::string>> CheckLibrary(const platform::FileSystem& fs,
                                                     const platform::System& system,
                                                     const app::MacroTable& macros,
                                                     const std::string& folder,
                                                     std::vector<std::string>& notes) {
  const auto names = library::ListPackages(fs, folder);
  if (!names) return std::nullopt;
  std::vector<std::string> findings;
  if (names->empty()) findings.push_back("no scripts (*.ovs) in the folder");
  FileNames files;
  for (const std::string& name : *names) {
    const std::string& file = files[name] = ScriptFileName(fs, folder, name);
    std::string versions;
    const std::string problem =
        CheckScript(fs, system, macros, app::AddBackslash(folder) + file, versions);
    if (!problem.empty()) findings.push_back(file + ": " + problem);
    if (!versions.empty()) {
      notes.push_back(file + ": captions with a version number (on another version of the "
                      "setup found only by likeness): " + versions);
    }
  }
  CheckPositionList(fs, system, folder, *names, files, findings);
  CheckNameCase(*names, files, findings);
  return findings;
}

}  // namespace ovstool
