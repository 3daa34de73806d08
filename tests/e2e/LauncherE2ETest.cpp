// Weckruf end to end: the real launcher from the product folder, run in a program directory
// of its own, against the real Wachtposten or against FakeMain.exe standing in for it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Driver.h"

namespace {

using e2e::ProgramDir;
using e2e::Process;

const char kErrorText[] = "Es ist ein Fehler aufgetreten!";
// Weckruf's shortest wait for a main program it has just started.
constexpr double kStartWaitMs = 3000;
// Weckruf's own bound: 60 s from its start for the main program to come up and answer.
constexpr DWORD kLauncherRunMs = 60000 + e2e::kStartTimeoutMs;

// A browser window directly behind the first window of the z-order, which the main program
// never examines. Large, so that the main program's own scan leaves it alone.
const char kBrowserTitle[] = "Gewinnspiel - Microsoft Internet Explorer";

std::vector<e2e::WindowSpec> BrowserBehindAFrontWindow() {
  e2e::WindowSpec browser;
  browser.title = kBrowserTitle;
  browser.width = 800;
  browser.height = 600;
  e2e::WindowSpec front;
  front.className = "FixtureFront";
  front.title = "Vorne";
  front.front = true;
  return {browser, front};
}

// A main program the launcher started (so no Process of ours): found by its window and ended
// when the test ends, so that the next test finds none.
class StartedByLauncher {
 public:
  StartedByLauncher() {
    if (HWND main = e2e::FindTopWindow("TFWachtposten_Main"))
      process_ = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e2e::WindowPid(main));
  }
  ~StartedByLauncher() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, e2e::kExitTimeoutMs);
    CloseHandle(process_);
  }
  StartedByLauncher(const StartedByLauncher&) = delete;
  StartedByLauncher& operator=(const StartedByLauncher&) = delete;
  bool found() const { return process_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
};

// Puts FakeMain.exe into the directory as Wachtposten.exe, with its settings.
void UseFakeMain(const ProgramDir& dir, const std::string& settings = "") {
  ASSERT_TRUE(CopyFileA((e2e::TestBinDir() + "FakeMain.exe").c_str(),
                        dir.File("Wachtposten.exe").c_str(), FALSE));
  ASSERT_TRUE(dir.WriteFile("FakeMain.ini", "[Fake]\r\n" + settings));
}

// FakeMain's log lines, split into fields at the tabs.
std::vector<std::vector<std::string>> FakeLog(const ProgramDir& dir) {
  std::vector<std::vector<std::string>> lines;
  std::string log = dir.ReadFile("FakeMain.log");
  std::size_t pos = 0;
  while (pos < log.size()) {
    std::size_t eol = log.find("\r\n", pos);
    if (eol == std::string::npos) break;
    std::vector<std::string> fields;
    std::size_t start = pos;
    for (;;) {
      std::size_t tab = log.find('\t', start);
      if (tab == std::string::npos || tab > eol) break;
      fields.push_back(log.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(log.substr(start, eol - start));
    lines.push_back(fields);
    pos = eol + 2;
  }
  return lines;
}

std::vector<std::string> Messages(const ProgramDir& dir) {
  std::vector<std::string> out;
  for (const auto& line : FakeLog(dir))
    if (line.size() == 4 && line[0] == "message")
      out.push_back(line[1] + "," + line[2] + "," + line[3]);
  return out;
}

int Starts(const ProgramDir& dir) {
  int n = 0;
  for (const auto& line : FakeLog(dir)) n += line[0] == "start";
  return n;
}

std::string IniValue(const std::string& file, const char* section, const char* key) {
  constexpr DWORD kValueChars = 512;
  char value[kValueChars] = "";
  GetPrivateProfileStringA(section, key, "", value, kValueChars, file.c_str());
  return value;
}

// Runs Weckruf to its end; its exit code, or a failure when it did not end in time.
::testing::AssertionResult RunsToExitCode0(Process& launcher) {
  DWORD code = 1;
  if (!launcher.WaitForExit(kLauncherRunMs, &code))
    return ::testing::AssertionFailure() << "Weckruf did not end";
  if (code != 0) return ::testing::AssertionFailure() << "exit code " << code;
  return ::testing::AssertionSuccess();
}

BOOL CALLBACK CollectVisibleButton(HWND child, LPARAM lp) {
  constexpr int kClassChars = 16;
  char cls[kClassChars] = "";
  GetClassNameA(child, cls, kClassChars);
  if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child))
    reinterpret_cast<std::vector<int>*>(lp)->push_back(GetDlgCtrlID(child));
  return TRUE;
}

