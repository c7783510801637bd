// Launching a setup and following the processes it runs.
#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <string>

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

// A job that every process of the setup joins unless it asks to break away.
// Nested jobs work since Windows 8 (a scheduled task runs in a job of its
// own); where ours cannot be made or joined, the process is followed alone.
HANDLE MakeJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  return job;
}

unsigned long long Milliseconds(LARGE_INTEGER hundredNs) {
  return static_cast<unsigned long long>(hundredNs.QuadPart) / 10000;
}

unsigned long long Milliseconds(FILETIME time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return value.QuadPart / 10000;
}

// What a file read or write counts for in WorkDone, in processor milliseconds.
constexpr unsigned long long kPerOperation = 10;

class Win32Process : public platform::Process {
 public:
  // The process is in `job` already (it was started suspended), or, with
  // no job given, it runs and is put into one now: what it has started by
  // then, and a process that has ended, stay outside.
  Win32Process(HANDLE process, HANDLE job) : process_(process), job_(job) {
    if (job_) return;
    job_ = MakeJob();
    if (job_ && !AssignProcessToJobObject(job_, process_)) {
      CloseHandle(job_);
      job_ = nullptr;
    }
  }
  ~Win32Process() override {
    if (job_) CloseHandle(job_);
    CloseHandle(process_);
  }

  bool Running() const override {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    if (job_ && QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info,
                                          sizeof(info), nullptr)) {
      return info.ActiveProcesses > 0;
    }
    return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
  }
  bool FollowsTree() const override { return job_ != nullptr; }
  void Terminate() override {
    constexpr UINT kExitCode = 1;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) terminated_ = true;
    if (job_) TerminateJobObject(job_, kExitCode);
    TerminateProcess(process_, kExitCode);
  }
  // STILL_ACTIVE is a code a process may end with too: the wait tells.
  std::optional<unsigned long> ExitCode() const override {
    DWORD code = 0;
    if (terminated_ || WaitForSingleObject(process_, 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_, &code)) {
      return std::nullopt;
    }
    return code;
  }
  // The job's list of its running processes (IsProcessInJob answers no
  // for every process under Wine).
  bool Owns(unsigned processId) const override {
    if (processId == 0) return false;
    if (processId == GetProcessId(process_)) return true;
    if (!job_) return false;
    constexpr int kMostProcesses = 256;
    struct {
      JOBOBJECT_BASIC_PROCESS_ID_LIST head;
      ULONG_PTR more[kMostProcesses];
    } list{};
    if (!QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &list, sizeof(list),
                                   nullptr)) {
      return false;
    }
    const ULONG_PTR* ids = list.head.ProcessIdList;
    for (DWORD i = 0; i < list.head.NumberOfProcessIdsInList; ++i) {
      if (ids[i] == processId) return true;
    }
    return false;
  }
  // Processor milliseconds plus ten for each read or write. Where the job
  // keeps no such accounting (Wine counts only its processes), the launched
  // process's own figures stand in.
  unsigned long long WorkDone() const override {
    JOBOBJECT_BASIC_AND_IO_ACCOUNTING_INFORMATION info{};
    unsigned long long work = 0;
    if (job_ && QueryInformationJobObject(job_, JobObjectBasicAndIoAccountingInformation, &info,
                                          sizeof(info), nullptr)) {
      work = Milliseconds(info.BasicInfo.TotalUserTime) +
             Milliseconds(info.BasicInfo.TotalKernelTime) +
             kPerOperation * (info.IoInfo.ReadOperationCount + info.IoInfo.WriteOperationCount);
    }
    if (work != 0) return work;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process_, &created, &exited, &kernel, &user)) {
      work = Milliseconds(kernel) + Milliseconds(user);
    }
    IO_COUNTERS io{};
    if (GetProcessIoCounters(process_, &io)) {
      work += kPerOperation * (io.ReadOperationCount + io.WriteOperationCount);
    }
    return work;
  }

 private:
  HANDLE process_;
  HANDLE job_ = nullptr;
  bool terminated_ = false;
};

bool HasExtension(const std::string& file, const char* extension) {
  const size_t n = std::char_traits<char>::length(extension);
  if (file.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    const char c = file[file.size() - n + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != extension[i]) return false;
  }
  return true;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// msiexec of the system folder: we run as administrator, so a copy beside
// the setup or in the current folder must never be the one started.
std::wstring SystemMsiexec() {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::wstring(folder, n) + L"\\msiexec.exe";
}

// How to run the file without the shell: a program itself, a Windows
// Installer package through msiexec (as the shell's "open" of a package
// does). No program for anything else.
struct DirectStart {
  std::wstring program, commandLine;
};

DirectStart DirectStartOf(const platform::LaunchRequest& request) {
  DirectStart start;
  if (HasExtension(request.file, ".exe") || HasExtension(request.file, ".com")) {
    start.program = Wide(request.file);
    start.commandLine = Quoted(start.program);
  } else if (HasExtension(request.file, ".msi")) {
    start.program = SystemMsiexec();
    if (start.program.empty()) return {};
    start.commandLine = Quoted(start.program) + L" /i " + Quoted(Wide(request.file));
  } else {
    return {};
  }
  if (!request.parameters.empty()) start.commandLine += L" " + Wide(request.parameters);
  return start;
}

}  // namespace

platform::Launched Win32Shell::Launch(const platform::LaunchRequest& request) {
  const std::wstring file = Wide(request.file), parameters = Wide(request.parameters),
                     directory = Wide(request.directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = request.mask;
  info.hwnd = ToHwnd(request.owner);
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = request.parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = request.directory.empty() ? nullptr : directory.c_str();
  info.nShow = request.showCommand;
  if (!ShellExecuteExW(&info)) {
    platform::Launched failed;
    failed.error = GetLastError();
    return failed;
  }
  platform::Launched launched{true, nullptr};
  if (info.hProcess) launched.process = std::make_unique<Win32Process>(info.hProcess, nullptr);
  return launched;
}

// Started suspended, put into its job, then let run. A program that must be
// elevated (and we are not) or a file that is no program goes through the
// shell, and is put into a job as soon as it runs.
platform::Launched Win32Shell::LaunchFollowed(const platform::LaunchRequest& request) {
  DirectStart direct = DirectStartOf(request);
  if (direct.program.empty()) return Launch(request);
  const std::wstring directory = Wide(request.directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(request.showCommand);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(direct.program.c_str(), direct.commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr,
                      request.directory.empty() ? nullptr : directory.c_str(), &startup,
                      &started)) {
    const DWORD error = GetLastError();
    constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED
    if (error == kElevationRequired) return Launch(request);
    platform::Launched failed;
    failed.error = error;
    return failed;
  }
  HANDLE job = MakeJob();
  if (job && !AssignProcessToJobObject(job, started.hProcess)) {
    CloseHandle(job);
    job = nullptr;
  }
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  platform::Launched launched{true, nullptr};
  launched.process = std::make_unique<Win32Process>(started.hProcess, job);
  return launched;
}

bool Win32Shell::MutexExists(const std::string& name) const {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, Wide(name).c_str());
  if (mutex) {
    CloseHandle(mutex);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;  // it exists, only not for us
}

}  // namespace win32
