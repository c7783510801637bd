#pragma once
// Where a block's window is now: looked for as recorded first, among the
// followed setup's own windows; once it has been missing a while, the
// setup's window most like it. The answer says whether it can take input.
#include <string>

#include "engine/window_finder.h"
#include "platform/shell.h"

namespace engine {

struct Located {
  // Missing: no such window, or one on a page not shown (a property sheet
  // keeps the pages it showed). NotReady: shown, but disabled with its
  // wizard, or its thread does not answer.
  enum class State { Missing, NotReady, Ready };
  State state = State::Missing;
  platform::WindowHandle window = 0;
  bool byLikeness = false;
  std::string pressed, why;  // of a window found by likeness: what it is, and why it was taken
};

class TargetLocator {
 public:
  // Texts are compared in the code page of `script`, the one being played.
  TargetLocator(const platform::Desktop& desktop, const platform::System& system,
                const script::ScriptBuffer& script)
      : desktop_(desktop), system_(system), script_(script) {}

  // `setup`: the followed setup, null when there is none to follow (a
  // document handed to a running program); `missingMs`: how long the block
  // has looked; `speedIndex` says how long it waits before likeness.
  Located Locate(const WindowPath& path, platform::Point press, const platform::Process* setup,
                 long long missingMs, int speedIndex) const;
  // The recorded path alone; while a setup is followed, among its windows
  // only: a previous setup left running may show the same.
  platform::WindowHandle FindExact(const WindowPath& path, const platform::Process* setup) const;

 private:
  Located FindLikely(const WindowPath& path, platform::Point press,
                     const platform::Process& setup) const;
  Located WithState(Located found) const;
  TextForm Form() const { return TextForm(system_, script_.codePage()); }

  const platform::Desktop& desktop_;
  const platform::System& system_;
  const script::ScriptBuffer& script_;
};

// Input goes only to a window that can take it now: enabled with its
// top-level window (a setup disables its wizard while it asks a question or
// installs), and whose thread answers.
bool CanTakeInput(const platform::Desktop& desktop, platform::WindowHandle target);

}  // namespace engine
