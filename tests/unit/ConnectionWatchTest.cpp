#include "ConnectionWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "AppPaths.h"
#include "MainWindow.h"
#include "MessageBoxWatcher.h"
#include "RasDouble.h"
#include "Rasclass.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"

// The watch runs in the real main window against the dial-up test double
// (tests/doubles/rasapi32): the scenario file says which connections are up, the double's log
// records every hang-up.

namespace {
const char kWarningCaption[] = "Wachtposten & Leitungswart";
const char kNamePrefix[] = "Name: ";

BOOL CALLBACK FindEntryLabel(HWND child, LPARAM lp) {
  std::string text = GetWindowTextString(child);
  if (text.compare(0, sizeof kNamePrefix - 1, kNamePrefix) != 0) return TRUE;
  *reinterpret_cast<std::string*>(lp) = text.substr(sizeof kNamePrefix - 1);
  return FALSE;
}

// Plays the user of the watch's warning dialogs from a thread of its own: notes the entry each
// one names and how many are open at once, runs whileOpen (given the warning's number from 0)
// and closes each closeAfterMs after that.
class WarningUser {
 public:
  explicit WarningUser(DWORD closeAfterMs = 0,
                       std::function<void(std::size_t)> whileOpen = nullptr)
      : closeAfterMs_(closeAfterMs), whileOpen_(std::move(whileOpen)), thread_([this] { Run(); }) {}
  ~WarningUser() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Names() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return names_;
  }
  int MostOpen() const { return mostOpen_; }
  // Keeps this thread's messages moving (the timers run the watch) until n warnings were seen.
  bool WaitFor(std::size_t n, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (Names().size() < n) {
      if (GetTickCount() - start >= timeoutMs) return false;
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
    return true;
  }

 private:
  struct Open {
    HWND hwnd;
    DWORD since;
    bool closing;
  };

  static BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId() && GetClassNameString(hwnd) == "#32770" &&
        GetWindowTextString(hwnd) == kWarningCaption && IsWindowVisible(hwnd))
      reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
  }

  void Run() {
    std::vector<Open> open;
    while (!stop_) {
      std::vector<HWND> now;
      EnumWindows(&Collect, reinterpret_cast<LPARAM>(&now));
      open.erase(std::remove_if(open.begin(), open.end(),
                                [&](const Open& o) {
                                  return std::find(now.begin(), now.end(), o.hwnd) == now.end();
                                }),
                 open.end());
      for (HWND h : now) {
        if (std::any_of(open.begin(), open.end(), [h](const Open& o) { return o.hwnd == h; }))
          continue;
        std::string name = "?";
        EnumChildWindows(h, &FindEntryLabel, reinterpret_cast<LPARAM>(&name));
        std::size_t index;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          index = names_.size();
          names_.push_back(name);
        }
        open.push_back({h, GetTickCount(), false});
        mostOpen_ = std::max<int>(mostOpen_, static_cast<int>(open.size()));
        if (whileOpen_) {
          whileOpen_(index);
          open.back().since = GetTickCount();
        }
      }
      mostOpen_ = std::max<int>(mostOpen_, static_cast<int>(open.size()));
      for (Open& o : open) {
        if (!o.closing && GetTickCount() - o.since >= closeAfterMs_) {
          PostMessageA(o.hwnd, WM_CLOSE, 0, 0);
          o.closing = true;
        }
      }
      Sleep(10);
    }
  }

  DWORD closeAfterMs_;
  std::function<void(std::size_t)> whileOpen_;
  std::atomic<bool> stop_{false};
  std::atomic<int> mostOpen_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> names_;
  std::thread thread_;
};

std::string Connection(int n, const std::string& name, int handle, DWORD state = 0x2000,
                       const std::string& extra = "") {
  return "[Connection" + std::to_string(n) + "]\r\nName=" + name +
         "\r\nHandle=" + std::to_string(handle) + "\r\nState=" + std::to_string(state) + "\r\n" +
         extra;
}

