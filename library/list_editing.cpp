// The library window's list editing: check marks, the context menu and its
// enabling rules, deleting packages and moving lines.
#include "library/frmMain.h"

namespace library {
namespace {

const char* const kLineItems[] = {"mnuSelItem2",    "mnuUnselectOne2", "mnuProperty2",
                                  "mnuSelectAll2",  "mnuUnselectAll2", "mnuInvertSel2",
                                  "mnuDelSelect2"};

}  // namespace

void FrmMain::OnItemCheck(int line) {
  const auto& items = List1.items();
  if (items.empty()) return;
  bool anyChecked = line >= 0 && size_t(line) < items.size() && items[line].checked;
  for (size_t i = 0; !anyChecked && i < items.size(); ++i) anyChecked = items[i].checked;
  Menu("mnuRunSelect").enabled = anyChecked;
  Menu("mnuRunSelect2").enabled = anyChecked;
  MenuChanged();
  CheckCount();
}

void FrmMain::ListSelectAll() {
  for (int i = int(List1.items().size()) - 1; i >= 0; --i) {
    List1.SetItemChecked(i, true);
    OnItemCheck(i);
  }
}

void FrmMain::ListUnSelect() {
  for (int i = 0; i < int(List1.items().size()); ++i) {
    List1.SetItemChecked(i, false);
    OnItemCheck(i);
  }
}

void FrmMain::ListInvertSel() {
  for (int i = 0; i < int(List1.items().size()); ++i) {
    List1.SetItemChecked(i, !List1.items()[i].checked);
    OnItemCheck(i);
  }
}

void FrmMain::MenuEnabled(bool state) {
  for (const char* name : kLineItems) Menu(name).enabled = state;
}

void FrmMain::MenuEnabledSel() {
  MenuEnabled(true);
  for (const char* name : {"mnuSelItem2", "mnuUnselectOne2", "mnuProperty2"}) {
    Menu(name).enabled = false;
  }
}

void FrmMain::OnListMouseUp(const ui::MouseInfo& mouse) {
  const bool right = mouse.button == ui::MouseButton::Right;
  if (List1.items().empty()) {
    if (!right) return;
    MenuEnabled(false);
    PopupMenu(Menu("mnuPopup"));
    return;
  }
  const int line = app_.platform.ui.ItemFromPoint(*this, List1, mouse.x, mouse.y);
  if (line == -2) {
    if (!right) return;
    MenuEnabledSel();
    PopupMenu(Menu("mnuPopup"));
    return;
  }
  if (line < 0) return;
  ItemClick = line;
  if (!right) return;
  List1.SetSelectedIndex(line);
  MenuEnabled(true);
  Menu(List1.items()[line].checked ? "mnuSelItem2" : "mnuUnselectOne2").enabled = false;
  PopupMenu(Menu("mnuPopup"));
}

void FrmMain::DelSelect() {
  std::vector<int> checked;
  for (int i = 0; i < int(List1.items().size()); ++i) {
    if (List1.items()[i].checked) checked.push_back(i);
  }
  if (!checked.empty()) {
    const std::string count = std::to_string(checked.size());
    const int answer = app_.MessageBox(
        "Вы действительно хотите удалить " + count +
            " пакетов?\r\nВосстановить эти файлы будет невозможно.",
        ui::mb::kYesNo | ui::mb::kIconQuestion, "Удалить выбранное?", this);
    if (answer == ui::mb::kIdYes) {
      int deleted = 0;
      for (int line : checked) deleted += app_.platform.files.DeleteFile(ScriptPathOf(line)) ? 1 : 0;
      LoadList();
      LoadTipText();
      lblStatus.SetText("Удачно удалено - " + std::to_string(deleted) + " из " + count);
    }
  }
  for (const char* name : {"mnuRunSelect", "mnuRunSelect2", "mnuUnselectOne2"}) {
    Menu(name).enabled = false;
  }
  MenuChanged();
}

// Exchanges two lines with their check marks and hints; `to` becomes current.
void FrmMain::SwapLines(int from, int to) {
  const ui::ListItem a = List1.items()[to], b = List1.items()[from];
  List1.SetItemText(to, b.text);
  List1.SetItemChecked(to, b.checked);
  OnItemCheck(to);
  List1.SetItemText(from, a.text);
  List1.SetItemChecked(from, a.checked);
  OnItemCheck(from);
  if (size_t(std::max(from, to)) < tipTexts_.size()) std::swap(tipTexts_[from], tipTexts_[to]);
  lastTipIndex_ = -2;
  List1.SetSelectedIndex(to);
}

void FrmMain::MoveUp() {
  const int current = List1.selectedIndex();
  if (!List1.items().empty() && current > 0) SwapLines(current, current - 1);
}

void FrmMain::MoveDown() {
  const int current = List1.selectedIndex();
  if (current >= 0 && current + 1 < int(List1.items().size())) SwapLines(current, current + 1);
}

}  // namespace library
