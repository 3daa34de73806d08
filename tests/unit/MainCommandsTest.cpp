#include "MainCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "AppPaths.h"
#include "ConfigIni.h"
#include "DialogUser.h"
#include "MainWindow.h"
#include "MasterPassword.h"
#include "MessageBoxWatcher.h"
#include "OptionsRes.h"
#include "Password.h"
#include "PasswordDialogUser.h"
#include "Strings.h"
#include "TempDir.h"

namespace {
const char kNothingMarked[] = "Sie m\xFCssen zuerst einen Eintrag in der oberen Liste markieren!";
constexpr DWORD kNoDialogWaitMs = 300;
constexpr DWORD kSendTimeoutMs = 3000;

std::vector<std::pair<HWND, std::string>> opened;
void RecordOpen(HWND parent, const std::string& target) { opened.emplace_back(parent, target); }

HWND MakeTopWindow(const char* cls, const char* title) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  RegisterClassA(&wc);  // a second registration of the class fails harmlessly
  return CreateWindowExA(0, cls, title, WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

struct MainCommandsTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    ScanningActive = 1;
    CloseReason = 0;
    LanguageOffset = 0;
    MasterAccessGranted = 0;
    MasterCloseAllowed = 0;
    opened.clear();
    ShellOpen = &RecordOpen;
  }
  void TearDown() override {
    ShellOpen = &ShellOpenDefault;
    SetProgramDirForTests("");
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}  // a WM_QUIT of a closed window
  }
  void WriteConfig(const std::string& body) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n" + body);
  }
  void Define(const std::string& password) {
    cPassword codec;
    codec.SaveMaster(password);
    codec.SaveMasterCheck(password);
  }
  // The lines "key=value" of a User.ini section.
  std::vector<std::string> Section(const char* name) {
    char buf[4096];
    DWORD n = GetPrivateProfileSectionA(name, buf, sizeof buf, dir.File("User.ini").c_str());
    std::vector<std::string> lines;
    for (const char* p = buf; p < buf + n && *p; p += lstrlenA(p) + 1) lines.push_back(p);
    return lines;
  }
  // Runs a menu command while a user plays the password dialog, if one comes.
  DialogSeen Command(TFWachtposten_Main& form, int id, const std::vector<DialogStep>& steps,
                     std::function<void(HWND)> whileOpen = nullptr) {
    PasswordDialogUser user(steps, steps.empty() ? kNoDialogWaitMs : 5000, std::move(whileOpen));
    form.OnMenuCommand(id);
    if (steps.empty()) Sleep(kNoDialogWaitMs);  // give a wrongly shown dialog time to appear
    return user.Seen();
  }
  void Mark(TFWachtposten_Main& form, const std::vector<std::string>& items, int selected) {
    form.ListBox1.SetItems(items);
    form.ListBox1.Select(selected);
  }
  void ExpectActive(TFWachtposten_Main& form, bool active, bool counter) {
    EXPECT_EQ(active ? 1 : 0, ScanningActive);
    EXPECT_EQ(active ? "aktiviert ..." : "deaktiviert ...", form.StatusBar1.SimpleText());
    // No check interval is stored here: the timed check stays off in either state.
    EXPECT_FALSE(form.Timer2.Enabled());
    EXPECT_EQ(active, form.TimerEnumConn.Enabled());
    EXPECT_EQ(counter, form.IExplorer1.Enabled());
    EXPECT_EQ(form.ImageList1[active ? 1 : 0], form.TrayIcon1.Icon());
  }
};
}  // namespace