std::string UserName() {
  char name[256];
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

struct ConnectionWatchTest : ::testing::Test {
  TempDir dir{"conn"};

  void SetUp() override {
    ASSERT_TRUE(RasDoubleLoaded());
    SetProgramDirForTests(dir.path());
    UseRasFiles(dir.File("scenario.ini"), dir.File("ras.log"));
    LanguageOffset = 0;
    // The wrapper is the program's one static object: forget an earlier test's connections.
    Scenario("");
    RasObject.PollConnections(nullptr, nullptr);
  }
  void TearDown() override {
    UseRasFiles("");
    SetProgramDirForTests("");
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
  }

  void Scenario(const std::string& text) { WriteFileBytes(dir.File("scenario.ini"), text); }
  void Files(const std::string& config, const std::string& trusted) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n" + config);
    WriteFileBytes(dir.File("User.ini"), "[WhiteConnections]\r\n" + trusted);
  }
  // The handles that the double's log shows hung up, in order.
  std::vector<std::string> HangUps() {
    std::vector<std::string> handles;
    std::string log = ReadFileBytes(dir.File("ras.log"));
    for (std::size_t at = 0; (at = log.find("HangUp ", at)) != std::string::npos; ++at) {
      std::size_t end = log.find("\r\n", at);
      std::string line = log.substr(at, end - at);
      handles.push_back(line.substr(line.rfind(' ') + 1));
    }
    return handles;
  }
  std::string ConnectionLog() { return ReadFileBytes(dir.File("Connection.log")); }
  // Waits (without pumping messages: for another thread) until the handle was hung up n times.
  bool WaitForHangUps(const std::string& handle, std::size_t n, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
      std::vector<std::string> all = HangUps();
      if (static_cast<std::size_t>(std::count(all.begin(), all.end(), handle)) >= n) return true;
      if (GetTickCount() - start >= timeoutMs) return false;
      Sleep(10);
    }
  }
};

}  // namespace

TEST_F(ConnectionWatchTest, TrustIsExactAndLogLinesHaveTheirFields) {
  StringList trusted = {"1=T-Online", "2=Arcor=Home", "Bare"};
  EXPECT_TRUE(IsTrustedConnection(trusted, "T-Online"));
  EXPECT_FALSE(IsTrustedConnection(trusted, "t-online"));
  EXPECT_FALSE(IsTrustedConnection(trusted, "T-Online "));
  EXPECT_TRUE(IsTrustedConnection(trusted, "Arcor=Home"));  // only the first "=" separates
  EXPECT_TRUE(IsTrustedConnection(trusted, "Bare"));
  EXPECT_FALSE(IsTrustedConnection(StringList(), ""));

  EXPECT_EQ(TRasObj::StateText(0x2000), kConnectedStateText);
  EXPECT_EQ("1.2.2024 10:00:00     -     anna     -     Home\r\n",
            ConnectionLogLine("1.2.2024", "10:00:00", "anna", "Home"));

  const std::string dialling = TRasObj::StateText(0);
  EXPECT_EQ(TableChange::Add, DecideTableChange(false, "", 0));
  EXPECT_EQ(TableChange::None, DecideTableChange(false, "", 0x2001));
  EXPECT_EQ(TableChange::Delete, DecideTableChange(true, dialling, 0x2001));
  EXPECT_EQ(TableChange::None, DecideTableChange(true, dialling, 0));
  EXPECT_EQ(TableChange::Update, DecideTableChange(true, dialling, 0x2000));
}

// A line that stays up is waited for and warned about at its first hang-up only. A line is one
// handle under one entry name: a redial is a new line, so is a handle under another entry's
// name, and so is a line back after it was no longer listed.
TEST(HungUpLines, ALineIsWaitedForAndWarnedAboutOnlyAtItsFirstHangUp) {
  using Names = std::vector<std::string>;
  using Waits = std::vector<bool>;
  auto h = [](int n) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(n)); };
  const StringList trusted = {"1=Home"};
  HungUpLines lines;
  std::vector<ActiveConnection> up = {{h(11), "Home"}, {h(21), "Dialer"}};
  Blocking b = lines.Block("Dialer", &up, trusted);
  EXPECT_EQ((std::vector<HANDLE>{h(11), h(21)}), b.handles);
  EXPECT_EQ((Waits{true, true}), b.wait);
  EXPECT_EQ(Names{"Dialer"}, b.warn);
  b = lines.Block("Dialer", &up, trusted);  // still up at the next poll
  EXPECT_EQ((std::vector<HANDLE>{h(11), h(21)}), b.handles);
  EXPECT_EQ((Waits{false, false}), b.wait);
  EXPECT_EQ(Names{}, b.warn);
  up = {{h(11), "Home"}, {h(50), "Zweit"}, {h(21), "Anderer"}};
  b = lines.Block("Zweit", &up, trusted);
  EXPECT_EQ((Waits{false, true, true}), b.wait);
  EXPECT_EQ((Names{"Zweit", "Anderer"}), b.warn);

  up = {{h(11), "Home"}, {h(22), "Dialer"}, {h(31), "Other"}};
  b = lines.Block("Other", &up, trusted);
  EXPECT_EQ((Waits{false, true, true}), b.wait);
  EXPECT_EQ((Names{"Other", "Dialer"}), b.warn);
  EXPECT_TRUE(lines.Holds("Dialer"));
  // Lines that cannot be listed: only a name not hung up before is warned about.
  EXPECT_EQ(Names{}, lines.Block("Other", nullptr, trusted).warn);
  EXPECT_EQ(Names{"Brief"}, lines.Block("Brief", nullptr, trusted).warn);

  lines.KeepListed(up);  // a listed line stays known, whether its state was read or not
  EXPECT_TRUE(lines.Holds("Dialer"));
  lines.KeepListed({{h(11), "Home"}, {h(31), "Other"}});
  EXPECT_FALSE(lines.Holds("Dialer"));
  b = lines.Block("Dialer", &up, trusted);
  EXPECT_EQ((Waits{false, true, false}), b.wait);
  EXPECT_EQ(Names{"Dialer"}, b.warn);
}

