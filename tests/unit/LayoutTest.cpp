// Every window of the program, in both languages, at the screen's dpi (96, or the dpi that the
// run sets: tests/CMakeLists.txt lists them), on a large screen or a small one with a taskbar:
// it lies inside the work area, each visible control inside it, showing its whole text, measured
// in the control's own font as the control wraps it.
// Fonts are measured in the program's own process, since font handles do not cross processes.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>

#include "About.h"
#include "AboutRes.h"
#include "AppPaths.h"
#include "Check0190Res.h"
#include "Connection.h"
#include "Connectionlist.h"
#include "Cookies.h"
#include "CookiesRes.h"
#include "DialerOptionsRes.h"
#include "Dialeroptions.h"
#include "DialogUser.h"
#include "Dialup.h"
#include "DialupRes.h"
#include "InputBox.h"
#include "LogViewer.h"
#include "MainWindow.h"
#include "MasterPassword.h"
#include "MasterPasswordRes.h"
#include "MessageBoxWatcher.h"
#include "Options.h"
#include "OptionsRes.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"

namespace {
// The room a control leaves its text beside its own parts, and how it lays the text out; a
// width or height of 0 means that the control's text is not judged.
struct TextRoom {
  int width = 0, height = 0;
  UINT format = DT_WORDBREAK | DT_EXPANDTABS;
};

TextRoom RoomFor(HWND control, const TEXTMETRICA& tm) {
  RECT client;
  GetClientRect(control, &client);
  TextRoom room{client.right, client.bottom};
  std::string cls = GetClassNameString(control);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  if (lstrcmpiA(cls.c_str(), "Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:  // one line that interrupts the frame's top, in from each end
        room.width -= 2 * tm.tmAveCharWidth + 4;
        room.height = tm.tmHeight;
        break;
      case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
      case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        room.width -= GetSystemMetrics(SM_CXMENUCHECK) + tm.tmAveCharWidth / 2 + 1;
        break;
      default:  // push buttons: the 3-D border and the focus rectangle inside it
        room.width -= 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
        room.height -= 2 * (GetSystemMetrics(SM_CYEDGE) + 1);
    }
  } else if (lstrcmpiA(cls.c_str(), "Static") == 0) {
    LONG type = style & SS_TYPEMASK;
    // Pictures and frames have no text; owner-drawn labels are drawn wrapped like plain ones.
    if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP && type != SS_OWNERDRAW)
      return {};
    if ((style & SS_NOPREFIX) || type == SS_OWNERDRAW) room.format |= DT_NOPREFIX;
  } else if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
    // A multi-line edit scrolls; a one-line edit shows one whole line, and its whole text
    // unless it scrolls sideways.
    if (style & ES_MULTILINE) return {};
    room.format = DT_SINGLELINE | DT_NOPREFIX;
    room.width = (style & ES_AUTOHSCROLL) ? 0x7fff : room.width - 2;
  } else if (cls == STATUSCLASSNAMEA) {
    room.width -= 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
    room.height -= 2 * GetSystemMetrics(SM_CYEDGE);
    room.format |= DT_NOPREFIX;
  } else {
    return {};  // list boxes, list views, drop-down lists and arrows scroll or size their contents
  }
  return room;
}

// What is wrong with one control of `window`; empty when nothing.
std::string ControlProblem(HWND window, HWND control) {
  RECT parent, r;
  GetClientRect(window, &parent);
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  std::ostringstream out;
  if (r.left < 0 || r.top < 0 || r.right > parent.right || r.bottom > parent.bottom)
    out << " lies at (" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom
        << ") outside " << parent.right << "x" << parent.bottom << ";";

  std::string text = GetWindowTextString(control);
  HDC dc = GetDC(control);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  TextRoom room = RoomFor(control, tm);
  RECT need = {0, 0, room.width, tm.tmHeight};
  if (!text.empty())
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &need, room.format | DT_CALCRECT);
  // A one-line edit with no text yet must still have room for a line.
  bool judged = room.width > 0 && (!text.empty() || (room.format & DT_SINGLELINE));
  if (judged && (need.right > room.width || need.bottom > room.height))
    out << " text needs " << need.right << "x" << need.bottom << ", has " << room.width << "x"
        << room.height << ";";
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  if (out.str().empty()) return "";
  return GetClassNameString(control) + " " + std::to_string(GetDlgCtrlID(control)) + " \"" +
         text + "\":" + out.str();
}

// Every problem of the window and of its visible controls, one line each.
std::string LayoutProblems(HWND window) {
  std::string problems;
  RECT r, work;
  GetWindowRect(window, &r);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (r.left < work.left || r.top < work.top || r.right > work.right || r.bottom > work.bottom)
    problems += "  the window leaves the work area: x " + std::to_string(r.left) + " to " +
                std::to_string(r.right) + ", y " + std::to_string(r.top) + " to " +
                std::to_string(r.bottom) + "\n";
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::string problem = IsWindowVisible(c) ? ControlProblem(window, c) : "";
    if (!problem.empty()) problems += "  " + problem + "\n";
  }
  return problems;
}

