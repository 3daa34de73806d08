// The real Wachtposten.exe guarding dial-up connections: the dial-up test double lies beside it
// in the program directory and is loaded in place of the system's library.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DialupRes.h"
#include "Driver.h"
#include "MainWindow.h"

using namespace e2e;

namespace {
const char kWarningCaption[] = "Wachtposten & Leitungswart";

std::string Connection(int n, const std::string& name, int handle, const std::string& extra = "") {
  return "[Connection" + std::to_string(n) + "]\r\nName=" + name +
         "\r\nHandle=" + std::to_string(handle) + "\r\n" + extra;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class DialerGuard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ProductDir().empty()) << "WP_PRODUCT_DIR is not set";
    ASSERT_TRUE(dir_.CopyProduct()) << "product files missing in " << ProductDir();
    ASSERT_TRUE(CopyFileA((TestBinDir() + "rasapi32.dll").c_str(),
                          dir_.File("rasapi32.dll").c_str(), FALSE))
        << "the dial-up double is missing beside the tests";
  }

  HWND Start(const std::string& config, const std::string& user) {
    EXPECT_TRUE(dir_.WriteFile("Config.ini", "[Configuration]\r\n" + config));
    EXPECT_TRUE(dir_.WriteFile("User.ini", user));
    // The program inherits WINEDLLOVERRIDES=rasapi32=n from this test's environment.
    EXPECT_TRUE(proc_.Start(dir_.Exe(), {{"WP_RAS_SCENARIO", dir_.File("scenario.ini")},
                                         {"WP_RAS_LOG", dir_.File("ras.log")}}))
        << "CreateProcess error " << proc_.lastError();
    HWND main = WaitForMainWindowReady(proc_);
    EXPECT_NE(main, nullptr) << "no main window";
    return main;
  }
  void Scenario(const std::string& text) { ASSERT_TRUE(dir_.WriteFile("scenario.ini", text)); }
  std::string RasLog() { return dir_.ReadFile("ras.log"); }
  bool WaitForLog(const std::string& line, DWORD timeoutMs = kSendTimeoutMs) {
    return WaitUntil([&] { return RasLog().find(line + "\r\n") != std::string::npos; }, timeoutMs);
  }
  // Shown warnings only: a dialog still being set up has no texts yet.
  std::vector<HWND> Warnings() {
    std::vector<HWND> shown = FindTopWindows("#32770", kWarningCaption, proc_.pid());
    shown.erase(std::remove_if(shown.begin(), shown.end(),
                               [](HWND w) { return !IsWindowVisible(w); }),
                shown.end());
    return shown;
  }
  std::string WarnedName(HWND warning) { return ControlText(warning, IDT_DU_LABEL2); }
  // Waits for the box, notes its text and presses OK. A hang-up may wait 3 s before its box.
  std::string AnswerBox() {
    HWND box = WaitForMessageBox(proc_.pid(), kStartTimeoutMs);
    if (!box) return "<no box>";
    std::string text = MessageBoxText(box);
    PressButton(box, IDOK);
    WaitForWindowGone(box, kSendTimeoutMs);
    return text;
  }

  ProgramDir dir_{"Wacht posten dialer"};
  Process proc_;
};
}  // namespace

