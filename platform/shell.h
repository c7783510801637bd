#pragma once
// Starting programs and documents through the shell.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/desktop.h"

namespace platform {

constexpr int kShowNormal = 5;  // SW_SHOW

// ShellExecuteEx mask bits; the values are those of the Win32 API.
namespace see {
constexpr uint32_t kNoCloseProcess = 0x00000040;  // hand back the started process
constexpr uint32_t kFlagNoUi = 0x00000400;        // errors return, no message box
constexpr uint32_t kNoZoneChecks = 0x00800000;    // no security warning for the file's zone
}  // namespace see

// A program started by Shell::Launch, with every process it starts in turn
// (they share a job object). Destroying it stops following; the processes
// go on.
class Process {
 public:
  virtual ~Process() = default;
  // True while the process, or a process it started, still runs. When no
  // job could hold the tree (FollowsTree false), only the process itself
  // counts.
  virtual bool Running() const = 0;
  virtual bool FollowsTree() const = 0;
  // Ends the process and every process of its tree.
  virtual void Terminate() = 0;
  // The code the started process itself ended with (the setup's result;
  // its tree may run on); none while it runs, or when Terminate ended it.
  virtual std::optional<unsigned long> ExitCode() const = 0;
  // Whether the process of that id is this one or one of its tree.
  virtual bool Owns(unsigned processId) const = 0;
  // A count that grows while the tree works: processor milliseconds, and
  // ten for each file read or write, of its processes, those that have ended
  // included (the job's accounting). Only its changes mean anything.
  virtual unsigned long long WorkDone() const = 0;
};

struct LaunchRequest {
  WindowHandle owner = 0;
  std::string file, parameters, directory;  // empty parameters and directory: none
  uint32_t mask = 0;                        // see::*
  int showCommand = kShowNormal;
};

struct Launched {
  bool started = false;
  // Null when the shell started no process of its own (a document handed
  // to a program that runs already) or kNoCloseProcess was not asked for.
  std::unique_ptr<Process> process;
  unsigned long error = 0;  // the system's error code when not started; 0 when unknown
};

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecute: a value greater than 32 means success.
  virtual long Execute(WindowHandle owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) = 0;
  // ShellExecuteEx with the verb "open".
  virtual Launched Launch(const LaunchRequest& request) = 0;
  // A program to be followed from its first instruction: started suspended,
  // put into a job, then let run, so that no process it starts escapes the
  // job (one that asks to break away may). A Windows Installer package is
  // started the same way through the system folder's msiexec. A file that
  // is no program, and a program that Windows says must be elevated, go
  // through the shell as Launch does; any other failure to start is
  // returned as it is. Always hands back the process when one was started.
  virtual Launched LaunchFollowed(const LaunchRequest& request) = 0;
  // True while a mutex of that name exists in any process (Windows Installer
  // holds "Global\\_MSIExecute" while it installs).
  virtual bool MutexExists(const std::string& name) const = 0;
};

}  // namespace platform
