#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// Base of the program's modal dialogs, made from a dialog template of the resources. One static
// dialog procedure keeps `this` at WM_INITDIALOG and runs every handler guarded.
class ModalDialog {
 public:
  // A Unicode dialog's edits keep every typed character; an ANSI one's turn what the code
  // page lacks into "?".
  explicit ModalDialog(int templateId, bool unicode = false)
      : templateId_(templateId), unicode_(unicode) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Runs the dialog; returns the code passed to End, or -1 when it could not be created.
  INT_PTR RunModal(HWND owner = nullptr);
  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  void SetCaption(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

  // Ends the dialog at once.
  void End(INT_PTR code);
  // The window's own close command: asks CanClose first.
  void Close(INT_PTR code = IDCANCEL);

 protected:
  virtual void OnInit() {}
  // A command from a control or the keyboard (IDOK for Enter, IDCANCEL for Esc). True when
  // handled; unhandled IDOK and IDCANCEL end the dialog with that code.
  virtual bool OnCommand(int id, int notifyCode) {
    (void)id;
    (void)notifyCode;
    return false;
  }
  // Asked before the title-bar button, Alt+F4 or Close end the dialog.
  virtual bool CanClose() { return true; }
  // Any other message; return true and set result when handled (for WM_CTLCOLOR*, the brush).
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    (void)msg; (void)wp; (void)lp; (void)result;
    return false;
  }

 private:
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Route(UINT msg, WPARAM wp, LPARAM lp);
  int templateId_;
  bool unicode_;
  HWND hwnd_ = nullptr;
};

// The program's main window, or null. A dialog or message box opened without an owner is owned
// by it, or by the dialog or box of ours that stands open in front of it: so it stands above
// the main window, topmost with it, and the window it leaves disabled shows why.
void SetProgramWindow(HWND hwnd);
HWND ProgramWindow();
// The owner for a dialog or box opened without one (see SetProgramWindow); null when the
// program has no main window.
HWND DialogOwner();
// The dialog or message box that stands open in front of `owner`: the frontmost visible,
// enabled dialog whose owners lead to it (a modal one disables the window it stands on, so
// this is the innermost). Null when there is none.
HWND OpenDialogOf(HWND owner);
// Puts a dialog or box in front of everything else of ours: topmost when its owner is, first
// in the z-order, and the foreground window (where the system lets it).
void BringForward(HWND dialog);

// An owned window has no taskbar button and no Alt+Tab entry: one whose owner is hidden (the
// main window in the tray) gets them, so that it can be found behind other programs' windows.
// Run before the window is first shown; owned, it still stands in front of its owner.
void FindableWhileOwnerHidden(HWND window);

// Centres a top-level window on the desktop's work area.
void CenterOnDesktop(HWND hwnd);
// Keeps a top-level window inside the desktop's work area: one larger than it shrinks to it,
// and its controls' edges draw together in proportion, so what lined up still does, their fonts
// as much smaller (Tahoma where their face has no such size); then it moves inside. ModalDialog
// runs it after FitToTexts. `laidOut`: the client size the controls were placed for, where the
// system made the window smaller (it keeps a new window within the screen).
void FitInWorkArea(HWND window, SIZE laidOut = {0, 0});
// Gives a dialog a client area of this many 96-dpi pixels, scaled (Scale), whatever its font
// made of the template's dialog units.
void SetDialogClientSize(HWND dialog, int width, int height);

// Where a control stands, in 96-dpi pixels of its parent's client area.
struct Place {
  int id, x, y, width, height;
};
// Moves a control there, scaled (Scale). Edges are scaled, not sizes, so that controls that
// meet or line up at 96 dpi still do; FitToTexts then gives a text the room it lacks.
void PlaceControl(HWND control, int x, int y, int width, int height);
// Places every control of a dialog's layout table.
void PlaceControls(HWND dialog, const Place* layout, std::size_t count);
template <std::size_t N>
void PlaceControls(HWND dialog, const Place (&layout)[N]) {
  PlaceControls(dialog, layout, N);
}

// Sizes what holds text from the font it really gets: every child of a top-level window whose
// text needs more room than its box has (measured in the child's own font, as the child lays
// it out) grows to the right and down, and the window grows with it, keeping its centre and the
// margins the child had, up to the desktop's work area. A box of one line grows to the text's
// one-line width; a box of more lines grows down. Nothing shrinks. ModalDialog runs it when the
// dialog has set itself up.
void FitToTexts(HWND window);
