#include "Window.h"

#include "Guard.h"

namespace {
// The dpi of the screen the windows were laid out on.
constexpr int kDesignDpi = 96;
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

std::string GetClassNameString(HWND hwnd) {
  char buf[256];
  int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                 int w, int h, int id, DWORD exStyle) {
  HWND child = CreateWindowExA(exStyle, cls, text, WS_CHILD | style, Scale(x), Scale(y),
                               Scale(x + w) - Scale(x), Scale(y + h) - Scale(y), parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  return child;
}

HFONT DefaultGuiFont() {
  static HFONT font = [] {
    // "MS Sans Serif", height -11 at 96 dpi, as the forms were laid out.
    HFONT f = CreateFontA(Scale(-11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

int Scale(int pixels) {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    int d = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return d > 0 ? d : kDesignDpi;
  }();
  return MulDiv(pixels, dpi, kDesignDpi);
}
