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

// Starts the main program and waits for its main window until kAnswerMs after the launcher's
// start. When it ends at once (it asked nothing and found another instance holding the
// single-instance mutex, one that is itself still starting) we look only until kStartWaitMs.
// When nothing could be started there is nothing to wait for; one more look still finds a main
// program that another launcher started meanwhile.
HWND StartMainProgramAndFindIt(DWORD startTick) {
  LaunchPlan plan = PlanLaunch(ExePath());
  if (!plan.valid) return nullptr;
  HANDLE process = StartMainProgram(plan);
  if (!process) return FindMainWindow();
  HWND window = nullptr;
  for (;;) {
    if ((window = FindMainWindow()) != nullptr) break;
    bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    DWORD pause = NextPollPause(GetTickCount() - startTick, ended ? kStartWaitMs : kAnswerMs);
    if (pause == 0) break;
    Sleep(pause);
  }
  CloseHandle(process);
  return window;
}

// A bounded send: a hung main program must not hang us with it. No SMTO_ABORTIFHUNG: the
// time-out alone decides, not the system's guess that a busy program is hung.
SendOutcome Send(HWND window, UINT msg, DWORD startTick) {
  SendOutcome outcome;
  DWORD timeoutMs = SendTimeoutMs(GetTickCount() - startTick);
  if (timeoutMs == 0) return outcome;
  DWORD_PTR answer = 0;
  outcome.delivered =
      SendMessageTimeoutA(window, msg, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
  outcome.answer = static_cast<long long>(static_cast<LONG_PTR>(answer));
  return outcome;
}

void Run() {
  // One deadline for the whole request, however the main program came to run: a busy one
  // gets the same time as one we start here.
  const DWORD startTick = GetTickCount();
  // Not up in time (or not startable): the request is dropped silently; a main program that
  // is still starting goes on starting.
  HWND window = FindMainWindow();
  if (!window) window = StartMainProgramAndFindIt(startTick);
  if (!window) return;
  SendOutcome activate = Send(window, WM_ACTIVATE, startTick);
  SendOutcome closeBrowser;
  if (activate.delivered) closeBrowser = Send(window, WM_CLOSEBROWSER, startTick);
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
