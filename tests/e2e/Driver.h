#pragma once
// The end-to-end driver: runs the real programs in a temporary program directory and works
// their windows from outside, as a user or another program would. Every wait has a time-out;
// every process a test starts is ended when its Process object goes.
//
// Texts are std::string in code page 1252 (the programs' ANSI code page); texts read from
// another process's controls are fetched as UTF-16 (the only form the system marshals across
// processes for list boxes) and converted.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"

namespace e2e {

// Time-outs. A Wachtposten start costs 1-3 s under Wine; the start limit leaves room for a
// loaded machine.
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 20;

// The folder with Wachtposten.exe, Rufsperre.dll (and Weckruf.exe), from the environment
// variable WP_PRODUCT_DIR that ctest sets; with a trailing backslash. Empty when unset.
std::string ProductDir();
// The running test executable's folder (FixtureWindows.exe lies there), trailing backslash.
std::string TestBinDir();
// A monotonic clock in milliseconds (the performance counter).
double NowMs();
// An environment variable of this process; empty when unset.
std::string Env(const std::string& name);

// Code page conversions.
std::string ToAnsi(const std::wstring& s);   // to code page 1252; unmappable characters give '?'
std::wstring ToWide(const std::string& s);   // from code page 1252

// Whole files (bytes as they are).
using ::FileExists;
using ::ReadFileBytes;
using ::RemoveTree;
using ::WriteFileBytes;

// A fresh program directory under the temp folder, removed with its contents at the end.
class ProgramDir {
 public:
  explicit ProgramDir(const std::string& nameHint = "Wachtposten e2e");
  ~ProgramDir();
  ProgramDir(const ProgramDir&) = delete;
  ProgramDir& operator=(const ProgramDir&) = delete;

  // The directory with a trailing backslash.
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }
  // Copies files of the product folder here; false when one is missing or fails.
  bool CopyProduct(const std::vector<std::string>& files = {"Wachtposten.exe",
                                                            "Rufsperre.dll"}) const;
  bool WriteFile(const std::string& name, const std::string& bytes) const;
  std::string ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;
  bool MakeDir(const std::string& name) const;
  std::string Exe(const std::string& name = "Wachtposten.exe") const { return File(name); }

 private:
  std::string path_;
};

using EnvVars = std::vector<std::pair<std::string, std::string>>;

// A started program. The destructor always ends it (TerminateProcess, then a bounded wait):
// no test leaves a program running.
class Process {
 public:
  Process() = default;
  // Starts `exe` (full path) with the working directory set to its folder. `env` adds to or
  // replaces variables of this process's environment; `args` follow the quoted exe name.
  explicit Process(const std::string& exe, const EnvVars& env = {}, const std::string& args = "");
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::string& exe, const EnvVars& env = {}, const std::string& args = "");
  bool started() const { return handle_ != nullptr; }
  DWORD pid() const { return pid_; }
  HANDLE handle() const { return handle_; }
  // NowMs() just before CreateProcess: for time measurements.
  double startMs() const { return startMs_; }
  bool Running() const;
  // The error of the last failed CreateProcess.
  DWORD lastError() const { return lastError_; }
  // True when the process has ended within the time-out; its exit code then in *exitCode.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
  // Ends it now (if it still runs) and waits for it; idempotent.
  void Kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD pid_ = 0;
  double startMs_ = 0;
  DWORD lastError_ = 0;
};

// Polls `condition` every `pollMs` until it holds or the time-out passes; the result is its
// last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = kPollMs);

// Top-level windows. An empty class or a null title matches any; pid 0 matches any process.
// Hidden windows count too (the main window lives hidden in the tray).
std::vector<HWND> FindTopWindows(const std::string& cls, const char* title = nullptr,
                                 DWORD pid = 0);
