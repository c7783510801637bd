// ovstool: shows an OVS script as text, builds one from text, and checks a
// script library.
//
//   ovstool dump SCRIPT.OVS [TEXT]   the script as text, to TEXT or the console
//   ovstool build TEXT SCRIPT.OVS    the (scrambled) script from its text
//   ovstool check FOLDER             one line per problem of the library
//
// Exit codes: 0 done, 1 wrong usage, 2 a file that cannot be read, is
// damaged or malformed, or cannot be written. `check`: 0 nothing found,
// 1 something found, 2 the folder cannot be read; its notes (captions that
// carry a version number) change no exit code.
#include <cstdio>
#include <string>
#include <vector>

#include "app/macros.h"
#include "ovstool/library_check.h"
#include "platform/stdio/std_files.h"
#include "platform/text.h"
#include "script/ovs_format.h"
#include "script/ovs_text.h"

namespace {

constexpr int kUsageError = 1;
constexpr int kFileError = 2;

constexpr const char* kUsage =
    "usage: ovstool dump SCRIPT.OVS [TEXT]\n"
    "       ovstool build TEXT SCRIPT.OVS\n"
    "       ovstool check FOLDER\n"
    "\n"
    "dump   writes the script as readable text (to TEXT, or to the console)\n"
    "build  makes the scrambled script file from such a text\n"
    "check  lists what would keep the library in FOLDER from playing here,\n"
    "       then notes the captions that carry a version number\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "ovstool: %s\n", message.c_str());
  return kFileError;
}

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "ovstool: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return kUsageError;
}

int Dump(stdio::StdFileSystem& fs, const std::string& scriptPath, const std::string* textPath) {
  std::optional<std::string> bytes = fs.ReadFile(scriptPath);
  if (!bytes) return Fail("cannot read '" + scriptPath + "'");
  script::Scramble(*bytes);  // files are always stored scrambled
  script::ScriptImage image;
  if (auto damage = script::CheckScript(*bytes, &image)) {
    return Fail("'" + scriptPath + "' is not a readable script: at byte offset " +
                std::to_string(damage->offset) + ": " + damage->what);
  }
  const std::string text = script::ScriptToText(image);
  if (!textPath) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the text");
  }
  if (!fs.WriteFile(*textPath, text)) return Fail("cannot write '" + *textPath + "'");
  return 0;
}

int Build(stdio::StdFileSystem& fs, const std::string& textPath, const std::string& scriptPath) {
  std::optional<std::string> text = fs.ReadFile(textPath);
  if (!text) return Fail("cannot read '" + textPath + "'");
  script::ScriptImage image;
  if (auto error = script::ScriptFromText(*text, image)) {
    return Fail(textPath + ":" + std::to_string(error->line) + ": " + error->message);
  }
  std::string bytes = script::BuildScript(image);
  script::Scramble(bytes);
  if (!fs.WriteFile(scriptPath, bytes)) return Fail("cannot write '" + scriptPath + "'");
  return 0;
}

// The registry of a machine that has none: every value is missing.
class NoRegistry : public platform::Registry {
 public:
  std::optional<platform::RegistryValue> ReadValue(platform::RegistryRoot, const std::string&,
                                                   const std::string&,
                                                   platform::RegistryView) const override {
    return std::nullopt;
  }
  std::vector<std::string> SubkeyNames(platform::RegistryRoot, const std::string&,
                                       platform::RegistryView) const override {
    return {};
  }
  bool WriteString(platform::RegistryRoot, const std::string&, const std::string&,
                   const std::string&) override {
    return false;
  }
  bool DeleteValue(platform::RegistryRoot, const std::string&, const std::string&) override {
    return false;
  }
};

int Check(stdio::StdFileSystem& fs, const std::string& folder) {
  stdio::StdSystem system;
  const app::MacroTable macros = app::BuildMacroTable(NoRegistry(), system, fs);
  std::vector<std::string> notes;
  const auto findings = ovstool::CheckLibrary(fs, system, macros, folder, notes);
  if (!findings) return Fail("cannot read the folder '" + folder + "'");
  for (const std::string& finding : *findings) std::printf("%s\n", finding.c_str());
  for (const std::string& note : notes) std::printf("note: %s\n", note.c_str());
  if (std::fflush(stdout) != 0) return Fail("cannot write the findings");
  return findings->empty() ? 0 : 1;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("");
  stdio::StdFileSystem fs;
  const std::string& command = args[0];
  if (command == "dump" && (args.size() == 2 || args.size() == 3)) {
    return Dump(fs, args[1], args.size() == 3 ? &args[2] : nullptr);
  }
  if (command == "build" && args.size() == 3) return Build(fs, args[1], args[2]);
  if (command == "check" && args.size() == 2) return Check(fs, args[1]);
  if (command == "dump" || command == "build" || command == "check") {
    return Usage("wrong number of arguments");
  }
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Usage("unknown command '" + command + "'");
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that file names outside the ANSI code page arrive whole.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    args.push_back(text::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  return Run(args);
}
#else
int main(int argc, char** argv) {
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