TEST(CloseMarkedWindow, ClosesOnlyABrowserWindowWithExactlyThatTitle) {
  HWND a = reinterpret_cast<HWND>(1), b = reinterpret_cast<HWND>(2),
       c = reinterpret_cast<HWND>(3), d = reinterpret_cast<HWND>(4);
  std::vector<TopLevelWindow> frontToBack = {{a, "Notepad", "Werbung"},
                                             {b, "IEFrame", "werbung"},
                                             {c, "Internet Explorer_Server", "Werbung"},
                                             {d, "CabinetWClass", "Werbung"},
                                             {a, "IEFrame", "Werbung"}};
  EXPECT_EQ(d, BrowserWindowTitled(frontToBack, "Werbung"));
  EXPECT_EQ(b, BrowserWindowTitled(frontToBack, "werbung"));
  EXPECT_EQ(nullptr, BrowserWindowTitled(frontToBack, "Werbung "));
  EXPECT_EQ(nullptr, BrowserWindowTitled({{a, "Notepad", "Werbung"}}, "Werbung"));
  EXPECT_EQ(nullptr, BrowserWindowTitled({}, ""));
}

TEST_F(MainCommandsTest, EveryMenuItemStandsInItsPlaceAndIsEnabled) {
  TFWachtposten_Main form;
  // The menus as text: an item's ID, "-" for a separator, a submenu's ID with its items in
  // braces. Items with a caption and enabled are noted in `commands`.
  std::vector<std::string> problems;
  std::function<std::string(HMENU)> outline = [&](HMENU menu) {
    std::string out;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
      MENUITEMINFOA mi = {};
      mi.cbSize = sizeof mi;
      mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STATE;
      GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi);
      out += i ? " " : "";
      if (mi.fType & MFT_SEPARATOR) {
        out += "-";
        continue;
      }
      int id = static_cast<int>(mi.wID);
      out += std::to_string(id);
      if (MenuItemText(menu, id).empty()) problems.push_back("no caption: " + std::to_string(id));
      if (mi.hSubMenu) {
        out += "{" + outline(mi.hSubMenu) + "}";
        if (TFWachtposten_Main::CommandAvailable(id)) problems.push_back("submenu runs: " + std::to_string(id));
      } else if (mi.fState & MFS_GRAYED) {
        problems.push_back("greyed: " + std::to_string(id));
      }
    }
    return out;
  };
  auto item = [](int id) { return std::to_string(id); };
  auto line = [](const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? " " : "") + items[i];
    return out;
  };
  auto sub = [&](int id, const std::vector<std::string>& items) {
    return item(id) + "{" + line(items) + "}";
  };
  EXPECT_EQ(line({sub(ID_Datei1, {item(ID_aktivieren1), item(ID_deaktivieren1), "-",
                                  item(ID_Verbindungtrennen2), "-", item(ID_Beenden1)}),
                  sub(ID_Einstellungen1, {item(ID_Allgemein1), item(ID_N0190berprfung1),
                                          sub(ID_Sprache1, {item(ID_deutsch1), item(ID_englisch1)})}),
                  sub(ID_Extras1, {sub(ID_Cookies1, {item(ID_Cookieslschen1), item(ID_Cookiesselektivlschen1)}),
                                   item(ID_Verlauflschen1), item(ID_TemporreInternetDateienlschen1),
                                   item(ID_Extras2)}),
                  item(ID_Check01901),
                  sub(ID_Hilfe1, {item(ID_WachtpostenHilfe1), "-", item(ID_Homepage1), "-",
                                  item(ID_Info1)})}),
            outline(form.MainMenu1));
  EXPECT_EQ(line({item(ID_aktivieren2), item(ID_deaktivieren2), "-",
                  sub(ID_Einstellungen2, {item(ID_Allgemein2), item(ID_N0190berprfung2)}), "-",
                  sub(ID_InternetExplorer2, {item(ID_Cookieslschen2), item(ID_Verlauflschen2),
                                             item(ID_TemporreInternetDateienlschen2),
                                             item(ID_TypedURLslschen1)}),
                  "-", item(ID_Check01902), item(ID_Verbindungtrennen1), "-", item(ID_N2)}),
            outline(form.PopupMenu1));
  EXPECT_EQ(std::vector<std::string>(), problems);

  // A submenu's ID carries no command, even when it arrives.
  MessageBoxWatcher boxes;
  EXPECT_FALSE(Command(form, ID_Einstellungen1, {}).found);
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_TRUE(opened.empty());

  form.OnMenuCommand(ID_WachtpostenHilfe1);
  form.OnMenuCommand(ID_Homepage1);
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ(form.hwnd(), opened[0].first);
  EXPECT_EQ(dir.File("Wachtposten.html"), opened[0].second);
  EXPECT_EQ(kHomepageUrl, opened[1].second);
  EXPECT_EQ(0u, opened[1].second.find("https://"));

  // The check timer's tick: the phonebook check, silent when it finds nothing (the phonebook
  // is empty), then the outside library's dialer search.
  std::string calls = dir.File("rufsperre.log");
  SetEnvironmentVariableA("RUFSPERRE_LOG", calls.c_str());
  form.Timer2Timer();
  SetEnvironmentVariableA("RUFSPERRE_LOG", nullptr);
  EXPECT_EQ("CheckDialer\r\n", ReadFileBytes(calls));
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(MainCommandsTest, WithPiSSwitchingAndQuittingNeedNoPassword) {
  WriteConfig("PiS=1\r\nExclusivWindow=1\r\n");
  Define("pw");  // stored, but PiS lets every command through without it
  TFWachtposten_Main form;
  // At start the timers run only as the settings say; the counter follows ExclusivWindow.
  EXPECT_FALSE(form.Timer2.Enabled());
  EXPECT_TRUE(form.IExplorer1.Enabled());

  EXPECT_FALSE(Command(form, ID_deaktivieren2, {}).found);
  ExpectActive(form, false, false);
  EXPECT_EQ(0, MasterAccessGranted);
  EXPECT_FALSE(Command(form, ID_aktivieren1, {}).found);
  ExpectActive(form, true, true);
  EXPECT_FALSE(Command(form, ID_deaktivieren1, {}).found);
  ExpectActive(form, false, false);
  // Activating twice repeats the steps.
  form.OnMenuCommand(ID_aktivieren2);
  form.OnMenuCommand(ID_aktivieren2);
  ExpectActive(form, true, true);

  HWND h = form.hwnd();
  EXPECT_FALSE(Command(form, ID_N2, {}).found);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(MainCommandsTest, TheTimedCheckRunsOnlyAtItsStoredIntervalWhateverSwitchesTheGuardOn) {
  struct Case {
    const char* stored;
    int setWhileOff, setWhileOn;  // Set0190CheckInterval while deactivated, then while active
    UINT expectedMs;              // the timer after activation by each menu item; 0: off
  };
  const Case cases[] = {
      {"0", -1, -1, 0},       // the check never switched on: activation leaves it off
      {"3", -1, -1, 30000},   // the stored interval, as at start
      {"0", 20, -1, 200000},  // switched on while deactivated: runs from the activation
      {"3", -1, 0, 0},        // switched off while active: stops, and activation leaves it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored + std::string(" ") + std::to_string(c.setWhileOff) + " " +
                 std::to_string(c.setWhileOn));
    WriteConfig(std::string("PiS=1\r\n0190CheckInterval=") + c.stored + "\r\n");
    ScanningActive = 1;
    TFWachtposten_Main form;
    EXPECT_EQ(std::string(c.stored) != "0", form.Timer2.Enabled());
    if (c.setWhileOn >= 0) {
      Config->Set0190CheckInterval(c.setWhileOn, c.setWhileOn != 0);
      EXPECT_FALSE(form.Timer2.Enabled());
    }
    for (int activate : {ID_aktivieren1, ID_aktivieren2}) {
      form.OnMenuCommand(ID_deaktivieren1);
      EXPECT_FALSE(form.Timer2.Enabled());
      if (c.setWhileOff >= 0) Config->Set0190CheckInterval(c.setWhileOff, true);
      EXPECT_FALSE(form.Timer2.Enabled());
      form.OnMenuCommand(activate);
      ASSERT_EQ(1, ScanningActive);
      EXPECT_EQ(c.expectedMs != 0, form.Timer2.Enabled());
      if (c.expectedMs) {
        EXPECT_EQ(c.expectedMs, form.Timer2.Interval());
      }
    }
  }
}

