// Figures of the pop-up blocker: the cost of one scan tick and of one counter pass with 50, 200
// and 1,000 top-level windows, and the idle CPU use of a running Wachtposten.exe with 50 windows.
//   ScanBench.exe [idle seconds]   (WP_PRODUCT_DIR names the folder of Wachtposten.exe)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "AppPaths.h"
#include "Driver.h"
#include "MainWindow.h"

namespace {
constexpr int kRuns = 21;

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// A desktop like a real one: one window in ten a large browser window that no rule takes.
std::vector<HWND> MakeWindows(int count) {
  static bool registered = false;
  if (!registered) {
    for (const char* cls : {"BenchOther", "IEFrame"}) {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = &PlainProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = cls;
      RegisterClassA(&wc);
    }
    registered = true;
  }
  std::vector<HWND> out;
  for (int i = 0; i < count; ++i) {
    bool browser = i % 10 == 0;
    std::string title = browser ? "Seite " + std::to_string(i) + " - Microsoft Internet Explorer"
                                : "Fenster " + std::to_string(i);
    out.push_back(CreateWindowExA(0, browser ? "IEFrame" : "BenchOther", title.c_str(),
                                  WS_OVERLAPPEDWINDOW, 10, 10, 900, 700, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
  }
  return out;
}

double NowUs() {
  static LARGE_INTEGER f = [] {
    LARGE_INTEGER x;
    QueryPerformanceFrequency(&x);
    return x;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

template <class F>
double MedianUs(F&& f) {
  std::vector<double> t;
  for (int i = 0; i < kRuns; ++i) {
    double a = NowUs();
    f();
    t.push_back(NowUs() - a);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

BOOL CALLBACK CountWindow(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

double Seconds(const FILETIME& f) {
  ULARGE_INTEGER u;
  u.LowPart = f.dwLowDateTime;
  u.HighPart = f.dwHighDateTime;
  return static_cast<double>(u.QuadPart) / 1e7;
}
}  // namespace

int main(int argc, char** argv) {
  int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
  e2e::ProgramDir dir("Wachtposten bench");
  SetProgramDirForTests(dir.path());
  // The counter on with a limit no window reaches, the maximiser on: every step of a tick runs.
  dir.WriteFile("Config.ini", "[Configuration]\r\nStartIEMax=0\r\nExclusivWindowCount=1000000\r\n");
  dir.WriteFile("User.ini", "[Windows]\r\n1=Werbung\r\n2=Gewinn\r\n[BadWords]\r\n1=casino\r\n2=poker\r\n");
  {
  TFWachtposten_Main form;
  form.IExplorer1.SetMaxWindow(1000000);

  std::printf("%-8s %14s %14s %16s %16s\n", "windows", "tick us", "tick us/win", "counter us",
              "counter us/win");
  std::vector<HWND> windows;
  for (int target : {50, 200, 1000}) {
    std::vector<HWND> more = MakeWindows(target - static_cast<int>(windows.size()));
    windows.insert(windows.end(), more.begin(), more.end());
    int total = 0;
    EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&total));
    double tick = MedianUs([&] { form.Timer1Timer(); });
    double pass = MedianUs([&] { form.IExplorer1.OnTimer(); });
    std::printf("%-8d %14.0f %14.2f %16.0f %16.2f\n", total, tick, tick / total, pass, pass / total);
  }
  for (HWND h : windows) DestroyWindow(h);
  }

  if (idleSeconds <= 0 || e2e::ProductDir().empty()) return 0;
  e2e::ProgramDir guardDir("Wachtposten idle");
  guardDir.CopyProduct();
  guardDir.WriteFile("Config.ini", "[Configuration]\r\nExclusivWindow=1\r\nExclusivWindowCount=100\r\n");
  std::vector<HWND> open = MakeWindows(50);
  e2e::Process guard(guardDir.Exe());
  if (!e2e::WaitForMainWindowReady(guard)) return 1;
  FILETIME c, e, k0, u0, k1, u1;
  GetProcessTimes(guard.handle(), &c, &e, &k0, &u0);
  DWORD start = GetTickCount();
  // Keep our windows answering while the guard works on them.
  while (GetTickCount() - start < static_cast<DWORD>(idleSeconds) * 1000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  GetProcessTimes(guard.handle(), &c, &e, &k1, &u1);
  double cpu = Seconds(k1) - Seconds(k0) + Seconds(u1) - Seconds(u0);
  std::printf("idle %d s, 50 windows, scan and counter on: CPU %.3f s = %.2f %%\n", idleSeconds,
              cpu, 100.0 * cpu / idleSeconds);
  return 0;
}
