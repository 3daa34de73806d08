// The real Wachtposten.exe: quitting and deactivating from outside, with and without the
// master password.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Driver.h"
#include "MainWindow.h"
#include "MasterPasswordRes.h"

using namespace e2e;

namespace {
// "pw" as the program stores it: p 25, w 32, their sum 57.
const char kStoredPw[] = "Master=2532\r\nMasterCheck=57\r\n";
const char kAskCaption[] = "Master Passwort";
const char kDefineCaption[] = "ACHTUNG - Master Passwort - ACHTUNG";
// The list of open windows shows browser windows with "Internet" in the title.
const char kAdTitle[] = "Werbung - Microsoft Internet Explorer";

WindowSpec LargeWindow(const char* cls, const std::string& title) {
  WindowSpec w;
  w.className = cls;
  w.title = title;
  w.width = 800;
  w.height = 600;
  return w;
}

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ProductDir().empty()) << "WP_PRODUCT_DIR is not set";
    ASSERT_TRUE(dir_.CopyProduct()) << "product files missing in " << ProductDir();
  }
  HWND Start(const std::string& config) {
    EXPECT_TRUE(dir_.WriteFile("Config.ini", "[Configuration]\r\n" + config));
    EXPECT_TRUE(proc_.Start(dir_.Exe()));
    HWND main = WaitForMainWindowReady(proc_);
    EXPECT_NE(main, nullptr) << "no main window";
    return main;
  }
  // Waits until it is shown, too: a dialog found the moment it is created is still hidden
  // and shows only when its modal loop first goes idle.
  HWND WaitForPasswordDialog(const char* caption) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow("#32770", caption, proc_.pid())) && IsWindowVisible(found); },
              kStartTimeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
  }
  // Types into the dialog's edit and presses its button.
  void Answer(HWND dialog, const std::string& password) {
    ASSERT_TRUE(Send(Child(dialog, IDE_MP_EDIT1), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(password.c_str())));
    ASSERT_TRUE(PressButton(dialog, IDB_MP_BUTTON1));
  }
  std::string Status(HWND main) { return StatusBarText(Child(main, IDC_StatusBar1)); }
  // Marks a title in the list of open windows, once the scan has listed it, and clicks
  // "close the marked window" (or `link`). With `settle`, a few refreshes of the list first
  // pass, and the mark must stay on the title.
  void MarkAndClose(HWND main, const std::string& title, int link = IDC_Label2,
                    bool settle = false) {
    HWND list = Child(main, IDC_ListBox1);
    int index = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
          std::vector<std::string> items = ListBoxItems(list);
          auto it = std::find(items.begin(), items.end(), title);
          index = it == items.end() ? -1 : static_cast<int>(it - items.begin());
          return index >= 0;
        },
        kStartTimeoutMs));
    ASSERT_TRUE(Send(list, LB_SETCURSEL, static_cast<WPARAM>(index)));
    LRESULT at = LB_ERR;
    auto marked = [&] { return Send(list, LB_GETCURSEL, 0, 0, &at) ? ListBoxItem(list, int(at)) : ""; };
    if (settle) {
      EXPECT_FALSE(WaitUntil([&] { return marked() != title; }, 2500)) << marked();
    }
    HWND label = Child(main, link);
    ASSERT_TRUE(Post(main, WM_COMMAND, MAKEWPARAM(link, STN_CLICKED),
                     reinterpret_cast<LPARAM>(label)));
  }
  bool WaitForToClose(HWND main, const std::string& title) {
    return WaitUntil(
        [&] {
          std::vector<std::string> items = ListBoxItems(main, IDC_ListBox2);
          return std::find(items.begin(), items.end(), title) != items.end();
        },
        kSendTimeoutMs);
  }

  ProgramDir dir_{"Wachtposten commands"};
  Process proc_;
};
}  // namespace

// Both interfaces open the one page: it declares its charset, and its top leads to each part.
TEST_F(Commands, TheHelpPageShipsBesideTheProgramInBothLanguages) {
  std::string page = ReadFileBytes(ProductDir() + "Wachtposten.html");
  EXPECT_NE(std::string::npos, page.find("<html lang=\"de\">"));
  EXPECT_NE(std::string::npos, page.find("charset=utf-8"));
  for (const char* part : {"de", "en"}) {
    EXPECT_NE(std::string::npos, page.find(std::string("<a name=\"") + part + "\">")) << part;
    EXPECT_NE(std::string::npos, page.find(std::string("href=\"#") + part + "\"")) << part;
  }
  EXPECT_LT(page.find("href=\"#en\""), page.find("<h1>"));
}

