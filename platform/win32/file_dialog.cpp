#include "platform/win32/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/wide.h"

std::optional<std::string> ShowWin32FileDialog(HWND owner, const ui::FileDialogRequest& r) {
  // The request ends each string of the list with a NUL; one more ends the
  // list (the wstring's own terminator would too; this keeps it explicit).
  std::wstring filter = win32::Wide(r.filter);
  filter.push_back(L'\0');
  const std::wstring title = win32::Wide(r.title);
  const std::wstring folder = win32::Wide(r.initialFolder);
  // Both buffers start empty: the dialog shows no file name until one is chosen.
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
  return win32::Utf8(file.data());
}