TEST_F(ConnectionWatchTest, UntrustedConnectionHangsUpEveryConnectionAndWarns) {
  // The settings switch the watch on; its timer finds the connection.
  Files("DF\xDCLookUp=1\r\n", "1=Home\r\n");
  Scenario(Connection(1, "Home", 11) + Connection(2, "home", 12, 0));
  TFWachtposten_Main form;
  ASSERT_TRUE(form.TimerEnumConn.Enabled());
  ShowWindow(form.hwnd(), SW_SHOW);
  {
    WarningUser user;
    ASSERT_TRUE(user.WaitFor(1, 5000));
    EXPECT_EQ(std::vector<std::string>{"home"}, user.Names());
  }
  form.TimerEnumConn.SetEnabled(false);
  EXPECT_EQ((std::vector<std::string>{"11", "12"}), HangUps());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));  // back in the tray
  // Both connections are gone at the next poll, and so are their rows.
  form.TimerEnumConnTimer();
  EXPECT_TRUE(ConnectionTable(form.lviewConnections).empty());
  EXPECT_EQ(2u, HangUps().size());
}

TEST_F(ConnectionWatchTest, TrustedConnectionIsLoggedOncePerStayConnected) {
  Files("LogConnections=1\r\n", "1=Home\r\n");
  TFWachtposten_Main form;
  HWND table = form.lviewConnections;

  Scenario(Connection(1, "Home", 11, 5));
  form.TimerEnumConnTimer();
  EXPECT_EQ((std::vector<ConnectionRow>{{"Home", TRasObj::StateText(5), "0"}}),
            ConnectionTable(table));
  EXPECT_FALSE(FileExists(dir.File("Connection.log")));

  Scenario(Connection(1, "Home", 11));
  form.TimerEnumConnTimer();
  form.TimerEnumConnTimer();
  EXPECT_EQ((std::vector<ConnectionRow>{{"Home", kConnectedStateText, "1"}}),
            ConnectionTable(table));
  std::string log = ConnectionLog();
  const std::string header = "DATUM - ZEIT - BENUTZER - VERBINDUNGSNAME\r\n\r\n";
  const std::string tail = "     -     " + UserName() + "     -     Home\r\n";
  ASSERT_EQ(0u, log.find(header));
  std::string line = log.substr(header.size());
  EXPECT_EQ(tail, line.substr(line.size() - std::min(line.size(), tail.size())));
  EXPECT_EQ(line.size() - 2, line.find("\r\n"));  // one line: date, blank, time, the rest
  EXPECT_TRUE(HangUps().empty());

  // Dropped and dialled again: logged again, under the same header.
  Scenario("");
  form.TimerEnumConnTimer();
  EXPECT_TRUE(ConnectionTable(table).empty());
  Scenario(Connection(1, "Home", 11));
  form.TimerEnumConnTimer();
  EXPECT_EQ(log + line, ConnectionLog());

  // Logging off when it connects: handled without a line, and not logged later either.
  Scenario("");
  form.TimerEnumConnTimer();
  Config->SetLogConnections(false);
  Scenario(Connection(1, "Home", 11));
  form.TimerEnumConnTimer();
  Config->SetLogConnections(true);
  form.TimerEnumConnTimer();
  EXPECT_EQ((std::vector<ConnectionRow>{{"Home", kConnectedStateText, "1"}}),
            ConnectionTable(table));
  EXPECT_EQ(log + line, ConnectionLog());

  // A log that cannot be written loses the entry, and only the entry.
  DeleteFileA(dir.File("Connection.log").c_str());
  CreateDirectoryA(dir.File("Connection.log").c_str(), nullptr);
  Scenario("");
  form.TimerEnumConnTimer();
  Scenario(Connection(1, "Home", 11));
  form.TimerEnumConnTimer();
  form.TimerEnumConnTimer();
  EXPECT_EQ((std::vector<ConnectionRow>{{"Home", kConnectedStateText, "1"}}),
            ConnectionTable(table));
}

