// The pop-up scan of the real Wachtposten.exe against fixture windows of another process.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"
#include "MainWindow.h"

using namespace e2e;

namespace {
const char kIE[] = " - Microsoft Internet Explorer";

std::string Section(const std::string& name, const std::vector<std::string>& values) {
  std::string s = "[" + name + "]\r\n";
  for (std::size_t i = 0; i < values.size(); ++i)
    s += std::to_string(i + 1) + "=" + values[i] + "\r\n";
  return s;
}

WindowSpec Browser(const std::string& title, int w = 900, int h = 700,
                   const std::string& cls = "IEFrame") {
  WindowSpec s;
  s.className = cls;
  s.title = title;
  s.width = w;
  s.height = h;
  return s;
}


// The walk skips the first window of the z-order: a window of no interest stands there.
WindowSpec FrontWindow() {
  WindowSpec s;
  s.className = "FixtureFront";
  s.title = "front";
  s.width = 100;
  s.height = 100;
  s.front = true;
  return s;
}

std::vector<std::string> ClosedTitles(const FixtureWindows& f, const char* kind = "SC_CLOSE") {
  std::vector<std::string> out;
  for (const CloseRequest& r : f.CloseRequests())
    if (r.kind == kind) out.push_back(r.title);
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find("\r\n", pos);
    if (eol == std::string::npos) break;
    out.push_back(text.substr(pos, eol - pos));
    pos = eol + 2;
  }
  return out;
}

std::string LocalFormat(bool date, const SYSTEMTIME& t) {
  char buf[128];
  int n = date ? GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buf, sizeof buf)
               : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, buf, sizeof buf);
  return std::string(buf, n > 0 ? n - 1 : 0);
}

// Every "date time" text the locale gives for the seconds from `from` to now.
std::set<std::string> StampsSince(DWORD fromTick) {
  std::set<std::string> out;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER u;
  u.LowPart = now.dwLowDateTime;
  u.HighPart = now.dwHighDateTime;
  ULONGLONG seconds = static_cast<ULONGLONG>(GetTickCount() - fromTick) / 1000 + 2;
  for (ULONGLONG s = 0; s <= seconds; ++s) {
    ULARGE_INTEGER v;
    v.QuadPart = u.QuadPart - s * 10000000ULL;
    FILETIME ft = {v.LowPart, v.HighPart}, local;
    FileTimeToLocalFileTime(&ft, &local);
    SYSTEMTIME st;
    FileTimeToSystemTime(&local, &st);
    out.insert(LocalFormat(true, st) + " " + LocalFormat(false, st));
  }
  return out;
}

class PopupScan : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ProductDir().empty()) << "WP_PRODUCT_DIR is not set";
    ASSERT_TRUE(dir_.CopyProduct());
  }
  HWND Start(const std::string& config, const std::string& user) {
    dir_.WriteFile("Config.ini", "[Configuration]\r\n" + config);
    dir_.WriteFile("User.ini", user);
    EXPECT_TRUE(proc_.Start(dir_.Exe()));
    main_ = WaitForMainWindowReady(proc_);
    EXPECT_NE(main_, nullptr);
    return main_;
  }
  std::vector<std::string> OpenList() { return ListBoxItems(main_, IDC_ListBox1); }
  bool ScanningIs(const std::string& status) {
    return StatusBarText(Child(main_, IDC_StatusBar1)) == status;
  }
  // A full tick has run since the fixture stood: its last step lists this window.
  // On a display without a window manager Wine takes about 2 s to take a shown window down,
  // so each close costs the guard its full bounded wait: ticks run long.
  bool WaitForListed(const std::string& title, DWORD ms = 15000) {
    return WaitUntil(
        [&] {
          auto l = OpenList();
          return std::find(l.begin(), l.end(), title) != l.end();
        },
        ms);
  }
  bool NoMoreRequestsWithin(const FixtureWindows& f, std::size_t count, DWORD ms) {
    return !WaitUntil([&] { return f.CloseRequests().size() > count; }, ms);
  }

  ProgramDir dir_{"Popup e2e"};
  Process proc_;
  HWND main_ = nullptr;
};
}  // namespace

