#pragma once
#include <string>

#include "platform/system.h"
#include "platform/text.h"

namespace sim {

class SimSystem : public platform::System {
 public:
  std::string userName = "Иван";
  std::string windowsFolder = "C:\\WINDOWS";
  std::string tempPath = "C:\\WINDOWS\\TEMP\\";
  std::string programFolder = "C:\\Program Files\\Orvanta";
  std::string programFilesFolder = "C:\\Program Files (x86)";  // of 32-bit programs
  std::string commandLine;
  int screenWidth = 1024, screenHeight = 768;
  platform::LocalTime now{2026, 12, 8, 14, 3, 27};
  bool otherInstanceRunning = false;
  const long long* clockMs = nullptr;  // the virtual clock of the toolkit
  int instanceClaims = 0;

  // Time passes: the clock of the day and the elapsed time move on. (A
  // change of the time of day alone is an assignment to `now`.)
  void AdvanceSeconds(int seconds);

  std::string UserName() const override { return userName; }
  std::string WindowsFolder() const override { return windowsFolder; }
  std::string TempPath() const override { return tempPath; }
  std::string ProgramFolder() const override { return programFolder; }
  std::string ProgramPath() const override { return programFolder + "\\orvanta.exe"; }
  std::string ProgramFilesFolder() const override { return programFilesFolder; }
  std::string CommandLine() const override { return commandLine; }
  int ScreenWidth() const override { return screenWidth; }
  int ScreenHeight() const override { return screenHeight; }
  platform::LocalTime Now() const override { return now; }
  unsigned ThreadId() const override { return 1; }
  // The machine slept this long (SimMachine::Sleep): awake time leaves it out.
  long long sleptMs = 0;
  long long advancedMs = 0;  // by AdvanceSeconds
  bool keptAwake = false;
  long long AwakeTimeMs() const override {
    return (clockMs ? *clockMs : 0) + advancedMs - sleptMs;
  }
  void KeepAwake(bool on) override { keptAwake = on; }
  bool ClaimSingleInstance(const std::string&) override {
    ++instanceClaims;
    return !otherInstanceRunning;
  }
  unsigned codePage = 1251;  // a Russian Windows unless a test says otherwise
  unsigned AnsiCodePage() const override { return codePage; }
  bool KnowsCodePage(unsigned cp) const override { return text::IsSingleByteCodePageKnown(cp); }
  std::string ToCodePage(const std::string& utf8, unsigned cp) const override {
    return text::Utf8ToCodePage(utf8, cp);
  }
  std::string FromCodePage(const std::string& bytes, unsigned cp) const override {
    return text::CodePageToUtf8(bytes, cp);
  }
};

}  // namespace sim
