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
  wide_.assign(items_.size(), std::wstring());
}

void ListBox::Clear() {
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  items_.clear();
  wide_.clear();
}

int ListBox::Add(const std::string& text) { return Add(ListItem{text, std::wstring()}); }

int ListBox::Add(const ListItem& item) {
  const std::string& text = item.text;
  LRESULT at = item.Lossy()
                   ? SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.wide.c_str()))
                   : SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // Our lists are unsorted: an item taken goes last. A refused message answers 0, which is
  // also the right answer for an empty list; there the count tells.
  bool taken = at == Count() &&
               (at != 0 || SendMessageA(hwnd_, LB_GETCOUNT, 0, 0) == 1);
  if (!taken) return at < 0 ? static_cast<int>(at) : LB_ERR;
  items_.push_back(text);
  wide_.push_back(item.wide);
  return static_cast<int>(at);
}

bool ListBox::Delete(int index) {
  if (index < 0 || index >= Count()) return false;
  // The answer is the number of items left.
  if (SendMessageA(hwnd_, LB_DELETESTRING, index, 0) != Count() - 1) return false;
  items_.erase(items_.begin() + index);
  wide_.erase(wide_.begin() + index);
  return true;
}

int ListBox::DeleteSelected() {
  int shown = Selected();
  if (shown < 0) return -1;
  LRESULT len = SendMessageA(hwnd_, LB_GETTEXTLEN, shown, 0);
  if (len < 0) return -1;
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  LRESULT got = SendMessageA(hwnd_, LB_GETTEXT, shown, reinterpret_cast<LPARAM>(&text[0]));
  if (got < 0) return -1;
  text.resize(static_cast<std::size_t>(got));
  // In step the entry sits at the same place here; otherwise the first of its text is it.
  int at = Item(shown) == text ? shown : -1;
  for (int i = 0; at < 0 && i < Count(); ++i)
    if (items_[static_cast<std::size_t>(i)] == text) at = i;
  if (at < 0) return -1;
  if (at == shown) return Delete(at) ? at : -1;
  if (SendMessageA(hwnd_, LB_DELETESTRING, shown, 0) == LB_ERR) return -1;
  items_.erase(items_.begin() + at);
  wide_.erase(wide_.begin() + at);
  return at;
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

ListItem ListBox::ItemAt(int index) const {
  if (index < 0 || index >= Count()) return ListItem();
  auto i = static_cast<std::size_t>(index);
  return {items_[i], wide_[i]};
}

bool ListBox::SameItems(const std::vector<ListItem>& items) const {
  if (items.size() != items_.size()) return false;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].text != items_[i] || items[i].wide != wide_[i]) return false;
  return true;
}

void ListBox::SetItems(const std::vector<ListItem>& items) {
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  Clear();
  for (const ListItem& item : items) Add(item);
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int ListBox::FindExactIgnoringCase(const ListItem& item) const {
  if (!item.Lossy()) return FindExactIgnoringCase(item.text);
  return static_cast<int>(SendMessageW(hwnd_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(item.wide.c_str())));
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
  // The program's font, which is the dialogs' font, underlined.
  static HFONT font = [] {
    LOGFONTA lf = {};
    GetObjectA(DefaultGuiFont(), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    return CreateFontIndirectA(&lf);
  }();
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