// A held User.ini, or one gone for a moment, cuts no trusted line: no line is judged before the trusted list was read, then
// the list read last stands; an untrusted line is still cut.
TEST_F(ConnectionWatchTest, AHeldUserIniCutsNoTrustedLine) {
  Files("", "1=Zuhause\r\n");
  Scenario(Connection(1, "Zuhause", 11));
  MessageBoxWatcher boxes;
  auto held = std::make_unique<HeldFile>(dir.File("User.ini"));
  TFWachtposten_Main form;
  // The box says the watch waits for the file.
  EXPECT_EQ(std::vector<std::string>{TextF(txt::StartFilesHeld, dir.File("User.ini")) + "\r\n\r\n" +
                                     Text(txt::StartUserUnread)},
            boxes.Texts());
  form.TimerEnumConnTimer();
  held.reset();
  form.TimerEnumConnTimer();
  held = std::make_unique<HeldFile>(dir.File("User.ini"));
  Scenario(Connection(1, "Zuhause", 11) + Connection(2, "Zuhause", 12));
  form.TimerEnumConnTimer();
  // Moved away or emptied for a moment, as a restore or sync program leaves it: as held.
  held.reset();
  std::string user = dir.File("User.ini"), moved = dir.File("moved.ini");
  ASSERT_TRUE(MoveFileA(user.c_str(), moved.c_str()));
  form.TimerEnumConnTimer();
  WriteFileBytes(user, "");
  form.TimerEnumConnTimer();
  ASSERT_TRUE(MoveFileExA(moved.c_str(), user.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(HangUps().empty());
  Scenario(Connection(1, "Zuhause", 11) + Connection(2, "Zuhause", 12) + Connection(3, "Dialer", 13));
  form.TimerEnumConnTimer();
  std::vector<std::string> cut = HangUps();
  EXPECT_NE(cut.end(), std::find(cut.begin(), cut.end(), "13"));
}

// The watch's own timer keeps polling while its warning is open: a dialer that redials behind
// the warning is hung up at the next poll, and again at every poll while it stays up, but
// warned about no second time while its warning stands; another one is warned about next.
TEST_F(ConnectionWatchTest, RedialsBehindTheOpenWarningAreHungUpAtTheNextPoll) {
  Files("DF\xDCLookUp=1\r\n", "1=Home\r\n");
  Scenario(Connection(1, "Dialer", 21, 0x2000, "HangUpDelay=800\r\n"));
  TFWachtposten_Main form;
  ASSERT_TRUE(form.TimerEnumConn.Enabled());
  bool redialHungUp = false, stubbornHungUpAgain = false, otherHungUp = false;
  {
    WarningUser user(0, [&](std::size_t index) {
      if (index != 0) return;
      Scenario(Connection(1, "Dialer", 22));
      redialHungUp = WaitForHangUps("22", 1, 1500);
      // This one outlives its hang-ups.
      Scenario(Connection(1, "Dialer", 23, 0x2000, "HangUpFail=633\r\n") +
               Connection(2, "Other", 24));
      otherHungUp = WaitForHangUps("24", 1, 1500);
      stubbornHungUpAgain = WaitForHangUps("23", 3, 2500);
      Scenario("");
    });
    ASSERT_TRUE(user.WaitFor(2, 15000)) << ::testing::PrintToString(user.Names()) << " "
                                         << ::testing::PrintToString(HangUps());
    // Nothing more to warn about once both are closed.
    EXPECT_FALSE(user.WaitFor(3, 1500));
    EXPECT_EQ((std::vector<std::string>{"Dialer", "Other"}), user.Names());
    EXPECT_EQ(1, user.MostOpen());
  }
  EXPECT_TRUE(redialHungUp);
  EXPECT_TRUE(otherHungUp);
  EXPECT_TRUE(stubbornHungUpAgain);
  form.TimerEnumConn.SetEnabled(false);
  std::vector<std::string> hangUps = HangUps();
  EXPECT_EQ(1, std::count(hangUps.begin(), hangUps.end(), "21")) << "down before the next poll";
}

TEST_F(ConnectionWatchTest, DisconnectCommandHangsUpEachConnectionAndSaysHow) {
  Files("", "1=Home\r\n2=Work\r\n");
  TFWachtposten_Main form;
  for (int id : {ID_Verbindungtrennen1, ID_Verbindungtrennen2})
    EXPECT_TRUE(TFWachtposten_Main::CommandAvailable(id));
  EXPECT_FALSE(GetMenuState(form.MainMenu1, ID_Verbindungtrennen2, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(form.PopupMenu1, ID_Verbindungtrennen1, MF_BYCOMMAND) & MF_GRAYED);

  {
    MessageBoxWatcher boxes;
    form.OnMenuCommand(ID_Verbindungtrennen1);
    EXPECT_EQ(std::vector<std::string>{"Es besteht keine Verbindung zum trennen."}, boxes.Texts());
  }
  // The size query misses a connection: the fetch is tried again and finds all. "Cut" only
  // when the line is down: not for a refused hang-up, nor for a line still going down when
  // the wait ends.
  Scenario("[Connections]\r\nSizeQueryShortBy=1\r\n" +
           Connection(1, "Home", 11, 0x2000, "HangUpDelay=300\r\n") +
           Connection(2, "Work", 12, 0x2000, "HangUpFail=6\r\n") +
           Connection(3, "Slow", 13, 0x2000, "HangUpDelay=5000\r\n"));
  {
    MessageBoxWatcher boxes;
    form.OnMenuCommand(ID_Verbindungtrennen2);
    EXPECT_EQ((std::vector<std::string>{"Die Verbindung wurde getrennt!",
                                        "Die Verbindung konnte nicht getrennt werden!",
                                        "Die Verbindung konnte nicht getrennt werden!"}),
              boxes.Texts());
  }
  EXPECT_EQ((std::vector<std::string>{"11", "12", "13"}), HangUps());
  // Connections that cannot be listed are not reported as none.
  Scenario("[Connections]\r\nFail=610\r\n");
  {
    MessageBoxWatcher boxes;
    form.OnMenuCommand(ID_Verbindungtrennen1);
    EXPECT_EQ(std::vector<std::string>{"Die Verbindung konnte nicht getrennt werden!"},
              boxes.Texts());
  }
}

// Any process can post the dial-event message: it is answered, and changes no list and hangs
// up nothing.
TEST_F(ConnectionWatchTest, DialEventIsAnsweredOnceTheWindowHasBeenShownAndDoesNothing) {
  Files("", "");
  Scenario("[Entry1]\r\nName=Home\r\n" + Connection(1, "Home", 11) +
           "[Errors]\r\n633=Das Modem ist besetzt.\r\n");
  RasObject.EnumEntries();
  TFWachtposten_Main form;
  const UINT dialEvent = RasObject.DialEventMessage;
  ASSERT_EQ(RegisterWindowMessageA("RasDialEvent"), dialEvent);

  ShowWindow(form.hwnd(), SW_SHOW);
  ASSERT_NE(nullptr, form.OldWindowProc);
  WNDPROC before = form.OldWindowProc;
  ShowWindow(form.hwnd(), SW_HIDE);
  ShowWindow(form.hwnd(), SW_SHOW);
  EXPECT_EQ(before, form.OldWindowProc);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&TFWachtposten_Main::MainWindowProc),
            GetWindowLongPtrA(form.hwnd(), GWLP_WNDPROC));

  form.ListBox3.Add("Werbung");
  form.ListBox3.Select(0);  // the row that once chose the entry to hang up
  EXPECT_EQ(0, SendMessageA(form.hwnd(), dialEvent, 0x2000, 0));
  EXPECT_EQ(0, SendMessageA(form.hwnd(), dialEvent, 0, 633));
  EXPECT_EQ(std::vector<std::string>{"Werbung"}, form.ListBox3.Items());
  EXPECT_TRUE(HangUps().empty());

  // Everything else still reaches the window as before.
  EXPECT_EQ("Wachtposten", GetWindowTextString(form.hwnd()));
  SendMessageA(form.hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(form.IsInTray());
}
