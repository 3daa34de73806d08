#pragma once
#include <windows.h>

#include <string>

// Base of the program's own top-level windows. One static window procedure binds the HWND to
// its object at WM_NCCREATE and routes every later message to HandleMessage; messages before
// that go to the default procedure. The binding is cleared at WM_NCDESTROY, so no message
// reaches a half-destroyed object.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }

  struct CreateArgs {
    const char* className = nullptr;
    const char* title = "";
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    HWND parent = nullptr;
    HMENU menu = nullptr;
    HICON icon = nullptr;
  };

 protected:
  // Registers the class (once) and creates the window. False when the system refuses.
  bool Create(const CreateArgs& args);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

// Thin helpers over one API call each.
std::string GetWindowTextString(HWND hwnd);
// The window's text as typed, also the characters the ANSI code page lacks.
std::wstring GetWindowTextWide(HWND hwnd);
// ANSI text (the system code page) as UTF-16.
std::wstring Widen(const std::string& ansi);
// UTF-16 text in the ANSI code page, no character replaced by a look-alike. False when the code
// page lacks a character: `ansi` then has "?" in its place and must not be stored or compared
// as if it were the text (two different texts can give the same "?" form).
bool NarrowFaithfully(const std::wstring& wide, std::string& ansi);
// The first character (one or two UTF-16 units) the ANSI code page lacks; empty when none.
std::wstring FirstCharOutsideCodePage(const std::wstring& wide);
std::string GetClassNameString(HWND hwnd);
// Position and size in 96-dpi pixels, scaled to the screen. A Unicode control keeps and shows
// the characters the ANSI code page lacks.
HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                 int w, int h, int id, DWORD exStyle = 0, bool unicode = false);

// The screen's dpi, read once.
int ScreenDpi();
// The height to ask CreateFont for a font of this many points at the screen's dpi: the very
// rule the dialog manager applies to a template's "FONT 8", so that the program's own fonts and
// the dialogs' fonts are one and cannot round apart. -11 for 8 points at 96 dpi.
int FontHeight(int points);
// The program's font, "MS Sans Serif" 8 points at the screen's dpi: the dialogs' font.
HFONT DefaultGuiFont();

// The windows were laid out in pixels on a 96-dpi screen, for the program's font there (13 px
// high). On another screen they grow with its dpi, and more where the font the windows really
// get grows more than the dpi: "MS Sans Serif" is a bitmap font whose sizes jump (16 px above
// about 108 dpi, 20 px from about 140). A size in 96-dpi pixels in pixels of this screen:
// unchanged at 96 dpi.
int Scale(int pixels);