HWND FindTopWindow(const std::string& cls, const char* title = nullptr, DWORD pid = 0);
HWND WaitForTopWindow(const std::string& cls, const char* title, DWORD pid, DWORD timeoutMs);
// Wachtposten's main window (class "TFWachtposten_Main") of that process; null on time-out.
HWND WaitForMainWindow(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
// The main window exists and its thread has reached a message loop (WaitForInputIdle) and
// answers: its constructor, which adds the tray icon and then hides the window to the tray,
// and the start-up calls after it have run (or a start-up message box waits).
HWND WaitForMainWindowReady(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
DWORD WindowPid(HWND hwnd);
bool IsTopmost(HWND hwnd);
// What keeps `window` from being what the user sees and types into: it stands below `other` in
// the z-order, is not the foreground window, or the hit test at its centre finds another
// window. Empty when nothing does.
std::string NotInFront(HWND window, HWND other);
// Whether the taskbar shows a button for the window and Alt+Tab lists it: visible, and unowned
// or marked as an application window, and no tool window.
bool HasTaskbarButton(HWND window);

// Message boxes: dialogs of class "#32770" captioned "Wachtposten", visible. pid 0 = any.
std::vector<HWND> FindMessageBoxes(DWORD pid = 0);
HWND FindMessageBox(DWORD pid = 0);
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// True when no such box of that process appears within `ms`.
bool NoMessageBoxWithin(DWORD pid, DWORD ms);
// The box's message (its first static control with text).
std::string MessageBoxText(HWND box);
// Presses the dialog button with that ID (IDOK, IDYES, ...) by posting its click.
bool PressButton(HWND dialog, int buttonId);
// Waits until the window is gone.
bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs);

// Another process's controls.
HWND Child(HWND parent, int controlId);
// Window text through WM_GETTEXT (bounded); works for another process's controls.
std::string WindowText(HWND hwnd);
std::string ControlText(HWND parent, int controlId);
// The items of a list box (LB_GETTEXT sent as UTF-16, bounded); empty on failure.
std::vector<std::string> ListBoxItems(HWND listBox);
std::vector<std::string> ListBoxItems(HWND parent, int controlId);
std::vector<std::wstring> ListBoxItemsWide(HWND listBox);
int ListBoxCount(HWND listBox);  // -1 on failure
// One item; empty on failure. Under Wine an item of thousands of characters cannot be fetched
// across processes (the reading fails); ListBoxItemLength still tells its length.
std::string ListBoxItem(HWND listBox, int index);
int ListBoxItemLength(HWND listBox, int index);  // -1 on failure
// The first part of a status bar (WM_GETTEXT of a status bar returns it).
std::string StatusBarText(HWND statusBar);

// Sending. Send uses SendMessageTimeout: false when the receiver did not answer in time.
bool Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0, LRESULT* result = nullptr,
          DWORD timeoutMs = kSendTimeoutMs);
bool Post(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
// A menu command (WM_COMMAND with lParam 0), posted.
bool PostCommand(HWND hwnd, int commandId);
// The tray icon's callback message (WM_APP + 1) with a mouse message in lParam.
constexpr UINT kTrayCallbackMessage = WM_APP + 1;
bool SendTrayMouse(HWND mainWindow, UINT mouseMsg);
// A left click on the tray icon: restores the main window; waits until it is visible.
bool RestoreFromTray(HWND mainWindow, DWORD timeoutMs = kSendTimeoutMs);

// FixtureWindows.exe (tests/fixtures): top-level windows of our own for the guard to act on.
// They are Unicode: SetWindowTextW gives one any title.
enum class ShowState { Normal, Minimized, Maximized, Hidden };
struct WindowSpec {
  std::string className = "IEFrame";
  std::string title;  // code page 1252
  int x = 100, y = 100, width = 400, height = 300;
  ShowState show = ShowState::Normal;
  bool ignoreClose = false;  // record close requests, but stay open
  bool hung = false;         // its thread stops pumping messages once the window stands
  bool front = false;        // kept first in the z-order (topmost, created last)
};
struct CloseRequest {
  std::string kind;   // "WM_CLOSE" or "SC_CLOSE" (WM_SYSCOMMAND)
  std::string title;  // the window's title, code page 1252
};

class FixtureWindows {
 public:
  FixtureWindows() = default;
  // Starts FixtureWindows.exe with these windows and waits until they all exist.
  explicit FixtureWindows(const std::vector<WindowSpec>& specs, DWORD timeoutMs = kStartTimeoutMs);
  ~FixtureWindows();
  FixtureWindows(const FixtureWindows&) = delete;
  FixtureWindows& operator=(const FixtureWindows&) = delete;

  bool Start(const std::vector<WindowSpec>& specs, DWORD timeoutMs = kStartTimeoutMs);
  // True when every window exists.
  bool ok() const { return ok_; }
  // The windows, in the order given.
  const std::vector<HWND>& windows() const { return windows_; }
  HWND window(std::size_t index) const { return index < windows_.size() ? windows_[index] : nullptr; }
  Process& process() { return process_; }
  DWORD pid() const { return process_.pid(); }
  // The close requests received so far, in order.
  std::vector<CloseRequest> CloseRequests() const;
  bool WaitForCloseRequests(std::size_t count, DWORD timeoutMs) const;
  // Puts the front window (or `hwnd`) first in the z-order again.
  void BringToFront(HWND hwnd = nullptr) const;
  // Ends the fixture program.
  void Stop();

 private:
  std::string dir_;
  std::vector<HWND> windows_;
  HWND front_ = nullptr;
  Process process_;
  bool ok_ = false;
};

}  // namespace e2e
