// Start-up figures: starts Wachtposten.exe from a fresh temporary program directory N times
// and, the same way, BareWindow.exe (a bare Win32 window program), and prints the medians.
//
//   StartupBench.exe [runs] [product folder]
//
// "Start to tray" is the time from CreateProcess until the program's main window exists and
// its thread has reached its message loop (WaitForInputIdle) and answers a sent message.
// Wachtposten adds its tray icon in the main window's constructor and hides the window to the
// tray before it enters the loop, so at that moment the icon is there. The working set is read
// (GetProcessMemoryInfo) right after that moment; the peak is the peak up to then.
// Each program is then ended the way the system ends it (Wachtposten by the end-of-session
// pair, the bare window by WM_CLOSE) and waited for: "end" is that time. A program killed
// with its tray icon still added makes Wine's tray stall the next start by about 2 s, which
// would be measured against the next start instead of this one.
// The product folder defaults to WP_PRODUCT_DIR; BareWindow.exe lies beside this program.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Driver.h"

using namespace e2e;

namespace {
constexpr int kDefaultRuns = 10;

struct Sample {
  double startMs;
  double workingSetKiB;
  double peakWorkingSetKiB;
  double endMs;
};

// How a program is asked to end.
enum class EndBy { Close, EndOfSession };

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One start from a fresh program directory; false when the program did not come up.
bool Measure(const std::string& from, const std::vector<std::string>& files, const char* cls,
             EndBy endBy, Sample& out) {
  ProgramDir dir("Wachtposten bench");
  for (const std::string& f : files)
    if (!CopyFileA((from + f).c_str(), dir.File(f).c_str(), FALSE)) return false;
  Process p;
  if (!p.Start(dir.File(files.front()))) return false;
  HWND main = WaitForTopWindow(cls, nullptr, p.pid(), kStartTimeoutMs);
  if (!main) return false;
  double left = kStartTimeoutMs - (NowMs() - p.startMs());
  if (left < 0 || WaitForInputIdle(p.handle(), static_cast<DWORD>(left)) != 0) return false;
  if (!WaitUntil([&] { return Send(main, WM_NULL, 0, 0, nullptr, 100); }, kStartTimeoutMs))
    return false;
  out.startMs = NowMs() - p.startMs();
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(p.handle(), &pmc, sizeof pmc)) return false;
  out.workingSetKiB = static_cast<double>(pmc.WorkingSetSize) / 1024.0;
  out.peakWorkingSetKiB = static_cast<double>(pmc.PeakWorkingSetSize) / 1024.0;

  double t0 = NowMs();
  if (endBy == EndBy::EndOfSession) {
    Send(main, WM_QUERYENDSESSION);
    Send(main, WM_ENDSESSION, TRUE);
  } else {
    Send(main, WM_CLOSE);
  }
  if (!p.WaitForExit(kExitTimeoutMs)) return false;
  out.endMs = NowMs() - t0;
  return true;
}

bool Run(const char* name, const std::string& from, const std::vector<std::string>& files,
         const char* cls, EndBy endBy, int runs, std::vector<Sample>& samples) {
  for (int i = 0; i < runs; ++i) {
    Sample s;
    if (!Measure(from, files, cls, endBy, s)) {
      std::printf("%s: start %d failed\n", name, i + 1);
      return false;
    }
    samples.push_back(s);
  }
  return true;
}

void Print(const char* name, const std::vector<Sample>& samples) {
  std::vector<double> start, ws, peak, end;
  for (const Sample& s : samples) {
    start.push_back(s.startMs);
    ws.push_back(s.workingSetKiB);
    peak.push_back(s.peakWorkingSetKiB);
    end.push_back(s.endMs);
  }
  std::printf("%-16s %14.0f %14.0f %14.0f %14.0f %14.0f %14.0f\n", name, Median(start),
              *std::min_element(start.begin(), start.end()),
              *std::max_element(start.begin(), start.end()), Median(ws), Median(peak),
              Median(end));
}
}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
  std::string product = argc > 2 ? argv[2] : ProductDir();
  if (!product.empty() && product.back() != '\\') product += '\\';
  if (product.empty()) {
    std::printf("no product folder: give it or set WP_PRODUCT_DIR\n");
    return 2;
  }
  std::vector<Sample> wp, bare;
  // One start first, not counted: the first process of a session pays for Wine's set-up.
  Sample warm;
  Measure(TestBinDir(), {"BareWindow.exe"}, "WpBareWindow", EndBy::Close, warm);
  bool ok = Run("BareWindow", TestBinDir(), {"BareWindow.exe"}, "WpBareWindow", EndBy::Close, runs,
                bare) &&
            Run("Wachtposten", product, {"Wachtposten.exe", "Rufsperre.dll"}, "TFWachtposten_Main",
                EndBy::EndOfSession, runs, wp);
  if (!ok) return 1;
  std::printf("%d starts each, from a fresh program directory\n", runs);
  std::printf("%-16s %14s %14s %14s %14s %14s %14s\n", "program", "start ms (med)",
              "start ms (min)", "start ms (max)", "WS KiB (med)", "peak WS KiB", "end ms (med)");
  Print("Wachtposten.exe", wp);
  Print("BareWindow.exe", bare);
  return 0;
}
