// probe.exe: reads the state of the desktop it runs in, for the end-to-end
// tests. It must be started into the same Wine desktop as the program under
// test to see that program's windows.
//
//   probe [list]          one line per window: every top-level window, each
//                         followed by its children, depth first
//   probe text HWND       the window's text, asked with WM_GETTEXT
//   probe items HWND      the lines of a list box, one per output line
//   probe reg KEY VALUE   a string value; KEY begins with HKCU\, HKLM\ or HKCR\.
//                         Exit code 2 when the key or value is absent
//   probe acp             the ANSI code page (GetACP)
//   probe drivetype ROOT  GetDriveTypeW of a root such as D:\ (5 = CD-ROM)
//   probe run DIR LINE    starts a process with exactly the command line LINE
//                         in folder DIR, prints its process id on a line of
//                         its own at once, waits for it to end and exits with
//                         its exit code (126 when it cannot be started). The
//                         caller thus controls quoting to the last character
//                         and can follow the process's life through this one.
//   probe send HWND MSG [WPARAM [LPARAM]]
//                         sends a message (numbers, decimal or 0x hex) and
//                         prints the window's answer as a decimal number
//   probe clip TEXT       puts TEXT on the clipboard as Unicode text
//   probe ps              one line per running process: process id, parent
//                         process id and executable name, tab-separated
//   probe mutex NAME      exit code 0 when a mutex of that name exists, 2 when not
//   probe hold            prints "ready", then waits until its standard input
//                         is closed; while it runs, Wine keeps its services
//                         up, so each further Wine command starts at once
//
// Output is UTF-8 (UTF-16 through WriteConsoleW when stdout is a console).
// A list line has tab-separated fields: handle, parent handle (0 for a
// top-level window), depth (0 = top-level), class, caption, visible (1/0),
// process id, owner handle, and the window rectangle in screen coordinates
// as left, top, right, bottom. Handles are hexadecimal with 0x. In texts,
// backslash, tab, CR and LF are written as \\, \t, \r and \n.
// Exit codes: 0 success, 1 bad usage or failure, 2 registry value absent.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kMessageTimeoutMs = 1000;
constexpr size_t kMaxTextLength = 1 << 16;

std::string ToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

// Writes all of `out` to stdout: UTF-16 to a console, UTF-8 bytes to a pipe
// or file (WriteFile may write less than asked, hence the loop).
bool WriteOut(const std::wstring& out) {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    return WriteConsoleW(handle, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  }
  std::string bytes = ToUtf8(out);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

std::wstring Escape(const std::wstring& s) {
  std::wstring out;
  out.reserve(s.size());
  for (wchar_t c : s) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\t':
        out += L"\\t";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring Hex(const void* handle) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
  return buffer;
}

bool ParseHandle(const wchar_t* text, HWND* out) {
  wchar_t* end = nullptr;
  unsigned long long value = wcstoull(text, &end, 0);
  if (end == text || *end != L'\0') return false;
  *out = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
  return true;
}

// The window's text as WM_GETTEXT gives it (so edit fields of other processes
// read right). A window that does not answer in time falls back to the text
// the system keeps for it, which never blocks.
std::wstring WindowText(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &length)) {
    std::vector<wchar_t> buffer(kMaxTextLength);
    int got = GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), got > 0 ? got : 0);
  }
  if (length == 0) return {};
  if (length > kMaxTextLength) length = kMaxTextLength;
  std::vector<wchar_t> buffer(length + 1);
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &got)) {
    return {};
  }
  return std::wstring(buffer.data(), got < buffer.size() ? got : buffer.size() - 1);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[256];
  int got = GetClassNameW(hwnd, buffer, 256);
  return std::wstring(buffer, got > 0 ? got : 0);
}

void ListWindow(HWND hwnd, HWND parent, int depth, std::wstring* out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  HWND owner = depth == 0 ? GetWindow(hwnd, GW_OWNER) : nullptr;
  wchar_t numbers[160];
  swprintf(numbers, 160, L"%d\t%lu\t%ls\t%ld\t%ld\t%ld\t%ld", IsWindowVisible(hwnd) ? 1 : 0,
           static_cast<unsigned long>(pid), Hex(owner).c_str(), rect.left, rect.top, rect.right,
           rect.bottom);
  *out += Hex(hwnd) + L"\t" + Hex(parent) + L"\t" + std::to_wstring(depth) + L"\t" +
          Escape(ClassOf(hwnd)) + L"\t" + Escape(WindowText(hwnd)) + L"\t" + numbers + L"\n";
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ListWindow(child, hwnd, depth + 1, out);
  }
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

