#include "platform/sim/sim_ui.h"

#include <algorithm>

#include "platform/sim/sim_desktop.h"
#include "platform/text.h"

namespace sim {

int SimUi::MessageBox(ui::Form* owner, const std::string& text, const std::string& caption,
                      unsigned flags) {
  int answer;
  if (!messageAnswers.empty()) {
    answer = messageAnswers.front();
    messageAnswers.pop_front();
  } else {
    ++unansweredMessages;
    const unsigned buttons = flags & 0xF;
    answer = buttons == ui::mb::kYesNo || buttons == ui::mb::kYesNoCancel ? ui::mb::kIdYes
                                                                          : ui::mb::kIdOk;
  }
  messages.push_back({text, caption, flags, answer, owner ? owner->name() : std::string()});
  return answer;
}

void SimUi::CreateWindowFor(ui::Form& form) {
  windows_[&form] = desktop_.AddWindow(0, "ThunderRT6FormDC", form.caption(), {0, 0, 0, 0},
                                       /*visible=*/false);
  desktop_.SetProcess(windows_[&form], SimDesktop::kOwnProcess);
  forms_.push_back(&form);
  form.SetState(ui::FormState::Hidden);
  FormChanged(form);
  for (ui::Timer* t : form.timers()) TimerChanged(form, *t);
}

void SimUi::DestroyWindowOf(ui::Form& form) {
  auto it = windows_.find(&form);
  if (it != windows_.end()) {
    desktop_.RemoveWindow(it->second);
    windows_.erase(it);
  }
  for (ui::Timer* t : form.timers()) due_.erase(t);
  forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
  form.SetState(ui::FormState::Closed);
}

void SimUi::ShowWindowOf(ui::Form& form, bool visible) {
  form.SetState(visible ? ui::FormState::Shown : ui::FormState::Hidden);
  auto it = windows_.find(&form);
  if (it != windows_.end()) desktop_.SetVisible(it->second, visible);
}

void SimUi::RunModal(ui::Form& form, ui::Form*) {
  ShowWindowOf(form, true);
  modalShown.push_back(form.name());
  auto handler = modalHandlers.find(form.name());
  if (handler != modalHandlers.end() && handler->second) handler->second(form);
  if (form.IsOpen()) DestroyWindowOf(form);
}

void SimUi::FormChanged(ui::Form& form) {
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  const ui::Rect& b = form.bounds();
  desktop_.SetCaption(it->second, form.caption());
  // Shown scaled to the screen, as the Windows backend does.
  desktop_.MoveWindow(it->second,
                      {std::max(ui::ToScreenPixels(b.x, dpi), 0),
                       std::max(ui::ToScreenPixels(b.y, dpi), 0), ui::ToScreenPixels(b.width, dpi),
                       ui::ToScreenPixels(b.height, dpi)});
}

void SimUi::TimerChanged(ui::Form& form, ui::Timer& timer) {
  if (timer.enabled() && form.IsOpen()) {
    due_[&timer] = nowMs + std::max(timer.interval(), 1);
  } else {
    due_.erase(&timer);
  }
}

void SimUi::Schedule(long long ms, std::function<void()> action) {
  scheduled_.emplace(nowMs + std::max(ms, 0LL), std::move(action));
}

void SimUi::ProcessPendingEvents() {
  ++pendingEventRuns;
  desktop_.DeliverWindowEvents();
  if (onPendingEvents) onPendingEvents();
}

void SimUi::Suspend(long long ms) {
  nowMs += ms;
  std::multimap<long long, std::function<void()>> shifted;
  for (auto& [at, action] : scheduled_) shifted.emplace(at + ms, std::move(action));
  scheduled_ = std::move(shifted);
  for (auto& [timer, due] : due_) due = std::min(due, nowMs);
}

void SimUi::AdvanceTime(long long ms) {
  const long long target = nowMs + ms;
  for (;;) {
    // The message loop hands out waiting window events before timers.
    if (desktop_.DeliverWindowEvents() || desktop_.DeliverPostedMessages()) continue;
    auto next = std::min_element(due_.begin(), due_.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    auto action = scheduled_.begin();
    const bool actionFirst = action != scheduled_.end() && action->first <= target &&
                             (next == due_.end() || action->first <= next->second);
    if (actionFirst) {
      nowMs = action->first;
      auto run = std::move(action->second);
      scheduled_.erase(action);
      run();  // may schedule more
      continue;
    }
    if (next == due_.end() || next->second > target) break;
    ui::Timer* timer = next->first;
    nowMs = next->second;
    next->second = nowMs + std::max(timer->interval(), 1);
    timer->Tick();  // may disable or re-enable timers, or close forms
  }
  nowMs = target;
}

ui::Form* SimUi::OpenForm(const std::string& name) const {
  for (ui::Form* f : forms_) {
    if (f->name() == name) return f;
  }
  return nullptr;
}

void SimUi::ShowPopupMenu(ui::Form&, ui::MenuItem& popup) { popupsShown.push_back(popup.name); }

ui::WindowHandle SimUi::HandleOf(const ui::Form& form) const {
  auto it = windows_.find(&form);
  return it == windows_.end() ? 0 : it->second;
}

std::optional<std::string> SimUi::FileDialog(ui::Form*, const ui::FileDialogRequest& request) {
  fileDialogs.push_back(request);
  if (fileDialogAnswers.empty()) return std::nullopt;
  auto answer = fileDialogAnswers.front();
  fileDialogAnswers.pop_front();
  // A name that does not fit the caller's buffer fails the dialog, as the
  // real one does.
  if (answer && text::CharCount(*answer) >= size_t(std::max(request.maxPath, 1))) {
    return std::nullopt;
  }
  return answer;
}

std::optional<std::string> SimUi::BrowseForFolder(ui::Form*, const std::string&) {
  if (folderAnswers.empty()) return std::nullopt;
  auto answer = folderAnswers.front();
  folderAnswers.pop_front();
  return answer;
}

int SimUi::CaretPosition(const ui::Form&, const ui::Control& textBox) const {
  auto it = carets.find(textBox.name());
  const int length = static_cast<int>(text::CharCount(textBox.text()));
  return it == carets.end() ? length : std::clamp(it->second, 0, length);
}

int SimUi::ItemFromPoint(const ui::Form&, const ui::Control& list, int x, int y) const {
  const int count = static_cast<int>(list.items().size());
  if (x < 0 || x > list.bounds().width || y < 0) return -2;
  for (int i = 0; i < count; ++i) {
    if (y >= i * kItemHeight && y <= (i + 1) * kItemHeight) return i;
  }
  return -2;
}

}  // namespace sim
