#pragma once
// The real machine: each outside service of platform/ over the Win32 API.
#include "platform/win32/windows_api.h"

#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace win32 {

class Win32FileSystem : public platform::FileSystem {
 public:
  bool FindEntry(const std::string& path) const override;
  std::optional<platform::FileAttributes> Attributes(const std::string& path) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  bool MoveFile(const std::string& from, const std::string& to) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool SetReadOnly(const std::string& path, bool readOnly) override;
  std::optional<std::vector<platform::FolderEntry>> ListFolder(
      const std::string& folder, const std::string& pattern) const override;
  platform::DriveType GetDriveType(const std::string& root) const override;
  std::vector<std::string> LogicalDrives() const override;
};

class Win32IniFiles : public platform::IniFiles {
 public:
  std::string GetString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& fallback) const override;
  bool PutString(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) override;
};

class Win32Registry : public platform::Registry {
 public:
  std::optional<platform::RegistryValue> ReadValue(
      platform::RegistryRoot root, const std::string& subkey, const std::string& name,
      platform::RegistryView view = platform::RegistryView::Default) const override;
  std::vector<std::string> SubkeyNames(
      platform::RegistryRoot root, const std::string& subkey,
      platform::RegistryView view = platform::RegistryView::Default) const override;
  bool WriteString(platform::RegistryRoot root, const std::string& subkey, const std::string& name,
                   const std::string& value) override;
  bool DeleteValue(platform::RegistryRoot root, const std::string& subkey,
                   const std::string& name) override;
};

class Win32System : public platform::System {
 public:
  std::string UserName() const override;
  std::string WindowsFolder() const override;
  std::string TempPath() const override;
  std::string ProgramFolder() const override;
  std::string ProgramPath() const override;
  std::string ProgramFilesFolder() const override;
  std::string CommandLine() const override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  platform::LocalTime Now() const override;
  unsigned ThreadId() const override;
  long long AwakeTimeMs() const override;
  void KeepAwake(bool on) override;
  bool ClaimSingleInstance(const std::string& name) override;
  unsigned AnsiCodePage() const override;
  bool KnowsCodePage(unsigned codePage) const override;
  std::string ToCodePage(const std::string& utf8, unsigned codePage) const override;
  std::string FromCodePage(const std::string& bytes, unsigned codePage) const override;

 private:
  HANDLE semaphore_ = nullptr;  // kept open for the life of the process
};

class Win32Desktop : public platform::Desktop {
 public:
  platform::WindowHandle DesktopWindow() const override;
  platform::WindowHandle FindWindow(platform::WindowHandle parent, platform::WindowHandle after,
                                    const std::string& className,
                                    const std::optional<std::string>& caption) const override;
  platform::WindowHandle Parent(platform::WindowHandle window) const override;
  std::vector<platform::WindowHandle> ChildWindows(platform::WindowHandle parent) const override;
  bool IsWindow(platform::WindowHandle window) const override;
  std::string ClassName(platform::WindowHandle window) const override;
  int ControlId(platform::WindowHandle window) const override;
  std::string WindowText(platform::WindowHandle window) const override;
  unsigned ProcessIdOf(platform::WindowHandle window) const override;
  platform::Point ClientToScreen(platform::WindowHandle window,
                                 platform::Point client) const override;
  platform::Point ScreenToClient(platform::WindowHandle window,
                                 platform::Point screen) const override;
  platform::ScreenArea ClientArea(platform::WindowHandle window) const override;
  platform::WindowHandle WindowFromPoint(platform::Point screen) const override;
  platform::WindowHandle RootWindow(platform::WindowHandle window) const override;
  bool IsVisible(platform::WindowHandle window) const override;
  bool IsEnabled(platform::WindowHandle window) const override;
  bool IsResponding(platform::WindowHandle window) const override;
  platform::ScreenArea VirtualScreen() const override;
  bool ButtonsSwapped() const override;
  void SetCursorPos(platform::Point screen) override;
  platform::Point CursorPos() const override;
  bool InjectMouse(uint32_t flags, int x, int y) override;
  platform::ButtonKind ButtonKindOf(platform::WindowHandle window) const override;
  bool PostButtonClick(platform::WindowHandle window) override;
  bool PostButtonCommand(platform::WindowHandle window) override;
  bool PostButtonCheck(platform::WindowHandle window, int check) override;
  platform::WindowHandle FocusOf(platform::WindowHandle window) const override;
  std::optional<long long> SelectionOf(platform::WindowHandle window) const override;
  int CheckState(platform::WindowHandle window) const override;
  bool PostMouse(platform::WindowHandle window, platform::MouseMessage message, int button,
                 platform::Point client) override;
  bool WaitButtonPushed(platform::WindowHandle window, bool pushed, int waitMs) const override;
  void SetWindowPos(platform::WindowHandle window, platform::ZOrder order,
                    uint32_t flags) override;
  void SetForeground(platform::WindowHandle window) override;
  bool ForceForeground(platform::WindowHandle window) override;
  platform::WindowHandle ForegroundWindow() const override;
  void SendSetText(platform::WindowHandle window, const std::string& text) override;
  std::string SendGetText(platform::WindowHandle window, int maxChars) const override;
  void PumpMessages() override;
  std::unique_ptr<platform::MouseHook> InstallMouseHook(
      std::function<void(const platform::HookEvent&)> onEvent,
      platform::PressSnapshot snapshot) override;
  std::unique_ptr<platform::WindowWatch> WatchWindows(WindowEventHandler onChange) override;
  std::string ClipboardText() const override;
  platform::ScreenImage CaptureScreen() const override;
  platform::ScreenImage CaptureClient(platform::WindowHandle window) const override;
};

class Win32Shell : public platform::Shell {
 public:
  long Execute(platform::WindowHandle owner, const std::string& operation, const std::string& file,
               const std::string& parameters, const std::string& directory,
               int showCommand) override;
  platform::Launched Launch(const platform::LaunchRequest& request) override;
  platform::Launched LaunchFollowed(const platform::LaunchRequest& request) override;
  bool MutexExists(const std::string& name) const override;
};

inline HWND ToHwnd(platform::WindowHandle h) { return reinterpret_cast<HWND>(h); }
inline platform::WindowHandle FromHwnd(HWND h) { return reinterpret_cast<platform::WindowHandle>(h); }

}  // namespace win32
