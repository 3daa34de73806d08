#include "Dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>
#include <string>

#include "Guard.h"
#include "Window.h"

INT_PTR ModalDialog::RunModal(HWND owner) {
  if (!owner) owner = DialogOwner();
  if (unicode_)
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                           &ModalDialog::StaticProc, reinterpret_cast<LPARAM>(this));
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                         &ModalDialog::StaticProc, reinterpret_cast<LPARAM>(this));
}

std::string ModalDialog::ItemText(int id) const { return GetWindowTextString(Item(id)); }

void ModalDialog::SetItemText(int id, const std::string& text) {
  SetDlgItemTextA(hwnd_, id, text.c_str());
}

void ModalDialog::End(INT_PTR code) { EndDialog(hwnd_, code); }

void ModalDialog::Close(INT_PTR code) {
  if (CanClose()) End(code);
}

INT_PTR ModalDialog::Route(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      FindableWhileOwnerHidden(hwnd_);
      OnInit();
      FitToTexts(hwnd_);
      FitInWorkArea(hwnd_);
      BringForward(hwnd_);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (OnCommand(id, HIWORD(wp))) return TRUE;
      if (id == IDOK || id == IDCANCEL) {
        Close(id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
    default: {
      INT_PTR result = 0;
      if (OnMessage(msg, wp, lp, result)) {
        // The colour messages take their brush from the dialog procedure's own return.
        if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) return result;
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
  }
}

INT_PTR CALLBACK ModalDialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ModalDialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  return Guarded([&] { return self->Route(msg, wp, lp); }, INT_PTR(FALSE));
}

namespace {
HWND programWindow = nullptr;

bool IsTopmostWindow(HWND hwnd) {
  return (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}
}  // namespace

void SetProgramWindow(HWND hwnd) { programWindow = hwnd; }

HWND ProgramWindow() { return programWindow && IsWindow(programWindow) ? programWindow : nullptr; }

HWND DialogOwner() {
  HWND main = ProgramWindow();
  if (!main) return nullptr;
  HWND open = OpenDialogOf(main);
  return open ? open : main;
}

HWND OpenDialogOf(HWND owner) {
  if (!owner) return nullptr;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!IsWindowVisible(w) || !IsWindowEnabled(w) || GetClassNameString(w) != "#32770") continue;
    for (HWND o = GetWindow(w, GW_OWNER); o; o = GetWindow(o, GW_OWNER))
      if (o == owner) return w;
  }
  return nullptr;
}

void BringForward(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  SetWindowPos(dialog, owner && IsTopmostWindow(owner) ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetForegroundWindow(dialog);
}

void FindableWhileOwnerHidden(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  if (!owner || IsWindowVisible(owner)) return;
  LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
  if (!(ex & WS_EX_APPWINDOW)) SetWindowLongPtrA(window, GWL_EXSTYLE, ex | WS_EX_APPWINDOW);
}

void CenterOnDesktop(HWND hwnd) {
  RECT work, r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
// The font of this face and style whose cell is at most `height` pixels high, kept for the
// program's life (a window shrunk to a small screen takes one or two of them).
HFONT FontOfHeight(const LOGFONTA& like, int height) {
  static std::vector<std::pair<LOGFONTA, HFONT>> made;
  LOGFONTA lf = like;
  lf.lfHeight = height;
  lf.lfWidth = 0;
  for (const auto& m : made)
    if (std::memcmp(&m.first, &lf, sizeof lf) == 0) return m.second;
  HFONT font = CreateFontIndirectA(&lf);
  if (font) made.emplace_back(lf, font);
  return font;
}

int CellHeight(HWND control, HFONT font) {
  HDC dc = GetDC(control);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  int height = GetTextMetricsA(dc, &tm) ? tm.tmHeight : 0;
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return height;
}

// A control drawn smaller by `num`/`den` gets a font as much smaller, where the face has one:
// its text then fits the box it had, as its box fitted it before.
void ShrinkFont(HWND control, int num, int den) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  LOGFONTA lf;
  if (!font || GetObjectA(font, sizeof lf, &lf) != sizeof lf) return;
  int height = CellHeight(control, font);
  int target = MulDiv(height, num, den);
  // A bitmap face such as "MS Sans Serif" has only a few sizes: where it has none small enough,
  // Tahoma (on every system since XP) is drawn at any size.
  LOGFONTA scalable = lf;
  lstrcpynA(scalable.lfFaceName, "Tahoma", LF_FACESIZE);
  for (const LOGFONTA* face : {&lf, &scalable}) {
    for (int ask = target; ask > 0 && ask >= target - 2; --ask) {
      HFONT smaller = FontOfHeight(*face, ask);
      int got = smaller ? CellHeight(control, smaller) : 0;
      if (got > 0 && got <= target) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(smaller), TRUE);
        return;
      }
    }
  }
}
}  // namespace