TEST_F(Commands, QuitWithPiSEndsTheProgramWithoutAsking) {
  HWND main = Start("PiS=1\r\n");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostCommand(main, ID_Beenden1));
  DWORD code = 99;
  ASSERT_TRUE(proc_.WaitForExit(kExitTimeoutMs, &code));
  EXPECT_EQ(0u, code);
}

TEST_F(Commands, QuitFromTheTrayMenuNeedsTheRightPassword) {
  HWND main = Start(kStoredPw);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostCommand(main, ID_N2));
  HWND dialog = WaitForPasswordDialog(kAskCaption);
  ASSERT_NE(dialog, nullptr);
  Answer(dialog, "Pw");
  HWND box = WaitForMessageBox(proc_.pid(), kSendTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ("Passwort ung\xFCltig!", MessageBoxText(box));
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitForWindowGone(dialog, kSendTimeoutMs));
  EXPECT_TRUE(proc_.Running());
  EXPECT_TRUE(Send(main, WM_NULL));

  ASSERT_TRUE(PostCommand(main, ID_Beenden1));
  dialog = WaitForPasswordDialog(kAskCaption);
  ASSERT_NE(dialog, nullptr);
  Answer(dialog, "pw");
  DWORD code = 99;
  ASSERT_TRUE(proc_.WaitForExit(kExitTimeoutMs, &code));
  EXPECT_EQ(0u, code);
}

TEST_F(Commands, TheFirstDeactivationDefinesThePassword) {
  HWND main = Start("");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ("aktiviert ...", Status(main));
  ASSERT_TRUE(PostCommand(main, ID_deaktivieren2));
  HWND dialog = WaitForPasswordDialog(kDefineCaption);
  ASSERT_NE(dialog, nullptr);
  // A character the code table lacks is refused and nothing is stored.
  Answer(dialog, "neu#");
  HWND box = WaitForMessageBox(proc_.pid(), kSendTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(0u, MessageBoxText(box).find("Das Zeichen \"#\" ist im Master-Passwort nicht erlaubt."));
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitForWindowGone(box, kSendTimeoutMs));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(std::string::npos, dir_.ReadFile("Config.ini").find("Master"));

  Answer(dialog, "neu");
  ASSERT_TRUE(WaitForWindowGone(dialog, kSendTimeoutMs));
  ASSERT_TRUE(WaitUntil([&] { return Status(main) == "deaktiviert ..."; }, kSendTimeoutMs));
  // n 23, e 14, u 30.
  std::string config = dir_.ReadFile("Config.ini");
  EXPECT_NE(std::string::npos, config.find("Master=231430")) << config;
  EXPECT_NE(std::string::npos, config.find("MasterCheck=67")) << config;

  ASSERT_TRUE(PostCommand(main, ID_aktivieren1));
  ASSERT_TRUE(WaitUntil([&] { return Status(main) == "aktiviert ..."; }, kSendTimeoutMs));
  EXPECT_EQ(nullptr, FindTopWindow("#32770", kAskCaption, proc_.pid()));
}

TEST_F(Commands, ClosingTheMarkedWindowSparesAnotherProgramsWindowOfTheSameTitle) {
  HWND main = Start("LogFilteredPop=1\r\n");
  ASSERT_NE(main, nullptr);
  // Large enough for the small-window rule to leave them alone.
  WindowSpec browser = LargeWindow("IEFrame", kAdTitle);
  WindowSpec editor = LargeWindow("Notepad", kAdTitle);
  editor.front = true;  // the system's search by title alone would find it first
  FixtureWindows fx({browser, editor});
  ASSERT_TRUE(fx.ok());

  MarkAndClose(main, kAdTitle);
  ASSERT_TRUE(WaitForWindowGone(fx.window(0), kSendTimeoutMs));
  ASSERT_TRUE(WaitForToClose(main, kAdTitle));
  EXPECT_TRUE(IsWindow(fx.window(1)));
  ASSERT_EQ(1u, fx.CloseRequests().size());
  EXPECT_EQ("SC_CLOSE", fx.CloseRequests()[0].kind);
  EXPECT_NE(std::string::npos, dir_.ReadFile("User.ini").find(std::string("1=") + kAdTitle));
  EXPECT_NE(std::string::npos,
            dir_.ReadFile("Wachtposten.log").find(std::string(" - ") + kAdTitle))
      << "log: [" << dir_.ReadFile("Wachtposten.log") << "] ini: " << dir_.ReadFile("User.ini");
}

