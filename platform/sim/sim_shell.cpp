#include "platform/sim/sim_shell.h"

#include "platform/text.h"

namespace sim {

namespace {
constexpr long kFileNotFound = 2;
constexpr long kStarted = 42;
}  // namespace

class SimShell::FollowedProcess : public platform::Process {
 public:
  FollowedProcess(SimShell& shell, int process, int job)
      : shell_(shell), process_(process), job_(job) {}
  bool Running() const override {
    return job_ != 0 ? shell_.JobRunning(job_) : shell_.ProcessRunning(process_);
  }
  bool FollowsTree() const override { return job_ != 0; }
  void Terminate() override {
    if (job_ == 0) return shell_.Terminate(process_);
    std::vector<int> tree;
    for (const auto& [id, proc] : shell_.processes_) {
      if (proc.job == job_) tree.push_back(id);
    }
    for (int id : tree) shell_.Terminate(id);
  }
  bool Owns(unsigned processId) const override {
    const int id = static_cast<int>(processId);
    if (id == process_) return true;
    auto it = shell_.processes_.find(id);
    return job_ != 0 && it != shell_.processes_.end() && it->second.job == job_;
  }
  std::optional<unsigned long> ExitCode() const override {
    auto it = shell_.processes_.find(process_);
    if (it == shell_.processes_.end() || it->second.running || it->second.terminated) {
      return std::nullopt;
    }
    return it->second.exitCode;
  }
  unsigned long long WorkDone() const override {
    auto it = shell_.jobWork_.find(job_);
    return job_ != 0 && it != shell_.jobWork_.end() ? it->second : 0;
  }

 private:
  SimShell& shell_;
  int process_, job_;
};

void SimShell::RegisterProgram(const std::string& path,
                               std::function<void(const ProgramStart&)> onStart) {
  programs_[text::FoldCase(path)] = std::move(onStart);
}

void SimShell::MarkDownloaded(const std::string& path) {
  downloaded_.insert(text::FoldCase(path));
}

int SimShell::NewProcess(const std::string& path, const std::string& parameters,
                         const std::string& directory, int job, bool jobFirst) {
  const int id = nextProcess_++;
  processes_[id].job = jobFirst ? job : 0;
  auto it = programs_.find(text::FoldCase(path));
  if (it != programs_.end() && it->second) it->second({id, parameters, directory});
  if (!jobFirst && processes_[id].running) processes_[id].job = job;
  return id;
}

void SimShell::DoWork(int process, unsigned long long amount) {
  auto it = processes_.find(process);
  if (it != processes_.end() && it->second.running && it->second.job != 0) {
    jobWork_[it->second.job] += amount;
  }
}

int SimShell::StartChild(int parent, const std::string& path, const std::string& parameters,
                         bool breakaway) {
  if (!files_.Exists(path)) return 0;
  auto it = processes_.find(parent);
  const int job = breakaway || it == processes_.end() ? 0 : it->second.job;
  return NewProcess(path, parameters, "", job);
}

void SimShell::ExitProcess(int process, unsigned long exitCode) {
  auto it = processes_.find(process);
  if (it == processes_.end() || !it->second.running) return;
  it->second.running = false;
  it->second.exitCode = exitCode;
}

void SimShell::OnTerminate(int process, std::function<void()> onTerminate) {
  auto it = processes_.find(process);
  if (it != processes_.end()) it->second.onTerminate = std::move(onTerminate);
}

bool SimShell::ProcessRunning(int process) const {
  auto it = processes_.find(process);
  return it != processes_.end() && it->second.running;
}

int SimShell::RunningProcesses() const {
  int count = 0;
  for (const auto& [id, proc] : processes_) count += proc.running ? 1 : 0;
  return count;
}

bool SimShell::JobRunning(int job) const {
  for (const auto& [id, proc] : processes_) {
    if (proc.job == job && proc.running) return true;
  }
  return false;
}

void SimShell::Terminate(int process) {
  auto it = processes_.find(process);
  if (it == processes_.end() || !it->second.running) return;
  it->second.running = false;
  it->second.terminated = true;
  ++terminations;
  if (it->second.onTerminate) it->second.onTerminate();
}

void SimShell::CheckZone(const std::string& file, uint32_t mask) {
  if (downloaded_.count(text::FoldCase(file)) && !(mask & platform::see::kNoZoneChecks)) {
    throw Hung("the shell's security warning waits for an answer: " + file);
  }
}

long SimShell::Execute(platform::WindowHandle owner, const std::string& operation,
                       const std::string& file, const std::string& parameters,
                       const std::string& directory, int showCommand) {
  launches.push_back({owner, operation, file, parameters, directory, showCommand});
  if (failWith != 0) {
    const long result = failWith;
    failWith = 0;
    return result;
  }
  if (!files_.Exists(file)) return kFileNotFound;
  CheckZone(file, 0);
  NewProcess(file, parameters, directory, 0);
  return kStarted;
}

platform::Launched SimShell::Launch(const platform::LaunchRequest& request) {
  return Start(request, /*suspended=*/false);
}

platform::Launched SimShell::LaunchFollowed(const platform::LaunchRequest& request) {
  ++followedLaunches;
  return Start(request, /*suspended=*/true);
}

platform::Launched SimShell::Start(const platform::LaunchRequest& request, bool suspended) {
  launches.push_back({request.owner, "open", request.file, request.parameters, request.directory,
                      request.showCommand, request.mask});
  const bool failed = failWith != 0 || !files_.Exists(request.file);
  const long failure = failWith != 0 ? failWith : kFileNotFound;
  failWith = 0;
  if (failed) {
    if (!(request.mask & platform::see::kFlagNoUi)) {
      throw Hung("the shell's error box waits for an answer: " + request.file);
    }
    platform::Launched none;
    none.error = static_cast<unsigned long>(failure);
    return none;
  }
  CheckZone(request.file, request.mask);
  const int job = refuseJobs ? 0 : nextJob_++;
  const int process =
      NewProcess(request.file, request.parameters, request.directory, job, suspended);
  platform::Launched launched{true, nullptr};
  if (suspended || (request.mask & platform::see::kNoCloseProcess)) {
    // A process that ended before it could be put into the job is followed alone.
    const int heldJob = processes_[process].job;
    launched.process = std::make_unique<FollowedProcess>(*this, process, heldJob);
  }
  return launched;
}

}  // namespace sim
