// Figures of the pop-up blocker: the cost of one scan tick and of one counter pass with 50, 200
// and 1,000 top-level windows, and the idle CPU use of a running Wachtposten.exe with 50 windows.
// Beside each tick stands the floor that any scan pays, measured in the same run: the browser
// windows walked by class with one title and one rectangle read each, and the bare list of
// top-level window handles; the ratio tick / floor is what the scan's own work costs on top.
//   ScanBench.exe [idle seconds]   (WP_PRODUCT_DIR names the folder of Wachtposten.exe)
// The windows belong to a second process (this program, started with --hold), as another
// program's windows do for the guard: their titles are read from the system, not by a call of
// our own window procedure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AppPaths.h"
#include "Driver.h"
#include "MainWindow.h"

namespace {
constexpr int kRuns = 21;
const char kHoldArg[] = "--hold";

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProcA(h, m, w, l);
}

// A desktop like a real one: one window in ten a large browser window that no rule takes, and
// with `folders` one in ten a folder window too.
void MakeWindows(int count, bool folders) {
  for (const char* cls : {"BenchOther", "IEFrame", "CabinetWClass"}) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
  }
  for (int i = 0; i < count; ++i) {
    bool browser = i % 10 == 0, folder = folders && i % 10 == 5;
    std::string title = browser ? "Seite " + std::to_string(i) + " - Microsoft Internet Explorer"
                                : "Fenster " + std::to_string(i);
    const char* cls = browser ? "IEFrame" : folder ? "CabinetWClass" : "BenchOther";
    HWND h = CreateWindowExA(0, cls, title.c_str(),
                             WS_OVERLAPPEDWINDOW, 10 + i % 50, 10 + i % 40, 900, 700, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(h, SW_SHOWNOACTIVATE);
  }
}

// --hold <count> <ready file> <parent pid> [folders]: makes the windows, reports, and keeps
// them answering until the parent ends.
int Hold(int count, const std::string& readyFile, DWORD parentPid, bool folders) {
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentPid);
  MakeWindows(count, folders);
  e2e::WriteFileBytes(readyFile, "ready");
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(parent ? 1 : 0, &parent, FALSE, INFINITE, QS_ALLINPUT);
    if (parent && r == WAIT_OBJECT_0) return 0;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
}

// Another process holding `count` windows; ended with the returned object.
e2e::Process StartHolder(int count, const e2e::ProgramDir& dir, bool folders = false) {
  static int started = 0;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string ready = dir.File("ready" + std::to_string(++started));
  e2e::Process p(self, {},
                 std::string(kHoldArg) + " " + std::to_string(count) + " \"" + ready + "\" " +
                     std::to_string(GetCurrentProcessId()) + (folders ? " folders" : ""));
  e2e::WaitUntil([&] { return e2e::FileExists(ready); }, 120000);
  WaitForInputIdle(p.handle(), 10000);
  return p;
}

// Under Wine the process times of another process are of no use; the Unix side has them, and
// drive Z: shows its /proc. The Unix processes whose /proc file `file` holds `text`.
std::vector<std::string> UnixPidsWith(const char* file, const std::string& text) {
  std::vector<std::string> pids;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &fd);
  if (find == INVALID_HANDLE_VALUE) return pids;
  do {
    std::string name = fd.cFileName;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string content = ReadFileBytes("Z:\\proc\\" + name + "\\" + file);
    std::replace(content.begin(), content.end(), '\0', ' ');  // the Unix argv is split at blanks
    if (content.find(text) != std::string::npos) pids.push_back(name);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return pids;
}

// User and system CPU seconds of a Unix process (clock ticks of 1/100 s).
double UnixCpuSeconds(const std::string& pid) {
  std::string stat = ReadFileBytes("Z:\\proc\\" + pid + "\\stat");
  std::size_t paren = stat.rfind(')');
  if (paren == std::string::npos) return 0;
  std::vector<std::string> fields;
  std::size_t pos = paren + 2;
  while (pos < stat.size()) {
    std::size_t next = stat.find(' ', pos);
    fields.push_back(stat.substr(pos, next - pos));
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  // After the name: state is field 3 of the line, utime 14 and stime 15.
  if (fields.size() < 13) return 0;
  return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) / 100.0;
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double MedianUs(F&& f, int runs = kRuns) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    double a = NowUs();
    f();
    t.push_back(NowUs() - a);
  }
  return Median(t);
}

BOOL CALLBACK CountWindow(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

int TopLevelWindowCount() {
  int total = 0;
  EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&total));
  return total;
}

