// Launching a setup with ShellExecuteEx and following the processes it runs.
#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

// The launched process and, when one could be made, a job object that every
// process it starts joins (unless it breaks away). Nested jobs work since
// Windows 8; where ours cannot be made, the process is followed alone.
class Win32Process : public platform::Process {
 public:
  explicit Win32Process(HANDLE process) : process_(process) {
    job_ = CreateJobObjectW(nullptr, nullptr);
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
    if (job_) TerminateJobObject(job_, kExitCode);
    TerminateProcess(process_, kExitCode);
  }
  bool WaitForInputIdle(int ms) override {
    return ::WaitForInputIdle(process_, static_cast<DWORD>(ms)) == 0;
  }

 private:
  HANDLE process_;
  HANDLE job_ = nullptr;
};

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
  if (!ShellExecuteExW(&info)) return {};
  platform::Launched launched{true, nullptr};
  if (info.hProcess) launched.process = std::make_unique<Win32Process>(info.hProcess);
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
