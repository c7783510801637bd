#include "platform/ui.h"

namespace ui {

Control::Control(Form& form, ControlKind kind, std::string name, Control* container)
    : form_(form), kind_(kind), name_(std::move(name)), container_(container) {
  form_.AddControl(this);
}

void Control::Changed() { form_.ControlChanged(*this); }

void Control::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Changed();
}
void Control::SetTooltip(const std::string& tip) {
  tooltip_ = tip;
  Changed();
}
void Control::SetBounds(Rect r) {
  bounds_ = r;
  Changed();
}
void Control::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  Changed();
}
void Control::SetEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  Changed();
}
void Control::SetChecked(bool c) {
  if (checked_ == c) return;
  checked_ = c;
  Changed();
}
void Control::SetColors(uint32_t fore, uint32_t back) {
  foreColor_ = fore;
  backColor_ = back;
  Changed();
}
void Control::SetFont(int points, bool bold, bool monospace) {
  fontSize_ = points;
  bold_ = bold;
  monospace_ = monospace;
  Changed();
}
void Control::SetPicture(int resourceId) {
  picture_ = resourceId;
  Changed();
}
void Control::SetDefault(bool d) {
  default_ = d;
  Changed();
}
void Control::SetCancel(bool c) {
  cancel_ = c;
  Changed();
}
void Control::Focus(bool selectAll) {
  if (form_.IsOpen()) form_.backend().FocusControl(form_, *this, selectAll);
}

void Control::AddItem(const std::string& text) {
  items_.push_back({text, false});
  Changed();
}
void Control::ClearItems() {
  items_.clear();
  selected_ = -1;
  Changed();
}
void Control::RemoveItem(int index) {
  if (!ValidIndex(index)) return;
  items_.erase(items_.begin() + index);
  if (selected_ >= int(items_.size())) selected_ = int(items_.size()) - 1;
  Changed();
}
void Control::SetItemText(int index, const std::string& text) {
  if (!ValidIndex(index)) return;
  items_[index].text = text;
  Changed();
}
void Control::SetItemChecked(int index, bool checked) {
  if (!ValidIndex(index)) return;
  items_[index].checked = checked;
  Changed();
}
void Control::SetSelectedIndex(int index) {
  selected_ = ValidIndex(index) ? index : -1;
  Changed();
}

void Control::SyncText(const std::string& text) {
  text_ = text;
  if (onChange) onChange();
}
void Control::SyncChecked(bool checked) {
  checked_ = checked;
  if (onChange) onChange();
}
void Control::SyncSelectedIndex(int index) {
  selected_ = ValidIndex(index) ? index : -1;
  if (onChange) onChange();
}
void Control::SyncItemChecked(int index, bool checked) {
  if (!ValidIndex(index)) return;
  items_[index].checked = checked;
  if (onItemCheck) onItemCheck(index);
}
void Control::Click() {
  if (enabled_ && onClick) onClick();
}

Timer::Timer(Form& form, std::string name, int intervalMs)
    : form_(form), name_(std::move(name)), interval_(intervalMs) {
  form_.AddTimer(this);
}
void Timer::Changed() { form_.TimerChanged(*this); }
void Timer::SetEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  Changed();
}
void Timer::SetInterval(int ms) {
  interval_ = ms;
  Changed();
}

MenuItem& MenuItem::Add(std::string itemName, std::string itemCaption, std::string itemShortcut) {
  children.push_back(std::make_unique<MenuItem>(std::move(itemName), std::move(itemCaption),
                                                std::move(itemShortcut)));
  return *children.back();
}

MenuItem* MenuItem::Find(const std::string& itemName) {
  if (name == itemName) return this;
  for (auto& child : children) {
    if (MenuItem* found = child->Find(itemName)) return found;
  }
  return nullptr;
}

Form::Form(Backend& ui, std::string name) : ui_(ui), name_(std::move(name)) {}

Form::~Form() {
  if (IsOpen()) ui_.DestroyWindowOf(*this);
}

void Form::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (IsOpen()) ui_.FormChanged(*this);
}

void Form::SetBounds(Rect r) {
  bounds_ = r;
  if (IsOpen()) ui_.FormChanged(*this);
}

void Form::Load() {
  ui_.CreateWindowFor(*this);
  if (onLoad) onLoad();
}

void Form::Show() {
  if (!IsOpen()) Load();
  if (IsOpen()) ui_.ShowWindowOf(*this, true);  // onLoad may have closed it
}

void Form::ShowModal(Form* owner) {
  if (!IsOpen()) Load();
  if (IsOpen()) ui_.RunModal(*this, owner);
}

void Form::Hide() {
  if (state_ == FormState::Shown) ui_.ShowWindowOf(*this, false);
}

void Form::SetRegion(std::vector<Rect> rects) {
  region_ = std::move(rects);
  if (IsOpen()) ui_.RegionChanged(*this);
}

void Form::BeginDrag() {
  if (IsOpen()) ui_.BeginDrag(*this);
}

void Form::Close(CloseReason reason) {
  if (!IsOpen()) return;
  if (onQueryClose && !onQueryClose(reason)) return;
  if (onUnload) onUnload();
  if (IsOpen()) ui_.DestroyWindowOf(*this);
}

WindowHandle Form::handle() const { return IsOpen() ? ui_.HandleOf(*this) : 0; }

void Form::MenuChanged() {
  if (IsOpen()) ui_.MenuChanged(*this);
}

void Form::PopupMenu(MenuItem& popup) {
  if (IsOpen()) ui_.ShowPopupMenu(*this, popup);
}

Control* Form::FindControl(const std::string& controlName) const {
  for (Control* c : controls_) {
    if (c->name() == controlName) return c;
  }
  return nullptr;
}

void Form::ControlChanged(Control& c) {
  if (IsOpen()) ui_.ControlChanged(*this, c);
}

void Form::TimerChanged(Timer& t) {
  if (IsOpen()) ui_.TimerChanged(*this, t);
}

}  // namespace ui