void FitInWorkArea(HWND window, SIZE laidOut) {
  if (!window || IsIconic(window)) return;
  RECT r, work, before;
  GetWindowRect(window, &r);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetClientRect(window, &before);
  bool cut = laidOut.cx > before.right || laidOut.cy > before.bottom;
  before.right = std::max<LONG>(before.right, laidOut.cx);
  before.bottom = std::max<LONG>(before.bottom, laidOut.cy);
  int width = r.right - r.left, height = r.bottom - r.top;
  int fitW = std::min<int>(width, work.right - work.left);
  int fitH = std::min<int>(height, work.bottom - work.top);
  int left = std::max<int>(work.left, std::min<int>(r.left, work.right - fitW));
  int top = std::max<int>(work.top, std::min<int>(r.top, work.bottom - fitH));
  bool shrinks = cut || fitW < width || fitH < height;
  if (!shrinks && left == r.left && top == r.top) return;
  SetWindowPos(window, nullptr, left, top, fitW, fitH, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!shrinks) return;
  // The client area the window really got: a narrower window's menu bar may take two lines.
  RECT after;
  GetClientRect(window, &after);
  if (after.right <= 0 || after.bottom <= 0 || before.right <= 0 || before.bottom <= 0) return;
  // Fonts shrink as the axis that shrinks more.
  bool byWidth = static_cast<long long>(after.right) * before.bottom <
                 static_cast<long long>(after.bottom) * before.right;
  int num = byWidth ? after.right : after.bottom, den = byWidth ? before.right : before.bottom;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT e;
    GetWindowRect(c, &e);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&e), 2);
    int l = MulDiv(e.left, after.right, before.right), t = MulDiv(e.top, after.bottom, before.bottom);
    SetWindowPos(c, nullptr, l, t, MulDiv(e.right, after.right, before.right) - l,
                 MulDiv(e.bottom, after.bottom, before.bottom) - t, SWP_NOZORDER | SWP_NOACTIVATE);
    if (num < den) ShrinkFont(c, num, den);
    // A status bar sizes itself to its parent and its font.
    if (GetClassNameString(c) == STATUSCLASSNAMEA) SendMessageA(c, WM_SIZE, 0, 0);
  }
}

