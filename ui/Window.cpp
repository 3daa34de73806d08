#include "Window.h"

#include "Guard.h"

namespace {
// The dpi of the screen the windows were laid out on, and what the program's font measured
// there: its height and the width of kSample.
constexpr int kDesignDpi = 96;
constexpr int kDesignFontHeight = 13;
constexpr int kDesignSampleWidth = 323;
const char kSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A ratio, for MulDiv.
struct Ratio {
  int num, den;
  bool operator>(const Ratio& o) const {
    return static_cast<long long>(num) * o.den > static_cast<long long>(o.num) * den;
  }
};

// How much larger than at 96 dpi the windows are: as the dpi, or as the font where it grew more.
// The font's height and the width of a sample of its letters both count, as for dialog units.
Ratio LayoutRatio() {
  Ratio ratio{ScreenDpi(), kDesignDpi};
  HDC screen = GetDC(nullptr);
  if (!screen) return ratio;
  HGDIOBJ old = SelectObject(screen, DefaultGuiFont());
  TEXTMETRICA tm;
  SIZE sample;
  // The design's own font (13 px) keeps the design's sizes, whatever its letters measure.
  if (GetTextMetricsA(screen, &tm) && tm.tmHeight > kDesignFontHeight &&
      GetTextExtentPoint32A(screen, kSample, sizeof kSample - 1, &sample)) {
    Ratio byHeight{tm.tmHeight, kDesignFontHeight};
    Ratio byWidth{sample.cx, kDesignSampleWidth};
    if (byHeight > ratio) ratio = byHeight;
    if (byWidth > ratio) ratio = byWidth;
  }
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return ratio;
}
}  // namespace

Window::~Window() {
  if (hwnd_) {
    HWND h = hwnd_;
    SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

bool Window::Create(const CreateArgs& a) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc;
  if (!GetClassInfoExA(inst, a.className, &wc)) {
    wc = WNDCLASSEXA();
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = a.className;
    wc.hIcon = a.icon;
    wc.hIconSm = a.icon;
    if (!RegisterClassExA(&wc)) return false;
  }
  return CreateWindowExA(a.exStyle, a.className, a.title, a.style, a.x, a.y, a.width, a.height,
                         a.parent, a.menu, inst, this) != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return DefaultHandling(msg, wp, lp);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* self = static_cast<Window*>(cs->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    LRESULT r = Guarded([&] { return self->HandleMessage(msg, wp, lp); }, LRESULT(0));
    self->hwnd_ = nullptr;
    return r;
  }
  return Guarded([&] { return self->HandleMessage(msg, wp, lp); }, LRESULT(0));
}

std::string GetWindowTextString(HWND hwnd) {
  int len = GetWindowTextLengthA(hwnd);
  if (len <= 0) return std::string();
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  int n = GetWindowTextA(hwnd, &s[0], len + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

std::wstring GetWindowTextWide(HWND hwnd) {
  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return std::wstring();
  std::wstring s(static_cast<std::size_t>(len) + 1, L'\0');
  int n = GetWindowTextW(hwnd, &s[0], len + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

std::wstring Widen(const std::string& ansi) {
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], n);
  return wide;
}

bool NarrowFaithfully(const std::wstring& wide, std::string& ansi) {
  ansi.clear();
  if (wide.empty()) return true;
  // A code page of UTF-8 holds every character, and takes no "used default" flag.
  UINT cp = GetACP();
  DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = cp == CP_UTF8 ? nullptr : &usedDefault;
  int units = static_cast<int>(wide.size());
  int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  ansi.resize(static_cast<std::size_t>(n));
  n = WideCharToMultiByte(CP_ACP, flags, wide.data(), units, &ansi[0], n, nullptr, used);
  ansi.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return n > 0 && !usedDefault;
}

std::wstring FirstCharOutsideCodePage(const std::wstring& wide) {
  std::string ignored;
  for (std::size_t i = 0; i < wide.size();) {
    std::size_t len = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() &&
                              IS_LOW_SURROGATE(wide[i + 1])
                          ? 2
                          : 1;
    std::wstring c = wide.substr(i, len);
    if (!NarrowFaithfully(c, ignored)) return c;
    i += len;
  }
  return std::wstring();
}

std::string GetClassNameString(HWND hwnd) {
  char buf[256];
  int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                 int w, int h, int id, DWORD exStyle, bool unicode) {
  int left = Scale(x), top = Scale(y), width = Scale(x + w) - left, height = Scale(y + h) - top;
  auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  HWND child = unicode ? CreateWindowExW(exStyle, Widen(cls).c_str(), Widen(text).c_str(),
                                         WS_CHILD | style, left, top, width, height, parent, menu,
                                         GetModuleHandleW(nullptr), nullptr)
                       : CreateWindowExA(exStyle, cls, text, WS_CHILD | style, left, top, width,
                                         height, parent, menu, GetModuleHandleA(nullptr), nullptr);
  if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  return child;
}

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return d > 0 ? d : kDesignDpi;
  }();
  return dpi;
}

int FontHeight(int points) { return -MulDiv(points, ScreenDpi(), 72); }

HFONT DefaultGuiFont() {
  static HFONT font = [] {
    // "MS Sans Serif" 8 points, height -11 at 96 dpi, as the forms were laid out.
    HFONT f = CreateFontA(FontHeight(8), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

int Scale(int pixels) {
  static const Ratio ratio = LayoutRatio();
  return MulDiv(pixels, ratio.num, ratio.den);
}