std::vector<int> VisibleButtons(HWND dialog) {
  std::vector<int> ids;
  EnumChildWindows(dialog, &CollectVisibleButton, reinterpret_cast<LPARAM>(&ids));
  return ids;
}

// Waits for Weckruf's one error box, checks it and presses OK.
void ExpectOneErrorBox(Process& launcher) {
  HWND box = e2e::WaitForMessageBox(launcher.pid(), kLauncherRunMs);
  ASSERT_NE(nullptr, box) << "no error box";
  // Right after a time-out the launcher's thread still counts as hung for a moment, and a
  // bounded read of its box's text gives up: read until it answers.
  std::string text;
  e2e::WaitUntil([&] { return !(text = e2e::MessageBoxText(box)).empty(); }, e2e::kSendTimeoutMs);
  EXPECT_EQ(kErrorText, text);
  EXPECT_EQ(std::vector<int>{IDOK}, VisibleButtons(box));
  EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
  ASSERT_TRUE(e2e::PressButton(box, IDOK));
  // A second box would keep it from ending.
  EXPECT_TRUE(RunsToExitCode0(launcher));
}

TEST(Launcher, StartsTheMainProgramWhichClosesTheFrontBrowserWindowAndListsIt) {
  ProgramDir dir("Weckruf e2e");
  ASSERT_TRUE(dir.CopyProduct({"Wachtposten.exe", "Rufsperre.dll", "Weckruf.exe"}));
  e2e::FixtureWindows fixtures(BrowserBehindAFrontWindow());
  ASSERT_TRUE(fixtures.ok());
  ASSERT_EQ(nullptr, e2e::FindTopWindow("TFWachtposten_Main"));

  Process launcher(dir.Exe("Weckruf.exe"));
  ASSERT_TRUE(launcher.started());
  EXPECT_TRUE(RunsToExitCode0(launcher));
  StartedByLauncher main;
  ASSERT_TRUE(main.found()) << "the main program was not started";

  // The launcher's send returns only after the main program has handled the request.
  std::vector<e2e::CloseRequest> closes = fixtures.CloseRequests();
  ASSERT_EQ(1u, closes.size());
  EXPECT_EQ("SC_CLOSE", closes[0].kind);
  EXPECT_EQ(kBrowserTitle, closes[0].title);
  EXPECT_EQ(kBrowserTitle, IniValue(dir.File("User.ini"), "Windows", "1"));
  EXPECT_EQ("", IniValue(dir.File("User.ini"), "Windows", "2"));
}

// A main program started by hand (or at log-on, or by an earlier launcher), its window up and
// busy for `busyMs` before it answers.
void SendsToARunningMainProgram(DWORD busyMs) {
  ProgramDir dir("Weckruf e2e");
  ASSERT_TRUE(dir.CopyProduct({"Weckruf.exe"}));
  UseFakeMain(dir, "StartDelay=" + std::to_string(busyMs) + "\r\n");
  Process fake(dir.Exe());
  ASSERT_NE(nullptr, busyMs ? e2e::WaitForMainWindow(fake) : e2e::WaitForMainWindowReady(fake));

  Process launcher(dir.Exe("Weckruf.exe"));
  EXPECT_TRUE(RunsToExitCode0(launcher)) << "no error box, which would keep it from ending";
  // Its whole run, process start included, is shorter than the wait for a started program
  // beyond the main program's busy time.
  EXPECT_LT(e2e::NowMs() - launcher.startMs(), busyMs + kStartWaitMs);
  EXPECT_EQ(1, Starts(dir));
  EXPECT_EQ((std::vector<std::string>{"6,0,0", "3179,0,0"}), Messages(dir));
  EXPECT_EQ(1u, e2e::FindTopWindows("TFWachtposten_Main").size());
}

