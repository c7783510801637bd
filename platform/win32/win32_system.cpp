// System facts, the single-instance semaphore, desktop windows and the shell.
#include "platform/win32/windows_api.h"
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

std::string WithoutTrailingBackslash(std::string s) {
  if (s.size() > 3 && s.back() == '\\') s.pop_back();
  return s;
}

// The command line without the program name (quoted or not) that starts it.
std::wstring ArgumentsOf(const wchar_t* line) {
  const wchar_t* p = line;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  return p;
}

std::string ConvertCodePage(UINT from, UINT to, const std::string& in) {
  if (in.empty()) return {};
  const int wn = MultiByteToWideChar(from, 0, in.data(), int(in.size()), nullptr, 0);
  std::wstring w(wn, L'\0');
  MultiByteToWideChar(from, 0, in.data(), int(in.size()), w.data(), wn);
  const int n = WideCharToMultiByte(to, 0, w.data(), wn, nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(to, 0, w.data(), wn, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Win32System::UserName() const {
  wchar_t buffer[200] = {};
  DWORD size = 200;
  return GetUserNameW(buffer, &size) ? Utf8(buffer) : std::string();
}

std::string Win32System::WindowsFolder() const {
  wchar_t buffer[MAX_PATH] = {};
  GetWindowsDirectoryW(buffer, MAX_PATH);
  return Utf8(buffer);
}

std::string Win32System::TempPath() const {
  wchar_t buffer[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, buffer);
  return Utf8(buffer);
}

std::string Win32System::ProgramPath() const {
  std::vector<wchar_t> buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
  return Utf8(std::wstring(buffer.data(), n));
}

std::string Win32System::ProgramFolder() const {
  std::string path = ProgramPath();
  const size_t slash = path.rfind('\\');
  return WithoutTrailingBackslash(slash == std::string::npos ? path : path.substr(0, slash + 1));
}

std::string Win32System::ProgramFilesFolder() const {
  // The folder of 32-bit programs; systems without it have one folder only.
  for (int folder : {CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES}) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, folder, nullptr, 0, buffer) == S_OK) return Utf8(buffer);
  }
  return {};
}

std::string Win32System::CommandLine() const { return Utf8(ArgumentsOf(GetCommandLineW())); }

int Win32System::ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
int Win32System::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

platform::LocalTime Win32System::Now() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  platform::LocalTime now{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  now.millisecond = t.wMilliseconds;
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  now.utcBiasMinutes = static_cast<int>(zone.Bias);
  if (kind == TIME_ZONE_ID_DAYLIGHT) now.utcBiasMinutes += static_cast<int>(zone.DaylightBias);
  if (kind == TIME_ZONE_ID_STANDARD) now.utcBiasMinutes += static_cast<int>(zone.StandardBias);
  return now;
}

unsigned Win32System::ThreadId() const { return GetCurrentThreadId(); }

long long Win32System::AwakeTimeMs() const {
  ULONGLONG unbiased = 0;  // 100 ns units, without the time spent asleep
  if (QueryUnbiasedInterruptTime(&unbiased)) return static_cast<long long>(unbiased / 10000);
  return static_cast<long long>(GetTickCount64());
}

void Win32System::KeepAwake(bool on) {
  SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

bool Win32System::ClaimSingleInstance(const std::string& name) {
  SetLastError(0);
  semaphore_ = CreateSemaphoreW(nullptr, 0, 1, Wide(name).c_str());
  return semaphore_ != nullptr && GetLastError() == 0;
}

unsigned Win32System::AnsiCodePage() const { return GetACP(); }

bool Win32System::KnowsCodePage(unsigned codePage) const {
  return IsValidCodePage(codePage) != FALSE;
}

std::string Win32System::ToCodePage(const std::string& utf8, unsigned codePage) const {
  return ConvertCodePage(CP_UTF8, codePage, utf8);
}

std::string Win32System::FromCodePage(const std::string& bytes, unsigned codePage) const {
  return ConvertCodePage(codePage, CP_UTF8, bytes);
}

platform::WindowHandle Win32Desktop::DesktopWindow() const { return FromHwnd(GetDesktopWindow()); }

platform::WindowHandle Win32Desktop::FindWindow(platform::WindowHandle parent,
                                                platform::WindowHandle after,
                                                const std::string& className,
                                                const std::optional<std::string>& caption) const {
  const std::wstring cls = Wide(className);
  const std::wstring cap = caption ? Wide(*caption) : std::wstring();
  return FromHwnd(FindWindowExW(ToHwnd(parent), ToHwnd(after),
                                className.empty() ? nullptr : cls.c_str(),
                                caption ? cap.c_str() : nullptr));
}

platform::WindowHandle Win32Desktop::Parent(platform::WindowHandle window) const {
  return FromHwnd(GetParent(ToHwnd(window)));
}

std::vector<platform::WindowHandle> Win32Desktop::ChildWindows(
    platform::WindowHandle parent) const {
  std::vector<platform::WindowHandle> found;
  HWND start = parent == 0 ? GetTopWindow(nullptr) : GetWindow(ToHwnd(parent), GW_CHILD);
  // A window that goes while we walk ends the walk; the bound ends a walk
  // that a reordering would send round for ever.
  constexpr size_t kMaxWindows = 100000;
  for (HWND w = start; w && found.size() < kMaxWindows; w = GetWindow(w, GW_HWNDNEXT)) {
    found.push_back(FromHwnd(w));
  }
  return found;
}

bool Win32Desktop::IsWindow(platform::WindowHandle window) const {
  return ::IsWindow(ToHwnd(window)) != 0;
}

std::string Win32Desktop::ClassName(platform::WindowHandle window) const {
  wchar_t buffer[256] = {};
  const int n = GetClassNameW(ToHwnd(window), buffer, 256);
  return Utf8(std::wstring(buffer, n > 0 ? n : 0));
}

int Win32Desktop::ControlId(platform::WindowHandle window) const {
  HWND hwnd = ToHwnd(window);
  if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) == 0) return 0;
  return GetDlgCtrlID(hwnd);
}

