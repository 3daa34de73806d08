// The real Wachtposten.exe, copied into a temporary program directory and worked from outside.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "MainWindow.h"

using namespace e2e;

namespace {
const char kMainClass[] = "TFWachtposten_Main";
// The list store reads a list key by key, which takes long for a very long list.
constexpr DWORD kLongStartTimeoutMs = 120000;

std::string Section(const std::string& name, const std::vector<std::string>& values) {
  std::string s = "[" + name + "]\r\n";
  for (std::size_t i = 0; i < values.size(); ++i)
    s += std::to_string(i + 1) + "=" + values[i] + "\r\n";
  return s;
}

std::string Config(const std::string& lines) { return "[Configuration]\r\n" + lines; }

// One program directory with the product in it, and the running program.
class MainProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ProductDir().empty()) << "WP_PRODUCT_DIR is not set";
    ASSERT_TRUE(dir_.CopyProduct()) << "product files missing in " << ProductDir();
  }

  // Starts the program and waits until its main window stands and answers.
  HWND Start(const EnvVars& env = {}) {
    EXPECT_TRUE(proc_.Start(dir_.Exe(), env)) << "CreateProcess error " << proc_.lastError();
    HWND main = WaitForMainWindowReady(proc_);
    EXPECT_NE(main, nullptr) << "no main window";
    return main;
  }

  std::vector<std::string> List(HWND main, int id) { return ListBoxItems(main, id); }

  ProgramDir dir_{"Wacht posten"};
  Process proc_;
};

// ---- single instance ----

TEST_F(MainProgram, SecondStartEndsAtOnceWithZeroAndShowsNoSecondWindow) {
  HWND first = Start();
  ASSERT_NE(first, nullptr);

  Process second(dir_.Exe());
  ASSERT_TRUE(second.started());
  DWORD code = 99;
  ASSERT_TRUE(second.WaitForExit(kExitTimeoutMs, &code));
  EXPECT_EQ(code, 0u);

  std::vector<HWND> mains = FindTopWindows(kMainClass);
  ASSERT_EQ(mains.size(), 1u);
  EXPECT_EQ(mains[0], first);
  EXPECT_TRUE(proc_.Running());
  EXPECT_TRUE(Send(first, WM_NULL));
  EXPECT_TRUE(NoMessageBoxWithin(0, 200));
}

TEST_F(MainProgram, TwoStartsAtTheSameMomentLeaveExactlyOneInstance) {
  Process a(dir_.Exe()), b(dir_.Exe());
  ASSERT_TRUE(a.started() && b.started());
  // One of them ends with 0; the other keeps its main window.
  bool oneEnded = WaitUntil([&] { return !a.Running() || !b.Running(); }, kStartTimeoutMs);
  ASSERT_TRUE(oneEnded);
  Process& ended = a.Running() ? b : a;
  Process& running = a.Running() ? a : b;
  DWORD code = 99;
  ASSERT_TRUE(ended.WaitForExit(0, &code));
  EXPECT_EQ(code, 0u);
  HWND main = WaitForMainWindowReady(running);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(running.Running());
  EXPECT_EQ(FindTopWindows(kMainClass).size(), 1u);
}

// ---- language ----

struct LanguageCase {
  const char* name;
  const char* configLine;  // null: no Config.ini at all
  bool german;
};

std::string CaseName(const ::testing::TestParamInfo<LanguageCase>& info) { return info.param.name; }

class Language : public MainProgram, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(Language, MainWindowTexts) {
  if (GetParam().configLine) {
    ASSERT_TRUE(dir_.WriteFile("Config.ini", Config(GetParam().configLine)));
  }
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  bool de = GetParam().german;
  EXPECT_EQ(ControlText(main, IDC_GroupBox2), de ? "aktuell ge\xF6""ffnete Fenster" : "current opened windows");
  EXPECT_EQ(ControlText(main, IDC_GroupBox1), de ? "zuschlie\xDF""ende Fenster" : "windows to close");
  EXPECT_EQ(ControlText(main, IDC_GroupBox3), de ? "auszuschlie\xDF""ende Fenster" : "windows never close");
  EXPECT_EQ(ControlText(main, IDC_Label2), de ? "markiertes Fenster schlie\xDF""en" : "kill marked window");
  EXPECT_EQ(ControlText(main, IDC_Label3), de ? "markiertes Fenster nie schlie\xDF""en" : "never kill marked window");
  EXPECT_EQ(StatusBarText(Child(main, IDC_StatusBar1)), de ? "aktiviert ..." : "activated ...");
  EXPECT_EQ(WindowText(main), "Wachtposten");
}

