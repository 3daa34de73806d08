// Figures of the dialer guard: how long the real main window's watch takes, against the dial-up
// test double, from an untrusted connection appearing until RasHangUp is called and until the
// line is reported down; once with the warning closed before each connection, once for
// redials while the warning stays open. Then, with a line that does not go down, how long the
// main window takes to answer a sent message, and how often the watch hangs the line up.
// Last, with 20,000 entries in each of the lists [BlackNumbers], [WhiteConnections], [Windows]
// and [BadWords] and a trusted line up: what one poll, one scan tick and one premium-rate
// check cost, how fast the main window answers while its timers run, and how soon an untrusted
// line is still hung up. Then, while the log viewer opens a 50 MB pop-up log: how soon its
// first lines show and it has read the whole log, the main window's longest answer meanwhile,
// and how soon an untrusted line that comes up then is hung up (beside the same without the
// viewer).
//   DialerBench.exe [connections, 0 for the long lists only]   (runs with WINEDLLOVERRIDES=rasapi32=n, the double beside it)
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AppPaths.h"
#include "LogViewer.h"
#include "OptionsRes.h"
#include "Driver.h"
#include "MainWindow.h"
#include "RasRecords.h"
#include "Rasclass.h"
#include "Connection.h"

namespace {
const char kWarningCaption[] = "Wachtposten & Leitungswart";
// How long the double takes to bring a hung-up line down.
constexpr int kLineDownMs = 100;

struct Sample {
  double toHangUp, toDown;
};

BOOL CALLBACK CollectWarning(HWND hwnd, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char caption[64] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) &&
      std::string(caption) == kWarningCaption)
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Warnings() {
  std::vector<HWND> found;
  EnumWindows(&CollectWarning, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool LineDown(int handle) {
  ras::ConnStatus status{};
  status.dwSize = sizeof status;
  return RasGetConnectStatusA(reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(handle)),
                              reinterpret_cast<RASCONNSTATUSA*>(&status)) == ERROR_INVALID_HANDLE;
}

// A connection of the untrusted entry "Dialer" appears at a random phase of the poll timer.
// Runs this thread's messages, the guard's timers among them, until `done`.
void PumpUntil(const std::atomic<bool>& done) {
  while (!done) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
}

// Brings up an untrusted line "Dialer" beside `alreadyUp` (scenario sections of the lines up
// already, numbered from 1) at a random moment and measures the guard's answer.
Sample Connect(const e2e::ProgramDir& dir, int handle, const std::string& alreadyUp = "",
               int slot = 1) {
  Sleep(static_cast<DWORD>(std::rand() % 500));
  std::string hangUp = "HangUp 0 " + std::to_string(handle) + "\r\n";
  double start = e2e::NowMs();
  e2e::WriteFileBytes(dir.File("scenario.ini"),
                      alreadyUp + "[Connection" + std::to_string(slot) +
                          "]\r\nName=Dialer\r\nHandle=" + std::to_string(handle) +
                          "\r\nHangUpDelay=" + std::to_string(kLineDownMs) + "\r\n");
  Sample s;
  e2e::WaitUntil([&] {
    return e2e::ReadFileBytes(dir.File("ras.log")).find(hangUp) != std::string::npos;
  }, 10000, 1);
  s.toHangUp = e2e::NowMs() - start;
  e2e::WaitUntil([&] { return LineDown(handle); }, 10000, 1);
  s.toDown = e2e::NowMs() - start;
  return s;
}

// Seconds that a line which will not go down is watched.
constexpr int kStuckLineSeconds = 15;

struct StuckLine {
  double longest = 0;          // the longest answer to a sent message
  double longestAfterWait = 0;  // the same, once the first hang-up's wait is over
  std::size_t hangUps = 0;
};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// An untrusted line that stays up long after its hang-up; its warning stays open.
StuckLine WatchStuckLine(const e2e::ProgramDir& dir, HWND main, int handle) {
  std::string hangUp = "HangUp 0 " + std::to_string(handle) + "\r\n";
  std::size_t before = Count(e2e::ReadFileBytes(dir.File("ras.log")), hangUp);
  e2e::WriteFileBytes(dir.File("scenario.ini"),
                      "[Connection1]\r\nName=Dialer\r\nHandle=" + std::to_string(handle) +
                          "\r\nHangUpDelay=600000\r\n");
  StuckLine line;
  auto hangUps = [&] { return Count(e2e::ReadFileBytes(dir.File("ras.log")), hangUp) - before; };
  for (double start = e2e::NowMs(); e2e::NowMs() - start < kStuckLineSeconds * 1000.0;) {
    // Nothing here asks the window itself (its warnings' texts would): only the send waits
    // for it. The poll after the first hang-up's wait hangs it up a second time.
    bool waited = hangUps() >= 2;
    double sent = e2e::NowMs();
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    double took = e2e::NowMs() - sent;
    line.longest = std::max(line.longest, took);
    if (waited) line.longestAfterWait = std::max(line.longestAfterWait, took);
    Sleep(10);
  }
  line.hangUps = hangUps();
  return line;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// Entries in each long list; the one entry that counts stands last, so every match runs
// through the whole list.
constexpr int kLongList = 20000;
// Seconds the answers are watched: longer than the longest check interval tick of 10 s.
constexpr int kAnswerSeconds = 12;
constexpr int kLongListConnections = 5;

std::string LongSection(const char* name, const std::string& last,
                        std::string (*item)(int)) {
  std::string s = std::string("[") + name + "]\r\n";
  for (int i = 1; i < kLongList; ++i) s += std::to_string(i) + "=" + item(i) + "\r\n";
  return s + std::to_string(kLongList) + "=" + last + "\r\n";
}

// The lines the scenario always holds: the trusted line up, and its phonebook entry, which
// dials the last of the dangerous prefixes.
const char kTrustedLine[] =
    "[Entry1]\r\nName=Home\r\nNumber=0190999\r\n"
    "[Connection1]\r\nName=Home\r\nHandle=500\r\n";

LRESULT CALLBACK BrowserProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// Large browser windows that no rule takes, for the scan to match against the lists.
std::vector<HWND> MakeBrowserWindows(int count) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &BrowserProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "IEFrame";
  RegisterClassA(&wc);
  std::vector<HWND> windows;
  for (int i = 0; i < count; ++i) {
    std::string title = "Seite " + std::to_string(i) + " - Microsoft Internet Explorer";
    windows.push_back(CreateWindowExA(0, "IEFrame", title.c_str(), WS_OVERLAPPEDWINDOW, 20 + i,
                                      20 + i, 900, 700, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
    ShowWindow(windows.back(), SW_SHOWNOACTIVATE);
  }
  return windows;
}

template <typename F>
double MedianMs(int runs, F f) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    double start = e2e::NowMs();
    f();
    t.push_back(e2e::NowMs() - start);
  }
  return Median(t);
}

void LongLists() {
  e2e::ProgramDir dir("Wachtposten long lists bench");
  SetProgramDirForTests(dir.path());
  SetEnvironmentVariableA("WP_RAS_SCENARIO", dir.File("scenario.ini").c_str());
  SetEnvironmentVariableA("WP_RAS_LOG", dir.File("ras.log").c_str());
  // The timed check every 10 s and a check at start, as a careful user would have it.
  dir.WriteFile("Config.ini", "[Configuration]\r\nDF\xDCLookUp=1\r\n0190CheckInterval=1\r\n"
                              "0190CheckOnStartUp=1\r\n");
  dir.WriteFile("User.ini",
                LongSection("BlackNumbers", "0190", [](int i) { return "0" + std::to_string(200000 + i); }) +
                LongSection("WhiteConnections", "Home", [](int i) { return "Netz " + std::to_string(i); }) +
                LongSection("Windows", "Werbung", [](int i) { return "Fenster " + std::to_string(i); }) +
                LongSection("BadWords", "casino", [](int i) { return "wort" + std::to_string(i); }));
  dir.WriteFile("scenario.ini", kTrustedLine);
  RasObject.EnumEntries();
  std::vector<HWND> browsers = MakeBrowserWindows(10);

  double startMs = e2e::NowMs();
  TFWachtposten_Main form;
  form.FormCreate();
  double started = e2e::NowMs() - startMs;
  std::printf("Lists of %d entries each, a trusted line up, %u browser windows: start %.0f ms; "
              "one poll %.1f ms, one scan tick %.1f ms, one premium-rate check %.1f ms "
              "(medians)\n",
              kLongList, static_cast<unsigned>(browsers.size()), started,
              MedianMs(5, [&] { form.TimerEnumConnTimer(); }),
              MedianMs(5, [&] { form.Timer1Timer(); }),
              MedianMs(5, [] { TFCheck0190::Check(false); }));

  // The longest run of each timer's work while the answers are watched.
  double longest[3] = {0, 0, 0};
  std::atomic<bool> watching{true};
  Timer* timers[3] = {&form.TimerEnumConn, &form.Timer1, &form.Timer2};
  for (int i = 0; i < 3; ++i) {
    std::function<void()> work = timers[i]->OnTimer;
    timers[i]->OnTimer = [work, &most = longest[i], &watching] {
      double start = e2e::NowMs();
      work();
      if (watching) most = std::max(most, e2e::NowMs() - start);
    };
  }
  std::vector<double> answers;
  std::vector<Sample> untrusted;
  std::atomic<bool> done{false};
  std::thread player([&] {
    for (double start = e2e::NowMs(); e2e::NowMs() - start < kAnswerSeconds * 1000.0;) {
      double sent = e2e::NowMs();
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(form.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
      answers.push_back(e2e::NowMs() - sent);
      Sleep(10);
    }
    watching = false;
    for (int i = 0; i < kLongListConnections; ++i) {
      untrusted.push_back(Connect(dir, 4000 + i, kTrustedLine, 2));
      e2e::WaitUntil([] { return !Warnings().empty(); }, 10000, 5);
      for (HWND w : Warnings()) PostMessageA(w, WM_CLOSE, 0, 0);
      e2e::WaitUntil([] { return Warnings().empty(); }, 10000, 5);
    }
    e2e::WriteFileBytes(dir.File("scenario.ini"), "");
    done = true;
  });
  PumpUntil(done);
  player.join();
  form.TimerEnumConn.SetEnabled(false);
  for (HWND h : browsers) DestroyWindow(h);
  SetProgramDirForTests("");
  std::printf("  answers to a sent message over %d s, the watch, scan and check timers running: "
              "%u answers, median %.0f ms, max %.0f ms; longest poll %.0f ms, scan tick %.0f ms, "
              "check %.0f ms\n",
              kAnswerSeconds, static_cast<unsigned>(answers.size()), Median(answers), Max(answers),
              longest[0], longest[1], longest[2]);
  std::vector<double> hangUp;
  for (const Sample& s : untrusted) hangUp.push_back(s.toHangUp);
  std::printf("  untrusted line beside the trusted one: to RasHangUp median %.0f ms, max %.0f ms "
              "(%d lines)\n",
              Median(hangUp), Max(hangUp), kLongListConnections);
}

// The pop-up log of the viewer bench: about 50 MB.
constexpr int kLogLines = 570000;
constexpr int kViewerRuns = 3;

BOOL CALLBACK CollectViewer(HWND hwnd, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_LOG_LISTBOX1))
    *reinterpret_cast<HWND*>(lp) = hwnd;
  return TRUE;
}