// A line that stays up long after its hang-up is waited for once; from then on every poll
// hangs it up again and the window stays responsive. It gets one warning, also after that
// warning is closed, and also when its state cannot be read for a while. Its handle under
// another entry's name, and a redial, are new lines: hung up and warned about, and a redial
// behind that warning is hung up without a second one.
TEST_F(DialerGuard, AStuckLineIsHungUpAtEveryPollWithoutFreezingAndWarnedOnce) {
  // Its state cannot be read for 1.5 s after the wait of its first hang-up.
  Scenario(Connection(1, "Dialer", 21,
                      "HangUpDelay=60000\r\nStatusFail=31\r\nStatusFailUntil=4500\r\n"));
  HWND main = Start("DF\xDCLookUp=1\r\nLogConnections=1\r\n", "[WhiteConnections]\r\n1=Home\r\n");
  ASSERT_NE(main, nullptr);
  // The warning follows the one wait.
  ASSERT_TRUE(WaitUntil([&] { return Warnings().size() == 1; }, kStartTimeoutMs));
  HWND warning = Warnings()[0];
  EXPECT_EQ("Name: Dialer", WarnedName(warning));

  const DWORD kWatchMs = 5000, kUnreadableMs = 1500, kPollIntervalMs = 500;
  const std::size_t before = Count(RasLog(), "HangUp 0 21\r\n");
  double slowest = 0;
  // The polls that cannot read its state leave it alone: watched longer for them.
  for (double start = NowMs(); NowMs() - start < kWatchMs + 2 * kUnreadableMs; Sleep(kPollMs)) {
    double sent = NowMs();
    EXPECT_TRUE(Send(main, WM_NULL));
    slowest = std::max(slowest, NowMs() - sent);
  }
  EXPECT_GE(Count(RasLog(), "HangUp 0 21\r\n") - before, kWatchMs / kPollIntervalMs - 1)
      << RasLog();
  EXPECT_LT(slowest, 500.0);
  EXPECT_EQ(std::vector<HWND>{warning}, Warnings());

  ASSERT_TRUE(PressButton(warning, IDB_DU_BUTTON1));
  ASSERT_TRUE(WaitForWindowGone(warning, kSendTimeoutMs));
  const std::size_t closedAt = Count(RasLog(), "HangUp 0 21\r\n");
  EXPECT_FALSE(WaitUntil([&] { return !Warnings().empty(); }, 3 * kPollIntervalMs));
  EXPECT_LT(closedAt, Count(RasLog(), "HangUp 0 21\r\n")) << "still hung up at every poll";

  Scenario(Connection(1, "Zweit", 50) + Connection(2, "Anderer", 21, "HangUpDelay=60000\r\n"));
  for (const std::string name : {"Zweit", "Anderer"}) {
    ASSERT_TRUE(WaitUntil([&] { return Warnings().size() == 1; }, kStartTimeoutMs)) << name;
    EXPECT_EQ("Name: " + name, WarnedName(warning = Warnings()[0]));
    ASSERT_TRUE(PressButton(warning, IDB_DU_BUTTON1) && WaitForWindowGone(warning, kSendTimeoutMs));
  }

  Scenario(Connection(1, "Dialer", 22));
  EXPECT_TRUE(WaitForLog("HangUp 0 22"));
  ASSERT_TRUE(WaitUntil([&] { return Warnings().size() == 1; }, kSendTimeoutMs));
  warning = Warnings()[0];
  Scenario(Connection(1, "Dialer", 23));
  EXPECT_TRUE(WaitForLog("HangUp 0 23"));
  EXPECT_EQ(std::vector<HWND>{warning}, Warnings());
  ASSERT_TRUE(PressButton(warning, IDB_DU_BUTTON1));
  ASSERT_TRUE(WaitForWindowGone(warning, kSendTimeoutMs));
  EXPECT_TRUE(NoMessageBoxWithin(proc_.pid(), 200));
  EXPECT_TRUE(Warnings().empty());
  EXPECT_FALSE(IsWindowVisible(main));
  // Logged when first seen connected, Dialer again after it had gone.
  std::string log = dir_.ReadFile("Connection.log");
  EXPECT_EQ(2u, Count(log, "     -     Dialer\r\n")) << log;
  EXPECT_EQ(4u, Count(log, "\r\n") - 2) << log;
}