INSTANTIATE_TEST_SUITE_P(Values, Language,
                         ::testing::Values(LanguageCase{"de", "Language=de\r\n", true},
                                           LanguageCase{"DE", "Language=DE\r\n", false},
                                           LanguageCase{"en", "Language=en\r\n", false},
                                           LanguageCase{"fr", "Language=fr\r\n", false},
                                           LanguageCase{"deutsch", "Language=deutsch\r\n", true},
                                           LanguageCase{"missing", nullptr, true}),
                         CaseName);

// ---- lists ----

TEST_F(MainProgram, UserIniListsAppearInOrder) {
  std::vector<std::string> toClose = {"Werbung - Microsoft Internet Explorer", "Gew\xE4hlt \xDC""ber 0190",
                                      "\"  mit Blanks  \"", "Zweite Werbung"};
  std::vector<std::string> keep = {"Bank - Microsoft Internet Explorer", "Mein Postfach"};
  std::string user = Section("Windows", toClose) + Section("DontClose", keep);
  ASSERT_TRUE(dir_.WriteFile("User.ini", user));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  std::vector<std::string> expected = toClose;
  expected[2] = "  mit Blanks  ";  // one pair of enclosing quotes keeps the blanks
  EXPECT_EQ(List(main, IDC_ListBox2), expected);
  EXPECT_EQ(List(main, IDC_ListBox3), keep);
  EXPECT_EQ(dir_.ReadFile("User.ini"), user);
}

TEST_F(MainProgram, ListStopsAtTheFirstEmptyValue) {
  ASSERT_TRUE(dir_.WriteFile("User.ini", "[Windows]\r\n1=eins\r\n2=zwei\r\n3=\r\n4=vier\r\n"));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(List(main, IDC_ListBox2), (std::vector<std::string>{"eins", "zwei"}));
  EXPECT_TRUE(List(main, IDC_ListBox3).empty());
}

// ---- window life ----

TEST_F(MainProgram, StartsHiddenInTheTrayAndTheCloseMessagesOnlyHideIt) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));

  ASSERT_TRUE(RestoreFromTray(main));
  ASSERT_TRUE(Send(main, WM_CLOSE));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kSendTimeoutMs));
  EXPECT_TRUE(proc_.Running());
  EXPECT_TRUE(IsWindow(main));

  ASSERT_TRUE(RestoreFromTray(main));
  ASSERT_TRUE(Send(main, WM_SYSCOMMAND, SC_CLOSE, 0));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kSendTimeoutMs));
  EXPECT_TRUE(proc_.Running());

  // And it comes back once more, still answering.
  ASSERT_TRUE(RestoreFromTray(main));
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 200));
}

TEST_F(MainProgram, EndOfSessionEndsItWithZero) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  LRESULT answer = 0;
  ASSERT_TRUE(Send(main, WM_QUERYENDSESSION, 0, 0, &answer));
  EXPECT_EQ(answer, 1);
  EXPECT_TRUE(proc_.Running());
  Send(main, WM_ENDSESSION, TRUE, 0);
  DWORD code = 99;
  ASSERT_TRUE(proc_.WaitForExit(kExitTimeoutMs, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(MainProgram, CancelledShutdownLeavesItRunning) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  LRESULT answer = 0;
  ASSERT_TRUE(Send(main, WM_QUERYENDSESSION, 0, 0, &answer));
  EXPECT_EQ(answer, 1);
  ASSERT_TRUE(Send(main, WM_ENDSESSION, FALSE, 0));
  EXPECT_FALSE(proc_.WaitForExit(500));
  EXPECT_TRUE(IsWindow(main));
  ASSERT_TRUE(RestoreFromTray(main));
  // A window close after the cancelled shutdown is the window's own close again.
  ASSERT_TRUE(Send(main, WM_CLOSE));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kSendTimeoutMs));
  EXPECT_FALSE(proc_.WaitForExit(300));
}