TEST_F(PopupScan, SmallWindowRuleAtItsEdges) {
  Start("", "");
  std::vector<WindowSpec> specs = {
      Browser("Klein" + std::string(kIE), 400, 634), Browser("Gross" + std::string(kIE), 400, 635),
      Browser("klein - microsoft internet explorer", 300, 300),
      Browser("Minimiert" + std::string(kIE), 300, 300), Browser("Maximiert" + std::string(kIE), 300, 300),
      Browser("Negativ" + std::string(kIE), 300, 300),
      Browser("Ordner Internet", 300, 300, "CabinetWClass"),
      Browser("Server Internet", 300, 300, "Internet Explorer_Server"),
      Browser("Notizen Internet", 300, 300, "Notepad"), FrontWindow()};
  specs[3].show = ShowState::Minimized;
  specs[4].show = ShowState::Maximized;
  specs[5].x = -2000;
  specs[5].y = -2000;
  FixtureWindows f(specs);
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(WaitForListed("Gross" + std::string(kIE)));
  // A tick that ran while the fixture was still making its windows may have listed it: the
  // next tick may still be waiting for an answer.
  WaitUntil([&] { return ClosedTitles(f).size() >= 3; }, 15000);
  EXPECT_EQ((std::vector<std::string>{"Klein" + std::string(kIE), "Ordner Internet",
                                      "Server Internet"}),
            ClosedTitles(f));
  EXPECT_TRUE(NoMoreRequestsWithin(f, 3, 2500));
}

TEST_F(PopupScan, UnwantedWordsIgnoreLetterCaseAndCloseAWindowOnceWithOneLogLine) {
  Start("LogAutoPop=1\r\n",
        Section("BadWords", {"casino", "\xFC" "bel", "", "poker"}));
  DWORD started = GetTickCount();
  FixtureWindows f({Browser("MEGA CASINO"), Browser("\xDC" "BEL" + std::string(kIE)),
                    Browser("Casino und Poker" + std::string(kIE)), Browser("Harmlos" + std::string(kIE)),
                    FrontWindow()});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(WaitForListed("Harmlos" + std::string(kIE)));
  EXPECT_TRUE(NoMoreRequestsWithin(f, 3, 1500));
  const std::string umlaut = "\xDC" "BEL" + std::string(kIE);
  EXPECT_EQ((std::vector<std::string>{"Casino und Poker" + std::string(kIE), "MEGA CASINO", umlaut}),
            ClosedTitles(f));
  std::vector<std::string> log = Lines(dir_.ReadFile("Wachtposten.log"));
  ASSERT_EQ(3u, log.size());
  std::set<std::string> stamps = StampsSince(started);
  for (const std::string& line : log) {
    std::size_t dash = line.find(" - ");
    ASSERT_NE(std::string::npos, dash) << line;
    EXPECT_TRUE(stamps.count(line.substr(0, dash))) << line;
    std::string title = line.substr(dash + 3);
    EXPECT_TRUE(title == "MEGA CASINO" || title == "Casino und Poker" + std::string(kIE) ||
                title == umlaut)
        << line;
  }
}

TEST_F(PopupScan, AStopTitleEndsTheWalkButTheToCloseListStillRuns) {
  for (const char* stop : {"about:blank - Microsoft Internet Explorer", "Microsoft Internet Explorer"}) {
    SCOPED_TRACE(stop);
    proc_.Kill();
    Start("", Section("Windows", {"Liste" + std::string(kIE)}));
    // Spec order is back to front.
    FixtureWindows f({Browser("Liste" + std::string(kIE)), Browser("Dahinter Internet", 300, 300),
                      Browser(stop), Browser("Davor Internet", 300, 300), FrontWindow()});
    ASSERT_TRUE(f.ok());
    ASSERT_TRUE(WaitForListed(stop));
    EXPECT_TRUE(NoMoreRequestsWithin(f, 2, 1500));
    EXPECT_EQ((std::vector<std::string>{"Davor Internet", "Liste" + std::string(kIE)}), ClosedTitles(f));
  }
}

