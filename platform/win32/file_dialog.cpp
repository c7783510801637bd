#include "platform/win32/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/text.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string w = text::Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string Narrow(const wchar_t* s) {
  std::u16string w;
  for (; *s; ++s) w += static_cast<char16_t>(*s);
  return text::Utf16ToUtf8(w);
}

}  // namespace

std::optional<std::string> ShowWin32FileDialog(HWND owner, const ui::FileDialogRequest& r) {
  // The request's list ends each string with a NUL; one more ends the list
  // (the wstring's own terminator supplies it, the explicit one keeps an
  // empty list well formed too).
  std::wstring filter = Wide(r.filter);
  filter.push_back(L'\0');
  const std::wstring title = Wide(r.title);
  const std::wstring folder = Wide(r.initialFolder);
  const size_t size = r.maxPath > 0 ? static_cast<size_t>(r.maxPath) : 1;
  std::vector<wchar_t> file(size, L'\0');
  std::vector<wchar_t> fileTitle(size, L'\0');

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.hInstance = GetModuleHandleW(nullptr);
  ofn.lpstrFilter = r.filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrFileTitle = fileTitle.data();
  ofn.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.Flags = r.flags;

  const BOOL chosen = r.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  file.back() = L'\0';
  return Narrow(file.data());
}