TEST_F(MainProgram, StayOnTopGivesATopmostWindow) {
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("StayOnTop=1\r\n")));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsTopmost(main));
  ASSERT_TRUE(RestoreFromTray(main));
  EXPECT_TRUE(IsTopmost(main));
}

TEST_F(MainProgram, WithoutStayOnTopTheWindowIsNotTopmost) {
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("StayOnTop=0\r\n")));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(RestoreFromTray(main));
  EXPECT_FALSE(IsTopmost(main));
}

// ---- CheckDialer ----

TEST_F(MainProgram, DialerSearchCallsCheckDialerAtStart) {
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("DialerSearch=1\r\n")));
  std::string log = dir_.File("rufsperre calls.log");
  HWND main = Start({{"RUFSPERRE_LOG", log}});
  ASSERT_NE(main, nullptr);
  // The call is made before the message loop starts, so it is there once the window answers.
  EXPECT_EQ(ReadFileBytes(log).substr(0, 11), "CheckDialer");
}

TEST_F(MainProgram, WithoutDialerSearchCheckDialerIsNotCalled) {
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("DialerSearch=0\r\n")));
  std::string log = dir_.File("rufsperre calls.log");
  HWND main = Start({{"RUFSPERRE_LOG", log}});
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(FileExists(log));
}

// ---- bad input ----

TEST_F(MainProgram, StartsWithoutAnyIniFile) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(List(main, IDC_ListBox2).empty());
  EXPECT_TRUE(List(main, IDC_ListBox3).empty());
  EXPECT_EQ(ControlText(main, IDC_GroupBox2), "aktuell ge\xF6""ffnete Fenster");
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 200));
  EXPECT_FALSE(dir_.Exists("User.ini"));
}

TEST_F(MainProgram, StartsWithEmptyIniFiles) {
  ASSERT_TRUE(dir_.WriteFile("Config.ini", ""));
  ASSERT_TRUE(dir_.WriteFile("User.ini", ""));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(List(main, IDC_ListBox2).empty());
  EXPECT_EQ(ControlText(main, IDC_GroupBox1), "zuschlie\xDF""ende Fenster");
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 200));
  EXPECT_EQ(dir_.ReadFile("User.ini"), "");
}

TEST_F(MainProgram, StartsWithBinaryGarbage) {
  std::string garbage;
  unsigned seed = 12345;
  for (int i = 0; i < 8192; ++i) {
    seed = seed * 1103515245u + 12345u;
    garbage += static_cast<char>(seed >> 16);
  }
  // Garbage after a valid list: what stands before it still loads.
  std::string user = Section("Windows", {"vor dem M\xFCll"}) + garbage;
  ASSERT_TRUE(dir_.WriteFile("Config.ini", garbage));
  ASSERT_TRUE(dir_.WriteFile("User.ini", user));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  std::vector<std::string> items = List(main, IDC_ListBox2);
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0], "vor dem M\xFCll");
  EXPECT_EQ(dir_.ReadFile("User.ini"), user);
}

TEST_F(MainProgram, ShowsTenThousandEntriesInOrder) {
  constexpr int kCount = 10000;
  std::vector<std::string> many;
  for (int i = 1; i <= kCount; ++i) many.push_back("Fenster Nummer " + std::to_string(i));
  std::string user = Section("Windows", many) + Section("DontClose", {"bleibt"});
  ASSERT_TRUE(dir_.WriteFile("User.ini", user));
  double t0 = NowMs();
  ASSERT_TRUE(proc_.Start(dir_.Exe()));
  HWND main = WaitForMainWindowReady(proc_, kLongStartTimeoutMs);
  ASSERT_NE(main, nullptr);
  RecordProperty("StartMs", static_cast<int>(NowMs() - t0));
  // Reading every item across processes costs more than the program's own start under Wine:
  // the count and a sample in order.
  HWND list = Child(main, IDC_ListBox2);
  ASSERT_EQ(ListBoxCount(list), kCount);
  for (int i : {0, 1, 4999, 9998, 9999}) EXPECT_EQ(ListBoxItem(list, i), many[static_cast<std::size_t>(i)]);
  EXPECT_EQ(List(main, IDC_ListBox3), (std::vector<std::string>{"bleibt"}));
  EXPECT_EQ(dir_.ReadFile("User.ini"), user);
}

