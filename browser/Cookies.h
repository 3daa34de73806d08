#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Dialog.h"
#include "IeFunctions.h"

// The text the content field shows for the bytes of a cookie file: each bare line feed
// becomes a line break of the field (CR LF), every other byte stays as it is.
std::string CookieContentText(const std::string& fileBytes);
// The whole file, or "" when it cannot be opened or read.
std::string ReadCookieFile(const std::string& path);
// The question before a cookie is deleted; fixed German text in both languages.
std::string CookieDeleteQuestion(const std::string& url);

// Lists the cookies of the browser's URL cache, shows the file of the selected one and
// deletes single cookies after asking. The grid's rows are numbered as the user sees them:
// row 0 is the header, rows 1 to n the cookies.
class TFCookies : public ModalDialog {
 public:
  explicit TFCookies(BrowserStores& stores = SystemBrowserStores());

  // Shows the cookie file of the given grid row in Memo1; nothing for the header or no row.
  void ShowCookieContent(int row);

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void FillGrid();
  // The grid row selected now, 0 when none: the row the content field and Delete act on.
  int SelectedRow() const;
  void StringGrid1Click();
  void Label6Click();
  void Label5Click();

  BrowserStores& stores_;
  std::vector<CookieRow> rows_;  // grid rows 1 to n, the texts the grid shows
  std::vector<HWND> links_;
};
