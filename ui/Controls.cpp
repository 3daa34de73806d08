#include "Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "Guard.h"
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
  MakeLinkLabel(hwnd_);
}

namespace {
// The label's own window procedure, and whether Space went down on it.
const char kLinkProc[] = "WachtpostenLinkProc";
const char kLinkSpaceDown[] = "WachtpostenLinkSpace";

LRESULT StaticHandling(HWND label, UINT msg, WPARAM wp, LPARAM lp) {
  auto proc = reinterpret_cast<WNDPROC>(GetPropA(label, kLinkProc));
  if (IsWindowUnicode(label))
    return proc ? CallWindowProcW(proc, label, msg, wp, lp) : DefWindowProcW(label, msg, wp, lp);
  return proc ? CallWindowProcA(proc, label, msg, wp, lp) : DefWindowProcA(label, msg, wp, lp);
}

void ClickLink(HWND label) {
  SendMessageA(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
               reinterpret_cast<LPARAM>(label));
}

// The dotted frame around the text, as a push button draws it; hidden, as there, until the
// keyboard was used in the window.
void DrawLinkFocus(HWND label) {
  if (GetFocus() != label || (SendMessageA(label, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) return;
  RECT client, text;
  GetClientRect(label, &client);
  text = client;
  HDC dc = GetDC(label);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  LONG style = GetWindowLongA(label, GWL_STYLE);
  UINT format = DT_CALCRECT | DT_EXPANDTABS |
                ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK) |
                ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
  std::string s = GetWindowTextString(label);
  if (!s.empty()) DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &text, format);
  SelectObject(dc, old);
  // One pixel of room around the text where the label has it.
  InflateRect(&text, 1, 1);
  IntersectRect(&text, &text, &client);
  DrawFocusRect(dc, &text);
  ReleaseDC(label, dc);
}

LRESULT LinkKeys(HWND label, UINT msg, WPARAM wp, LPARAM lp) {
  bool repeat = (lp & (1L << 30)) != 0;
  switch (msg) {
    case WM_GETDLGCODE: {
      // A button for the dialog manager, so that its "&" letter sends BM_CLICK; Enter comes
      // to the label itself, not to the default button.
      const MSG* key = reinterpret_cast<const MSG*>(lp);
      bool enter = key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
                   key->wParam == VK_RETURN;
      return DLGC_BUTTON | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
      if (wp == VK_RETURN && !repeat) ClickLink(label);
      if (wp == VK_SPACE && !repeat) SetPropA(label, kLinkSpaceDown, reinterpret_cast<HANDLE>(1));
      if (wp == VK_RETURN || wp == VK_SPACE) return 0;
      break;
    case WM_KEYUP:
      // Space acts when it is let go, as on a push button.
      if (wp == VK_SPACE && RemovePropA(label, kLinkSpaceDown)) ClickLink(label);
      if (wp == VK_SPACE) return 0;
      break;
    case BM_CLICK:
      SetFocus(label);
      ClickLink(label);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      RemovePropA(label, kLinkSpaceDown);
      InvalidateRect(label, nullptr, TRUE);
      break;
    case WM_PAINT: {
      // With the focus the static paints its whole face, then the frame goes over it.
      if (wp == 0 && GetFocus() == label) InvalidateRect(label, nullptr, TRUE);
      LRESULT r = StaticHandling(label, msg, wp, lp);
      DrawLinkFocus(label);
      return r;
    }
    case WM_NCDESTROY: {
      // The last message: the label's properties go with it.
      LRESULT r = StaticHandling(label, msg, wp, lp);
      RemovePropA(label, kLinkProc);
      RemovePropA(label, kLinkSpaceDown);
      return r;
    }
  }
  return StaticHandling(label, msg, wp, lp);
}

LRESULT CALLBACK LinkProc(HWND label, UINT msg, WPARAM wp, LPARAM lp) {
  return Guarded([&] { return LinkKeys(label, msg, wp, lp); }, LRESULT(0));
}
}  // namespace

void MakeLinkLabel(HWND label) {
  if (!label) return;
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(LinkLabel::Font()), FALSE);
  SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | WS_TABSTOP);
  if (GetPropA(label, kLinkProc)) return;
  // Kept in the label's own character set: its text stays as it is.
  bool unicode = IsWindowUnicode(label) != FALSE;
  auto own = reinterpret_cast<LONG_PTR>(&LinkProc);
  LONG_PTR proc =
      unicode ? GetWindowLongPtrW(label, GWLP_WNDPROC) : GetWindowLongPtrA(label, GWLP_WNDPROC);
  SetPropA(label, kLinkProc, reinterpret_cast<HANDLE>(proc));
  if (unicode)
    SetWindowLongPtrW(label, GWLP_WNDPROC, own);
  else
    SetWindowLongPtrA(label, GWLP_WNDPROC, own);
}

bool WindowDialogKeys(HWND window, MSG& msg) {
  // Only keys: the rest keeps its own dispatch, in the window's character set.
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  if (!window || (msg.hwnd != window && !IsChild(window, msg.hwnd))) return false;
  bool enterOrEsc = (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) &&
                    (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
  if (enterOrEsc && !(SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam,
                                   reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTMESSAGE))
    return false;
  return IsDialogMessageA(window, &msg) != FALSE;
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
