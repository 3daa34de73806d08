// Figures of the dialer guard: how long the real main window's watch takes, against the dial-up
// test double, from an untrusted connection appearing until RasHangUp is called and until the
// line is reported down; once with the warning closed before each connection, once for
// redials while the warning stays open.
//   DialerBench.exe [connections]   (runs with WINEDLLOVERRIDES=rasapi32=n, the double beside it)
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "AppPaths.h"
#include "Driver.h"
#include "MainWindow.h"
#include "RasRecords.h"

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
Sample Connect(const e2e::ProgramDir& dir, int handle) {
  Sleep(static_cast<DWORD>(std::rand() % 500));
  std::string hangUp = "HangUp 0 " + std::to_string(handle) + "\r\n";
  double start = e2e::NowMs();
  e2e::WriteFileBytes(dir.File("scenario.ini"),
                      "[Connection1]\r\nName=Dialer\r\nHandle=" + std::to_string(handle) +
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
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
}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  if (!GetProcAddress(LoadLibraryA("rasapi32.dll"), "WpRasDouble")) {
    std::fprintf(stderr, "the dial-up double is not loaded (WINEDLLOVERRIDES=rasapi32=n?)\n");
    return 1;
  }
  e2e::ProgramDir dir("Wachtposten dialer bench");
  SetProgramDirForTests(dir.path());
  SetEnvironmentVariableA("WP_RAS_SCENARIO", dir.File("scenario.ini").c_str());
  SetEnvironmentVariableA("WP_RAS_LOG", dir.File("ras.log").c_str());
  dir.WriteFile("Config.ini", "[Configuration]\r\nDF\xDCLookUp=1\r\n");
  dir.WriteFile("User.ini", "[WhiteConnections]\r\n1=Home\r\n");
  dir.WriteFile("scenario.ini", "");
  std::srand(7);

  TFWachtposten_Main form;
  std::vector<Sample> closed, behindWarning;
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
    done = true;
  });
  while (!done) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  player.join();
  form.TimerEnumConn.SetEnabled(false);
  SetProgramDirForTests("");

  std::printf("Dialer guard, %d connections each; poll interval %u ms (the bound), the double "
              "takes %d ms to bring a line down\n",
              count, form.TimerEnumConn.Interval(), kLineDownMs);
  Print("new connection, no warning open:", closed);
  Print("redial while the warning is open:", behindWarning);
  return 0;
}
