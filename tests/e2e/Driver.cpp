#include "Driver.h"

#include "TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace e2e {
namespace {
constexpr UINT kCodePage = 1252;
constexpr DWORD kKillWaitMs = 5000;
constexpr DWORD kStartRetryMs = 2000;
constexpr int kClassNameChars = 256;
constexpr UINT kSendFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

std::string WithBackslash(std::string s) {
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

std::string Folder(const std::string& file) {
  std::size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::string ClassOf(HWND hwnd) {
  wchar_t buf[kClassNameChars];
  int n = GetClassNameW(hwnd, buf, kClassNameChars);
  return ToAnsi(std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0));
}

// A top-level window's caption without a message to its thread (a hung window must not
// stall the driver): for another process's window the system reads it directly.
std::string CaptionOf(HWND hwnd) {
  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return std::string();
  std::wstring s(static_cast<std::size_t>(len) + 1, L'\0');
  s.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, &s[0], len + 1)));
  return ToAnsi(s);
}

struct TopSearch {
  std::string cls;
  const char* title;
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<TopSearch*>(lp);
  if (s->pid != 0 && WindowPid(hwnd) != s->pid) return TRUE;
  if (!s->cls.empty() && ClassOf(hwnd) != s->cls) return TRUE;
  if (s->title && CaptionOf(hwnd) != s->title) return TRUE;
  s->found.push_back(hwnd);
  return TRUE;
}

std::vector<char> EnvironmentBlock(const EnvVars& extra) {
  std::vector<std::string> vars;
  LPCH block = GetEnvironmentStringsA();
  if (block) {
    for (const char* p = block; *p; p += std::strlen(p) + 1) vars.emplace_back(p);
    FreeEnvironmentStringsA(block);
  }
  for (const auto& kv : extra) {
    std::string prefix = kv.first + "=";
    vars.erase(std::remove_if(vars.begin(), vars.end(),
                              [&](const std::string& v) {
                                return v.size() >= prefix.size() &&
                                       CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, v.c_str(),
                                                      static_cast<int>(prefix.size()), prefix.c_str(),
                                                      static_cast<int>(prefix.size())) == CSTR_EQUAL;
                              }),
               vars.end());
    vars.push_back(prefix + kv.second);
  }
  std::vector<char> out;
  for (const std::string& v : vars) {
    out.insert(out.end(), v.begin(), v.end());
    out.push_back('\0');
  }
  out.push_back('\0');
  return out;
}
}  // namespace

double NowMs() {
  static const double msPerTick = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 / static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * msPerTick;
}

std::string Env(const std::string& name) {
  DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (n == 0) return std::string();
  std::string s(n, '\0');
  n = GetEnvironmentVariableA(name.c_str(), &s[0], n);
  s.resize(n);
  return s;
}

std::string ProductDir() {
  std::string dir = Env("WP_PRODUCT_DIR");
  return dir.empty() ? dir : WithBackslash(dir);
}

std::string TestBinDir() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return Folder(path);
}

std::string ToAnsi(const std::wstring& s) {
  if (s.empty()) return std::string();
  int n = WideCharToMultiByte(kCodePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

std::wstring ToWide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(kCodePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
  return out;
}


// ---- ProgramDir ----

ProgramDir::ProgramDir(const std::string& nameHint) {
  char base[MAX_PATH];
  DWORD n = GetTempPathA(sizeof base, base);
  std::string root = WithBackslash(std::string(base, n < sizeof base ? n : 0));
  static LONG counter = 0;
  for (;;) {
    std::string candidate = root + nameHint + " " + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(InterlockedIncrement(&counter));
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate + "\\";
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      path_.clear();
      return;
    }
  }
}

ProgramDir::~ProgramDir() {
  if (!path_.empty()) RemoveTree(path_);
}

bool ProgramDir::CopyProduct(const std::vector<std::string>& files) const {
  std::string from = ProductDir();
  if (from.empty() || path_.empty()) return false;
  bool ok = true;
  for (const std::string& f : files)
    ok = CopyFileA((from + f).c_str(), File(f).c_str(), FALSE) != 0 && ok;
  return ok;
}

bool ProgramDir::WriteFile(const std::string& name, const std::string& bytes) const {
  return WriteFileBytes(File(name), bytes);
}

std::string ProgramDir::ReadFile(const std::string& name) const { return ReadFileBytes(File(name)); }

bool ProgramDir::Exists(const std::string& name) const { return FileExists(File(name)); }

bool ProgramDir::MakeDir(const std::string& name) const {
  return CreateDirectoryA(File(name).c_str(), nullptr) != 0;
}

// ---- Process ----

Process::Process(const std::string& exe, const EnvVars& env, const std::string& args) {
  Start(exe, env, args);
}

Process::~Process() { Kill(); }

Process::Process(Process&& other) noexcept
    : handle_(other.handle_), pid_(other.pid_), startMs_(other.startMs_), lastError_(other.lastError_) {
  other.handle_ = nullptr;
  other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    handle_ = other.handle_;
    pid_ = other.pid_;
    startMs_ = other.startMs_;
    other.handle_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

bool Process::Start(const std::string& exe, const EnvVars& env, const std::string& args) {
  Kill();
  std::string cmd = "\"" + exe + "\"";
  if (!args.empty()) cmd += " " + args;
  std::string dir = Folder(exe);
  std::vector<char> block;
  if (!env.empty()) block = EnvironmentBlock(env);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  // Right after the exe was copied, Wine now and then refuses to start it for a moment:
  // try again within a short bound.
  bool created = WaitUntil(
      [&] {
        startMs_ = NowMs();
        std::string line = cmd;
        if (CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0,
                           block.empty() ? nullptr : block.data(),
                           dir.empty() ? nullptr : dir.c_str(), &si, &pi))
          return true;
        lastError_ = GetLastError();
        return false;
      },
      kStartRetryMs, 50);
  if (!created) return false;
  CloseHandle(pi.hThread);
  handle_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool Process::Running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(handle_, exitCode);
  return true;
}

void Process::Kill() {
  if (!handle_) return;
  if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, kKillWaitMs);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  pid_ = 0;
}

