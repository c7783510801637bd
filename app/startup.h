#pragma once
// Start-up: one running copy, the macro table, and the library folder and
// speed taken from a CD's settings file or from the command line.
#include <string>

#include "app/app.h"

namespace app {

constexpr const char* kIniFileName = "orvanta.ini";
constexpr const char* kIniSection = "General";

// Runs the start-up sequence and shows the library window, or starts the run
// that the command line asks for. False when there is nothing left to do
// (another copy runs, or a bad command line was reported): the caller then
// ends the process with `app.exitCode`.
bool Main(App& app);

bool CheckSingleInstance(App& app);
void ReadCdSettings(App& app);
void ApplyCommandLine(App& app);
// Writes one key of the settings file beside the program; false (after a
// message) when the file cannot be written.
bool WriteGeneralSetting(App& app, const std::string& key, const std::string& value);
std::string IniFilePath(const App& app);

}  // namespace app