TEST_F(PopupScan, ANeverCloseWindowIsSparedAndTheWindowsBehindItAreStillClosed) {
  std::string bank = "Bank" + std::string(kIE), ad = "Werbung" + std::string(kIE);
  Start("", Section("DontClose", {bank}) + Section("Windows", {"Gewinn"}));
  FixtureWindows f({Browser("Gewinn"), Browser(ad, 300, 300), Browser(bank, 300, 300), FrontWindow()});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(f.WaitForCloseRequests(2, 8000));
  // The list of open windows is refreshed too: the spared window stays listed, alone.
  ASSERT_TRUE(WaitUntil([&] { return OpenList() == std::vector<std::string>{bank}; }, 8000));
  EXPECT_TRUE(NoMoreRequestsWithin(f, 2, 1500));
  EXPECT_EQ((std::vector<std::string>{"Gewinn", ad}), ClosedTitles(f));
}

TEST_F(PopupScan, ToCloseListClosesTwoWindowsOfOneTitleOnePerTickAndLogs) {
  std::string t = "Doppelt" + std::string(kIE);
  Start("LogFilteredPop=1\r\n", Section("Windows", {t}));
  FixtureWindows f({Browser(t), Browser(t), FrontWindow()});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(f.WaitForCloseRequests(1, 5000));
  DWORD first = GetTickCount();
  ASSERT_TRUE(f.WaitForCloseRequests(2, 8000));
  EXPECT_GE(GetTickCount() - first, 500u) << "both closed in one tick";
  EXPECT_TRUE(WaitUntil([&] { return Lines(dir_.ReadFile("Wachtposten.log")).size() == 2; }, 5000));
}

TEST_F(PopupScan, AnUnopenableLogIsDroppedSilentlyAndTheScanGoesOn) {
  ASSERT_TRUE(dir_.MakeDir("Wachtposten.log"));
  Start("LogAutoPop=1\r\n", "");
  FixtureWindows f({Browser("Eins Internet", 300, 300), FrontWindow()});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(f.WaitForCloseRequests(1, 5000));
  FixtureWindows g({Browser("Zwei Internet", 300, 300), FrontWindow()});
  ASSERT_TRUE(g.WaitForCloseRequests(1, 5000));
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 300));
}

TEST_F(PopupScan, StartIEMaxMaximisesLargeBrowserWindowsOnce) {
  Start("StartIEMax=1\r\n", "");
  // An untitled window is maximised once too, not forgotten and maximised again every tick.
  FixtureWindows f({Browser("Gross", 400, 635), Browser("Klein", 400, 634), Browser("", 400, 635),
                    FrontWindow()});
  ASSERT_TRUE(f.ok());
  auto zoomed = [&](std::size_t i) { return IsZoomed(f.window(i)) != FALSE; };
  ASSERT_TRUE(WaitUntil([&] { return zoomed(0) && zoomed(2); }, 5000));
  EXPECT_FALSE(zoomed(1));
  // A restore by the user is not undone.
  ShowWindowAsync(f.window(0), SW_RESTORE);
  ShowWindowAsync(f.window(2), SW_RESTORE);
  ASSERT_TRUE(WaitUntil([&] { return !zoomed(0) && !zoomed(2); }, 2000));
  EXPECT_FALSE(WaitUntil([&] { return zoomed(0) || zoomed(2); }, 2500));
}

