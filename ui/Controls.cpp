#include "Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "Window.h"

std::string Control::GetText() const { return GetWindowTextString(hwnd_); }

void ListBox::Attach(HWND h) {
  Control::Attach(h);
  items_.clear();
  int n = static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    LRESULT len = SendMessageA(hwnd_, LB_GETTEXTLEN, i, 0);
    std::string s(len > 0 ? static_cast<std::size_t>(len) + 1 : 1, '\0');
    LRESULT got = len > 0 ? SendMessageA(hwnd_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&s[0])) : 0;
    s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    items_.push_back(s);
  }
}

void ListBox::Clear() {
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  items_.clear();
}

int ListBox::Add(const std::string& text) {
  LRESULT at = SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (at < 0) return static_cast<int>(at);  // the control is full: nothing was added
  items_.push_back(text);
  return static_cast<int>(at);
}

void ListBox::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  SendMessageA(hwnd_, LB_DELETESTRING, index, 0);
  items_.erase(items_.begin() + index);
}

std::string ListBox::Item(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : std::string();
}

void ListBox::SetItems(const std::vector<std::string>& items) {
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  Clear();
  for (const std::string& s : items) Add(s);
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool ListBox::Contains(const std::string& text) const {
  return std::find(items_.begin(), items_.end(), text) != items_.end();
}

std::string ComboBox::Item(int index) const {
  LRESULT len = SendMessageA(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (len < 0) return std::string();
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  LRESULT got = SendMessageA(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

void StatusBar::Create(HWND parent, int id) {
  hwnd_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleA(nullptr), nullptr);
  // One part over the whole width: the simple status line.
  int right = -1;
  SendMessageA(hwnd_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
}

void StatusBar::SetSimpleText(const std::string& text) {
  SendMessageA(hwnd_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string StatusBar::SimpleText() const {
  LRESULT len = LOWORD(SendMessageA(hwnd_, SB_GETTEXTLENGTHA, 0, 0));
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  SendMessageA(hwnd_, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(static_cast<std::size_t>(len));
  return s;
}

HFONT LinkLabel::Font() {
  static HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
  return font;
}

void LinkLabel::Create(HWND parent, const char* text, int x, int y, int w, int h, int id) {
  hwnd_ = CreateChild(parent, "STATIC", text, WS_VISIBLE | SS_NOTIFY, x, y, w, h, id);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

LRESULT LinkColors(HDC dc, HWND control, const std::vector<HWND>& links) {
  if (std::find(links.begin(), links.end(), control) == links.end()) return 0;
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

bool LinkMessage(UINT msg, WPARAM wp, LPARAM lp, const std::vector<HWND>& links, INT_PTR& result) {
  if (msg == WM_CTLCOLORSTATIC) {
    LRESULT brush = LinkColors(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), links);
    if (brush == 0) return false;
    result = static_cast<INT_PTR>(brush);
    return true;
  }
  if (msg == WM_SETCURSOR && LinkCursor(reinterpret_cast<HWND>(wp), links)) {
    result = TRUE;
    return true;
  }
  return false;
}

bool LinkCursor(HWND over, const std::vector<HWND>& links) {
  if (std::find(links.begin(), links.end(), over) == links.end()) return false;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  return true;
}
