#include "InputBox.h"

#include <windows.h>

#include <vector>

#include "Dialog.h"
#include "Guard.h"  // also the layer's text IDs
#include "MsgBox.h"
#include "Strings.h"
#include "Window.h"

namespace {
// Builds a dialog template in memory, so the layer needs no resource script of its own.
class TemplateBuilder {
 public:
  void Align(std::size_t to) {
    while (bytes_.size() % to) bytes_.push_back(0);
  }
  template <class T>
  void Put(const T& v) {
    const auto* p = reinterpret_cast<const unsigned char*>(&v);
    bytes_.insert(bytes_.end(), p, p + sizeof v);
  }
  void PutText(const std::string& ansi) {
    for (wchar_t c : Widen(ansi)) Put(static_cast<WORD>(c));
    Put(WORD(0));
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
            const std::string& text) {
    Align(4);
    DLGITEMTEMPLATE it = {};
    it.style = style | WS_CHILD | WS_VISIBLE;
    it.x = x;
    it.y = y;
    it.cx = cx;
    it.cy = cy;
    it.id = id;
    Put(it);
    Put(static_cast<WORD>(0xFFFF));
    Put(atom);
    PutText(text);
    Put(static_cast<WORD>(0));
  }
  std::vector<unsigned char>& bytes() { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

struct InputState {
  std::string prompt, text;
};


INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  return Guarded(
      [&]() -> INT_PTR {
        if (msg == WM_INITDIALOG) {
          SetWindowLongPtrA(dlg, DWLP_USER, lp);
          FindableWhileOwnerHidden(dlg);
          auto* st = reinterpret_cast<InputState*>(lp);
          SetDlgItemTextA(dlg, kInputBoxPromptId, st->prompt.c_str());
          SetDlgItemTextA(dlg, kInputBoxEditId, st->text.c_str());
          FitToTexts(dlg);
          CenterOnDesktop(dlg);
          FitInWorkArea(dlg);
          BringForward(dlg);
          return TRUE;
        }
        if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
          auto* st = reinterpret_cast<InputState*>(GetWindowLongPtrA(dlg, DWLP_USER));
          // A refused text keeps the box open.
          if (LOWORD(wp) == IDOK && st && !TypedText(GetDlgItem(dlg, kInputBoxEditId), dlg, st->text))
            return TRUE;
          EndDialog(dlg, LOWORD(wp));
          return TRUE;
        }
        if (msg == WM_CLOSE) {
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      },
      INT_PTR(FALSE));
}
}  // namespace

bool TypedText(HWND edit, HWND owner, std::string& text) {
  std::wstring typed = GetWindowTextWide(edit);
  std::string ansi;
  if (NarrowFaithfully(typed, ansi)) {
    text = ansi;
    return true;
  }
  std::wstring message = Widen(Text(kCharOutsideCodePageText));
  std::size_t at = message.find(L"%s");
  if (at != std::wstring::npos) message.replace(at, 2, FirstCharOutsideCodePage(typed));
  MessageBoxW(owner, message.c_str(), Widen(kProductCaption).c_str(), MB_OK);
  SetFocus(edit);
  return false;
}

std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& def, HWND owner) {
  TemplateBuilder t;
  DLGTEMPLATE d = {};
  d.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.cdit = 4;
  d.cx = 200;
  d.cy = 66;
  t.Put(d);
  t.Put(static_cast<WORD>(0));  // no menu
  t.Put(static_cast<WORD>(0));  // default class
  t.PutText(caption);
  t.Put(static_cast<WORD>(8));
  t.PutText("MS Sans Serif");
  t.Item(SS_LEFT, 7, 7, 186, 18, kInputBoxPromptId, 0x0082, "");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 27, 186, 12, kInputBoxEditId, 0x0081, "");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 46, 50, 14, IDOK, 0x0080, "OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 46, 50, 14, IDCANCEL, 0x0080, Text(kCancelText));
  t.Align(4);

  InputState st{prompt, def};
  // Unicode, so that the edit keeps every character as typed and the box can check it.
  INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<DLGTEMPLATE*>(t.bytes().data()),
                                      owner ? owner : DialogOwner(),
                                      &InputProc, reinterpret_cast<LPARAM>(&st));
  return r == IDOK ? st.text : def;
}
