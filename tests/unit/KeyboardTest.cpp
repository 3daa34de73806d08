// The keyboard alone reaches every command: real key presses (SendInput) walk the main window
// and the dialogs with Tab, and Enter and Space run the link-styled commands.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "About.h"
#include "AboutRes.h"
#include "AppPaths.h"
#include "Check0190Res.h"
#include "Connection.h"
#include "Connectionlist.h"
#include "Controls.h"
#include "Cookies.h"
#include "CookiesRes.h"
#include "DialerOptionsRes.h"
#include "Dialeroptions.h"
#include "DialogUser.h"
#include "Dialup.h"
#include "DialupRes.h"
#include "InputBox.h"
#include "MainWindow.h"
#include "MessageBoxWatcher.h"
#include "Options.h"
#include "OptionsRes.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"

namespace {
using Ids = std::vector<int>;

// The controls Tab reaches from the focus on, once round: up to where the focus comes back,
// or stays put (then the last id is 0).
Ids TabWalk(HWND window, WORD modifier = 0) {
  Ids ids;
  HWND start = FocusOf(window), at = start;
  for (int i = 0; i < 40; ++i) {
    HWND next = PressKeyAndWaitFocus(window, at, VK_TAB, modifier);
    if (next == at) {
      ids.push_back(0);
      break;
    }
    ids.push_back(GetDlgCtrlID(next));
    if (next == start) break;
    at = next;
  }
  return ids;
}

// `walk` (one round) holds `expected` in this order, counted from expected's first.
bool Passes(Ids walk, const Ids& expected) {
  auto first = std::find(walk.begin(), walk.end(), expected.front());
  if (first == walk.end()) return false;
  std::rotate(walk.begin(), first, walk.end());
  auto at = walk.begin();
  for (int id : expected) {
    at = std::find(at, walk.end(), id);
    if (at == walk.end()) return false;
  }
  return true;
}

// Tabs from the focus until it stands on the control; false when Tab does not get there.
bool TabTo(HWND window, int id) {
  for (int i = 0; i < 25 && GetDlgCtrlID(FocusOf(window)) != id; ++i)
    PressKeyAndWaitFocus(window, FocusOf(window), VK_TAB);
  return GetDlgCtrlID(FocusOf(window)) == id;
}

// The pixels of a control as drawn now.
std::vector<COLORREF> Pixels(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  std::vector<COLORREF> px;
  HDC dc = GetDC(control);
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) px.push_back(GetPixel(dc, x, y));
  ReleaseDC(control, dc);
  return px;
}

struct KeyboardTest : ::testing::Test {
  TempDir dir{"keys"};
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\nLanguage=de\r\n");
    WriteFileBytes(dir.File("User.ini"), "[BadWords]\r\n1=casino\r\n[WhiteConnections]\r\n1=T-Online\r\n");
  }
  void TearDown() override { SetProgramDirForTests(""); }
};
}  // namespace

