#include "MasterPassword.h"

#include "AppPaths.h"
#include "IniFile.h"
#include "MasterPasswordRes.h"
#include "MsgBox.h"
#include "Password.h"
#include "Strings.h"
#include "TextIds.h"
#include "Window.h"

unsigned char MasterAccessGranted = 0;
unsigned char MasterCloseAllowed = 0;

namespace {
constexpr int kClientWidth = 363, kClientHeight = 134;
// The places of the controls in 96-dpi pixels: the template's dialog units grow with the font,
// which at other dpi need not be as the client area does.
constexpr Place kLayout[] = {
    {IDT_MP_LABEL1, 12, 10, 339, 29}, {IDT_MP_LABEL2, 12, 42, 339, 29},
    {IDT_MP_LABEL3, 12, 10, 339, 62}, {IDE_MP_EDIT1, 12, 76, 339, 20},
    {IDB_MP_BUTTON1, 132, 104, 99, 23},
};
const char kAskButton[] = "&OK";  // the same in both languages
const COLORREF kWarningColour = RGB(255, 0, 0);

std::string ConfigPath() { return ProgramDir() + "Config.ini"; }

// Whether a Master is stored; false in `readable` when Config.ini is held by another program,
// which would read as no password at all.
bool MasterStored(bool& readable) {
  std::string master;
  readable = IniFile(ConfigPath()).TryReadString("Configuration", "Master", "", master);
  return !master.empty();
}


// The two warning labels are drawn red by the dialog.
void DrawWarningLabel(const DRAWITEMSTRUCT& di) {
  std::string text = GetWindowTextString(di.hwndItem);
  RECT r = di.rcItem;
  FillRect(di.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = nullptr;
  if (HFONT font = reinterpret_cast<HFONT>(SendMessageA(di.hwndItem, WM_GETFONT, 0, 0)))
    oldFont = SelectObject(di.hDC, font);
  SetBkMode(di.hDC, TRANSPARENT);
  SetTextColor(di.hDC, kWarningColour);
  DrawTextA(di.hDC, text.c_str(), static_cast<int>(text.size()), &r,
            DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  if (oldFont) SelectObject(di.hDC, oldFont);
}
}  // namespace

// Unicode, so that the edit hands over every character as typed.
TFMasterPassword::TFMasterPassword()
    : ModalDialog(IDD_MASTERPASSWORD, true), askMode_(MasterStored(readable_)) {}

INT_PTR TFMasterPassword::RunModal(HWND owner) {
  // Asked while Config.ini is held, the dialog would offer to define a new password over the
  // stored one: it says why it cannot ask now and grants nothing.
  if (!readable_) {
    AppMessage(TextF(txt::MasterUnreadable, ConfigPath()));
    return IDCANCEL;
  }
  return ModalDialog::RunModal(owner);
}

void TFMasterPassword::OnInit() {
  SetItemText(IDT_MP_LABEL1, Text(txt::DefineWarning));
  SetItemText(IDT_MP_LABEL2, Text(txt::DefineNeed));
  SetItemText(IDT_MP_LABEL3, Text(txt::AskPrompt));
  SetItemText(IDE_MP_EDIT1, "");
  SendMessageA(Item(IDE_MP_EDIT1), EM_SETPASSWORDCHAR, '*', 0);
  SendMessageA(Item(IDE_MP_EDIT1), EM_LIMITTEXT, 0, 0);  // no limit of our own
  ShowWindow(Item(IDT_MP_LABEL1), askMode_ ? SW_HIDE : SW_SHOW);
  ShowWindow(Item(IDT_MP_LABEL2), askMode_ ? SW_HIDE : SW_SHOW);
  ShowWindow(Item(IDT_MP_LABEL3), askMode_ ? SW_SHOW : SW_HIDE);
  SetItemText(IDB_MP_BUTTON1, askMode_ ? kAskButton : Text(txt::AcceptButton));
  SetCaption(Text(askMode_ ? txt::AskCaption : txt::DefineCaption));
  SendMessageA(hwnd(), DM_SETDEFID, IDB_MP_BUTTON1, 0);
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  PlaceControls(hwnd(), kLayout);
  CenterOnDesktop(hwnd());
}

bool TFMasterPassword::OnCommand(int id, int notifyCode) {
  // Enter arrives as the default button's command, or as IDOK where the system has none.
  if ((id == IDB_MP_BUTTON1 && notifyCode == BN_CLICKED) || id == IDOK) {
    Button1Click();
    return true;
  }
  // The keyboard's Esc; the window's own close command comes as WM_CLOSE instead.
  if (id == IDCANCEL) {
    Edit1Escape();
    return true;
  }
  return false;
}

bool TFMasterPassword::CanClose() { return MasterCloseAllowed != 0; }

bool TFMasterPassword::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
  if (msg != WM_DRAWITEM) return false;
  const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
  if (di->CtlID != IDT_MP_LABEL1 && di->CtlID != IDT_MP_LABEL2) return false;
  DrawWarningLabel(*di);
  result = TRUE;
  return true;
}

void TFMasterPassword::Button1Click() {
  std::wstring typed = GetWindowTextWide(Item(IDE_MP_EDIT1));
  std::string bytes;
  bool faithful = PasswordBytes(typed, bytes);
  if (askMode_) {
    if (typed.empty()) {
      Message(Text(txt::WrongPassword));
      return;
    }
    // A character the code page lacks matches nothing, not even a stored "?".
    cPassword codec;
    MasterAccessGranted = faithful && codec.LoadMaster(bytes) ? 1 : 0;
    if (codec.Unreadable()) {
      Message(TextF(txt::MasterUnreadable, ConfigPath()));
      return;
    }
    if (!MasterAccessGranted) Message(Text(txt::WrongPassword));
  } else {
    if (typed.empty()) {
      Message(Text(txt::DefinePassword));
      return;
    }
    // A password the codec cannot store faithfully could never be given right again.
    PasswordCheck check = CheckNewPassword(typed);
    if (check.problem != PasswordProblem::None) {
      if (check.problem == PasswordProblem::BadCharacter) {
        std::wstring text = Widen(Text(txt::PasswordBadCharacter));
        std::size_t at = text.find(L"%s");
        if (at != std::wstring::npos) text.replace(at, 2, check.badCharacter);
        Message(text);
      } else {
        Message(Text(txt::PasswordTooLong));
      }
      SetFocus(Item(IDE_MP_EDIT1));
      return;
    }
    // A password that was not stored is not defined: it would grant access once and never
    // again. The codec has told why.
    cPassword codec;
    codec.SaveMasterAndCheck(bytes);
    if (!codec.Written()) return;
    MasterAccessGranted = 1;
  }
  MasterCloseAllowed = 1;
  End(IDOK);
}

void TFMasterPassword::Edit1Escape() {
  MasterCloseAllowed = 1;
  End(IDCANCEL);
}

void TFMasterPassword::Message(const std::string& text) { Message(Widen(text)); }

void TFMasterPassword::Message(const std::wstring& text) {
  MessageBoxW(hwnd(), text.c_str(), Widen(kProductCaption).c_str(), MB_OK);
}
