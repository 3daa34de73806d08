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

// Waits for the main window of a program started at startTick, for at most kStartWaitMs in
// all. Usually the first wait ends it: the new program waits for input once its window
// exists. Otherwise (it asks something first, or it ended at once because another instance
// that is itself still starting holds the single-instance mutex) we keep looking for the
// window until the deadline.
HWND WaitForMainWindow(HANDLE process, DWORD startTick) {
  WaitForInputIdle(process, kStartWaitMs);
  for (;;) {
    if (HWND window = FindMainWindow()) return window;
    DWORD pause = NextPollPause(GetTickCount() - startTick, kStartWaitMs);
    if (pause == 0) return nullptr;
    Sleep(pause);
  }
}

// A bounded send: a hung main program must not hang us with it.
SendOutcome Send(HWND window, UINT msg) {
  DWORD_PTR answer = 0;
  SendOutcome outcome;
  outcome.delivered = SendMessageTimeoutA(window, msg, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                          kSendTimeoutMs, &answer) != 0;
  outcome.answer = static_cast<long long>(static_cast<LONG_PTR>(answer));
  return outcome;
}

void Run() {
  HWND main = FindMainWindow();
  if (!main) {
    LaunchPlan plan = PlanLaunch(ExePath());
    if (!plan.valid) return;
    DWORD startTick = GetTickCount();
    HANDLE process = StartMainProgram(plan);
    // Missing or not startable: nothing will come, so there is nothing to wait for.
    if (!process) return;
    main = WaitForMainWindow(process, startTick);
    CloseHandle(process);
    // Not up in time: the request is dropped, the main program goes on starting.
    if (!main) return;
  }
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