TEST_F(PopupScan, WhileDeactivatedNothingIsClosedMaximisedOrLoggedButTheListIsKept) {
  // PiS: switching needs no password.
  Start("PiS=1\r\nLogAutoPop=1\r\nStartIEMax=1\r\n", Section("BadWords", {"casino"}));
  ASSERT_TRUE(Post(main_, WM_COMMAND, ID_deaktivieren1));
  ASSERT_TRUE(WaitUntil([&] { return ScanningIs("deaktiviert ..."); }, kSendTimeoutMs));
  std::string popup = "Klein" + std::string(kIE);
  FixtureWindows f({Browser("Gross Internet", 400, 635), Browser("Casino Internet"),
                    Browser(popup, 300, 300), FrontWindow()});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(WaitForListed(popup));
  EXPECT_TRUE(NoMoreRequestsWithin(f, 0, 1500));
  EXPECT_FALSE(IsZoomed(f.window(0)));
  EXPECT_EQ("", dir_.ReadFile("Wachtposten.log"));

  ASSERT_TRUE(Post(main_, WM_COMMAND, ID_aktivieren1));
  ASSERT_TRUE(f.WaitForCloseRequests(2, 8000));
  EXPECT_TRUE(WaitUntil([&] { return IsZoomed(f.window(0)) != FALSE; }, 5000));
  EXPECT_EQ((std::vector<std::string>{"Casino Internet", popup}), ClosedTitles(f));
}

TEST_F(PopupScan, FrontWindowMessagesFromAnotherProcessSaveTheLists) {
  std::string t = "Vorne" + std::string(kIE);
  Start("", "");
  FixtureWindows f({Browser(t), FrontWindow()});
  ASSERT_TRUE(f.ok());
  LRESULT result = 1;
  ASSERT_TRUE(Send(main_, WM_KEEPBROWSER, 0, 0, &result));
  EXPECT_EQ(0, result);
  EXPECT_EQ((std::vector<std::string>{t}), ListBoxItems(main_, IDC_ListBox3));
  EXPECT_NE(std::string::npos, dir_.ReadFile("User.ini").find("[DontClose]\r\n1=" + t)) << dir_.ReadFile("User.ini");
  EXPECT_TRUE(f.CloseRequests().empty());

  result = 1;
  ASSERT_TRUE(Send(main_, WM_CLOSEBROWSER, 0, 0, &result));
  EXPECT_EQ(0, result);
  EXPECT_EQ((std::vector<std::string>{t}), ClosedTitles(f));
  EXPECT_EQ((std::vector<std::string>{t}), ListBoxItems(main_, IDC_ListBox2));
  EXPECT_NE(std::string::npos, dir_.ReadFile("User.ini").find("[Windows]\r\n1=" + t));

  // An untitled front window is closed, but no empty entry goes on a list.
  FixtureWindows g({Browser(""), FrontWindow()});
  ASSERT_TRUE(g.ok());
  ASSERT_TRUE(Send(main_, WM_CLOSEBROWSER, 0, 0, &result));
  EXPECT_EQ(1u, g.CloseRequests().size());
  ASSERT_TRUE(Send(main_, WM_KEEPBROWSER, 0, 0, &result));
  EXPECT_EQ((std::vector<std::string>{t}), ListBoxItems(main_, IDC_ListBox2));
  EXPECT_EQ((std::vector<std::string>{t}), ListBoxItems(main_, IDC_ListBox3));
}

