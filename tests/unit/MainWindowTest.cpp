#include "MainWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "AppPaths.h"
#include "DialogUser.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"

namespace {
struct MainWindowTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    ScanningActive = 1;
    CloseReason = 0;
  }
  void TearDown() override { SetProgramDirForTests(""); }
  void WriteConfig(const std::string& body) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n" + body);
  }
};
}  // namespace

TEST_F(MainWindowTest, StartsHiddenInTheTrayWithTheListsOfUserIni) {
  WriteFileBytes(dir.File("User.ini"),
                 "[Windows]\r\n1=Werbung - Microsoft Internet Explorer\r\n2=Casino\r\n"
                 "[DontClose]\r\n1=Bank - Microsoft Internet Explorer\r\n"
                 "[BadWords]\r\n1=casino\r\n[WhiteConnections]\r\n1=T-Online\r\n");
  TFWachtposten_Main form;
  ASSERT_NE(nullptr, form.hwnd());
  EXPECT_EQ(&form, FWachtposten_Main);
  EXPECT_EQ(kMainWindowClass, GetClassNameString(form.hwnd()));
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_TRUE(form.TrayIcon1.Added());
  EXPECT_EQ(form.ImageList1[1], form.TrayIcon1.Icon());
  EXPECT_EQ((std::vector<std::string>{"Werbung - Microsoft Internet Explorer", "Casino"}),
            form.ListBox2.Items());
  EXPECT_EQ((std::vector<std::string>{"Bank - Microsoft Internet Explorer"}), form.ListBox3.Items());
  ASSERT_NE(nullptr, BadWordList);
  EXPECT_EQ((StringList{"1=casino"}), *BadWordList);
  EXPECT_EQ((StringList{"1=T-Online"}), TrustedConnectionList);
  EXPECT_TRUE(form.Timer1.Enabled());
  EXPECT_FALSE(form.Timer2.Enabled());
  EXPECT_FALSE(form.IExplorer1.Enabled());
  EXPECT_EQ(1, form.IExplorer1.MaxWindows());
  // Explorer restarted: the icon comes back.
  form.TrayIcon1.Remove();
  SendMessageA(form.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(form.TrayIcon1.Added());
  RECT rc;
  GetClientRect(form.hwnd(), &rc);
  EXPECT_EQ(473, rc.right);
  EXPECT_EQ(509, rc.bottom);
}

TEST_F(MainWindowTest, LanguageFollowsTheFirstTwoCharactersCaseSensitively) {
  struct Case {
    const char* stored;
    int offset;
  } cases[] = {{nullptr, 0}, {"de", 0}, {"deutsch", 0}, {"DE", kEnglishOffset},
               {"En", kEnglishOffset}, {"", kEnglishOffset}, {"fr", kEnglishOffset}};
  // Missing first: one that had content a moment ago would count as on its way back.
  for (const Case& c : cases) {
    if (c.stored)
      WriteConfig(std::string("Language=") + c.stored + "\r\n");
    else
      DeleteFileA(dir.File("Config.ini").c_str());
    TFWachtposten_Main form;
    EXPECT_EQ(c.offset, LanguageOffset) << (c.stored ? c.stored : "(missing)");
  }
}

TEST_F(MainWindowTest, TextsFollowTheLanguageSwitch) {
  TFWachtposten_Main form;
  EXPECT_EQ("aktuell ge\xF6" "ffnete Fenster", form.GroupBox2.GetText());
  EXPECT_EQ("aktiviert ...", form.StatusBar1.SimpleText());
  EXPECT_EQ("&Datei", MenuItemText(form.MainMenu1, ID_Datei1));
  EXPECT_EQ("&Cookies l\xF6schen", MenuItemText(form.PopupMenu1, ID_Cookieslschen2));
  EXPECT_EQ("&Alle Cookies l\xF6schen", MenuItemText(form.MainMenu1, ID_Cookieslschen1));

  form.englisch1Click();
  EXPECT_EQ(kEnglishOffset, LanguageOffset);
  EXPECT_EQ("current opened windows", form.GroupBox2.GetText());
  EXPECT_EQ("windows never close", form.GroupBox3.GetText());
  EXPECT_EQ("kill marked window", form.Label2.GetText());
  EXPECT_EQ("&File", MenuItemText(form.MainMenu1, ID_Datei1));
  EXPECT_EQ("&Settings", MenuItemText(form.MainMenu1, ID_Einstellungen1));
  EXPECT_EQ("&Options", MenuItemText(form.MainMenu1, ID_Extras1));
  EXPECT_EQ("Hel&p", MenuItemText(form.MainMenu1, ID_Hilfe1));
  EXPECT_EQ("&Cookies", MenuItemText(form.MainMenu1, ID_Cookies1));
  EXPECT_EQ("&Homepage", MenuItemText(form.MainMenu1, ID_Homepage1));
  EXPECT_EQ("&Close", MenuItemText(form.PopupMenu1, ID_N2));
  EXPECT_EQ("activated ...", form.StatusBar1.SimpleText());

  ScanningActive = 0;
  form.deutsch1Click();
  EXPECT_EQ("deaktiviert ...", form.StatusBar1.SimpleText());
  char lang[8];
  GetPrivateProfileStringA("Configuration", "Language", "", lang, sizeof lang,
                           dir.File("Config.ini").c_str());
  EXPECT_STREQ("de", lang);
}

TEST_F(MainWindowTest, CloseButtonHidesToTheTrayAndEndOfSessionCloses) {
  TFWachtposten_Main form;
  ShowWindow(form.hwnd(), SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form.hwnd()));
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));

  // A shutdown that another program cancels leaves everything running.
  EXPECT_EQ(TRUE, SendMessageA(form.hwnd(), WM_QUERYENDSESSION, 0, 0));
  SendMessageA(form.hwnd(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(IsWindow(form.hwnd()));
  EXPECT_TRUE(form.Timer1.Enabled());

  HWND h = form.hwnd();
  EXPECT_EQ(TRUE, SendMessageA(h, WM_QUERYENDSESSION, 0, 0));
  SendMessageA(h, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(form.Timer1.Enabled());
  EXPECT_EQ(1, CloseReason);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

TEST_F(MainWindowTest, StartUpWriteErrorComesOnlyOnceTheListsStand) {
  // The timers run inside the box: the scan met an empty never-close list there before.
  CreateDirectoryA(dir.File("Config.ini").c_str(), nullptr);
  WriteFileBytes(dir.File("User.ini"), "[DontClose]\r\n1=Bank\r\n2=Post\r\n[BadWords]\r\n1=casino\r\n");
  std::string text;
  LRESULT neverClose = -1;
  int words = -1;
  std::thread user([&] {
    for (int i = 0; i < 1000; ++i) {
      HWND box = FindWindowA("#32770", "Wachtposten");
      if (box && IsWindowVisible(box)) {
        text = MessageBoxText(box);
        HWND main = FindWindowA(kMainWindowClass, nullptr);
        neverClose = SendMessageA(GetDlgItem(main, IDC_ListBox3), LB_GETCOUNT, 0, 0);
        words = BadWordList ? static_cast<int>(BadWordList->size()) : -1;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  });
  {
    TFWachtposten_Main form;
    user.join();
    EXPECT_EQ("nach " + dir.File("Config.ini") + " kann nicht geschrieben werden", text);
    EXPECT_EQ(2, neverClose);
    EXPECT_EQ(1, words);
  }
}

TEST_F(MainWindowTest, StayOnTopGivesATopmostWindow) {
  WriteConfig("StayOnTop=1\r\n");
  TFWachtposten_Main form;
  ASSERT_TRUE(Config->GetStayOnTop());
  EXPECT_TRUE(GetWindowLongA(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  form.ApplyStayOnTop();
  EXPECT_TRUE(GetWindowLongA(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "again";
  ShowWindow(form.hwnd(), SW_SHOW);
  EXPECT_TRUE(GetWindowLongA(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "shown";
}

TEST_F(MainWindowTest, TabWalksListsAndCommandsWhichShowTheFocusAndRunOnEnterOrSpace) {
  MessageBoxWatcher boxes;
  TFWachtposten_Main form;
  form.RestoreFromTray();
  HWND me = form.hwnd(), close = form.Label2.hwnd();
  std::vector<int> walk;
  bool framed = false;
  HWND focusAfterBox = nullptr;
  std::atomic<bool> done{false};
  std::thread user([&] {
    walk = TabWalk(me);
    auto leftEdge = [close] {
      std::vector<COLORREF> px;
      HDC dc = GetDC(close);
      for (int y = 0; y < 12; ++y) px.push_back(GetPixel(dc, 0, y));
      ReleaseDC(close, dc);
      return px;
    };
    std::vector<COLORREF> plain = leftEdge();
    TabTo(me, IDC_Label2);
    for (DWORD t = GetTickCount(); !framed && GetTickCount() - t < 1000; Sleep(20))
      framed = leftEdge() != plain;
    PressKey(VK_RETURN);  // nothing is marked: each command says so
    boxes.WaitForCount(1, kDialogWaitMs);
    for (DWORD t = GetTickCount(); FocusOf(me) != close && GetTickCount() - t < 3000;) Sleep(20);
    focusAfterBox = FocusOf(me);
    if (TabTo(me, IDC_Label3)) PressKey(VK_SPACE);
    boxes.WaitForCount(2, kDialogWaitMs);
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
  EXPECT_EQ((std::vector<int>{IDC_ListBox2, IDC_Label2, IDC_ListBox3, IDC_Label3, IDC_ListBox1}),
            walk);
  EXPECT_TRUE(framed);
  EXPECT_EQ(close, focusAfterBox) << "the focus is back where it was";
  EXPECT_EQ((std::vector<std::string>{Text(txt::CloseNothingMarked), Text(txt::KeepNothingMarked)}),
            boxes.Texts());
}