HWND Viewer() {
  HWND found = nullptr;
  EnumWindows(&CollectViewer, reinterpret_cast<LPARAM>(&found));
  return found;
}

int ViewerLines(HWND viewer) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(GetDlgItem(viewer, IDC_LOG_LISTBOX1), LB_GETCOUNT, 0, 0, SMTO_NORMAL,
                           10000, &count))
    return 0;
  return static_cast<int>(count);
}

struct ViewerRun {
  double firstLines = 0, wholeLog = 0, longestAnswer = 0;
  Sample untrusted{};
};

void BigLog() {
  e2e::ProgramDir dir("Wachtposten log viewer bench");
  SetProgramDirForTests(dir.path());
  SetEnvironmentVariableA("WP_RAS_SCENARIO", dir.File("scenario.ini").c_str());
  SetEnvironmentVariableA("WP_RAS_LOG", dir.File("ras.log").c_str());
  dir.WriteFile("Config.ini", "[Configuration]\r\nDF\xDCLookUp=1\r\n");
  dir.WriteFile("User.ini", "[WhiteConnections]\r\n1=Home\r\n");
  dir.WriteFile("scenario.ini", "");
  std::string log;
  log.reserve(static_cast<std::size_t>(kLogLines) * 88);
  char line[128];
  for (int i = 0; i < kLogLines; ++i) {
    std::snprintf(line, sizeof line,
                  "01.02.2026 10:00:00 - Gewinnspiel %06d - Jetzt gratis! - Microsoft Internet "
                  "Explorer\r\n", i);
    log += line;
  }
  dir.WriteFile("Wachtposten.log", log);

  TFWachtposten_Main form;
  auto closeWarnings = [] {
    e2e::WaitUntil([] { return !Warnings().empty(); }, 10000, 5);
    for (HWND w : Warnings()) PostMessageA(w, WM_CLOSE, 0, 0);
    e2e::WaitUntil([] { return Warnings().empty(); }, 10000, 5);
  };
  // The floor: untrusted lines with no viewer open.
  std::vector<Sample> alone;
  double longestAlone = 0;
  std::atomic<bool> done{false};
  std::thread answers([&] {
    while (!done) {
      double sent = e2e::NowMs();
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(form.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
      longestAlone = std::max(longestAlone, e2e::NowMs() - sent);
      Sleep(10);
    }
  });
  std::thread player([&] {
    for (int i = 0; i < kViewerRuns; ++i) {
      alone.push_back(Connect(dir, 6000 + i));
      closeWarnings();
    }
    done = true;
  });
  PumpUntil(done);
  player.join();
  answers.join();

  // The viewer's own cost first, then with an untrusted line whose warning opens meanwhile.
  std::vector<ViewerRun> runs(2 * kViewerRuns);
  for (int r = 0; r < 2 * kViewerRuns; ++r) {
    ViewerRun& run = runs[static_cast<std::size_t>(r)];
    bool withLine = r >= kViewerRuns;
    double start = e2e::NowMs();
    std::atomic<bool> loaded{false};
    // From the moment the viewer is asked for until it has read the whole log.
    std::thread answers([&] {
      while (!loaded) {
        double sent = e2e::NowMs();
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(form.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
        run.longestAnswer = std::max(run.longestAnswer, e2e::NowMs() - sent);
        Sleep(10);
      }
    });
    // The line comes up within the first half second, at a random moment of the poll.
    std::thread line([&] {
      if (withLine) run.untrusted = Connect(dir, 7000 + r);
    });
    std::thread watcher([&] {
      HWND viewer = nullptr;
      e2e::WaitUntil([&] { return (viewer = Viewer()) && ViewerLines(viewer) > 0; }, 60000, 1);
      run.firstLines = e2e::NowMs() - start;
      e2e::WaitUntil([&] { return ViewerLines(viewer) >= kLogLines; }, 60000, 1);
      run.wholeLog = e2e::NowMs() - start;
      loaded = true;
      answers.join();
      line.join();
      if (withLine) closeWarnings();
      PostMessageA(viewer, WM_CLOSE, 0, 0);
    });
    // The main window's thread opens the viewer, as the general options do.
    TFLog("Popup").RunModal();
    watcher.join();
  }
  form.TimerEnumConn.SetEnabled(false);
  SetProgramDirForTests("");

  std::printf("Log viewer on a pop-up log of %d lines (%.1f MB), %d openings, the watch on, the "
              "last %d with an untrusted line:\n",
              kLogLines, static_cast<double>(log.size()) / 1e6, 2 * kViewerRuns, kViewerRuns);
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const ViewerRun& run = runs[r];
    std::printf("  first lines shown after %4.0f ms, the whole log after %5.0f ms; longest answer "
                "of the main window meanwhile %4.0f ms",
                run.firstLines, run.wholeLog, run.longestAnswer);
    if (r < static_cast<std::size_t>(kViewerRuns)) std::printf("\n");
    else
      std::printf(" with its warning; untrusted line to RasHangUp %4.0f ms\n",
                  run.untrusted.toHangUp);
  }
  std::vector<double> hangUp;
  for (const Sample& s : alone) hangUp.push_back(s.toHangUp);
  std::printf("  without the viewer: untrusted line to RasHangUp median %.0f ms, max %.0f ms "
              "(%d lines); longest answer of the main window meanwhile, its warnings opening, "
              "%.0f ms\n",
              Median(hangUp), Max(hangUp), kViewerRuns, longestAlone);
}

void Print(const char* what, const std::vector<Sample>& samples) {
  std::vector<double> hangUp, down;
  for (const Sample& s : samples) {
    hangUp.push_back(s.toHangUp);
    down.push_back(s.toDown);
  }
  std::printf("%-44s to RasHangUp median %4.0f ms, max %4.0f ms; line down median %4.0f ms, "
              "max %4.0f ms\n",
              what, Median(hangUp), *std::max_element(hangUp.begin(), hangUp.end()),
              Median(down), *std::max_element(down.begin(), down.end()));
}

void Connections(int count) {
  e2e::ProgramDir dir("Wachtposten dialer bench");
  SetProgramDirForTests(dir.path());
  SetEnvironmentVariableA("WP_RAS_SCENARIO", dir.File("scenario.ini").c_str());
  SetEnvironmentVariableA("WP_RAS_LOG", dir.File("ras.log").c_str());
  dir.WriteFile("Config.ini", "[Configuration]\r\nDF\xDCLookUp=1\r\n");
  dir.WriteFile("User.ini", "[WhiteConnections]\r\n1=Home\r\n");
  dir.WriteFile("scenario.ini", "");

  TFWachtposten_Main form;
  std::vector<Sample> closed, behindWarning;
  StuckLine stuck;
  std::atomic<bool> done{false};
  // The guard runs in this thread's message loop (and in its warnings' loops); the connections
  // come and the warnings are closed from another thread, as a dialer and a user would.
  std::thread player([&] {
    for (int i = 0; i < count; ++i) {
      closed.push_back(Connect(dir, 1000 + i));
      e2e::WaitUntil([] { return !Warnings().empty(); }, 10000, 5);
      for (HWND w : Warnings()) PostMessageA(w, WM_CLOSE, 0, 0);
      e2e::WaitUntil([] { return Warnings().empty(); }, 10000, 5);
    }
    Connect(dir, 2000);
    e2e::WaitUntil([] { return !Warnings().empty(); }, 10000, 5);
    for (int i = 0; i < count; ++i) behindWarning.push_back(Connect(dir, 2001 + i));
    for (HWND w : Warnings()) PostMessageA(w, WM_CLOSE, 0, 0);
    e2e::WaitUntil([] { return Warnings().empty(); }, 10000, 5);
    stuck = WatchStuckLine(dir, form.hwnd(), 3000);
    e2e::WriteFileBytes(dir.File("scenario.ini"), "");
    for (HWND w : Warnings()) PostMessageA(w, WM_CLOSE, 0, 0);
    done = true;
  });
  PumpUntil(done);
  player.join();
  form.TimerEnumConn.SetEnabled(false);
  SetProgramDirForTests("");

  std::printf("Dialer guard, %d connections each; poll interval %u ms (the bound), the double "
              "takes %d ms to bring a line down\n",
              count, form.TimerEnumConn.Interval(), kLineDownMs);
  Print("new connection, no warning open:", closed);
  Print("redial while the warning is open:", behindWarning);
  std::printf("line that does not go down, %d s, warning open: poll interval %u ms; longest "
              "answer to a sent message %.0f ms after the first hang-up's wait (%.0f ms with "
              "it); %u hang-ups of it (%d polls due)\n",
              kStuckLineSeconds, form.TimerEnumConn.Interval(), stuck.longestAfterWait,
              stuck.longest, static_cast<unsigned>(stuck.hangUps),
              kStuckLineSeconds * 1000 / static_cast<int>(form.TimerEnumConn.Interval()));
}
}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::max(0, std::atoi(argv[1])) : 20;
  if (!GetProcAddress(LoadLibraryA("rasapi32.dll"), "WpRasDouble")) {
    std::fprintf(stderr, "the dial-up double is not loaded (WINEDLLOVERRIDES=rasapi32=n?)\n");
    return 1;
  }
  std::srand(7);
  if (count > 0) Connections(count);
  LongLists();
  BigLog();
  return 0;
}