// ---- Waiting and windows ----

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  double end = NowMs() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (NowMs() >= end) return condition();
    // The test thread may own windows (rare): keep its sent messages moving while it waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, pollMs, QS_SENDMESSAGE);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_SENDMESSAGE)) {
    }
  }
}

DWORD WindowPid(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

bool IsTopmost(HWND hwnd) {
  return (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::string NotInFront(HWND window, HWND other) {
  std::string problems;
  for (HWND w = GetTopWindow(nullptr); w && w != window; w = GetWindow(w, GW_HWNDNEXT))
    if (w == other) problems = "below the other window in the z-order; ";
  if (GetForegroundWindow() != window) problems += "not the foreground window; ";
  RECT r;
  GetWindowRect(window, &r);
  POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  HWND hit = GetAncestor(WindowFromPoint(centre), GA_ROOT);
  if (hit != window) problems += "the hit test at its centre finds \"" + WindowText(hit) + "\"; ";
  return problems;
}

bool HasTaskbarButton(HWND window) {
  LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
  return IsWindowVisible(window) && !(ex & WS_EX_TOOLWINDOW) &&
         (!GetWindow(window, GW_OWNER) || (ex & WS_EX_APPWINDOW));
}

std::vector<HWND> FindTopWindows(const std::string& cls, const char* title, DWORD pid) {
  TopSearch s{cls, title, pid, {}};
  EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindTopWindow(const std::string& cls, const char* title, DWORD pid) {
  std::vector<HWND> all = FindTopWindows(cls, title, pid);
  return all.empty() ? nullptr : all.front();
}

HWND WaitForTopWindow(const std::string& cls, const char* title, DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopWindow(cls, title, pid)) != nullptr; }, timeoutMs);
  return found;
}

HWND WaitForMainWindow(const Process& process, DWORD timeoutMs) {
  if (!process.started()) return nullptr;
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindTopWindow("TFWachtposten_Main", nullptr, process.pid());
        return found != nullptr || !process.Running();
      },
      timeoutMs);
  return found;
}

HWND WaitForMainWindowReady(const Process& process, DWORD timeoutMs) {
  double end = NowMs() + timeoutMs;
  HWND main = WaitForMainWindow(process, timeoutMs);
  if (!main) return nullptr;
  auto left = [&] {
    double now = NowMs();
    return now >= end ? DWORD(0) : static_cast<DWORD>(end - now);
  };
  // Idle means the thread waits for input in a message loop: the program's own, or the
  // modal loop of a start-up message box. A sent message alone is no proof: the thread also
  // answers one while it waits inside the tray icon's registration.
  if (WaitForInputIdle(process.handle(), left()) != 0) return nullptr;
  bool answered = WaitUntil([&] { return Send(main, WM_NULL, 0, 0, nullptr, kPollMs * 5); }, left());
  return answered ? main : nullptr;
}

bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(hwnd); }, timeoutMs);
}

// ---- Message boxes ----

std::vector<HWND> FindMessageBoxes(DWORD pid) {
  std::vector<HWND> boxes = FindTopWindows("#32770", "Wachtposten", pid);
  boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [](HWND h) { return !IsWindowVisible(h); }),
              boxes.end());
  return boxes;
}