int ListWindows() {
  std::vector<HWND> top;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&top));
  std::wstring out;
  for (HWND hwnd : top) {
    if (IsWindow(hwnd)) ListWindow(hwnd, nullptr, 0, &out);
  }
  if (WriteOut(out)) return 0;
  // Seen once on a loaded machine, with nothing said: say why next time.
  fwprintf(stderr, L"probe: writing %zu characters failed (error %lu)\n", out.size(),
           GetLastError());
  return 1;
}

int PrintText(const wchar_t* handle_text) {
  HWND hwnd = nullptr;
  if (!ParseHandle(handle_text, &hwnd) || !IsWindow(hwnd)) {
    fwprintf(stderr, L"probe: no such window: %ls\n", handle_text);
    return 1;
  }
  return WriteOut(Escape(WindowText(hwnd)) + L"\n") ? 0 : 1;
}

int PrintEnabled(const wchar_t* handle_text) {
  HWND hwnd = nullptr;
  if (!ParseHandle(handle_text, &hwnd) || !IsWindow(hwnd)) {
    fwprintf(stderr, L"probe: no such window: %ls\n", handle_text);
    return 1;
  }
  return WriteOut(IsWindowEnabled(hwnd) ? L"1\n" : L"0\n") ? 0 : 1;
}

// The lines of a list box with strings. LB_GETTEXT is one of the messages
// the system carries across processes (Wine with a buffer of 512 characters).
int PrintItems(const wchar_t* handle_text) {
  HWND hwnd = nullptr;
  DWORD_PTR count = 0;
  if (!ParseHandle(handle_text, &hwnd) || !IsWindow(hwnd) ||
      !SendMessageTimeoutW(hwnd, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count) ||
      static_cast<LRESULT>(count) == LB_ERR) {
    fwprintf(stderr, L"probe: no list box: %ls\n", handle_text);
    return 1;
  }
  std::wstring out;
  for (DWORD_PTR i = 0; i < count; ++i) {
    std::vector<wchar_t> buffer(513, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &got) ||
        static_cast<LRESULT>(got) == LB_ERR) {
      fwprintf(stderr, L"probe: cannot read line %lu\n", static_cast<unsigned long>(i));
      return 1;
    }
    buffer.back() = L'\0';
    out += Escape(buffer.data()) + L"\n";
  }
  return WriteOut(out) ? 0 : 1;
}