TEST_F(MainProgram, LongValuesArriveWhole) {
  std::string longTitle(5000, 'x');
  longTitle[0] = 'A';
  longTitle[4999] = 'Z';
  ASSERT_TRUE(dir_.WriteFile("User.ini", Section("Windows", {longTitle, "kurz"}) +
                                             Section("DontClose", {std::string(5000, '\xE4')})));
  // Only the first two characters of the language arrive: "de..." is German.
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("Language=de" + std::string(4998, 'e') +
                                                  "\r\nStayOnTop=" + std::string(5000, '1') + "\r\n")));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  // Under Wine an item this long cannot be fetched across processes; its length can.
  HWND toClose = Child(main, IDC_ListBox2), keep = Child(main, IDC_ListBox3);
  ASSERT_EQ(ListBoxCount(toClose), 2);
  EXPECT_EQ(ListBoxItemLength(toClose, 0), 5000);
  EXPECT_EQ(ListBoxItem(toClose, 1), "kurz");
  ASSERT_EQ(ListBoxCount(keep), 1);
  EXPECT_EQ(ListBoxItemLength(keep, 0), 5000);
  EXPECT_EQ(ControlText(main, IDC_GroupBox3), "auszuschlie\xDF""ende Fenster");
}

TEST_F(MainProgram, BytesOutsideTheCodePageDoNotStopIt) {
  // 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in code page 1252; UTF-8 bytes are
  // just more 1252 characters.
  std::string odd = "a\x81" "b\x8D" "c\x8F" "d\x90" "e\x9D" "f";
  std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e";
  std::string user = Section("Windows", {odd, utf8, "danach"});
  ASSERT_TRUE(dir_.WriteFile("User.ini", user));
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("Language=\x81\x8D\r\n")));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  std::vector<std::string> items = List(main, IDC_ListBox2);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1], utf8);
  EXPECT_EQ(items[2], "danach");
  EXPECT_EQ(ControlText(main, IDC_GroupBox2), "current opened windows");
  EXPECT_EQ(dir_.ReadFile("User.ini"), user);
}

TEST_F(MainProgram, UnwritableConfigIniIsReportedAndNothingStoredIsLost) {
  ASSERT_TRUE(dir_.MakeDir("Config.ini"));
  std::string user = Section("Windows", {"zu", "schlie\xDF""en"}) + Section("DontClose", {"nie"});
  ASSERT_TRUE(dir_.WriteFile("User.ini", user));
  ASSERT_TRUE(proc_.Start(dir_.Exe()));

  // Start-up stores the normalised window limit, and that write fails.
  HWND box = WaitForMessageBox(proc_.pid(), kStartTimeoutMs);
  ASSERT_NE(box, nullptr) << "no message box about Config.ini";
  std::string expected = "nach " + dir_.File("Config.ini") + " kann nicht geschrieben werden";
  EXPECT_EQ(MessageBoxText(box), expected);
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitForWindowGone(box, kSendTimeoutMs));

  HWND main = WaitForMainWindowReady(proc_);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 300));
  EXPECT_EQ(List(main, IDC_ListBox2), (std::vector<std::string>{"zu", "schlie\xDF""en"}));
  EXPECT_EQ(List(main, IDC_ListBox3), (std::vector<std::string>{"nie"}));

  // The language switch writes Config.ini too: told again, and the texts still switch.
  ASSERT_TRUE(PostCommand(main, ID_englisch1));
  box = WaitForMessageBox(proc_.pid(), kSendTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Cannot write to " + dir_.File("Config.ini"));
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitForWindowGone(box, kSendTimeoutMs));
  EXPECT_TRUE(proc_.Running());
  EXPECT_EQ(ControlText(main, IDC_GroupBox2), "current opened windows");
  EXPECT_EQ(dir_.ReadFile("User.ini"), user);
}

