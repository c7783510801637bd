#pragma once
// The library window: the program's main window. It lists the packages of
// the library folder with check boxes, keeps their order in Position.lst,
// shows a hint for each from its script, and holds the commands: new
// package, properties, runs, list editing, options and help.
#include <string>
#include <vector>

#include "app/app.h"
#include "library/library_order.h"
#include "platform/ui.h"

namespace library {

class FrmMain : public ui::Form {
 public:
  explicit FrmMain(app::App& app);

  // "Orvanta (Build 1.0.1)" for version 1.0.1.
  static std::string BuildCaption();

  // The list and its files.
  void LoadList();
  void CheckCount();
  void LoadPositionList();
  void SavePositionList();
  void LoadTipText();
  void ChooseFolderOVS();
  bool VerifyFolderOVS();
  // The script of a list line, or of a package of the list, as listed.
  std::string ScriptPathOf(int line) const;
  std::string ScriptPathOfName(const std::string& name) const;
  const std::vector<std::string>& tipTexts() const { return tipTexts_; }

  // List editing.
  void OnItemCheck(int line);
  void OnListMouseUp(const ui::MouseInfo& mouse);
  void OnListMouseMove(const ui::MouseInfo& mouse);
  void ListSelectAll();
  void ListUnSelect();
  void ListInvertSel();
  void MenuEnabled(bool state);
  void MenuEnabledSel();
  void DelSelect();
  void MoveUp();
  void MoveDown();

  // Runs.
  void RunAll();
  void ProcRunOVS();

  // Commands of the menus.
  void NewPackage();
  void ShowProperty();
  void SetSpeed(int index);
  void InicialSpeedMenu();
  void ToggleTopMost();
  void CheckTopMost();
  void OpenHelp();

  int ItemClick = 0;              // the line last clicked
  bool IsProPertyNotNew = false;  // the package dialog edits a package (true) or makes one

  ui::Frame Frame1{*this, "Frame1"};
  ui::Label Label1{*this, "Label1", &Frame1};
  ui::Button Command2{*this, "Command2", &Frame1};
  ui::CheckList List1{*this, "List1"};
  ui::PictureButton cmdMoveUp{*this, "cmdMoveUp"};
  ui::PictureButton cmdMoveDown{*this, "cmdMoveDown"};
  ui::Label lblCount{*this, "lblCount"};
  ui::Label lblStatus{*this, "lblStatus"};

  ui::MenuItem& Menu(const std::string& name) { return *menu().Find(name); }
  // The control bar's paste menu.
  ui::MenuItem& mnuPastT() { return Menu("mnuPastT"); }

 private:
  void BuildControls();
  void BuildMenus();
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildServiceMenu();
  void BuildHelpMenu();
  void BuildPopupMenus();
  void OnLoad();
  bool OnQueryClose();
  void ShowFolder();
  void StartRun(std::vector<std::string> queue);
  void SwapLines(int a, int b);
  std::string TipFor(int line);
  void OpenAddress(const std::string& address);

  app::App& app_;
  ScriptFiles scriptFiles_;  // as the last LoadList found them
  std::vector<std::string> tipTexts_;
  int lastTipIndex_ = -2;
  int listGeneration_ = 0;  // grows with every LoadList
};

}  // namespace library
