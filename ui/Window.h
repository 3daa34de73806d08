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
std::string GetClassNameString(HWND hwnd);
// Position and size in 96-dpi pixels, scaled to the screen.
HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                 int w, int h, int id, DWORD exStyle = 0);
// The program's font, "MS Sans Serif" 8 points, at the screen's dpi.
HFONT DefaultGuiFont();

// The windows were laid out in pixels on a 96-dpi screen; on another they grow with its dpi
// (read once), as their fonts do. A size in 96-dpi pixels in pixels of this screen: unchanged
// at 96 dpi.
int Scale(int pixels);