HWND FindMessageBox(DWORD pid) {
  std::vector<HWND> boxes = FindMessageBoxes(pid);
  return boxes.empty() ? nullptr : boxes.front();
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  // A box may stand a moment before its text does: a reader would take it for an empty one.
  WaitUntil([&] { return (box = FindMessageBox(pid)) != nullptr && !MessageBoxText(box).empty(); },
            timeoutMs);
  return box;
}

bool NoMessageBoxWithin(DWORD pid, DWORD ms) { return WaitForMessageBox(pid, ms) == nullptr; }

namespace {
struct StaticText {
  std::string text;
};

BOOL CALLBACK FirstStaticText(HWND child, LPARAM lp) {
  if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0) return TRUE;
  std::string text = WindowText(child);
  if (text.empty()) return TRUE;
  reinterpret_cast<StaticText*>(lp)->text = text;
  return FALSE;
}
}  // namespace

std::string MessageBoxText(HWND box) {
  StaticText s;
  EnumChildWindows(box, &FirstStaticText, reinterpret_cast<LPARAM>(&s));
  return s.text;
}

bool PressButton(HWND dialog, int buttonId) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (!button) return false;
  return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

// ---- Controls ----

HWND Child(HWND parent, int controlId) { return GetDlgItem(parent, controlId); }

std::string WindowText(HWND hwnd) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, kSendFlags, kSendTimeoutMs, &len))
    return std::string();
  // Room to spare: a length reported in bytes of the ANSI text is never less than in UTF-16.
  std::wstring buf(static_cast<std::size_t>(len) + 2, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(&buf[0]),
                           kSendFlags, kSendTimeoutMs, &got))
    return std::string();
  buf.resize(std::min<std::size_t>(static_cast<std::size_t>(got), buf.size()));
  return ToAnsi(buf);
}

std::string ControlText(HWND parent, int controlId) {
  HWND c = Child(parent, controlId);
  return c ? WindowText(c) : std::string();
}

int ListBoxCount(HWND listBox) {
  DWORD_PTR n = 0;
  if (!listBox ||
      !SendMessageTimeoutW(listBox, LB_GETCOUNT, 0, 0, kSendFlags, kSendTimeoutMs, &n))
    return -1;
  return static_cast<int>(static_cast<LRESULT>(n));
}

namespace {
bool ReadListBoxItem(HWND listBox, int index, std::wstring& out) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, kSendFlags,
                           kSendTimeoutMs, &len) ||
      static_cast<LRESULT>(len) == LB_ERR)
    return false;
  std::wstring buf(static_cast<std::size_t>(len) + 2, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(&buf[0]), kSendFlags, kSendTimeoutMs, &got) ||
      static_cast<LRESULT>(got) == LB_ERR)
    return false;
  buf.resize(std::min<std::size_t>(static_cast<std::size_t>(got), buf.size()));
  out = buf;
  return true;
}

}  // namespace

int ListBoxItemLength(HWND listBox, int index) {
  DWORD_PTR len = 0;
  if (!listBox || !SendMessageTimeoutW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0,
                                       kSendFlags, kSendTimeoutMs, &len))
    return -1;
  LRESULT n = static_cast<LRESULT>(len);
  return n == LB_ERR ? -1 : static_cast<int>(n);
}

std::string ListBoxItem(HWND listBox, int index) {
  std::wstring item;
  return listBox && ReadListBoxItem(listBox, index, item) ? ToAnsi(item) : std::string();
}

std::vector<std::string> ListBoxItems(HWND listBox) {
  std::vector<std::string> items;
  for (const std::wstring& item : ListBoxItemsWide(listBox)) items.push_back(ToAnsi(item));
  return items;
}

std::vector<std::wstring> ListBoxItemsWide(HWND listBox) {
  std::vector<std::wstring> items;
  int count = ListBoxCount(listBox);
  for (int i = 0; i < count; ++i) {
    std::wstring item;
    if (!ReadListBoxItem(listBox, i, item)) return {};
    items.push_back(item);
  }
  return items;
}

std::vector<std::string> ListBoxItems(HWND parent, int controlId) {
  HWND lb = Child(parent, controlId);
  return lb ? ListBoxItems(lb) : std::vector<std::string>();
}

std::string StatusBarText(HWND statusBar) { return WindowText(statusBar); }

// ---- Sending ----

bool Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD timeoutMs) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wp, lp, kSendFlags, timeoutMs, &r)) return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

bool Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return PostMessageA(hwnd, msg, wp, lp) != 0; }

