#pragma once
// Starting a run that the command line asked for: a queue of scripts played
// through the control bar without the library window, or one recording saved
// straight to a file.
#include "app/command_line.h"

namespace engine {

// Starts the run; false when nothing is left to do (a bad command line was
// reported and the exit code set), true when the message loop must run.
bool StartCommandLineRun(app::App& app, const app::CommandLineRun& run);
// Tells the user about a refused run: into the report file when the command
// line names one that can be written, in a message box otherwise.
void TellAboutRun(app::App& app, const app::CommandLineRun& run, const std::string& text);

}  // namespace engine
