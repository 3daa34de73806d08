#pragma once
// The decisions and the outside calls of the main window's commands, for the commands
// themselves and for tests.
#include <windows.h>

#include <string>
#include <vector>

// The help page beside the program, and the maker's homepage.
extern const char* const kHelpFileName;
extern const char* const kHomepageUrl;

// Opens a file or an address through the shell ("open", SW_SHOWDEFAULT); the result is not
// looked at. Tests replace it to see what would be opened.
using ShellOpenFunction = void (*)(HWND parent, const std::string& target);
extern ShellOpenFunction ShellOpen;
void ShellOpenDefault(HWND parent, const std::string& target);

// A top-level window as "close the marked window" sees it.
struct TopLevelWindow {
  HWND handle;
  std::string className;
  std::string title;
  bool titleLossy = false;  // the ANSI code page lacks some of its characters (WindowSnapshot)
};

// "IEFrame" and "CabinetWClass": the windows the marked-window command may close.
bool IsClosableBrowserClass(const std::string& className);
// The first browser window, front to back, whose title is exactly `title` (case-sensitive);
// nullptr when there is none. Another program's window with that title is never chosen, nor
// a window whose lossy title only looks like it.
HWND BrowserWindowTitled(const std::vector<TopLevelWindow>& frontToBack, const std::string& title);
// The top-level browser windows now, front to back (other windows are left out).
std::vector<TopLevelWindow> TopLevelBrowserWindows();

// The browser clean-ups of the menus and of start-up.
class BrowserStores;
enum class Cleanup { Cookies, History, TempFiles, TypedUrls };
// Runs one clean-up on the stores; true when it succeeded.
bool RunCleanup(Cleanup what, BrowserStores& stores);
// The message after a clean-up command: its success text only when it succeeded, otherwise
// the text that says it failed.
int CleanupCommandText(Cleanup what, bool succeeded);
// The message after a start-up clean-up, 0 for none: a failure, or the cookies' success.
int StartupCleanupText(Cleanup what, bool succeeded);
// The stores the clean-ups and the cookies dialog work on: the system's, unless a test puts
// in stores that fail.
extern BrowserStores* CleanupStores;

// How long the command waits for a window that answered its close request to go before it
// refreshes the list (the request's own bound is kCloseRequestTimeoutMs, CloseRequest.h).
constexpr DWORD kWindowGoneWaitMs = 500;
