#pragma once
// Facts about the machine and the running process.
#include <string>

namespace platform {

struct LocalTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
  // Minutes to add to this time to get UTC (the Windows time zone bias,
  // summer time included): -180 in Moscow.
  int utcBiasMinutes = 0;
  int SecondsOfDay() const { return hour * 3600 + minute * 60 + second; }
};

class System {
 public:
  virtual ~System() = default;
  virtual std::string UserName() const = 0;         // empty when unknown
  virtual std::string WindowsFolder() const = 0;    // without trailing backslash
  virtual std::string TempPath() const = 0;         // with its trailing backslash
  virtual std::string ProgramFolder() const = 0;    // folder of the executable
  virtual std::string ProgramPath() const = 0;      // the executable itself
  // The folder of 32-bit programs ("Program Files (x86)" on 64-bit Windows);
  // the fallback when the registry names none.
  virtual std::string ProgramFilesFolder() const = 0;
  virtual std::string CommandLine() const = 0;      // everything after the program name
  virtual int ScreenWidth() const = 0;              // physical pixels
  virtual int ScreenHeight() const = 0;
  virtual LocalTime Now() const = 0;
  virtual unsigned ThreadId() const = 0;  // of the calling thread
  // Milliseconds the machine has been awake: a clock that only moves forward
  // and stands still while the machine sleeps, so that a wait measured on it
  // does not run out during a sleep.
  virtual long long AwakeTimeMs() const = 0;
  // Keeps the machine from sleeping while on (a run with nobody at the
  // keyboard); off lets it sleep again.
  virtual void KeepAwake(bool on) = 0;
  // Creates the named single-instance semaphore and keeps it for the life of
  // the process; true when no other process holds one of that name.
  virtual bool ClaimSingleInstance(const std::string& name) = 0;

  // The system ANSI code page (1251 on a Russian Windows, 1252 on an
  // English one), used for every byte that goes into a file unless the file
  // says which code page its texts are in.
  virtual unsigned AnsiCodePage() const = 0;
  // Whether texts can be converted to and from this code page.
  virtual bool KnowsCodePage(unsigned codePage) const = 0;
  // Characters the code page lacks become '?' or a look-alike.
  virtual std::string ToCodePage(const std::string& utf8, unsigned codePage) const = 0;
  virtual std::string FromCodePage(const std::string& bytes, unsigned codePage) const = 0;
  // `utf8` as a file in this code page gives it back.
  std::string AsStoredIn(const std::string& utf8, unsigned codePage) const {
    return FromCodePage(ToCodePage(utf8, codePage), codePage);
  }
  std::string ToAnsi(const std::string& utf8) const { return ToCodePage(utf8, AnsiCodePage()); }
  std::string FromAnsi(const std::string& ansi) const { return FromCodePage(ansi, AnsiCodePage()); }
};

}  // namespace platform