void SetDialogClientSize(HWND dialog, int width, int height) {
  RECT r = {0, 0, Scale(width), Scale(height)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceControl(HWND control, int x, int y, int width, int height) {
  MoveWindow(control, Scale(x), Scale(y), Scale(x + width) - Scale(x), Scale(y + height) - Scale(y),
             FALSE);
}

void PlaceControls(HWND dialog, const Place* layout, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Place& p = layout[i];
    PlaceControl(GetDlgItem(dialog, p.id), p.x, p.y, p.width, p.height);
  }
}

namespace {
// What a control's text needs beyond its parts: the room the control leaves it (its client
// area less the chrome beside the text), and how the control lays the text out.
struct TextBox {
  bool holdsText = false;
  bool widthOnly = false;      // a group box: its caption lies on the frame
  bool oneLine = false;        // a box of one line: a caption, a one-line edit, a low label
  bool anyWidth = false;       // an edit that scrolls sideways: any text fits its width
  bool lineWhenEmpty = false;  // an edit: room for a line also before anything is typed
  int chromeX = 0, chromeY = 0;
  UINT format = DT_WORDBREAK | DT_EXPANDTABS;
};

TextBox TextBoxOf(HWND control, const TEXTMETRICA& tm, int clientHeight) {
  TextBox box;
  std::string cls = GetClassNameString(control);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  if (lstrcmpiA(cls.c_str(), "Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:  // one line in the frame's top, in from each end
        box.widthOnly = box.oneLine = true;
        box.chromeX = 2 * tm.tmAveCharWidth + 4;
        break;
      case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
      case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        box.chromeX = GetSystemMetrics(SM_CXMENUCHECK) + tm.tmAveCharWidth / 2 + 1;
        break;
      case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON:  // the 3-D border and the focus rectangle
        box.chromeX = 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
        box.chromeY = 2 * (GetSystemMetrics(SM_CYEDGE) + 1);
        break;
      default:
        return box;
    }
  } else if (lstrcmpiA(cls.c_str(), "Static") == 0) {
    LONG type = style & SS_TYPEMASK;
    // Pictures and frames hold no text; owner-drawn labels are drawn wrapped like plain ones.
    if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP && type != SS_OWNERDRAW)
      return box;
    if ((style & SS_NOPREFIX) || type == SS_OWNERDRAW) box.format |= DT_NOPREFIX;
  } else if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
    // A multi-line edit scrolls; a one-line edit shows one line, and its whole text unless it
    // scrolls sideways.
    if (style & ES_MULTILINE) return box;
    box.oneLine = box.lineWhenEmpty = true;
    box.anyWidth = (style & ES_AUTOHSCROLL) != 0;
    box.chromeX = 2;
    box.format = DT_SINGLELINE | DT_NOPREFIX;
  } else {
    return box;  // lists, grids, drop-down lists, arrows and status bars size their contents
  }
  box.holdsText = true;
  if (clientHeight - box.chromeY < 2 * tm.tmHeight) box.oneLine = true;
  return box;
}

// Grows one control to the size its text needs; false when it had it.
bool FitText(HWND control) {
  RECT client, outer;
  GetClientRect(control, &client);
  GetWindowRect(control, &outer);
  HDC dc = GetDC(control);
  if (!dc) return false;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  TextBox box = TextBoxOf(control, tm, client.bottom);
  std::string text = box.holdsText ? GetWindowTextString(control) : std::string();
  int roomW = client.right - box.chromeX, roomH = client.bottom - box.chromeY;
  int needW = 0, needH = 0;
  if (box.holdsText && (!text.empty() || box.lineWhenEmpty)) {
    UINT format = box.format;
    if (box.oneLine) format = (format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE;
    RECT need = {0, 0, box.oneLine ? 0x7fff : roomW, tm.tmHeight};
    if (!text.empty())
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &need, format | DT_CALCRECT);
    else
      need.right = 0;
    needW = box.anyWidth ? 0 : need.right;
    needH = box.widthOnly ? 0 : std::max<int>(need.bottom, tm.tmHeight);
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  int growW = std::max(0, needW - roomW), growH = std::max(0, needH - roomH);
  if (growW == 0 && growH == 0) return false;
  SetWindowPos(control, nullptr, 0, 0, outer.right - outer.left + growW,
               outer.bottom - outer.top + growH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

RECT RectInParent(HWND window, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
}  // namespace

void FitToTexts(HWND window) {
  if (!window || IsIconic(window)) return;
  RECT client;
  GetClientRect(window, &client);
  int clientW = client.right, clientH = client.bottom;
  int needW = clientW, needH = clientH;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT before = RectInParent(window, c);
    if (!FitText(c)) continue;
    RECT after = RectInParent(window, c);
    // The margin the control kept to the window's edge, where it was inside.
    needW = std::max<int>(needW, after.right + std::max<int>(0, clientW - before.right));
    needH = std::max<int>(needH, after.bottom + std::max<int>(0, clientH - before.bottom));
  }
  RECT r, work;
  GetWindowRect(window, &r);
  // No larger than the desktop's work area: there a text too long for any window stays cut.
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int width = r.right - r.left, height = r.bottom - r.top;
  int growW = std::max(0, std::min<int>(needW - clientW, work.right - work.left - width));
  int growH = std::max(0, std::min<int>(needH - clientH, work.bottom - work.top - height));
  if (growW == 0 && growH == 0) return;
  width += growW;
  height += growH;
  int left = std::max<int>(work.left, std::min<int>(r.left - growW / 2, work.right - width));
  int top = std::max<int>(work.top, std::min<int>(r.top - growH / 2, work.bottom - height));
  SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