// Shown while the window is in the tray, the warning has a taskbar button; shown beside the
// window, none. Either way it stands in front of it, also once a tray click shows it.
TEST_F(DialerGuard, TheWarningStandsInFrontOfATopmostMainWindow) {
  Scenario("");
  HWND main = Start("DF\xDCLookUp=1\r\nStayOnTop=1\r\n", "");
  ASSERT_NE(main, nullptr);
  // Once the warning has gone, the window goes back to the tray.
  for (int line : {21, 22}) {
    bool hidden = line == 21;
    if (!hidden) {
      ASSERT_TRUE(RestoreFromTray(main));
    }
    Scenario(Connection(1, "Dialer", line));
    ASSERT_TRUE(WaitUntil([&] { return Warnings().size() == 1; }, kStartTimeoutMs));
    HWND warning = Warnings()[0];
    EXPECT_EQ(hidden, HasTaskbarButton(warning)) << line;
    if (hidden) {
      ASSERT_TRUE(RestoreFromTray(main));
    }
    EXPECT_TRUE(WaitUntil([&] { return NotInFront(warning, main).empty(); }, kSendTimeoutMs))
        << line << ": " << NotInFront(warning, main);
    ASSERT_TRUE(PressButton(warning, IDB_DU_BUTTON1) && WaitForWindowGone(warning, kSendTimeoutMs));
    Scenario("");
  }
}

TEST_F(DialerGuard, TrustedLineIsKeptAndLoggedOnce) {
  Scenario(Connection(1, "Home", 11));
  HWND main = Start("DF\xDCLookUp=1\r\nLogConnections=1\r\n", "[WhiteConnections]\r\n1=Home\r\n");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return dir_.Exists("Connection.log"); }, kSendTimeoutMs));
  Sleep(1500);  // three more polls, with the line still up
  std::string log = dir_.ReadFile("Connection.log");
  EXPECT_EQ(0u, log.find("DATUM - ZEIT - BENUTZER - VERBINDUNGSNAME\r\n\r\n")) << log;
  EXPECT_EQ(1u, Count(log, "     -     Home\r\n")) << log;
  EXPECT_EQ(1u, Count(log, "\r\n") - 2) << log;
  EXPECT_EQ("", RasLog());
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(DialerGuard, WithTheWatchOffALineStaysUntilActivation) {
  Scenario(Connection(1, "Dialer", 31));
  HWND main = Start("DF\xDCLookUp=0\r\n", "");
  ASSERT_NE(main, nullptr);
  Sleep(1500);
  EXPECT_EQ("", RasLog());
  ASSERT_TRUE(PostCommand(main, ID_aktivieren1));
  EXPECT_TRUE(WaitForLog("HangUp 0 31"));
  ASSERT_TRUE(WaitUntil([&] { return Warnings().size() == 1; }, kSendTimeoutMs));
}

// "Cut" only when the line is really down; the watch is off here.
TEST_F(DialerGuard, DisconnectCommandSaysForEachLineWhetherItIsDown) {
  HWND main = Start("", "");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostCommand(main, ID_Verbindungtrennen1));
  EXPECT_EQ("Es besteht keine Verbindung zum trennen.", AnswerBox());

  Scenario(Connection(1, "Home", 41, "HangUpDelay=300\r\n") +
           Connection(2, "Work", 42, "HangUpFail=6\r\n") +
           Connection(3, "Slow", 43, "HangUpDelay=5000\r\n"));
  ASSERT_TRUE(PostCommand(main, ID_Verbindungtrennen2));
  EXPECT_EQ("Die Verbindung wurde getrennt!", AnswerBox());
  EXPECT_EQ("Die Verbindung konnte nicht getrennt werden!", AnswerBox());
  EXPECT_EQ("Die Verbindung konnte nicht getrennt werden!", AnswerBox());
  EXPECT_EQ("HangUp 0 41\r\nHangUp 6 42\r\nHangUp 0 43\r\n", RasLog());
}

TEST_F(DialerGuard, StartUpCheckFindsAPremiumRateEntryBehindThirtyFourOthers) {
  std::string phonebook;
  for (int n = 1; n <= 34; ++n)
    phonebook += "[Entry" + std::to_string(n) + "]\r\nName=Provider " + std::to_string(n) +
                 "\r\nAreaCode=030\r\nNumber=12345\r\n";
  phonebook += "[Entry35]\r\nName=Gewinn\r\nAreaCode=0190\r\nNumber=555\r\n";
  Scenario(phonebook);
  HWND main = Start("0190CheckOnStartUp=1\r\n", "[BlackNumbers]\r\n1=0190\r\n");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ("ACHTUNG, es wurde eine 0190er - Einwahlverbindung auf Ihrem Rechner gefunden !!!",
            AnswerBox());
}
