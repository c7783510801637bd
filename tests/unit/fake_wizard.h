#pragma once
// A fake setup wizard for the simulated machine. Registered as a program with
// the shell, it opens, when launched, a "#32770" dialog with a step title,
// the buttons "< &Назад", "&Далее >" and "Отмена", and an edit field on one
// of its pages. "Далее >" moves to the next page, on the last page it reads
// "&Готово" and finishes the installation; "Отмена" ends it. On its install
// page "< &Назад" and "&Далее >" are disabled, as real setups do, until the
// installation is done: `installMs` later on the machine's virtual clock
// (SimUi::AdvanceTime), or when the test calls FinishInstalling(). A
// covering window can be put over the buttons on demand.
//
// Its process ends when its window closes (or `lingerMs` later, as msiexec
// finishing its work); ended from outside, its window goes too. As an MSI
// package it holds Windows Installer's mutex from the install page to its
// end, and exits at once, without a window, when another installation holds
// it (error 1618).
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"

namespace fake {

struct WizardOptions {
  std::string programPath = "C:\\Setup\\DemoSetup.exe";
  std::string caption = "Установка Demo App ";  // with the trailing space
  int pageCount = 4;
  int editPage = 2;            // the page that shows the folder field
  int installPage = 3;         // 0: none
  long long installMs = 2000;  // 0: until FinishInstalling()
  std::string folder = "C:\\Program Files\\Demo App";
  bool confirmCancel = false;  // "Отмена" asks in a message box of its own
  sim::ScreenRect rect{262, 184, 500, 400};
  long long lingerMs = 0;  // the process outlives its window by this much
  bool msi = false;
  int quitAfterPage = 0;   // nonzero: "Далее >" on this page ends the setup
  // "Далее >" shows the next page this much later, after the click is over
  // (a wizard that makes each page a window of its own).
  long long pageDelayMs = 0;
  // The shape of a class-library wizard: its pages are child panels, all
  // made at start, the shown one raised in front of the others; "&Далее >"
  // keeps its handle and reads "&Установить" on the page before the last;
  // none of this raises a window event, as under Wine.
  bool classLibrary = false;
  // What it does to the machine when it finishes (an entry in the list of
  // installed programs, a rename left for the restart), and the code its
  // process ends with.
  std::function<void()> onFinished = nullptr;
  unsigned long exitCode = 0;
  // Its buttons in English ("< &Back", "&Next >", "Cancel", "&Finish",
  // "&Install"), as a setup shows them on an English Windows; their control
  // IDs (Next 1, Cancel 2, Back 3, the folder field 1019) are the same.
  bool english = false;
};

constexpr const char* kInstallerMutex = "Global\\_MSIExecute";

class FakeWizard {
 public:
  static constexpr const char* kDialogClass = "#32770";
  static constexpr const char* kNextCaption = "&Далее >";
  static constexpr const char* kBackCaption = "< &Назад";
  static constexpr const char* kCancelCaption = "Отмена";
  static constexpr const char* kFinishCaption = "&Готово";
  static constexpr const char* kInstallCaption = "&Установить";  // a class-library wizard's
  static constexpr const char* kYesCaption = "&Да";
  static constexpr const char* kNoCaption = "&Нет";
  static constexpr const char* kCancelQuestion = "Вы действительно хотите прервать установку?";

  explicit FakeWizard(sim::SimMachine& machine, WizardOptions options = {});

  const WizardOptions& options() const { return options_; }
  bool running() const { return dialog != 0; }
  int page() const { return page_; }          // 1-based; 0 before the first launch
  bool installing() const { return installing_; }
  void FinishInstalling();                    // enables the buttons of the install page
  std::vector<std::string> launchParameters;  // one per launch
  bool finished = false, cancelled = false;
  int disabledClicks = 0;  // clicks that reached a disabled button (by a message)
  std::vector<int> clickedPages;  // the page of each click on "Далее >", over all launches
  int process = 0;  // of the last launch
  std::string installedTo;  // the folder field's text when it finished

  // Windows of the running wizard, 0 when it is not running.
  platform::WindowHandle dialog = 0, title = 0, edit = 0, back = 0, next = 0, cancel = 0;
  platform::WindowHandle question = 0, questionYes = 0, questionNo = 0;  // the cancel question

  // A top-level window in front of the wizard over its buttons.
  platform::WindowHandle Cover();
  void Uncover();
  void MoveTo(int left, int top);  // the wizard with all its controls

 private:
  void Launch(const sim::SimShell::ProgramStart& start);
  void EndProcess();
  void ReleaseMutex();
  void ShowPage(int page);
  void Close();
  void AskToCancel();
  platform::WindowHandle AddChild(const std::string& className, const std::string& caption,
                                  sim::ScreenRect client, int id = 0);
  std::string Shown(const char* caption) const;  // in the wizard's language

  sim::SimMachine& machine_;
  WizardOptions options_;
  int page_ = 0;
  bool installing_ = false;
  bool holdsMutex_ = false;
  int launches_ = 0;  // a scheduled finish belongs to the launch that started it
  platform::WindowHandle cover_ = 0;
  std::vector<platform::WindowHandle> pages_;  // of a class-library wizard, 1-based
};

}  // namespace fake