TEST_F(Commands, TheMarkedWindowIsTheOneOfExactlyThatTitleNotItsCaseTwin) {
  HWND main = Start("");
  std::string lower = "werbung - Microsoft Internet Explorer";
  WindowSpec front = LargeWindow("Notepad", "Editor");
  front.front = true;
  // The twin in upper case stands in front of the marked ones.
  FixtureWindows fx({LargeWindow("IEFrame", lower), LargeWindow("IEFrame", kAdTitle),
                     LargeWindow("IEFrame", "WERBUNG - Microsoft Internet Explorer"), front});
  ASSERT_TRUE(fx.ok());
  MarkAndClose(main, kAdTitle, IDC_Label2, true);
  ASSERT_TRUE(WaitForWindowGone(fx.window(1), kSendTimeoutMs) && WaitForToClose(main, kAdTitle));
  MarkAndClose(main, lower, IDC_Label3, true);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(main, IDC_ListBox3) == std::vector<std::string>{lower}; },
                        kSendTimeoutMs));
  EXPECT_TRUE(IsWindow(fx.window(0)) && IsWindow(fx.window(2)));
  EXPECT_NE(std::string::npos, dir_.ReadFile("User.ini").find(std::string("1=") + kAdTitle));
}

TEST_F(Commands, AHungBrowserWindowDoesNotFreezeTheGuard) {
  HWND main = Start("");
  ASSERT_NE(main, nullptr);
  WindowSpec hung = LargeWindow("IEFrame", "H\xE4ngt - Microsoft Internet Explorer");
  hung.hung = true;
  WindowSpec front = LargeWindow("Notepad", "Editor");
  front.front = true;  // the list of open windows leaves out the first window
  FixtureWindows fx({hung, front});
  ASSERT_TRUE(fx.ok());

  double start = NowMs();
  MarkAndClose(main, hung.title);
  ASSERT_TRUE(WaitForToClose(main, hung.title));
  EXPECT_TRUE(Send(main, WM_NULL));
  EXPECT_LT(NowMs() - start, 4500.0) << "the close request waits about 2 s at most";
  EXPECT_NE(std::string::npos, dir_.ReadFile("User.ini").find("1=H\xE4ngt - "));
}

// With the main window topmost, each dialog and box stands in front of it and has the keyboard,
// opened from the tray menu with the window hidden or with it shown; a tray click shows the
// window beneath it. Opened with the window hidden, it has a taskbar button of its own, and
// none beside a shown window. The launcher's requests are answered meanwhile.
TEST_F(Commands, DialogsAndBoxesStandInFrontOfATopmostMainWindow) {
  HWND main = Start("StayOnTop=1\r\n");
  ASSERT_TRUE(main && IsTopmost(main));
  auto inFront = [&](const char* caption, bool trayClick) {
    bool hidden = !IsWindowVisible(main);
    HWND dialog = WaitForTopWindow("#32770", caption, proc_.pid(), kStartTimeoutMs);
    EXPECT_TRUE(WaitUntil([&] { return NotInFront(dialog, main).empty(); }, kSendTimeoutMs))
        << caption << ": " << NotInFront(dialog, main);
    EXPECT_EQ(hidden, HasTaskbarButton(dialog)) << caption;
    if (trayClick && SendTrayMouse(main, WM_LBUTTONUP)) {
      EXPECT_EQ("", NotInFront(dialog, main)) << caption << ", tray click";
    }
    LRESULT result = 1;
    EXPECT_TRUE(Send(main, WM_KEEPBROWSER, 0, 0, &result) && result == 0) << caption;
    return dialog;
  };
  ASSERT_TRUE(PostCommand(main, ID_Allgemein2));
  Answer(inFront(kDefineCaption, true), "neu");
  HWND dialog = inFront("Einstellungen", false);
  ASSERT_TRUE(Post(dialog, WM_SYSCOMMAND, SC_CLOSE) && WaitForWindowGone(dialog, kSendTimeoutMs));
  ASSERT_TRUE(PostCommand(main, ID_Info1));
  dialog = inFront("Info ...", false);
  ASSERT_TRUE(Post(dialog, WM_SYSCOMMAND, SC_CLOSE) && WaitForWindowGone(dialog, kSendTimeoutMs));
  // "Close the marked window" with nothing marked: a box, with the window back in the tray.
  ASSERT_TRUE(Post(main, WM_SYSCOMMAND, SC_MINIMIZE) &&
              WaitUntil([&] { return !IsWindowVisible(main); }, kSendTimeoutMs));
  ASSERT_TRUE(Post(main, WM_COMMAND, MAKEWPARAM(IDC_Label2, STN_CLICKED),
                   reinterpret_cast<LPARAM>(Child(main, IDC_Label2))));
  EXPECT_TRUE(PressButton(inFront("Wachtposten", true), IDOK));
}
