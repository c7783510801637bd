#pragma once
// The toolkit's Win32 backend: real top-level windows and child controls
// built from each Form's state, and the Form's handlers run from window
// messages.
#include "platform/win32/windows_api.h"

#include <map>
#include <memory>

#include "platform/ui.h"

namespace win32 {

class Win32Ui : public ui::Backend {
 public:
  explicit Win32Ui(HINSTANCE instance);
  ~Win32Ui() override;

  int MessageBox(ui::Form* owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
  void CreateWindowFor(ui::Form& form) override;
  void DestroyWindowOf(ui::Form& form) override;
  void ShowWindowOf(ui::Form& form, bool visible) override;
  void RunModal(ui::Form& form, ui::Form* owner) override;
  void FormChanged(ui::Form& form) override;
  void ControlChanged(ui::Form& form, ui::Control& control) override;
  void TimerChanged(ui::Form& form, ui::Timer& timer) override;
  void MenuChanged(ui::Form& form) override;
  void ShowPopupMenu(ui::Form& form, ui::MenuItem& popup) override;
  ui::WindowHandle HandleOf(const ui::Form& form) const override;
  std::optional<std::string> FileDialog(ui::Form* owner,
                                        const ui::FileDialogRequest& request) override;
  std::optional<std::string> BrowseForFolder(ui::Form* owner, const std::string& title) override;
  void RegionChanged(ui::Form& form) override;
  void BeginDrag(ui::Form& form) override;
  void SetShutdownReason(ui::Form& form, const std::string& reason) override;
  int Dpi() const override { return dpi_; }
  int CaretPosition(const ui::Form& form, const ui::Control& textBox) const override;
  void FocusControl(ui::Form& form, ui::Control& control, bool selectAll) override;
  int ItemFromPoint(const ui::Form& form, const ui::Control& list, int x, int y) const override;
  int Run() override;
  void SetExitCode(int code) override { exitCode_ = code; }
  void ProcessPendingEvents() override;

  struct FormWindow;  // per open form: its window, controls, timers and menu

 private:
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR data);
  LRESULT HandleFormMessage(FormWindow& fw, UINT msg, WPARAM wp, LPARAM lp);
  bool HandleControlMessage(FormWindow& fw, ui::Control& c, HWND hwnd, UINT msg, WPARAM wp,
                            LPARAM lp, LRESULT* result);
  void OnCommand(FormWindow& fw, int id, int code, HWND from);
  void CreateControl(FormWindow& fw, ui::Control& c);
  void ApplyControl(FormWindow& fw, ui::Control& c);
  void ApplyItems(FormWindow& fw, ui::Control& c, HWND hwnd);
  void ApplyTooltip(FormWindow& fw, ui::Control& c, HWND hwnd);
  void ApplyFont(FormWindow& fw, ui::Control& c, HWND hwnd);
  void ApplyPicture(FormWindow& fw, ui::Control& c, HWND hwnd);
  void ApplyRegion(FormWindow& fw);
  void BuildMenu(FormWindow& fw);
  HMENU BuildMenuLevel(FormWindow& fw, ui::MenuItem& item, bool popup);
  void DrawCheckListItem(FormWindow& fw, ui::Control& c, const DRAWITEMSTRUCT& d);
  void DrawPictureButton(FormWindow& fw, ui::Control& c, const DRAWITEMSTRUCT& d);
  bool MouseDown(ui::Control* c, ui::Form& form, UINT msg, LPARAM lp, HWND hwnd);
  void ToggleCheckListItem(ui::Control& c, int index);
  RECT ScaledRect(const ui::Control& c) const;
  int Scale(int v) const { return MulDiv(v, dpi_, 96); }
  int Unscale(int v) const { return MulDiv(v, 96, dpi_); }
  FormWindow* Find(const ui::Form& form) const;
  HWND OwnerWindow(ui::Form* owner) const;
  bool TranslateForActiveWindow(MSG& msg);
  void PumpUntilClosed(const ui::Form& form);

  HINSTANCE instance_;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  std::map<const ui::Form*, std::unique_ptr<FormWindow>> forms_;
  bool applying_ = false;  // programmatic changes must not echo back as user actions
  bool dragged_ = false;   // BeginDrag ran during the current mouse press
  int exitCode_ = 0;
};

}  // namespace win32