TEST_F(MainCommandsTest, TheWindowLimitSwitchedOnWhileDeactivatedClosesNothing) {
  WriteConfig("PiS=1\r\nExclusivWindowCount=1\r\n");
  TFWachtposten_Main form;
  form.OnMenuCommand(ID_deaktivieren1);
  HWND back = MakeTopWindow("IEFrame", "Hinten - Microsoft Internet Explorer");
  HWND front = MakeTopWindow("IEFrame", "Vorn - Microsoft Internet Explorer");
  // Large, so that the pop-up scan leaves them to the counter.
  for (HWND w : {back, front})
    SetWindowPos(w, HWND_TOP, 0, 0, 900, 700, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  auto pump = [](DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
  };

  DialogUser options(IDC_OPT_LISTBOX1, [](HWND dlg) {
    SendMessageA(GetDlgItem(dlg, IDX_OPT_CHECKBOX6), BM_CLICK, 0, 0);
    Click(dlg, IDB_OPT_SPEICHERN);
  });
  form.OnMenuCommand(ID_Allgemein1);
  ASSERT_TRUE(options.Found());
  pump(500);
  EXPECT_TRUE(Config->GetExclusivWindow());
  EXPECT_EQ(1, GetPrivateProfileIntA("Configuration", "ExclusivWindow", 0, dir.File("Config.ini").c_str()));
  EXPECT_FALSE(form.IExplorer1.Enabled());
  EXPECT_TRUE(IsWindow(front) && IsWindow(back)) << "nothing is closed while deactivated";

  form.OnMenuCommand(ID_aktivieren1);
  EXPECT_TRUE(form.IExplorer1.Enabled());
  pump(500);
  EXPECT_FALSE(IsWindow(front));
  EXPECT_TRUE(IsWindow(back));
  DestroyWindow(back);
}

TEST_F(MainCommandsTest, DeactivationAsksForTheMasterPassword) {
  TFWachtposten_Main form;
  MessageBoxWatcher boxes;
  form.OnMenuCommand(ID_aktivieren1);
  ExpectActive(form, true, false);

  // The first time the password is defined; Esc leaves everything and goes to the tray.
  ShowWindow(form.hwnd(), SW_SHOW);
  DialogSeen seen = Command(form, ID_deaktivieren1, {{"Geheim", Answer::Escape}});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("ACHTUNG - Master Passwort - ACHTUNG", seen.caption);
  ExpectActive(form, true, false);
  EXPECT_TRUE(form.IsInTray());
  EXPECT_FALSE(FileExists(dir.File("Config.ini")) &&
               GetPrivateProfileIntA("Configuration", "Master", 0, dir.File("Config.ini").c_str()));

  seen = Command(form, ID_deaktivieren2, {{"Geheim", Answer::Button}});
  ASSERT_TRUE(seen.found);
  ExpectActive(form, false, false);
  EXPECT_EQ(0, MasterAccessGranted) << "read once and reset";

  EXPECT_FALSE(Command(form, ID_aktivieren2, {}).found) << "activating needs no password";
  ExpectActive(form, true, false);

  // Asked now: a wrong password refuses, an empty one asks again.
  seen = Command(form, ID_deaktivieren1, {{"geheim", Answer::Button}});
  EXPECT_EQ("Master Passwort", seen.caption);
  ExpectActive(form, true, false);
  seen = Command(form, ID_deaktivieren1, {{"", Answer::Button}, {"Geheim", Answer::Button}});
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  ExpectActive(form, false, false);
  EXPECT_EQ(std::vector<std::string>(2, "Passwort ung\xFCltig!"), boxes.Texts());

  // A hand-edited check refuses the right password each time; the check writes nothing.
  form.OnMenuCommand(ID_aktivieren1);
  WritePrivateProfileStringA("Configuration", "MasterCheck", "1", dir.File("Config.ini").c_str());
  Command(form, ID_deaktivieren1, {{"Geheim", Answer::Button}});
  Command(form, ID_deaktivieren1, {{"Geheim", Answer::Button}});
  ExpectActive(form, true, false);
  EXPECT_EQ(4u, boxes.Texts().size());
  EXPECT_EQ(1, GetPrivateProfileIntA("Configuration", "MasterCheck", 0, dir.File("Config.ini").c_str()));
}

TEST_F(MainCommandsTest, QuitAsksForThePasswordAndNothingOpensOnTopOfTheDialog) {
  Define("pw");
  TFWachtposten_Main form;
  MessageBoxWatcher boxes;
  HWND me = form.hwnd();

  // While the dialog is open the menus, the tray menu, the links and the title-bar button
  // open nothing more.
  std::vector<bool> answered;
  auto meddle = [&](HWND) {
    auto send = [&](UINT msg, WPARAM wp, LPARAM lp) {
      DWORD_PTR r = 0;
      answered.push_back(SendMessageTimeoutA(me, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &r) != 0);
    };
    send(WM_COMMAND, ID_deaktivieren1, 0);
    send(WM_COMMAND, ID_N2, 0);
    send(WM_COMMAND, ID_englisch1, 0);
    send(TrayIcon::kCallbackMessage, 0, WM_RBUTTONUP);
    send(WM_COMMAND, MAKEWPARAM(IDC_Label2, STN_CLICKED), reinterpret_cast<LPARAM>(form.Label2.hwnd()));
    send(WM_CLOSE, 0, 0);
  };
  DialogSeen seen = Command(form, ID_Beenden1, {{"px", Answer::Button}}, meddle);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(std::vector<bool>(6, true), answered);
  EXPECT_EQ(1, seen.dialogsAtOnce);
  EXPECT_EQ(0, LanguageOffset);
  EXPECT_EQ(std::vector<std::string>{"Passwort ung\xFCltig!"}, boxes.Texts());
  ASSERT_TRUE(IsWindow(me)) << "a wrong password keeps the program";
  EXPECT_TRUE(form.IsInTray());
  EXPECT_EQ(0, CloseReason);

  // After a refused quit the title-bar button hides to the tray again, without asking.
  PasswordDialogUser noDialog({}, kNoDialogWaitMs);
  SendMessageA(me, WM_CLOSE, 0, 0);
  Sleep(kNoDialogWaitMs);
  EXPECT_FALSE(noDialog.Seen().found);
  EXPECT_TRUE(IsWindow(me));

  Command(form, ID_N2, {{"pw", Answer::Escape}});
  EXPECT_TRUE(IsWindow(me));
  Command(form, ID_N2, {{"pw", Answer::Button}});
  EXPECT_FALSE(IsWindow(me));
}

TEST_F(MainCommandsTest, NothingOpensOnTopOfAMessageBox) {
  WriteFileBytes(dir.File("User.ini"), "[Windows]\r\n1=Casino\r\n");
  TFWachtposten_Main form;
  HWND me = form.hwnd();
  form.ListBox2.Select(0);
  // Another program holding User.ini makes the save fail: its error box stands open.
  HeldFile held(dir.File("User.ini"));

  std::string boxText;
  std::vector<bool> answered;
  int dialogsOnTop = -1;
  std::thread user([&] {
    auto findBox = [] {
      struct Find {
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == GetCurrentProcessId() && IsWindowVisible(h) &&
              GetClassNameString(h) == "#32770" && GetWindowTextString(h) == "Wachtposten") {
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
          }
          return TRUE;
        }
      };
      HWND box = nullptr;
      for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 5000; Sleep(10))
        EnumWindows(&Find::Visit, reinterpret_cast<LPARAM>(&box));
      return box;
    };
    HWND box = findBox();
    if (!box) return;
    boxText = MessageBoxText(box);
    for (int id : {ID_deaktivieren2, ID_N2, ID_aktivieren1}) {
      DWORD_PTR r = 0;
      answered.push_back(
          SendMessageTimeoutA(me, WM_COMMAND, id, 0, SMTO_NORMAL, kSendTimeoutMs, &r) != 0);
    }
    std::vector<HWND> dialogs = PasswordDialogs();
    dialogsOnTop = static_cast<int>(dialogs.size());
    for (HWND d : dialogs) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);  // only when the test fails
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  ScanningActive = 0;
  SendMessageA(me, WM_COMMAND, MAKEWPARAM(IDC_ListBox2, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(form.ListBox2.hwnd()));
  user.join();
  EXPECT_EQ(0u, boxText.find("nach ")) << boxText;
  EXPECT_EQ(std::vector<bool>(3, true), answered);
  EXPECT_EQ(0, dialogsOnTop);
  EXPECT_TRUE(IsWindow(me));
  EXPECT_EQ(0, ScanningActive) << "no command ran while the box stood";
  EXPECT_TRUE(IsWindowEnabled(me));
}

