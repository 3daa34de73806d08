#include "Cookies.h"

#include <commctrl.h>

#include "Controls.h"
#include "FileHandle.h"
#include "CookiesRes.h"
#include "MsgBox.h"
#include "Strings.h"
#include "TextIds.h"
#include "Window.h"

namespace {
constexpr int kClientWidth = 729, kClientHeight = 399;
constexpr int kNameColumnWidth = 255, kFileColumnWidth = 435, kRowHeight = 18;

// The places of the controls in 96-dpi pixels of the client area, whatever the dialog font's
// units.
constexpr Place kLayout[] = {
    {IDC_CK_STRINGGRID1, 8, 8, 713, 200}, {IDT_CK_LABEL1, 8, 214, 200, 16},
    {IDE_CK_MEMO1, 8, 232, 713, 121},     {IDT_CK_LABEL6, 300, 368, 56, 16},
    {IDT_CK_LABEL5, 376, 368, 56, 16},
};


void AddColumn(HWND grid, int index, const char* header, int width) {
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = width;
  col.pszText = const_cast<char*>(header);
  SendMessageA(grid, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&col));
}

void SetCell(HWND grid, int item, int column, const std::string& text) {
  LVITEMA it = {};
  it.mask = LVIF_TEXT;
  it.iItem = item;
  it.iSubItem = column;
  it.pszText = const_cast<char*>(text.c_str());
  SendMessageA(grid, column == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, item,
               reinterpret_cast<LPARAM>(&it));
}

}  // namespace

std::string CookieContentText(const std::string& fileBytes) {
  std::string text;
  text.reserve(fileBytes.size() + fileBytes.size() / 8);
  for (std::string::size_type i = 0; i < fileBytes.size(); ++i) {
    if (fileBytes[i] == '\n' && (i == 0 || fileBytes[i - 1] != '\r')) text += '\r';
    text += fileBytes[i];
  }
  return text;
}

std::string ReadCookieFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return "";
  DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return "";
  std::string bytes(size, '\0');
  DWORD got = 0;
  if (size && !ReadFile(file.get(), &bytes[0], size, &got, nullptr)) return "";
  bytes.resize(got);
  return bytes;
}

std::string CookieDeleteQuestion(const std::string& url) {
  return "Eintrag: \"" + url + "\" wirklich l\xF6schen?";
}

TFCookies::TFCookies(BrowserStores& stores) : ModalDialog(IDD_COOKIES), stores_(stores) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
}

void TFCookies::OnInit() {
  SetItemText(IDT_CK_LABEL1, Text(txt::CookiesContentLabel));
  SetItemText(IDT_CK_LABEL5, Text(txt::CookiesCloseLink));
  SetItemText(IDT_CK_LABEL6, Text(txt::CookiesDeleteLink));
  links_ = {Item(IDT_CK_LABEL6), Item(IDT_CK_LABEL5)};
  for (HWND link : links_) MakeLinkLabel(link);

  HWND grid = Item(IDC_CK_STRINGGRID1);
  SendMessageA(grid, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  // The rows take the height of the small images; the grid frees the list with itself.
  SendMessageA(grid, LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(ImageList_Create(1, Scale(kRowHeight), ILC_COLOR, 1, 0)));
  AddColumn(grid, 0, "Name", Scale(kNameColumnWidth));
  AddColumn(grid, 1, "Datei", Scale(kFileColumnWidth));
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  PlaceControls(hwnd(), kLayout);
  CenterOnDesktop(hwnd());

  bool listed = ListCookies(rows_, stores_);
  FillGrid();
  if (!listed) {
    MessageBoxA(hwnd(), Text(txt::CookiesNotListed).c_str(), kProductCaption, MB_OK);
    return;
  }
  if (!rows_.empty()) {
    // Selecting shows the first cookie's file.
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(grid, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  }
}

void TFCookies::FillGrid() {
  HWND grid = Item(IDC_CK_STRINGGRID1);
  SendMessageA(grid, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    SetCell(grid, static_cast<int>(i), 0, rows_[i].url);
    SetCell(grid, static_cast<int>(i), 1, rows_[i].file);
  }
}

int TFCookies::SelectedRow() const {
  LRESULT item = SendMessageA(Item(IDC_CK_STRINGGRID1), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                              LVNI_SELECTED);
  return item >= 0 && static_cast<std::size_t>(item) < rows_.size() ? static_cast<int>(item) + 1
                                                                      : 0;
}

void TFCookies::ShowCookieContent(int row) {
  std::string file = row >= 1 && static_cast<std::size_t>(row) <= rows_.size()
                         ? rows_[static_cast<std::size_t>(row) - 1].file
                         : std::string();
  SetItemText(IDE_CK_MEMO1, file.empty() ? "" : CookieContentText(ReadCookieFile(file)));
}

void TFCookies::StringGrid1Click() { ShowCookieContent(SelectedRow()); }

void TFCookies::Label6Click() {
  int row = SelectedRow();
  if (row == 0 || rows_[static_cast<std::size_t>(row) - 1].url.empty()) return;
  CookieRow cookie = rows_[static_cast<std::size_t>(row) - 1];
  if (MessageBoxA(hwnd(), CookieDeleteQuestion(cookie.url).c_str(), kProductCaption, MB_YESNO) !=
      IDYES)
    return;
  if (!DeleteCookie(cookie.url, cookie.file, stores_)) {
    // The row stays: the cookie is still there, or at least its file is.
    MessageBoxA(hwnd(), Text(txt::CookieNotDeleted).c_str(), kProductCaption, MB_OK);
    return;
  }
  rows_.erase(rows_.begin() + (row - 1));
  SendMessageA(Item(IDC_CK_STRINGGRID1), LVM_DELETEITEM, row - 1, 0);
  SetItemText(IDE_CK_MEMO1, "");
}

void TFCookies::Label5Click() { End(IDCANCEL); }

bool TFCookies::OnCommand(int id, int notifyCode) {
  if (notifyCode == STN_CLICKED && id == IDT_CK_LABEL6) {
    Label6Click();
    return true;
  }
  if (notifyCode == STN_CLICKED && id == IDT_CK_LABEL5) {
    Label5Click();
    return true;
  }
  // The dialog has no default button: Enter in the grid closes nothing.
  return id == IDOK;
}

bool TFCookies::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  if (LinkMessage(msg, wp, lp, links_, result)) return true;
  switch (msg) {
    case WM_NOTIFY: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
      if (change->hdr.idFrom == IDC_CK_STRINGGRID1 && change->hdr.code == LVN_ITEMCHANGED &&
          (change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
          !(change->uOldState & LVIS_SELECTED))
        StringGrid1Click();
      return false;
    }
  }
  return false;
}
