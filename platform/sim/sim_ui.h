#pragma once
// The toolkit kept in memory. A test answers message boxes and file dialogs
// from queues and reads what was shown, handles modal windows with a
// callback, and advances a virtual clock to fire timers.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace sim {

class SimDesktop;

class SimUi : public ui::Backend {
 public:
  explicit SimUi(SimDesktop& desktop) : desktop_(desktop) {}

  struct ShownMessage {
    std::string text, caption;
    unsigned flags;
    int answer;
    std::string owner;  // name of the owner form, empty for none
  };
  std::vector<ShownMessage> messages;
  std::deque<int> messageAnswers;  // mb::kId*; unanswered boxes take their first button
  int unansweredMessages = 0;

  std::vector<ui::FileDialogRequest> fileDialogs;
  // Nothing = cancelled; a name longer than the request's buffer fails too.
  std::deque<std::optional<std::string>> fileDialogAnswers;
  std::deque<std::optional<std::string>> folderAnswers;

  // Called when a form is shown modally; it acts on the form and closes it.
  // A form left open by its handler (or without one) is closed afterwards.
  std::map<std::string, std::function<void(ui::Form&)>> modalHandlers;
  std::vector<std::string> modalShown;

  long long nowMs = 0;
  // Fires every timer and scheduled action that falls due within the next
  // `ms` milliseconds, in time order, as the message loop would.
  void AdvanceTime(long long ms);
  // Runs `action` once, `ms` milliseconds from now on the virtual clock (for
  // other programs' doings, such as a setup that finishes installing).
  void Schedule(long long ms, std::function<void()> action);
  // The clock jumps by `ms` with every program frozen: other programs'
  // actions come that much later, timers that fell due come at once.
  void Suspend(long long ms);

  ui::Form* OpenForm(const std::string& name) const;
  int runCalls = 0;

  int MessageBox(ui::Form* owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
  void CreateWindowFor(ui::Form& form) override;
  void DestroyWindowOf(ui::Form& form) override;
  void ShowWindowOf(ui::Form& form, bool visible) override;
  void RunModal(ui::Form& form, ui::Form* owner) override;
  void FormChanged(ui::Form& form) override;
  void ControlChanged(ui::Form&, ui::Control&) override {}
  void TimerChanged(ui::Form& form, ui::Timer& timer) override;
  void MenuChanged(ui::Form&) override {}
  void ShowPopupMenu(ui::Form& form, ui::MenuItem& popup) override;
  ui::WindowHandle HandleOf(const ui::Form& form) const override;
  std::optional<std::string> FileDialog(ui::Form* owner,
                                        const ui::FileDialogRequest& request) override;
  std::optional<std::string> BrowseForFolder(ui::Form* owner, const std::string& title) override;
  int Run() override {
    ++runCalls;
    return exitCode;
  }
  // What the user does while a long loop lets pending events run.
  std::function<void()> onPendingEvents;
  int pendingEventRuns = 0;
  void ProcessPendingEvents() override;
  void SetExitCode(int code) override { exitCode = code; }
  void RegionChanged(ui::Form&) override {}
  void FocusControl(ui::Form&, ui::Control& control, bool selectAll) override {
    focused = control.name();
    focusSelectedAll = selectAll;
  }
  std::string focused;  // the control that last got the focus
  bool focusSelectedAll = false;
  void BeginDrag(ui::Form& form) override { drags.push_back(form.name()); }
  void SetShutdownReason(ui::Form& form, const std::string& reason) override {
    shutdownReasons[form.name()] = reason;
  }
  std::map<std::string, std::string> shutdownReasons;  // by form; empty: none
  int dpi = 96;  // 144 for 150 %
  int Dpi() const override { return dpi; }
  int CaretPosition(const ui::Form&, const ui::Control& textBox) const override;
  // Lines of kItemHeight pixels from the top of the list, no scrolling.
  static constexpr int kItemHeight = 18;
  int ItemFromPoint(const ui::Form&, const ui::Control& list, int x, int y) const override;

  int exitCode = 0;
  std::vector<std::string> drags;
  std::map<std::string, int> carets;  // by control name; absent = end of the text

  std::vector<std::string> popupsShown;

 private:
  SimDesktop& desktop_;
  std::map<const ui::Form*, ui::WindowHandle> windows_;
  std::map<ui::Timer*, long long> due_;  // enabled timers of open forms
  std::multimap<long long, std::function<void()>> scheduled_;  // by due time
  std::vector<ui::Form*> forms_;
};

}  // namespace sim
