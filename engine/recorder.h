#pragma once
// One recording in the control bar: a new script, the program to record
// launched, the user's gestures turned into blocks by the input hook, a pause
// in which the text of the last clicked edit field can be changed (recorded
// as one more block), and the save at stop.
#include "engine/input_hook.h"

namespace app {
class App;
}

namespace engine {

class FrmStels;

class Recorder {
 public:
  Recorder(app::App& app, FrmStels& bar);

  void Record();    // the bar opened in recording mode
  void StartApp();  // launches the pending package's program
  void Pause();
  // False, after a message, while the typed text cannot be stored: the pause
  // goes on.
  bool RecordAfterPause();
  void Stop();      // saves the script and returns to the library
  void Unhook() { hook_.Remove(); }
  bool hooked() const { return hook_.installed(); }

  // The text panel.
  void OnTextChanged();
  void OnFilterClick();
  void OnFilterHover();
  void OnPlayHover();
  void OnTextHover();
  void PasteText(const std::string& text);  // an item of the paste menu
  void InsertFolderPath();

 private:
  bool TargetIsEdit() const;
  void StartBlinking();

  app::App& app_;
  FrmStels& bar_;
  InputHook hook_;
};

}  // namespace engine