// Both files held at start: one box says so and what waits for each; once free, the stored
// lists and language are in force without a restart, the clean-up chosen for the start runs
// late, and 3180 adds to the stored never-close list, not over it, also after another program
// has replaced the file.
TEST_F(MainProgram, FilesHeldAtStartAreReadOnceFreeAndNothingStoredIsLost) {
  const std::string keepB = "Keep B - Microsoft Internet Explorer";
  // Wine cannot delete the history: the clean-up's run shows as its failure box.
  ASSERT_TRUE(dir_.WriteFile("Config.ini", Config("Language=en\r\nDeleteHistoryOnStartUp=1\r\n")));
  ASSERT_TRUE(dir_.WriteFile("User.ini", Section("Windows", {"Zu A"}) + Section("DontClose", {"Keep A"})));
  auto config = std::make_unique<HeldFile>(dir_.File("Config.ini"));
  auto user = std::make_unique<HeldFile>(dir_.File("User.ini"));
  ASSERT_TRUE(proc_.Start(dir_.Exe()));
  HWND box = WaitForMessageBox(proc_.pid(), kStartTimeoutMs);
  ASSERT_NE(box, nullptr) << "no word about the files";
  std::string text = MessageBoxText(box);
  EXPECT_EQ(0u, text.find("Wachtposten kann zur Zeit nicht lesen:\r\n" + dir_.File("Config.ini") +
                          "\r\n" + dir_.File("User.ini") + "\r\n"))
      << text;
  EXPECT_NE(std::string::npos, text.find("Bis Config.ini gelesen ist")) << text;
  EXPECT_NE(std::string::npos, text.find("wird nachgeholt: das L")) << text;
  EXPECT_NE(std::string::npos, text.find("Bis User.ini gelesen ist")) << text;
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitForWindowGone(box, kSendTimeoutMs));
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 500)) << "no clean-up before Config.ini is read";
  config.reset();
  user.reset();
  box = WaitForMessageBox(proc_.pid(), 10000);
  ASSERT_NE(box, nullptr) << "the start-up clean-up did not run late";
  EXPECT_EQ("History couldn't be deleted!", MessageBoxText(box));
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitForWindowGone(box, kSendTimeoutMs));
  HWND main = WaitForMainWindowReady(proc_);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return List(main, IDC_ListBox2) == std::vector<std::string>{"Zu A"}; },
                        5000));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_GroupBox2) == "current opened windows"; },
                        5000));

  WindowSpec browser;
  browser.title = keepB;
  browser.width = 900;
  browser.height = 700;
  WindowSpec front;
  front.className = "FixtureFront";
  front.width = front.height = 100;
  front.front = true;
  FixtureWindows fx({browser, front});
  ASSERT_TRUE(fx.ok());
  LRESULT result = 1;
  ASSERT_TRUE(Send(main, WM_KEEPBROWSER, 0, 0, &result));
  EXPECT_EQ(0, result);
  EXPECT_EQ((std::vector<std::string>{"Keep A", keepB}), List(main, IDC_ListBox3));
  EXPECT_NE(std::string::npos,
            dir_.ReadFile("User.ini").find("[DontClose]\r\n1=Keep A\r\n2=" + keepB));
  fx.Stop();

  // A newer copy renamed over it is read at the next scan tick; a request whose save a hold
  // refuses is answered at once, its box comes after, and nothing is written.
  const std::string sync = "Sync-Bank - Microsoft Internet Explorer";
  const std::string copy = Section("Windows", {"Zu A"}) + Section("DontClose", {"Keep A", keepB, sync});
  ASSERT_TRUE(dir_.WriteFile("copy.ini", copy) &&
              MoveFileExA(dir_.File("copy.ini").c_str(), dir_.File("User.ini").c_str(),
                          MOVEFILE_REPLACE_EXISTING));
  std::vector<std::string> keep = {"Keep A", keepB, sync};
  EXPECT_TRUE(WaitUntil([&] { return List(main, IDC_ListBox3) == keep; }, 5000));
  browser.title = "Werbung C - Microsoft Internet Explorer";
  FixtureWindows fx2({browser, front});
  {
    HeldFile held(dir_.File("User.ini"));
    ASSERT_TRUE(fx2.ok() && Send(main, WM_CLOSEBROWSER, 0, 0, &result)) << "a box in the request";
    EXPECT_EQ(0, result);
  }
  box = WaitForMessageBox(proc_.pid(), kSendTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Cannot write to " + dir_.File("User.ini"));
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ((std::vector<std::string>{"Zu A"}), List(main, IDC_ListBox2));
  EXPECT_EQ(copy, dir_.ReadFile("User.ini"));
}