TEST_F(PopupScan, AHungWindowDoesNotStopTheGuardAndTheLogHoldsEachAnsweringWindowOnce) {
  Start("LogAutoPop=1\r\n", "");
  WindowSpec hung = Browser("Haenger Internet", 300, 300);
  hung.hung = true;
  FixtureWindows f({Browser("Hinten Internet", 300, 300), hung, FrontWindow()});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(f.WaitForCloseRequests(1, 8000));
  // The guard still answers, and closes windows that come later.
  ASSERT_TRUE(Send(main_, WM_NULL, 0, 0, nullptr, 3000));
  FixtureWindows g({Browser("Spaeter Internet", 300, 300), FrontWindow()});
  ASSERT_TRUE(g.ok());
  DWORD t0 = GetTickCount();
  ASSERT_TRUE(g.WaitForCloseRequests(1, 8000));
  EXPECT_LT(GetTickCount() - t0, 7000u);
  EXPECT_EQ((std::vector<std::string>{"Hinten Internet"}), ClosedTitles(f));

  // A window that answers but stays is asked at every tick; it is one line, the hung one none.
  WindowSpec stays = Browser("Bleibt Internet", 300, 300);
  stays.ignoreClose = true;
  FixtureWindows h({stays, FrontWindow()});
  ASSERT_TRUE(h.ok());
  ASSERT_TRUE(h.WaitForCloseRequests(3, 10000));
  std::vector<std::string> logged;
  for (const std::string& line : Lines(dir_.ReadFile("Wachtposten.log")))
    logged.push_back(line.substr(line.find(" - ") + 3));
  std::sort(logged.begin(), logged.end());
  EXPECT_EQ((std::vector<std::string>{"Bleibt Internet", "Hinten Internet", "Spaeter Internet"}),
            logged);
}

TEST_F(PopupScan, TitlesTheCodePageCannotHoldMeetNoListYetTheRulesWithoutOne) {
  // "?? - ..." on both lists, as such titles were stored before; "??" as an unwanted word.
  const std::string lookalike = "??" + std::string(kIE);
  const std::wstring wie = L" - Microsoft Internet Explorer", japan = L"\u65E5\u672C" + wie;
  Start("LogAutoPop=1\r\n", Section("Windows", {lookalike}) + Section("DontClose", {lookalike}) +
                                 Section("BadWords", {"??"}));
  FixtureWindows f({Browser(lookalike), Browser("", 300, 300), Browser("", 700, 600),
                    Browser("", 700, 600), FrontWindow()});
  ASSERT_TRUE(f.ok());
  SetWindowTextW(f.window(1), (L"\u4E2D\u56FD" + wie).c_str());
  SetWindowTextW(f.window(2), japan.c_str());
  SetWindowTextW(f.window(3), (L"Wirklich\u4E2D" + wie).c_str());
  // Closed: the small window, though "?? - ..." is never to close, and the one that really
  // bears that title, by the to-close list. Listed and logged as they are.
  ASSERT_TRUE(WaitForWindowGone(f.window(1), 8000) && WaitForWindowGone(f.window(0), 8000));
  EXPECT_TRUE(NoMoreRequestsWithin(f, 2, 2500));
  EXPECT_EQ((std::vector<std::wstring>{L"Wirklich\u4E2D" + wie, japan}),
            ListBoxItemsWide(Child(main_, IDC_ListBox1)));
  EXPECT_NE(std::string::npos, dir_.ReadFile("Wachtposten.log").find(" - [U+4E2D][U+56FD] - M"));

  // 3180 lists nothing, 3179 closes but lists nothing; each answers, then a box tells why.
  std::string user = dir_.ReadFile("User.ini");
  for (UINT request : {WM_KEEPBROWSER, WM_CLOSEBROWSER}) {
    LRESULT result = 1;
    ASSERT_TRUE(Send(main_, request, 0, 0, &result));
    EXPECT_EQ(0, result);
    HWND box = WaitForMessageBox(proc_.pid(), kSendTimeoutMs);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, MessageBoxText(box).find("in keine Liste aufgenommen"));
    ASSERT_TRUE(PressButton(box, IDOK) && WaitForWindowGone(box, kSendTimeoutMs));
  }
  EXPECT_TRUE(WaitForWindowGone(f.window(3), kSendTimeoutMs));
  EXPECT_TRUE(IsWindow(f.window(2)));
  EXPECT_EQ(user, dir_.ReadFile("User.ini"));
}
