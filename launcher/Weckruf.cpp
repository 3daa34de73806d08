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

// The main window and, when this launcher started the program, when it did.
struct MainProgram {
  HWND window = nullptr;
  bool startedHere = false;
  DWORD startTick = 0;
};

// Starts the main program and waits for its main window, while the program runs for at most
// kStartedAnswerMs in all. When it ends at once (it asked nothing and found another instance
// holding the single-instance mutex, one that is itself still starting) we look only until
// kStartWaitMs. When nothing could be started there is nothing to wait for; one more look
// still finds a main program that another launcher started meanwhile.
MainProgram StartMainProgramAndFindIt() {
  MainProgram main;
  LaunchPlan plan = PlanLaunch(ExePath());
  if (!plan.valid) return main;
  main.startTick = GetTickCount();
  HANDLE process = StartMainProgram(plan);
  if (!process) {
    main.window = FindMainWindow();
    return main;
  }
  main.startedHere = true;
  for (;;) {
    if ((main.window = FindMainWindow()) != nullptr) break;
    bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    DWORD pause = NextPollPause(GetTickCount() - main.startTick,
                                ended ? kStartWaitMs : kStartedAnswerMs);
    if (pause == 0) break;
    Sleep(pause);
  }
  CloseHandle(process);
  return main;
}

// A bounded send: a hung main program must not hang us with it. No SMTO_ABORTIFHUNG: the
// time-out alone decides, not the system's guess that a busy program is hung.
SendOutcome Send(const MainProgram& main, UINT msg) {
  SendOutcome outcome;
  DWORD timeoutMs = SendTimeoutMs(main.startedHere, GetTickCount() - main.startTick);
  if (timeoutMs == 0) return outcome;
  DWORD_PTR answer = 0;
  outcome.delivered =
      SendMessageTimeoutA(main.window, msg, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
  outcome.answer = static_cast<long long>(static_cast<LONG_PTR>(answer));
  return outcome;
}

void Run() {
  // Not up in time (or not startable): the request is dropped silently; a main program that
  // is still starting goes on starting.
  MainProgram main;
  main.window = FindMainWindow();
  if (!main.window) main = StartMainProgramAndFindIt();
  if (!main.window) return;
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