// ---- the fixture windows the guard will act on ----

TEST(FixtureWindowsTest, WindowsStandAsSpecifiedAndCloseRequestsAreReported) {
  std::vector<WindowSpec> specs(3);
  specs[0].title = "Gro\xDF""e Seite - Microsoft Internet Explorer";
  specs[0].x = -50;
  specs[0].y = -20;
  specs[1].className = "CabinetWClass";
  specs[1].title = "Ordner";
  specs[1].show = ShowState::Minimized;
  specs[2].title = "vorn";
  specs[2].front = true;
  FixtureWindows fx(specs);
  ASSERT_TRUE(fx.ok());

  std::vector<HWND> tops = FindTopWindows("", nullptr, 0);
  ASSERT_FALSE(tops.empty());
  EXPECT_EQ(tops.front(), fx.window(2)) << "the front window is not first in the z-order";
  EXPECT_EQ(FindTopWindow("IEFrame", specs[0].title.c_str(), fx.pid()), fx.window(0));
  RECT r;
  GetWindowRect(fx.window(0), &r);
  EXPECT_EQ(r.left, -50);
  EXPECT_EQ(r.top, -20);
  EXPECT_TRUE(IsIconic(fx.window(1)));

  ASSERT_TRUE(Send(fx.window(0), WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(Send(fx.window(1), WM_CLOSE));
  ASSERT_TRUE(fx.WaitForCloseRequests(2, kSendTimeoutMs));
  std::vector<CloseRequest> got = fx.CloseRequests();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].kind, "SC_CLOSE");
  EXPECT_EQ(got[0].title, specs[0].title);
  EXPECT_EQ(got[1].kind, "WM_CLOSE");
  EXPECT_EQ(got[1].title, "Ordner");
  EXPECT_TRUE(WaitForWindowGone(fx.window(0), kSendTimeoutMs));
  EXPECT_TRUE(fx.process().Running());
  EXPECT_TRUE(IsWindow(fx.window(2)));

  // The last window closed: the program ends by itself.
  ASSERT_TRUE(Send(fx.window(2), WM_CLOSE));
  EXPECT_TRUE(fx.process().WaitForExit(kExitTimeoutMs));
}

TEST(FixtureWindowsTest, HungWindowDoesNotAnswerAndIgnoringWindowStays) {
  std::vector<WindowSpec> specs(2);
  specs[0].title = "h\xE4ngt";
  specs[0].hung = true;
  specs[1].title = "bleibt";
  specs[1].ignoreClose = true;
  FixtureWindows fx(specs);
  ASSERT_TRUE(fx.ok());
  double start = NowMs();
  EXPECT_FALSE(Send(fx.window(0), WM_NULL, 0, 0, nullptr, 300));
  EXPECT_LT(NowMs() - start, 3000.0);
  EXPECT_EQ(FindTopWindow("IEFrame", "h\xE4ngt", fx.pid()), fx.window(0));

  ASSERT_TRUE(Send(fx.window(1), WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(fx.WaitForCloseRequests(1, kSendTimeoutMs));
  EXPECT_TRUE(IsWindow(fx.window(1)));
  EXPECT_TRUE(fx.process().Running());
  HWND stays = fx.window(1);
  fx.Stop();
  EXPECT_FALSE(IsWindow(stays));
}

}  // namespace
