// Weckruf: makes sure Wachtposten runs, then asks its main window to close the browser window
// in front and to put its title on the to-close list. Shows no window of its own and takes no
// arguments; its one text is the error box below.
#include <windows.h>

#include <string>

#include "AppPaths.h"
#include "LaunchPlan.h"

namespace {

const char kMainWindowClass[] = "TFWachtposten_Main";
constexpr UINT WM_CLOSEBROWSER = 3179;
const char kErrorText[] = "Es ist ein Fehler aufgetreten!";
const char kErrorCaption[] = "Wachtposten";

void ShowError() { MessageBoxA(nullptr, kErrorText, kErrorCaption, MB_OK); }

HWND FindMainWindow() { return FindWindowA(kMainWindowClass, nullptr); }

// Returns the new process's handle for the caller to close, or null when it did not start.
HANDLE StartMainProgram(const LaunchPlan& plan) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  std::string commandLine = plan.commandLine;  // CreateProcessA may write into it
  if (!CreateProcessA(plan.applicationName.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                      NORMAL_PRIORITY_CLASS, nullptr, plan.currentDir.c_str(), &startup,
                      &started)) {
    return nullptr;
  }
  CloseHandle(started.hThread);
  return started.hProcess;
}

// Starts the main program and waits for its main window, for at most kStartWaitMs in all.
// Usually the first wait ends it: the new program waits for input once its window exists.
// Otherwise (it asks something first, or it ended at once because another instance that is
// itself still starting holds the single-instance mutex) we keep looking until the deadline.
// When nothing could be started there is nothing to wait for; one more look still finds a
// main program that another launcher started meanwhile.
HWND StartAndWaitForMainWindow() {
  LaunchPlan plan = PlanLaunch(ExePath());
  if (!plan.valid) return nullptr;
  DWORD startTick = GetTickCount();
  HANDLE process = StartMainProgram(plan);
  if (!process) return FindMainWindow();
  WaitForInputIdle(process, kStartWaitMs);
  CloseHandle(process);
  for (;;) {
    if (HWND window = FindMainWindow()) return window;
    DWORD pause = NextPollPause(GetTickCount() - startTick, kStartWaitMs);
    if (pause == 0) return nullptr;
    Sleep(pause);
  }
}

// A bounded send: a hung main program must not hang us with it. No SMTO_ABORTIFHUNG: the
// time-out alone decides, not the system's guess that a busy program is hung.
SendOutcome Send(HWND window, UINT msg) {
  DWORD_PTR answer = 0;
  SendOutcome outcome;
  outcome.delivered =
      SendMessageTimeoutA(window, msg, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &answer) != 0;
  outcome.answer = static_cast<long long>(static_cast<LONG_PTR>(answer));
  return outcome;
}

void Run() {
  // Not up in time (or not startable): the request is dropped silently; a main program that
  // is still starting goes on starting.
  HWND main = FindMainWindow();
  if (!main) main = StartAndWaitForMainWindow();
  if (!main) return;
  SendOutcome activate = Send(main, WM_ACTIVATE);
  SendOutcome closeBrowser;
  if (activate.delivered) closeBrowser = Send(main, WM_CLOSEBROWSER);
  if (RequestFailed(activate, closeBrowser)) ShowError();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    Run();
  } catch (...) {
    ShowError();
  }
  return 0;
}