TEST(Launcher, SendsToARunningMainProgramWithoutStartingAnotherAndWaitsWhileItIsBusy) {
  // Busy as with long start-up clean-ups: the launcher, once up, waits several seconds.
  for (DWORD busyMs : {0ul, 10000ul}) {
    SCOPED_TRACE(busyMs);
    SendsToARunningMainProgram(busyMs);
  }
}

// The started program's window is up at once, but its message loop starts only 12 s later, as
// when its start-up clean-ups take long: the launcher waits for its answer.
TEST(Launcher, StartsTheMainProgramByItsQuotedFullPathFromItsDirectoryAndWaitsForItsAnswer) {
  // Every program directory of the driver has blanks in its name; one more level of them.
  ProgramDir root("Weckruf e2e");
  ASSERT_TRUE(root.MakeDir("Meine Programme"));
  const std::string sub = root.File("Meine Programme\\");
  ASSERT_TRUE(CopyFileA((e2e::ProductDir() + "Weckruf.exe").c_str(), (sub + "Weckruf.exe").c_str(),
                        FALSE));
  ASSERT_TRUE(CopyFileA((e2e::TestBinDir() + "FakeMain.exe").c_str(),
                        (sub + "Wachtposten.exe").c_str(), FALSE));
  const DWORD kStartDelayMs = 12000;
  ASSERT_TRUE(root.WriteFile("Meine Programme\\FakeMain.ini",
                             "[Fake]\r\nStartDelay=" + std::to_string(kStartDelayMs) + "\r\n"));
  // What an unquoted command line would start first.
  ASSERT_TRUE(CopyFileA((e2e::TestBinDir() + "FakeMain.exe").c_str(),
                        root.File("Meine.exe").c_str(), FALSE));

  // Arguments to the launcher are not passed on.
  Process launcher(sub + "Weckruf.exe", {}, "/egal \"mit Blank\"");
  EXPECT_TRUE(RunsToExitCode0(launcher)) << "no error box, which would keep it from ending";
  EXPECT_GE(e2e::NowMs() - launcher.startMs(), kStartDelayMs);
  StartedByLauncher main;
  ASSERT_TRUE(main.found());

  std::string log = e2e::ReadFileBytes(sub + "FakeMain.log");
  std::string subNoSlash = sub.substr(0, sub.size() - 1);
  EXPECT_EQ("start\t\"" + sub + "Wachtposten.exe\"\t" + subNoSlash + "\r\n"
            "message\t6\t0\t0\r\nmessage\t3179\t0\t0\r\n",
            log);
  EXPECT_FALSE(root.Exists("FakeMain.log")) << "the wrong program was started";
}