bool PostCommand(HWND hwnd, int commandId) {
  return Post(hwnd, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

bool SendTrayMouse(HWND mainWindow, UINT mouseMsg) {
  return Send(mainWindow, kTrayCallbackMessage, 0, static_cast<LPARAM>(mouseMsg));
}

bool RestoreFromTray(HWND mainWindow, DWORD timeoutMs) {
  if (!SendTrayMouse(mainWindow, WM_LBUTTONUP)) return false;
  return WaitUntil([&] { return IsWindowVisible(mainWindow) != 0; }, timeoutMs);
}

// ---- FixtureWindows ----

namespace {
const char* ShowWord(ShowState s) {
  switch (s) {
    case ShowState::Minimized: return "min";
    case ShowState::Maximized: return "max";
    case ShowState::Hidden: return "hidden";
    default: return "normal";
  }
}

// Fields must not hold the separators of the layout file.
std::string Field(const std::string& s) {
  std::string out = s;
  std::replace(out.begin(), out.end(), '\t', ' ');
  std::replace(out.begin(), out.end(), '\r', ' ');
  std::replace(out.begin(), out.end(), '\n', ' ');
  return out;
}
}  // namespace

FixtureWindows::FixtureWindows(const std::vector<WindowSpec>& specs, DWORD timeoutMs) {
  Start(specs, timeoutMs);
}

FixtureWindows::~FixtureWindows() { Stop(); }

bool FixtureWindows::Start(const std::vector<WindowSpec>& specs, DWORD timeoutMs) {
  Stop();
  char base[MAX_PATH];
  DWORD n = GetTempPathA(sizeof base, base);
  static LONG counter = 0;
  for (;;) {
    std::string candidate = WithBackslash(std::string(base, n < sizeof base ? n : 0)) +
                            "wp-fixture-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(InterlockedIncrement(&counter));
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      dir_ = candidate + "\\";
      break;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  std::string spec;
  for (const WindowSpec& w : specs) {
    std::string flags;
    auto flag = [&](bool on, const char* word) {
      if (!on) return;
      if (!flags.empty()) flags += ",";
      flags += word;
    };
    flag(w.ignoreClose, "ignoreclose");
    flag(w.hung, "hung");
    flag(w.front, "front");
    if (flags.empty()) flags = "-";
    spec += Field(w.className) + "\t" + Field(w.title) + "\t" + std::to_string(w.x) + "\t" +
            std::to_string(w.y) + "\t" + std::to_string(w.width) + "\t" +
            std::to_string(w.height) + "\t" + ShowWord(w.show) + "\t" + flags + "\r\n";
  }
  if (!WriteFileBytes(dir_ + "spec.txt", spec)) return false;
  std::string args = "\"" + dir_ + "spec.txt\" \"" + dir_ + "report.txt\" \"" + dir_ +
                     "ready.txt\" " + std::to_string(GetCurrentProcessId());
  if (!process_.Start(TestBinDir() + "FixtureWindows.exe", {}, args)) return false;

  // The fixture writes the handles, one a line in the order given, once all stand.
  std::string ready;
  bool done = WaitUntil(
      [&] {
        ready = ReadFileBytes(dir_ + "ready.txt");
        return !ready.empty() || !process_.Running();
      },
      timeoutMs);
  if (!done || ready.empty()) return false;
  std::size_t pos = 0;
  while (pos < ready.size()) {
    std::size_t eol = ready.find('\n', pos);
    std::string line = ready.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? ready.size() : eol + 1;
    if (line.empty() || line == "\r") continue;
    unsigned long long value = std::strtoull(line.c_str(), nullptr, 10);
    windows_.push_back(reinterpret_cast<HWND>(static_cast<UINT_PTR>(value)));
  }
  // Every window stood when the handles were written; the guard may have closed one since.
  ok_ = windows_.size() == specs.size() &&
        std::all_of(windows_.begin(), windows_.end(), [](HWND h) { return h != nullptr; });
  for (std::size_t i = 0; ok_ && i < specs.size(); ++i)
    if (specs[i].front) front_ = windows_[i];
  return ok_;
}

std::vector<CloseRequest> FixtureWindows::CloseRequests() const {
  std::vector<CloseRequest> out;
  if (dir_.empty()) return out;
  std::string report = ReadFileBytes(dir_ + "report.txt");
  std::size_t pos = 0;
  while (pos < report.size()) {
    std::size_t eol = report.find("\r\n", pos);
    if (eol == std::string::npos) break;  // a line being written
    std::string line = report.substr(pos, eol - pos);
    pos = eol + 2;
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    out.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return out;
}

bool FixtureWindows::WaitForCloseRequests(std::size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return CloseRequests().size() >= count; }, timeoutMs);
}

void FixtureWindows::BringToFront(HWND hwnd) const {
  HWND h = hwnd ? hwnd : front_;
  if (h) SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FixtureWindows::Stop() {
  process_.Kill();
  windows_.clear();
  front_ = nullptr;
  ok_ = false;
  if (!dir_.empty()) RemoveTree(dir_);
  dir_.clear();
}

}  // namespace e2e