TEST_F(KeyboardTest, MainWindowTabsThroughListsAndCommandsWhichEnterAndSpaceRun) {
  MessageBoxWatcher boxes;
  TFWachtposten_Main form;
  form.RestoreFromTray();
  HWND me = form.hwnd();
  HWND close = form.Label2.hwnd();
  Ids forward, backward;
  HWND focusAfterBox = nullptr;
  bool focusShown = false, menuByAlt = false;
  std::size_t boxesAfterListKeys = 0;
  std::atomic<bool> done{false};
  std::thread user([&] {
    forward = TabWalk(me);
    backward = TabWalk(me, VK_SHIFT);
    if (TabTo(me, IDC_Label2)) {
      // The focus frame comes with the focus and goes with it.
      std::vector<COLORREF> focused = Pixels(close);
      PressKeyAndWaitFocus(me, close, VK_TAB);
      for (DWORD t = GetTickCount(); !focusShown && GetTickCount() - t < 1000; Sleep(20))
        focusShown = Pixels(close) != focused;
      PressKeyAndWaitFocus(me, FocusOf(me), VK_TAB, VK_SHIFT);
      PressKey(VK_RETURN);  // nothing is marked: the command says so
      boxes.WaitForCount(1, kDialogWaitMs);
      for (DWORD t = GetTickCount(); FocusOf(me) != close && GetTickCount() - t < 3000;) Sleep(20);
      focusAfterBox = FocusOf(me);
    }
    if (TabTo(me, IDC_Label3)) {
      PressKey(VK_SPACE);
      boxes.WaitForCount(2, kDialogWaitMs);
    }
    // On a list Enter and Esc do nothing; Alt and a letter still open the menu.
    if (TabTo(me, IDC_ListBox1)) {
      PressKey(VK_RETURN);
      PressKey(VK_ESCAPE);
      Sleep(500);
      boxesAfterListKeys = boxes.Texts().size();
      PressKey('D', VK_MENU);
      GUITHREADINFO info = {};
      info.cbSize = sizeof info;
      for (DWORD t = GetTickCount(); !menuByAlt && GetTickCount() - t < 1000; Sleep(20))
        menuByAlt = GetGUIThreadInfo(GetWindowThreadProcessId(me, nullptr), &info) &&
                    (info.flags & GUI_INMENUMODE);
      PressKey(VK_ESCAPE);
      PressKey(VK_ESCAPE);
    }
    done = true;
    PostMessageA(me, WM_NULL, 0, 0);
  });
  MSG msg;
  while (!done && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (WindowDialogKeys(me, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  user.join();
  EXPECT_EQ((Ids{IDC_ListBox2, IDC_Label2, IDC_ListBox3, IDC_Label3, IDC_ListBox1}), forward);
  EXPECT_EQ((Ids{IDC_Label3, IDC_ListBox3, IDC_Label2, IDC_ListBox2, IDC_ListBox1}), backward);
  EXPECT_TRUE(focusShown);
  EXPECT_EQ(close, focusAfterBox) << "the focus is back where it was after the box";
  EXPECT_EQ((std::vector<std::string>{Text(txt::CloseNothingMarked), Text(txt::KeepNothingMarked)}),
            boxes.Texts());
  EXPECT_EQ(2u, boxesAfterListKeys);
  EXPECT_TRUE(menuByAlt);
}

TEST_F(KeyboardTest, TabReachesEveryLinkOfEveryDialogAndEnterOrSpaceRunsIt) {
  struct Case {
    const char* name;
    Ids order;  // among the controls Tab reaches, in this order
    std::function<void()> run;
    std::function<void(HWND)> play = nullptr;  // then, from the thread of the dialog's user
  };
  TFWachtposten_Main form;
  TFConnectionList picker;
  TFDialerOptions dialerOptions;
  FConnectionList = &picker;
  FDialerOptions = &dialerOptions;
  bool inputBoxBySpace = false, cookiesLeftByEnter = false;
  const Case cases[] = {
      {"general options",
       {IDT_OPT_LABEL4, IDT_OPT_LABEL1, IDT_OPT_LABEL6, IDT_OPT_LABEL5, IDC_OPT_LISTBOX1,
        IDT_OPT_LABEL7, IDT_OPT_LABEL8, IDB_OPT_SPEICHERN, IDB_OPT_ABBRECHEN},
       [] { TFOptions().RunModal(); }},
      {"dialer options",
       {IDC_DO_LISTBOX1, IDT_DO_LABEL2, IDT_DO_LABEL6, IDC_DO_LISTBOX2, IDT_DO_LABEL3,
        IDT_DO_LABEL4, IDB_DO_BUTTON1, IDB_DO_BUTTON2},
       [] { FDialerOptions->RunModal(); },
       [&](HWND dlg) {
         // "hinzufügen" asks for the number to add.
         if (!TabTo(dlg, IDT_DO_LABEL2)) return;
         PressKey(VK_SPACE);
         inputBoxBySpace = WaitForDialogWith(kInputBoxEditId) != nullptr;
         AnswerInputBox(static_cast<const char*>(nullptr));
       }},
      {"premium-rate check", {IDL_C0_LISTBOX1, IDT_C0_LABEL7, IDT_C0_LABEL8, IDB_C0_BUTTON1},
       [] { TFCheck0190().RunModal(); }},
      {"cookies", {IDC_CK_STRINGGRID1, IDT_CK_LABEL6, IDT_CK_LABEL5},
       [] { TFCookies().RunModal(); },
       [&](HWND dlg) {
         if (!TabTo(dlg, IDT_CK_LABEL5)) return;
         PressKey(VK_RETURN);  // "Beenden"
         cookiesLeftByEnter = WaitGone(dlg);
       }},
      {"about box", {IDT_AB_LABEL5, IDT_AB_LABEL6, IDB_AB_OKBUTTON},
       [] { TFAboutBox().RunModal(); }},
      {"dial-up warning", {IDT_DU_LABEL6, IDB_DU_BUTTON1},
       [] { TFDialUp(0, "T-Online").RunModal(); }},
  };
  MessageBoxWatcher boxes;
  for (const Case& c : cases) {
    Ids walk;
    DialogUser user(c.order.front(), [&](HWND dlg) {
      walk = TabWalk(dlg);
      if (c.play) c.play(dlg);
      if (IsOpen(dlg)) PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    c.run();
    ASSERT_TRUE(user.Found()) << c.name;
    EXPECT_TRUE(Passes(walk, c.order)) << c.name << ": Tab went " << ::testing::PrintToString(walk);
  }
  FConnectionList = nullptr;
  FDialerOptions = nullptr;
  EXPECT_TRUE(inputBoxBySpace);
  EXPECT_TRUE(cookiesLeftByEnter);
  EXPECT_EQ(std::vector<std::string>{}, boxes.Texts());
}
