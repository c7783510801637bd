#pragma once
// Saving the script buffer: one write attempt, the save with its questions
// and the save-elsewhere dialog, and the save that ends a recording.
#include <string>

#include "app/app.h"
#include "platform/ui.h"

namespace script {

constexpr const char* kScriptExtension = ".OVS";
constexpr const char* kScriptFileFilter = "Файлы Орванты (*.OVS)|*.OVS|";

// AddBackslash(folder) + package name + ".OVS".
std::string ScriptFilePath(const std::string& scriptFolder, const std::string& packageName);

// One attempt to write the whole buffer to `path`. A failed attempt leaves
// whatever was at `path` untouched.
bool WriteScriptFile(app::App& app, const std::string& path);

// Writes the buffer to `path`; when that fails, asks whether to save
// elsewhere and keeps trying until the file is written or the user gives up.
// A place chosen in the dialog replaces `path`. True when the file was written.
bool SaveScript(app::App& app, ui::Form* owner, std::string& path);

// The save when a recording stops: contracts the macros in the pending
// program path (kept contracted), finishes the trailer, scrambles the buffer
// and saves it as the package's script in the library folder. A recording
// without any block saves nothing and says nothing. True when a file was
// written. Returning to the library window is left to the caller.
bool SaveRecording(app::App& app, ui::Form* controlBar);

}  // namespace script
