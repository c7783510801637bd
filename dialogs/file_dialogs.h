#pragma once
// The common open and save dialogs. Callers give the filter in the
// "description|pattern|description|pattern" form; the result is the chosen
// full path, or empty text when the user cancelled.
#include <string>

#include "platform/ui.h"

namespace dialogs {

constexpr uint32_t kOpenDialogFlags = 0x1004;  // OFN_HIDEREADONLY | OFN_FILEMUSTEXIST
// OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_CREATEPROMPT
constexpr uint32_t kSaveDialogFlags = 0x2006;
// Room for the file name, its terminator included: names are at most one
// character shorter.
constexpr int kMaxFileNameBuffer = 255;

// The dialog's filter list: every "|" (one is added at the end when missing)
// becomes a NUL, so the pairs end in a double NUL once the string's own
// terminator is counted.
std::string BuildDialogFilter(const std::string& filter);

ui::FileDialogRequest MakeFileDialogRequest(bool save, const std::string& filter,
                                            const std::string& title,
                                            const std::string& initialFolder);

std::string ShowOpenDialog(ui::Backend& ui, ui::Form* owner, const std::string& filter,
                           const std::string& title, const std::string& initialFolder);
std::string ShowSaveDialog(ui::Backend& ui, ui::Form* owner, const std::string& filter,
                           const std::string& title, const std::string& initialFolder);

}  // namespace dialogs