BOOL CALLBACK TakeHandle(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

// The floor, first part: the windows of the scan's classes, looked up by class, each with its
// title (a 200-character buffer, as the scan reads it) and its rectangle. Returns the count.
int WalkBrowserWindows() {
  int seen = 0;
  for (const char* cls : {"IEFrame", "CabinetWClass", "Internet Explorer_Server"}) {
    for (HWND h = FindWindowExA(nullptr, nullptr, cls, nullptr); h;
         h = FindWindowExA(nullptr, h, cls, nullptr)) {
      char title[200];
      RECT r;
      GetWindowTextA(h, title, sizeof title);
      GetWindowRect(h, &r);
      ++seen;
    }
  }
  return seen;
}

// The floor, second part: the handles of all top-level windows, front to back.
std::size_t ListTopLevelWindows() {
  std::vector<HWND> handles;
  handles.reserve(2048);
  EnumWindows(&TakeHandle, reinterpret_cast<LPARAM>(&handles));
  return handles.size();
}

double Seconds(const FILETIME& f) {
  ULARGE_INTEGER u;
  u.LowPart = f.dwLowDateTime;
  u.HighPart = f.dwHighDateTime;
  return static_cast<double>(u.QuadPart) / 1e7;
}

double CpuSeconds(HANDLE process) {
  FILETIME c, e, k, u;
  if (!GetProcessTimes(process, &c, &e, &k, &u)) return 0;
  return Seconds(k) + Seconds(u);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::string(argv[1]) == kHoldArg)
    return Hold(std::atoi(argv[2]), argv[3], static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)),
                argc >= 6);
  int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;

  e2e::ProgramDir dir("Wachtposten bench");
  SetProgramDirForTests(dir.path());
  // Every step of a tick runs: the word rule, the to-close list, the maximiser and its pruning.
  dir.WriteFile("Config.ini", "[Configuration]\r\nStartIEMax=1\r\n");
  dir.WriteFile("User.ini",
                "[Windows]\r\n1=Werbung\r\n2=Gewinn\r\n[BadWords]\r\n1=casino\r\n2=poker\r\n");
  {
    TFWachtposten_Main form;
    // A limit that no window reaches, as on a desktop within its limit: nothing is closed.
    form.IExplorer1.SetMaxWindow(1000000);

    std::printf("%-8s %-8s %10s %10s %10s %10s %7s %12s %15s\n", "windows", "folders",
                "tick us", "walk us", "list us", "floor us", "ratio", "counter us",
                "counter us/win");
    // Without folder windows the browser windows are looked up by class; with them too, their
    // order among each other needs the walk over all windows.
    for (bool folders : {false, true}) {
      for (int target : {50, 200, 1000}) {
        e2e::Process holder = StartHolder(target, dir, folders);
        int total = TopLevelWindowCount();
        form.Timer1Timer();  // the first tick maximises the large browser windows once
        WaitForInputIdle(holder.handle(), 10000);
        // Interleaved, so that all see the same conditions of the Wine server.
        std::vector<double> ticks, walks, lists, floors, ratios, passes;
        for (int i = 0; i < kRuns; ++i) {
          double tick = MedianUs([&] { form.Timer1Timer(); }, 1);
          double walk = MedianUs([] { WalkBrowserWindows(); }, 1);
          double list = MedianUs([] { ListTopLevelWindows(); }, 1);
          ticks.push_back(tick);
          walks.push_back(walk);
          lists.push_back(list);
          floors.push_back(walk + list);
          ratios.push_back(tick / (walk + list));
          passes.push_back(MedianUs([&] { form.IExplorer1.OnTimer(); }, 1));
        }
        double pass = Median(passes);
        std::printf("%-8d %-8s %10.0f %10.0f %10.0f %10.0f %7.2f %12.0f %15.2f\n", total,
                    folders ? "yes" : "no", Median(ticks), Median(walks), Median(lists),
                    Median(floors), Median(ratios), pass, pass / total);
        std::fflush(stdout);
      }
    }
  }

  if (idleSeconds <= 0 || e2e::ProductDir().empty()) return 0;
  e2e::ProgramDir guardDir("Wachtposten idle");
  guardDir.CopyProduct();
  // Both timers run: the scan every second and the counter ten times a second.
  guardDir.WriteFile("Config.ini",
                     "[Configuration]\r\nExclusivWindow=1\r\nExclusivWindowCount=100\r\n");
  e2e::Process holder = StartHolder(50, dir);
  e2e::Process guard(guardDir.Exe());
  if (!e2e::WaitForMainWindowReady(guard)) return 1;
  int total = TopLevelWindowCount();
  // The guard's own Unix process, and the Wine server of this prefix that answers its calls.
  std::vector<std::string> guardPids = UnixPidsWith("cmdline", guardDir.Exe());
  char prefix[MAX_PATH] = "";
  GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
  std::vector<std::string> serverPids;
  if (prefix[0])
    for (const std::string& pid : UnixPidsWith("environ", std::string("WINEPREFIX=") + prefix))
      if (ReadFileBytes("Z:\\proc\\" + pid + "\\comm").find("wineserver") == 0)
        serverPids.push_back(pid);
  auto unixCpu = [](const std::vector<std::string>& pids) {
    double s = 0;
    for (const std::string& pid : pids) s += UnixCpuSeconds(pid);
    return s;
  };
  double cpu0 = CpuSeconds(guard.handle());
  double guard0 = unixCpu(guardPids), server0 = unixCpu(serverPids);
  double t0 = NowUs();
  Sleep(static_cast<DWORD>(idleSeconds) * 1000);
  double wall = (NowUs() - t0) / 1e6;
  // Wine answers the process times of another process with figures that do not move.
  double cpu = guardPids.empty() ? CpuSeconds(guard.handle()) - cpu0 : unixCpu(guardPids) - guard0;
  double server = unixCpu(serverPids) - server0;
  std::printf("idle %.0f s, %d top-level windows, scan and counter on: guard CPU %.2f s = %.2f %%",
              wall, total, cpu, 100.0 * cpu / wall);
  if (!serverPids.empty())
    std::printf(", Wine server %.2f s = %.2f %%", server, 100.0 * server / wall);
  std::printf("\n");
  return 0;
}
