#pragma once
#include <windows.h>

#include <string>

#include "Dialog.h"

// 1 when the last request for the master password was granted (the password was right or has
// just been defined, or PiS let the asking code through). The asking code reads it once after
// the dialog is gone and sets it back to 0.
extern unsigned char MasterAccessGranted;
// 1 once the dialog's button or Esc has closed a dialog: from then on the window's own close
// command (title-bar button, Alt+F4) may close it too. One flag for the whole run.
extern unsigned char MasterCloseAllowed;

// Asks for the master password, or has it defined when none is stored yet. The mode is chosen
// once, when the dialog object is made, from whether Config.ini holds a Master.
class TFMasterPassword : public ModalDialog {
 public:
  TFMasterPassword();

  bool AskMode() const { return askMode_; }
  // Refuses, with a message, while Config.ini is held by another program.
  INT_PTR RunModal(HWND owner = nullptr);

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool CanClose() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void Button1Click();
  void Edit1Escape();
  // A message of the dialog, owned by it so that no second try starts while it is open.
  void Message(const std::string& text);
  void Message(const std::wstring& text);

  bool readable_ = true;
  bool askMode_;
};
