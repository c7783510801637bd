#include "fake_wizard.h"

namespace fake {

using platform::WindowHandle;

FakeWizard::FakeWizard(sim::SimMachine& machine, WizardOptions options)
    : machine_(machine), options_(std::move(options)) {
  machine_.files.PutFile(options_.programPath, "MZ");
  machine_.shell.RegisterProgram(options_.programPath,
                                 [this](const sim::SimShell::ProgramStart& s) { Launch(s); });
}

WindowHandle FakeWizard::AddChild(const std::string& className, const std::string& caption,
                                  sim::ScreenRect client, int id) {
  const sim::ScreenRect& r = options_.rect;
  const WindowHandle child = machine_.desktop.AddWindow(
      dialog, className, caption,
      {r.left + client.left, r.top + client.top, client.width, client.height});
  machine_.desktop.SetControlId(child, id);
  return child;
}

std::string FakeWizard::Shown(const char* caption) const {
  if (!options_.english) return caption;
  const std::string c = caption;
  if (c == kBackCaption) return "< &Back";
  if (c == kNextCaption) return "&Next >";
  if (c == kCancelCaption) return "Cancel";
  if (c == kFinishCaption) return "&Finish";
  if (c == kInstallCaption) return "&Install";
  return c;
}

void FakeWizard::Launch(const sim::SimShell::ProgramStart& start) {
  launchParameters.push_back(start.parameters);
  Close();
  ++launches_;
  finished = cancelled = false;
  process = start.process;
  if (options_.msi && machine_.shell.MutexExists(kInstallerMutex)) return EndProcess();
  machine_.shell.OnTerminate(process, [this] {
    if (dialog != 0) machine_.desktop.RemoveWindow(dialog);
    dialog = title = edit = back = next = cancel = 0;
    installing_ = false;
    ReleaseMutex();
  });
  sim::SimDesktop& desktop = machine_.desktop;
  dialog = desktop.AddWindow(0, kDialogClass, options_.caption, options_.rect);
  desktop.SetProcess(dialog, process);  // its controls and questions follow
  const int bottom = options_.rect.height - 40;
  title = AddChild("Static", "", {12, 12, 476, 40});
  edit = AddChild("Edit", options_.folder, {12, 150, 380, 21}, 1019);
  back = AddChild("Button", Shown(kBackCaption), {230, bottom, 75, 23}, 3);
  next = AddChild("Button", Shown(kNextCaption), {305, bottom, 75, 23}, 1);
  cancel = AddChild("Button", Shown(kCancelCaption), {400, bottom, 75, 23}, 2);
  desktop.SetOnClick(back, [this] {
    if (page_ > 1) ShowPage(page_ - 1);
  });
  desktop.SetOnClick(next, [this] {
    if (!machine_.desktop.IsEnabled(next)) ++disabledClicks;
    clickedPages.push_back(page_);
    if (page_ == options_.quitAfterPage) return Close();
    if (page_ < options_.pageCount && options_.pageDelayMs > 0) {
      // Each click counts, as the wizard's own queue of page changes does.
      return machine_.ui.Schedule(options_.pageDelayMs, [this, launch = launches_] {
        if (launch == launches_ && running()) ShowPage(page_ + 1);
      });
    }
    if (page_ < options_.pageCount) return ShowPage(page_ + 1);
    installedTo = machine_.desktop.WindowText(edit);
    finished = true;
    if (options_.onFinished) options_.onFinished();
    Close();
  });
  desktop.SetOnClick(cancel, [this] {
    if (options_.confirmCancel) return AskToCancel();
    cancelled = true;
    Close();
  });
  for (WindowHandle button : {back, next, cancel}) {
    desktop.SetButtonKind(button, platform::ButtonKind::Push);
  }
  pages_.assign(1, 0);
  if (options_.classLibrary) {
    for (WindowHandle quiet : {title, next}) desktop.SetQuietRenames(quiet);
    for (int p = 1; p <= options_.pageCount; ++p) {
      pages_.push_back(AddChild("TNewNotebookPage", "", {0, 60, options_.rect.width, 80}));
    }
  }
  ShowPage(1);
}

void FakeWizard::ShowPage(int page) {
  page_ = page;
  sim::SimDesktop& desktop = machine_.desktop;
  desktop.SetCaption(title,
                     "Шаг " + std::to_string(page) + " из " + std::to_string(options_.pageCount));
  const bool last = page == options_.pageCount;
  if (options_.classLibrary) {
    desktop.RaiseChild(pages_[page]);
    desktop.SetCaption(next, Shown(last ? kFinishCaption
                                   : page + 1 == options_.pageCount ? kInstallCaption
                                                                    : kNextCaption));
  } else {
    desktop.SetVisible(edit, page == options_.editPage);
    desktop.SetCaption(next, Shown(last ? kFinishCaption : kNextCaption));
  }
  installing_ = page == options_.installPage;
  if (installing_ && options_.msi) {
    machine_.shell.mutexes.insert(kInstallerMutex);
    holdsMutex_ = true;
  }
  desktop.SetEnabled(back, !installing_);
  desktop.SetEnabled(next, !installing_);
  if (installing_ && options_.installMs > 0) {
    machine_.ui.Schedule(options_.installMs, [this, launch = launches_] {
      if (launch == launches_ && installing_) FinishInstalling();
    });
  }
}

void FakeWizard::FinishInstalling() {
  installing_ = false;
  machine_.desktop.SetEnabled(back, true);
  machine_.desktop.SetEnabled(next, true);
}

// The setup's own question: a top-level box owned by the wizard, with the
// wizard's caption and class, while the wizard is disabled.
void FakeWizard::AskToCancel() {
  sim::SimDesktop& desktop = machine_.desktop;
  const sim::ScreenRect& r = options_.rect;
  question = desktop.AddOwnedWindow(dialog, kDialogClass, options_.caption,
                                    {r.left + 100, r.top + 120, 300, 120});
  const auto addButton = [&](const char* caption, int left) {
    const WindowHandle b = desktop.AddWindow(question, "Button", caption,
                                             {r.left + 100 + left, r.top + 200, 75, 23});
    desktop.SetButtonKind(b, platform::ButtonKind::Push);
    return b;
  };
  desktop.AddWindow(question, "Static", kCancelQuestion, {r.left + 110, r.top + 140, 280, 20});
  questionYes = addButton(kYesCaption, 60);
  questionNo = addButton(kNoCaption, 160);
  desktop.SetEnabled(dialog, false);
  const auto answer = [this](bool yes) {
    machine_.desktop.SetEnabled(dialog, true);
    machine_.desktop.RemoveWindow(question);
    question = questionYes = questionNo = 0;
    if (!yes) return;
    cancelled = true;
    Close();
  };
  desktop.SetOnClick(questionYes, [answer] { answer(true); });
  desktop.SetOnClick(questionNo, [answer] { answer(false); });
}

void FakeWizard::Close() {
  if (question != 0) machine_.desktop.RemoveWindow(question);
  question = questionYes = questionNo = 0;
  if (dialog == 0) return;
  machine_.desktop.RemoveWindow(dialog);
  dialog = title = edit = back = next = cancel = 0;
  installing_ = false;
  if (options_.lingerMs <= 0) return EndProcess();
  machine_.ui.Schedule(options_.lingerMs, [this, launch = launches_] {
    if (launch == launches_) EndProcess();
  });
}

void FakeWizard::EndProcess() {
  ReleaseMutex();
  machine_.shell.ExitProcess(process, options_.exitCode);
}

void FakeWizard::ReleaseMutex() {
  if (holdsMutex_) machine_.shell.mutexes.erase(kInstallerMutex);
  holdsMutex_ = false;
}

WindowHandle FakeWizard::Cover() {
  Uncover();
  const sim::ScreenRect& r = options_.rect;
  cover_ = machine_.desktop.AddWindow(0, "Notepad", "Безымянный - Блокнот",
                                      {r.left + 100, r.top + r.height - 100, 400, 150});
  machine_.desktop.SetProcess(cover_, sim::SimDesktop::kOtherProcess + 1);
  return cover_;
}

void FakeWizard::Uncover() {
  if (cover_ != 0) machine_.desktop.RemoveWindow(cover_);
  cover_ = 0;
}

void FakeWizard::MoveTo(int left, int top) {
  options_.rect.left = left;
  options_.rect.top = top;
  if (dialog != 0) machine_.desktop.MoveWindow(dialog, options_.rect);
}

}  // namespace fake
