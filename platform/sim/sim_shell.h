#pragma once
// Programs started through the shell, and the processes they run as. A test
// registers a fake program by its path; launching it makes a process and
// runs the test's callback, which may build its windows, start children and
// end its process. As on Windows, a program launched through the shell runs
// before it can be put into a job: what it starts at once escapes the job,
// and one that has already ended cannot be put into one at all; only a
// program started suspended (LaunchFollowed) is in its job from the start.
// Also as on Windows, a launch of a file marked as downloaded
// from the Internet shows the shell's modal security warning unless the
// zone check is turned off, and a failed ShellExecuteEx shows an error box
// unless asked for no user interface: both wait for a user, so the sim
// throws Hung, since nobody answers them.
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/sim/sim_files.h"

namespace sim {

// A call that would not return before a user answers a modal window.
struct Hung : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class SimShell : public platform::Shell {
 public:
  explicit SimShell(SimFileSystem& files) : files_(files) {}

  struct LaunchCall {
    platform::WindowHandle owner;
    std::string operation, file, parameters, directory;
    int showCommand;
    uint32_t mask = 0;  // of ShellExecuteEx; 0 for ShellExecute
  };
  std::vector<LaunchCall> launches;
  long failWith = 0;  // when nonzero, the next launch fails (ShellExecute returns this value)

  // What a started program gets: its process id and command.
  struct ProgramStart {
    int process = 0;
    std::string parameters, directory;
  };
  void RegisterProgram(const std::string& path, std::function<void(const ProgramStart&)> onStart);
  // The file carries the Internet zone's mark (downloaded, or on a share
  // outside the intranet zone).
  void MarkDownloaded(const std::string& path);

  // Processes. A process started by another one (CreateProcess) belongs to
  // its parent's job unless it breaks away; a launch puts its process into a
  // job of its own unless `refuseJobs` (a host whose own job allows no
  // nested one, as before Windows 8): the launch is then followed alone.
  // Work that a process does (processor time, file reads and writes) counts
  // in the accounting of the job it belongs to while it does it.
  int StartChild(int parent, const std::string& path, const std::string& parameters,
                 bool breakaway = false);  // 0 when the file is missing
  // The process ends by itself, with this code (what GetExitCodeProcess gives).
  void ExitProcess(int process, unsigned long exitCode = 0);
  // What ending the process from outside takes with it (its windows).
  void OnTerminate(int process, std::function<void()> onTerminate);
  bool ProcessRunning(int process) const;
  int RunningProcesses() const;
  void DoWork(int process, unsigned long long amount = 1);
  bool refuseJobs = false;
  int terminations = 0;  // processes ended from outside
  int followedLaunches = 0;  // started suspended into their job

  std::set<std::string> mutexes;  // named mutexes that exist

  long Execute(platform::WindowHandle owner, const std::string& operation, const std::string& file,
               const std::string& parameters, const std::string& directory,
               int showCommand) override;
  platform::Launched Launch(const platform::LaunchRequest& request) override;
  platform::Launched LaunchFollowed(const platform::LaunchRequest& request) override;
  bool MutexExists(const std::string& name) const override { return mutexes.count(name) > 0; }

 private:
  class FollowedProcess;
  struct Proc {
    int job = 0;  // 0: none
    bool running = true;
    bool terminated = false;  // ended from outside
    unsigned long exitCode = 0;
    std::function<void()> onTerminate;
  };
  // `jobFirst`: the process is in `job` before it runs; otherwise it is put
  // there once its start has run, when it still runs.
  int NewProcess(const std::string& path, const std::string& parameters,
                 const std::string& directory, int job, bool jobFirst = true);
  platform::Launched Start(const platform::LaunchRequest& request, bool suspended);
  void CheckZone(const std::string& file, uint32_t mask);
  bool JobRunning(int job) const;
  void Terminate(int process);

  SimFileSystem& files_;
  std::map<std::string, std::function<void(const ProgramStart&)>> programs_;
  std::set<std::string> downloaded_;
  std::map<int, Proc> processes_;
  std::map<int, unsigned long long> jobWork_;
  int nextProcess_ = 1000, nextJob_ = 1;
};

}  // namespace sim