TEST(Launcher, ARequestAnsweredInsideAStartUpBoxKeepsTheStoredToCloseList) {
  // The started main program's window exists, but a box of its start-up (here: a refused
  // settings write) is open; the request is handled in that box's message loop.
  ProgramDir dir("Weckruf e2e");
  ASSERT_TRUE(dir.CopyProduct({"Wachtposten.exe", "Rufsperre.dll", "Weckruf.exe"}));
  ASSERT_TRUE(dir.MakeDir("Config.ini"));
  ASSERT_TRUE(dir.WriteFile("User.ini", "[Windows]\r\n1=Alt\r\n"));
  e2e::FixtureWindows fixtures(BrowserBehindAFrontWindow());
  ASSERT_TRUE(fixtures.ok());

  Process launcher(dir.Exe("Weckruf.exe"));
  EXPECT_TRUE(RunsToExitCode0(launcher));
  StartedByLauncher main;
  ASSERT_TRUE(main.found());
  HWND mainWindow = e2e::FindTopWindow("TFWachtposten_Main");
  // A modal loop shows its box once no message waits, so the box may appear only after it has
  // answered the launcher.
  ASSERT_NE(nullptr, e2e::WaitForMessageBox(e2e::WindowPid(mainWindow), e2e::kSendTimeoutMs))
      << "no start-up box";

  EXPECT_EQ(1u, fixtures.CloseRequests().size());
  EXPECT_EQ("Alt", IniValue(dir.File("User.ini"), "Windows", "1"));
  EXPECT_EQ(kBrowserTitle, IniValue(dir.File("User.ini"), "Windows", "2"));
}

TEST(Launcher, EndsQuietlyWhenTheMainProgramIsMissing) {
  ProgramDir dir("Weckruf e2e");
  ASSERT_TRUE(dir.CopyProduct({"Weckruf.exe"}));
  Process launcher(dir.Exe("Weckruf.exe"));
  // A box would keep it from ending.
  EXPECT_TRUE(RunsToExitCode0(launcher));
  EXPECT_EQ(nullptr, e2e::FindTopWindow("TFWachtposten_Main"));
}

TEST(Launcher, ShowsTheOneErrorBoxWhenTheMainProgramAnswersNonzero) {
  ProgramDir dir("Weckruf e2e");
  ASSERT_TRUE(dir.CopyProduct({"Weckruf.exe"}));
  UseFakeMain(dir, "Answer=1\r\n");
  Process fake(dir.Exe());
  ASSERT_NE(nullptr, e2e::WaitForMainWindowReady(fake));

  Process launcher(dir.Exe("Weckruf.exe"));
  ExpectOneErrorBox(launcher);
  EXPECT_EQ((std::vector<std::string>{"6,0,0", "3179,0,0"}), Messages(dir));
}

TEST(Launcher, ShowsTheErrorBoxInsteadOfHangingWithAHungMainProgram) {
  struct Case {
    const char* hangOn;
    std::vector<std::string> received;
  };
  const Case cases[] = {
      {"closebrowser", {"6,0,0", "3179,0,0"}},
      {"activate", {"6,0,0"}},  // hung already: the close request is not sent at all
  };
  // Side by side, as each takes Weckruf's whole bound: a launcher starts once the one before
  // has found its main program, which has then logged the first message.
  constexpr std::size_t kCases = sizeof cases / sizeof cases[0];
  std::unique_ptr<ProgramDir> dirs[kCases];
  Process fakes[kCases], launchers[kCases];
  for (std::size_t i = 0; i < kCases; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.hangOn);
    dirs[i].reset(new ProgramDir("Weckruf e2e"));
    ProgramDir& dir = *dirs[i];
    ASSERT_TRUE(dir.CopyProduct({"Weckruf.exe"}));
    UseFakeMain(dir, std::string("Hang=") + c.hangOn + "\r\n");
    ASSERT_TRUE(fakes[i].Start(dir.Exe()));
    ASSERT_NE(nullptr, e2e::WaitForMainWindowReady(fakes[i]));
    ASSERT_TRUE(launchers[i].Start(dir.Exe("Weckruf.exe")));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !Messages(dir).empty(); }, e2e::kStartTimeoutMs));
  }
  for (std::size_t i = 0; i < kCases; ++i) {
    SCOPED_TRACE(cases[i].hangOn);
    ExpectOneErrorBox(launchers[i]);
    EXPECT_EQ(cases[i].received, Messages(*dirs[i]));
  }
}

}  // namespace
