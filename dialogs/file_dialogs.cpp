#include "dialogs/file_dialogs.h"

#include <algorithm>

#include "platform/text.h"

namespace dialogs {
namespace {

std::string RunFileDialog(ui::Backend& ui, ui::Form* owner, bool save, const std::string& filter,
                          const std::string& title, const std::string& initialFolder) {
  const auto chosen =
      ui.FileDialog(owner, MakeFileDialogRequest(save, filter, title, initialFolder));
  if (!chosen) return {};
  // The dialog hands back a fixed buffer: its text ends at the first NUL.
  return text::Trim(std::string_view(*chosen).substr(0, chosen->find('\0')));
}

}  // namespace

std::string BuildDialogFilter(const std::string& filter) {
  std::string list = filter;
  if (list.empty() || list.back() != '|') list += '|';
  std::replace(list.begin(), list.end(), '|', '\0');
  return list;
}

ui::FileDialogRequest MakeFileDialogRequest(bool save, const std::string& filter,
                                            const std::string& title,
                                            const std::string& initialFolder) {
  ui::FileDialogRequest request;
  request.save = save;
  request.filter = BuildDialogFilter(filter);
  request.title = title;
  request.initialFolder = initialFolder;
  request.flags = save ? kSaveDialogFlags : kOpenDialogFlags;
  request.maxPath = kMaxFileNameBuffer;
  return request;
}

std::string ShowOpenDialog(ui::Backend& ui, ui::Form* owner, const std::string& filter,
                           const std::string& title, const std::string& initialFolder) {
  return RunFileDialog(ui, owner, false, filter, title, initialFolder);
}

std::string ShowSaveDialog(ui::Backend& ui, ui::Form* owner, const std::string& filter,
                           const std::string& title, const std::string& initialFolder) {
  return RunFileDialog(ui, owner, true, filter, title, initialFolder);
}

}  // namespace dialogs
