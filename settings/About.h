#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Dialog.h"

// The maker's addresses as the about box shows and opens them.
extern const char* const kAboutHomepage;
extern const char* const kAboutMail;  // the bare address; opened as a mailto URL

// Opens a link through the shell with the verb "open"; the result is not looked at. Tests put
// in their own to see what would be opened.
using AboutLinkOpener = void (*)(HWND parent, const std::string& target, int showCommand);
extern AboutLinkOpener AboutLinkOpen;
void AboutLinkOpenDefault(HWND parent, const std::string& target, int showCommand);

// The about box: product, version, four lines of description in the current language and the
// two links to the maker.
class TFAboutBox : public ModalDialog {
 public:
  TFAboutBox();
  ~TFAboutBox() override;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void FormShow();
  void OKButtonClick();
  void Label5Click();
  void Label6Click();

  HFONT productFont_ = nullptr;
  HFONT commentsFont_ = nullptr;
  std::vector<HWND> links_;
};