TEST_F(MainCommandsTest, ListMovesAndRemovalsKeepUserIni) {
  WriteFileBytes(dir.File("User.ini"),
                 "[Windows]\r\n1=Casino\r\n9=stale\r\n[DontClose]\r\n1=Bank\r\n");
  TFWachtposten_Main form;
  MessageBoxWatcher boxes;
  auto lastBox = [&] { return boxes.Texts().empty() ? std::string() : boxes.Texts().back(); };

  // Nothing to mark, or nothing marked.
  form.ListBox1.Clear();
  form.Label2Click();
  EXPECT_EQ(kNothingMarked, lastBox());
  form.Label3Click();
  EXPECT_EQ(kNothingMarked, lastBox());
  Mark(form, {"Casino", "Bank", "Werbung"}, -1);
  form.ListBox1DblClick();
  EXPECT_EQ(kNothingMarked, lastBox());

  // Already listed: closing looks at the never-close list first, keeping at the to-close list.
  Mark(form, {"Casino", "Bank", "Werbung"}, 1);
  form.Label2Click();
  EXPECT_EQ("Das PopUp befindet sich bereits in der \"Auszuschlie\xDF" "enden-Liste\"", lastBox());
  Mark(form, {"Casino", "Bank", "Werbung"}, 1);
  form.Label3Click();
  EXPECT_EQ("Das PopUp befindet sich bereits in der Liste", lastBox());
  Mark(form, {"Casino", "Bank", "Werbung"}, 0);
  form.Label2Click();
  EXPECT_EQ("Das PopUp befindet sich bereits in der Liste", lastBox());
  Mark(form, {"Casino", "Bank", "Werbung"}, 0);
  form.Label3Click();
  EXPECT_EQ("Das PopUp befindet sich bereits in der \"Zuschlie\xDF" "enden-Liste\"", lastBox());
  EXPECT_EQ(7u, boxes.Texts().size());
  EXPECT_EQ((std::vector<std::string>{"1=Casino", "9=stale"}), Section("Windows"));

  // Closing closes the browser window of that exact title, never another program's.
  HWND browser = MakeTopWindow("IEFrame", "Werbung");
  HWND otherCase = MakeTopWindow("IEFrame", "werbung");
  HWND editor = MakeTopWindow("Notepad", "Werbung");  // in front of both
  Mark(form, {"Casino", "Bank", "Werbung"}, 2);
  form.ListBox1DblClick();
  EXPECT_FALSE(IsWindow(browser));
  EXPECT_TRUE(IsWindow(otherCase));
  EXPECT_TRUE(IsWindow(editor));
  EXPECT_EQ((std::vector<std::string>{"Casino", "Werbung"}), form.ListBox2.Items());
  EXPECT_EQ((std::vector<std::string>{"1=Casino", "2=Werbung"}), Section("Windows"));

  // A title no window has any more is listed all the same.
  Mark(form, {"Gone"}, 0);
  form.Label2Click();
  EXPECT_EQ((std::vector<std::string>{"1=Casino", "2=Werbung", "3=Gone"}), Section("Windows"));
  DestroyWindow(otherCase);
  DestroyWindow(editor);

  Mark(form, {"Werbung", "Bank 2"}, 1);
  form.Label3Click();
  EXPECT_EQ((std::vector<std::string>{"Bank", "Bank 2"}), form.ListBox3.Items());
  EXPECT_EQ((std::vector<std::string>{"1=Bank", "2=Bank 2"}), Section("DontClose"));
  EXPECT_EQ(7u, boxes.Texts().size());

  // A double click with nothing selected changes nothing; the next one reads first what
  // another program stored (here beyond the list's end, so it goes).
  WritePrivateProfileStringA("Windows", "7", "stale", dir.File("User.ini").c_str());
  form.ListBox2.Select(-1);
  form.ListBox2DblClick();
  EXPECT_EQ((std::vector<std::string>{"1=Casino", "2=Werbung", "3=Gone", "7=stale"}),
            Section("Windows"));
  form.ListBox2.Select(0);
  form.ListBox2DblClick();
  EXPECT_EQ((std::vector<std::string>{"Werbung", "Gone"}), form.ListBox2.Items());
  EXPECT_EQ((std::vector<std::string>{"1=Werbung", "2=Gone"}), Section("Windows"));

  form.ListBox3.Select(1);
  form.ListBox3DblClick();
  form.ListBox3.Select(0);
  form.ListBox3DblClick();
  EXPECT_EQ(0, form.ListBox3.Count());
  EXPECT_TRUE(Section("DontClose").empty());
  // On an empty list a double click leaves the section alone.
  WritePrivateProfileStringA("DontClose", "5", "x", dir.File("User.ini").c_str());
  form.ListBox3DblClick();
  EXPECT_EQ(std::vector<std::string>{"5=x"}, Section("DontClose"));

  form.englisch1Click();
  form.ListBox1.Clear();
  form.Label3Click();
  EXPECT_EQ("You have to mark an entry in the upper listbox!", lastBox());
  Mark(form, {"Werbung"}, 0);
  form.Label2Click();
  EXPECT_EQ("The popup is already in the list", lastBox());
  Mark(form, {"Werbung"}, 0);
  form.Label3Click();
  EXPECT_EQ("The popup is already in the \"windows to close\"-list", lastBox());
  EXPECT_EQ(10u, boxes.Texts().size());
}