// One dialog: a control only it has, whether a master password is stored, and its modal loop.
struct Shown {
  const char* name;
  int controlId;
  bool masterStored;
  std::function<void()> run;
};

// Looks at the dialog from a thread of its own while it runs, then closes it through its
// title-bar button. Empty when it came and nothing was wrong.
std::string DialogProblems(const Shown& shown) {
  std::string problems;
  DialogUser user(shown.controlId, [&](HWND dlg) {
    problems = LayoutProblems(dlg);
    PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  shown.run();
  return user.Found() ? problems : "  did not open\n";
}

struct LayoutTest : ::testing::Test {
  TempDir dir{"lay"};
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    // Lets the password dialog go by its title-bar button like the others.
    MasterCloseAllowed = 1;
    WriteFileBytes(dir.File("User.ini"),
                   "[Windows]\r\n1=Gewinnspiel - Microsoft Internet Explorer\r\n"
                   "[DontClose]\r\n1=Online-Banking - Microsoft Internet Explorer\r\n"
                   "[BadWords]\r\n1=casino\r\n[WhiteConnections]\r\n1=T-Online\r\n");
    WriteFileBytes(dir.File("Wachtposten.log"), "01.02.2004 12:00:00 - Werbung\r\n");
  }
  void TearDown() override {
    MasterCloseAllowed = 0;
    SetProgramDirForTests("");
    LanguageOffset = 0;
  }
  void WriteConfig(const std::string& language, bool masterStored) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\nLanguage=" + language + "\r\n" +
                                               (masterStored ? "Master=x\r\n" : ""));
  }
};
}  // namespace

TEST_F(LayoutTest, EveryControlInsideItsWindowAndEveryTextWholeInBothLanguages) {
  const char* setDpi = std::getenv("WP_LOG_PIXELS");
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(setDpi ? std::atoi(setDpi) : 96, GetDeviceCaps(screen, LOGPIXELSX))
      << "the run did not get its dpi";
  ReleaseDC(nullptr, screen);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (const char* size = std::getenv("WP_SCREEN")) {
    // A smaller screen is a virtual desktop whose work area leaves out its taskbar.
    std::ostringstream got;
    got << GetSystemMetrics(SM_CXSCREEN) << "x" << GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(size, got.str()) << "the run did not get its screen";
    ASSERT_LT(work.bottom - work.top, GetSystemMetrics(SM_CYSCREEN)) << "no taskbar";
  }
  const Shown dialogs[] = {
      {"general options", IDC_OPT_LISTBOX1, false, [] { TFOptions().RunModal(); }},
      {"log viewer", IDC_LOG_LISTBOX1, false, [] { TFLog("Popup").RunModal(); }},
      {"about box", IDC_AB_PANEL1, false, [] { TFAboutBox().RunModal(); }},
      {"password, defining", IDE_MP_EDIT1, false, [] { TFMasterPassword().RunModal(); }},
      {"password, asking", IDE_MP_EDIT1, true, [] { TFMasterPassword().RunModal(); }},
      {"dialer options", IDC_DO_LISTBOX1, false, [] { FDialerOptions->RunModal(); }},
      {"connection picker", IDC_CL_LISTBOX1, false, [] { FConnectionList->RunModal(); }},
      // A name longer than the dialog is wide: the dialog grows to show it whole.
      {"dial-up warning", IDB_DU_BUTTON1, false,
       [] {
         TFDialUp(LanguageOffset,
                  "T-Online Flatrate ISDN, beide B-Kan\xE4le geb\xFCndelt, Nebenstelle")
             .RunModal();
       }},
      {"premium-rate check", IDL_C0_LISTBOX1, false, [] { TFCheck0190().RunModal(); }},
      {"cookies", IDC_CK_STRINGGRID1, false, [] { TFCookies().RunModal(); }},
      // The input box with the prompts of its two callers.
      {"input box, number", kInputBoxEditId, false,
       [] { InputBox(Text(txt::DialerNumberCaption), Text(txt::DialerNumberPrompt), ""); }},
      {"input box, word", kInputBoxEditId, false,
       [] { InputBox(Text(txt::WordCaption), Text(txt::WordPrompt), ""); }},
  };
  MessageBoxWatcher boxes;
  for (const char* language : {"de", "en"}) {
    SCOPED_TRACE(language);
    WriteConfig(language, false);
    // The main window makes the settings and the lists that the dialogs read.
    TFWachtposten_Main form;
    TFConnectionList picker;
    TFDialerOptions dialerOptions;
    FConnectionList = &picker;
    FDialerOptions = &dialerOptions;
    form.RestoreFromTray();
    EXPECT_EQ("", LayoutProblems(form.hwnd())) << "main window";
    for (const Shown& shown : dialogs) {
      WriteConfig(language, shown.masterStored);
      EXPECT_EQ("", DialogProblems(shown)) << shown.name;
    }
    FConnectionList = nullptr;
    FDialerOptions = nullptr;
  }
  EXPECT_EQ(std::vector<std::string>{}, boxes.Texts());
}