bool SplitRoot(const std::wstring& key, HKEY* root, std::wstring* subkey) {
  struct Root {
    const wchar_t* name;
    HKEY key;
  };
  const Root roots[] = {{L"HKCU", HKEY_CURRENT_USER},  {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                        {L"HKLM", HKEY_LOCAL_MACHINE}, {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                        {L"HKCR", HKEY_CLASSES_ROOT},  {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}};
  size_t slash = key.find(L'\\');
  std::wstring head = key.substr(0, slash);
  for (const Root& r : roots) {
    if (_wcsicmp(head.c_str(), r.name) == 0) {
      *root = r.key;
      *subkey = slash == std::wstring::npos ? L"" : key.substr(slash + 1);
      return true;
    }
  }
  return false;
}

int PrintRegistryValue(const wchar_t* key, const wchar_t* value) {
  HKEY root = nullptr;
  std::wstring subkey;
  if (!SplitRoot(key, &root, &subkey)) {
    fwprintf(stderr, L"probe: unknown registry root in %ls\n", key);
    return 1;
  }
  const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD size = 0;
  LSTATUS status = RegGetValueW(root, subkey.c_str(), value, flags, nullptr, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return 2;
  if (status != ERROR_SUCCESS) {
    fwprintf(stderr, L"probe: cannot read %ls (error %ld)\n", key, static_cast<long>(status));
    return 1;
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  status = RegGetValueW(root, subkey.c_str(), value, flags, nullptr, buffer.data(), &size);
  if (status != ERROR_SUCCESS) return status == ERROR_FILE_NOT_FOUND ? 2 : 1;
  return WriteOut(Escape(buffer.data()) + L"\n") ? 0 : 1;
}

int RunAndWait(const wchar_t* folder, const wchar_t* command_line) {
  std::wstring line = command_line;  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                      &process)) {
    fwprintf(stderr, L"probe: cannot start %ls (error %lu)\n", command_line,
             static_cast<unsigned long>(GetLastError()));
    return 126;
  }
  CloseHandle(process.hThread);
  WriteOut(std::to_wstring(process.dwProcessId) + L"\n");
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  // Wine hands only the low 8 bits of an exit code to Unix: 1618 and 3010
  // arrive whole on this line.
  WriteOut(L"exit " + std::to_wstring(code) + L"\n");
  return static_cast<int>(code);
}

bool ParseNumber(const wchar_t* text, unsigned long long* out) {
  wchar_t* end = nullptr;
  *out = wcstoull(text, &end, 0);
  return end != text && *end == L'\0';
}

int SendAndPrint(int argc, wchar_t** argv) {
  HWND hwnd = nullptr;
  unsigned long long message = 0, wp = 0, lp = 0;
  if (!ParseHandle(argv[2], &hwnd) || !IsWindow(hwnd) || !ParseNumber(argv[3], &message) ||
      (argc > 4 && !ParseNumber(argv[4], &wp)) || (argc > 5 && !ParseNumber(argv[5], &lp))) {
    fwprintf(stderr, L"probe: bad window or number\n");
    return 1;
  }
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(hwnd, static_cast<UINT>(message), static_cast<WPARAM>(wp),
                           static_cast<LPARAM>(lp), SMTO_ABORTIFHUNG, kMessageTimeoutMs * 10,
                           &answer)) {
    fwprintf(stderr, L"probe: the window did not answer\n");
    return 1;
  }
  return WriteOut(std::to_wstring(static_cast<long long>(answer)) + L"\n") ? 0 : 1;
}

int SetClipboard(const wchar_t* text) {
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return 1;
  memcpy(GlobalLock(block), text, bytes);
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(block);
    return 1;
  }
  EmptyClipboard();
  const bool done = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  if (!done) GlobalFree(block);
  return done ? 0 : 1;
}

int HoldUntilInputCloses() {
  WriteOut(L"ready\n");
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  return 0;
}

int ListProcesses() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 1;
  std::wstring out;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    out += std::to_wstring(entry.th32ProcessID) + L"\t" +
           std::to_wstring(entry.th32ParentProcessID) + L"\t" + Escape(entry.szExeFile) + L"\n";
  }
  CloseHandle(snapshot);
  return WriteOut(out) ? 0 : 1;
}

int MutexExists(const wchar_t* name) {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
  const DWORD error = GetLastError();
  if (!mutex) return error == ERROR_ACCESS_DENIED ? 0 : 2;
  CloseHandle(mutex);
  return 0;
}

int Usage() {
  fwprintf(
      stderr,
      L"usage: probe [list] | text HWND | enabled HWND | items HWND | reg KEY VALUE | acp | drivetype ROOT "
      L"| run DIR LINE | send HWND MSG [WPARAM [LPARAM]] | clip TEXT | ps | mutex NAME | hold\n");
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc > 1 ? argv[1] : L"list";
  if (command == L"list" && argc <= 2) return ListWindows();
  if (command == L"text" && argc == 3) return PrintText(argv[2]);
  if (command == L"enabled" && argc == 3) return PrintEnabled(argv[2]);
  if (command == L"items" && argc == 3) return PrintItems(argv[2]);
  if (command == L"reg" && argc == 4) return PrintRegistryValue(argv[2], argv[3]);
  if (command == L"acp" && argc == 2) return WriteOut(std::to_wstring(GetACP()) + L"\n") ? 0 : 1;
  if (command == L"drivetype" && argc == 3) {
    return WriteOut(std::to_wstring(GetDriveTypeW(argv[2])) + L"\n") ? 0 : 1;
  }
  if (command == L"run" && argc == 4) return RunAndWait(argv[2], argv[3]);
  if (command == L"send" && argc >= 4 && argc <= 6) return SendAndPrint(argc, argv);
  if (command == L"clip" && argc == 3) return SetClipboard(argv[2]);
  if (command == L"hold" && argc == 2) return HoldUntilInputCloses();
  if (command == L"ps" && argc == 2) return ListProcesses();
  if (command == L"mutex" && argc == 3) return MutexExists(argv[2]);
  return Usage();
}