unsigned Win32Desktop::ProcessIdOf(platform::WindowHandle window) const {
  DWORD process = 0;
  GetWindowThreadProcessId(ToHwnd(window), &process);
  return process;
}

std::string Win32Desktop::WindowText(platform::WindowHandle window) const {
  wchar_t buffer[256] = {};
  const int n = GetWindowTextW(ToHwnd(window), buffer, 256);
  return Utf8(std::wstring(buffer, n > 0 ? n : 0));
}

platform::Point Win32Desktop::ClientToScreen(platform::WindowHandle window,
                                             platform::Point client) const {
  POINT p{client.x, client.y};
  ::ClientToScreen(ToHwnd(window), &p);
  return {p.x, p.y};
}

platform::Point Win32Desktop::ScreenToClient(platform::WindowHandle window,
                                             platform::Point screen) const {
  POINT p{screen.x, screen.y};
  ::ScreenToClient(ToHwnd(window), &p);
  return {p.x, p.y};
}

platform::ScreenArea Win32Desktop::ClientArea(platform::WindowHandle window) const {
  RECT r{};
  POINT origin{0, 0};
  if (!::GetClientRect(ToHwnd(window), &r) || !::ClientToScreen(ToHwnd(window), &origin)) {
    return {};
  }
  return {origin.x, origin.y, r.right - r.left, r.bottom - r.top};
}

platform::WindowHandle Win32Desktop::WindowFromPoint(platform::Point screen) const {
  return FromHwnd(::WindowFromPoint(POINT{screen.x, screen.y}));
}

void Win32Desktop::SetCursorPos(platform::Point screen) { ::SetCursorPos(screen.x, screen.y); }

platform::Point Win32Desktop::CursorPos() const {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

void Win32Desktop::SetWindowPos(platform::WindowHandle window, platform::ZOrder order,
                                uint32_t flags) {
  HWND after = HWND_TOP;
  switch (order) {
    case platform::ZOrder::Top: after = HWND_TOP; break;
    case platform::ZOrder::Bottom: after = HWND_BOTTOM; break;
    case platform::ZOrder::Topmost: after = HWND_TOPMOST; break;
    case platform::ZOrder::NotTopmost: after = HWND_NOTOPMOST; break;
  }
  ::SetWindowPos(ToHwnd(window), after, 0, 0, 0, 0, flags);
}

// A hung setup must not hang us: the sends give up on a window whose thread
// does not answer.
constexpr UINT kSendTimeoutMs = 2000;

void Win32Desktop::SendSetText(platform::WindowHandle window, const std::string& text) {
  const std::wstring w = Wide(text);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

std::string Win32Desktop::SendGetText(platform::WindowHandle window, int maxChars) const {
  if (maxChars <= 0) return {};
  std::vector<wchar_t> buffer(maxChars + 1, L'\0');
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(ToHwnd(window), WM_GETTEXT, maxChars,
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &n)) {
    return {};
  }
  return Utf8(std::wstring(buffer.data(), std::min<size_t>(n, size_t(maxChars))));
}

void Win32Desktop::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

long Win32Shell::Execute(platform::WindowHandle owner, const std::string& operation,
                         const std::string& file, const std::string& parameters,
                         const std::string& directory, int showCommand) {
  const std::wstring op = Wide(operation), f = Wide(file), params = Wide(parameters),
                     dir = Wide(directory);
  const HINSTANCE result =
      ShellExecuteW(ToHwnd(owner), op.c_str(), f.c_str(), parameters.empty() ? nullptr : params.c_str(),
                    directory.empty() ? nullptr : dir.c_str(), showCommand);
  return static_cast<long>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace win32
