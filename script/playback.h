#pragma once
// Playing one script: start its program, replay one block's mouse gesture in
// the window found for it, put the block's text into a control, and the
// window queries that the recorder and the player share.
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/shell.h"
#include "script/ovs_format.h"

namespace app {
class App;
}

namespace script {

// Absolute mouse coordinates (0..65535) per screen pixel: 65535 / pixels,
// rounded to the nearest integer, halves to even. 0 for a size of 0.
int MouseScaleFactor(int screenPixels);
// The absolute mouse coordinate that lands exactly on `pixel`. Injection uses
// it instead of pixel x factor: whole-number factors drift by up to 1%, enough
// to miss a button at the far side of a large screen.
int AbsoluteCoordinate(int pixel, int screenPixels);

// Why a script could not be started.
enum class StartFailure {
  None, ScriptMissing, ScriptDamaged, VersionUnsupported, ProgramMissing, LaunchFailed
};

// Loads the script, checks its version and program, launches the program
// (kept in App::setupProcess, followed from its first instruction) and hands over to the control bar's NextDo. Every failure stops tmrDo, starts
// tmrExit and closes the statistics entry with result 0 (and says why in
// `why` when given); true on success.
// `launchError`: the system's code when the program could not be started.
bool StartScript(app::App& app, const std::string& path, StartFailure* why = nullptr,
                 unsigned long* launchError = nullptr);
// Starts the program, owned by the control bar, in its own folder, with no
// security warning or error box that would wait for a user, in a job from
// its first instruction. The result says whether it started and holds its
// process when there is one.
platform::Launched LaunchProgram(app::App& app, const std::string& program,
                                 const std::string& parameters);
// How a block's gesture went.
enum class Gesture {
  Played,            // injected as mouse input (or nothing to play)
  Taken,             // a click injected into a button, which has acted on it
  PlayedByMessages,  // sent as window messages to the target
  Covered,           // another window lies on the press point: nothing was sent
  Lost,              // a click's press never reached its button: nothing clicked
};
// Plays the current block's gesture with its press in `target`: as injected
// mouse input, or, with `byMessages` or when the system refuses the input, as
// window messages. A covering control bar is moved away from the press point
// first. A gesture with no playable press (a button value no button has) is
// played, without input. A click on a button is released only once the
// button shows the press; one it never shows is released off the button, so
// that nothing is clicked and the block can be played again.
Gesture PlayBlockGesture(app::App& app, platform::WindowHandle target, bool byMessages);
// The same for a gesture of another block (events as the script holds them).
Gesture PlayGesture(app::App& app, platform::WindowHandle target,
                    const std::vector<MouseEvent>& events, bool byMessages);
// A press and a release close enough to be one click, as a button takes it:
// window messages play it as the button's own click.
bool IsPlainClick(const std::vector<MouseEvent>& events);
// The gesture as mouse input; false when the press point is covered.
bool ReplayBlockEvents(app::App& app, platform::WindowHandle target);
void PutBlockText(app::App& app, platform::WindowHandle target);
std::string ReadWindowText(const app::App& app, platform::WindowHandle window);
// Edit, RichEdit20A and other classes whose name contains "EDIT".
bool IsEditClass(const std::string& className);
bool IsEditWindow(const app::App& app, platform::WindowHandle window);
// The control bar's window or any window inside it.
bool IsControlBarWindow(const app::App& app, platform::WindowHandle window);

}  // namespace script
