#pragma once
// The engine tests' fixtures: a simulated machine with the fake wizard, the
// control bar, and scripts of clicks through the wizard.
#include <gtest/gtest.h>

#include "app/macros.h"
#include "dialogs/frmStat.h"
#include "engine/frmStels.h"
#include "engine/window_finder.h"
#include "fake_wizard.h"
#include "library/frmMain.h"
#include "sim_test_support.h"

namespace engine_test {

using platform::Point;
using platform::WindowHandle;
namespace act = script::action;

const char* const kLibrary = "C:\\Сценарии";
const char* const kScriptPath = "C:\\Сценарии\\Demo.OVS";

inline Point Center(const sim::SimDesktop& desktop, WindowHandle w) {
  const sim::ScreenRect r = desktop.RectOf(w);
  return {r.left + r.width / 2, r.top + r.height / 2};
}

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    machine().files.MakeFolders(kLibrary);
    app().macros = app::BuildMacroTable(machine().platform);
    app().scriptFolder = kLibrary;
    app().settings.Save(app::setting::kFolderOvs, kLibrary);
    app().settings.Save(app::setting::kRegistry, "1");  // no file association
  }

  void StartRecording() {
    app().recordingMode = true;
    app().pendingPackage = {wizard.options().programPath, "Demo", "Демо", ""};
    bar().Open();
  }

  void Play(std::vector<std::string> scripts) {
    app().recordingMode = false;
    app().playQueue = {""};
    for (auto& s : scripts) app().playQueue.push_back(s);
    app().currentScriptPath = app().playQueue[1];
    bar().Open();
  }

  // Lets the timers run until the statistics window opens (its lines are
  // kept) or `ms` pass.
  void RunUntilStatistics(long long ms = 60000) {
    for (long long t = 0; t < ms && statLines.empty(); t += 100) ui().AdvanceTime(100);
  }

  void UserClick(WindowHandle w, int button = 1) { desktop().UserClick(Center(desktop(), w), button); }

  script::ScriptBuffer LoadSaved() {
    script::ScriptBuffer saved(machine().system, [](const std::string& s) { return s; });
    EXPECT_TRUE(saved.LoadPlainScript(machine().files, kScriptPath));
    return saved;
  }

  app::App& app() { return sim.app; }
  sim::SimMachine& machine() { return sim.machine; }
  sim::SimDesktop& desktop() { return sim.machine.desktop; }
  sim::SimUi& ui() { return sim.machine.ui; }
  engine::FrmStels& bar() { return app().ControlBar(); }

  SimApp sim;
  fake::FakeWizard wizard{sim.machine};
  std::vector<std::string> statLines;
  int statShown = 0;

  void SetUp() override {
    ui().modalHandlers["frmStat"] = [this](ui::Form& form) {
      ++statShown;
      for (const auto& item : static_cast<dialogs::FrmStat&>(form).List1.items()) {
        statLines.push_back(item.text);
      }
      if (statLines.empty()) statLines.push_back("(пусто)");
    };
  }
};

// A script of one click on Next, then one on Finish, saved for playback.
class PlayerTest : public EngineTest {
 protected:
  // `secondText`: the text the second block puts into its button.
  std::string WriteScript(const std::string& name, const std::string& program, int clicks = 4,
                          const std::string& secondText = "") {
    std::vector<std::pair<std::string, std::string>> blocks;
    for (int i = 0; i < clicks; ++i) {
      blocks.emplace_back(i + 1 == clicks ? "&Готово" : "&Далее >", i == 1 ? secondText : "");
    }
    return WriteClicks(name, program, blocks);
  }
  // A script of clicks into the wizard's windows, named by their caption
  // ("Edit" for its folder field, "ListBox" for a list), each with the text
  // its block puts in;
  // recorded in a wizard of this `caption` (by default the test wizard's).
  std::string WriteClicks(const std::string& name, const std::string& program,
                          const std::vector<std::pair<std::string, std::string>>& clicks,
                          const std::string& caption = "") {
    script::ScriptBuffer& s = app().script;
    s.NewScript("");
    for (const auto& [window, text] : clicks) {
      s.BeginBlock();
      // "Edit" and "ListBox" name a window of that class without a caption.
      const bool byClass = window == "Edit" || window == "ListBox";
      s.block.windowPath = {{"#32770", caption.empty() ? wizard.options().caption : caption, 1},
                            {byClass ? window : "Button", byClass ? "" : window, 1}};
      s.block.mouseEvents = {{1, act::kPress, 10, 10}, {1, act::kRelease, 0, 0}};
      s.block.blockText = text;
      s.AppendBlock();
    }
    s.AppendProgramPath(program);
    s.AppendParameters("");
    s.AppendTimeStamp();
    s.ScrambleBuffer();
    const std::string path = std::string(kLibrary) + "\\" + name + ".OVS";
    machine().files.PutFile(path, s.bytes());
    return path;
  }
  int Interval() { return bar().tmrDo.interval(); }
};

}  // namespace engine_test