namespace {
// The system's refusal of a message sent too deep in nested handlers: 0, and nothing added.
WNDPROC g_listProc = nullptr;
bool g_refuseAdd = false;
LRESULT CALLBACK RefusingList(HWND h, UINT m, WPARAM w, LPARAM l) {
  return g_refuseAdd && m == LB_ADDSTRING ? 0 : CallWindowProcA(g_listProc, h, m, w, l);
}
}  // namespace

TEST_F(MainCommandsTest, AListHoldsWhatItsControlShowsAndADoubleClickRemovesTheEntryShown) {
  TFWachtposten_Main form;
  HWND box = form.ListBox2.hwnd();
  g_listProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingList)));
  for (const char* item : {"Null", "Eins", "Zwei", "Drei"}) {
    g_refuseAdd = item[0] == 'N' || item[0] == 'Z';
    EXPECT_EQ(g_refuseAdd, form.ListBox2.Add(item) < 0) << item;
  }
  g_refuseAdd = false;
  EXPECT_EQ((std::vector<std::string>{"Eins", "Drei"}), form.ListBox2.Items());
  form.ListBox2.Select(1);
  form.ListBox2DblClick();
  EXPECT_EQ(std::vector<std::string>{"1=Eins"}, Section("Windows"));
  SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
}
