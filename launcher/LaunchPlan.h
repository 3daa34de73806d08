#pragma once
#include <string>

// The plain decisions of Weckruf, apart from the Win32 calls that carry them out.

// How long Weckruf looks for a main window after the program it started has ended at once
// (another instance, itself still starting, may hold the single-instance mutex).
constexpr unsigned long kStartWaitMs = 3000;
// How long, from the launcher's start, the main program may take to show its window and answer
// both messages, whoever started it and however long it has run. It can be busy for tens of
// seconds without being hung (clean-ups at its start or from its menu), and a request given up
// on is lost; only one that has not answered by then counts as hung.
constexpr unsigned long kAnswerMs = 60000;
// Pause between two looks for the main window while waiting for it.
constexpr unsigned long kWindowPollMs = 50;

// The directory of an executable: its full name up to and including the last backslash (or
// the drive colon); empty when the name has neither.
std::string ProgramDirOf(const std::string& exePath);

// How to start the main program that lives beside the launcher.
struct LaunchPlan {
  bool valid = false;         // false: the launcher's own directory is unknown, start nothing
  std::string applicationName;  // full path of Wachtposten.exe
  std::string commandLine;      // that path in quotes, no arguments
  std::string currentDir;       // the program directory, with its trailing backslash
};

LaunchPlan PlanLaunch(const std::string& launcherExePath);

// A path as the first word of a command line: in quotes, so blanks in it cannot make
// Windows try "C:\Program.exe" and the like first.
std::string QuoteForCommandLine(const std::string& path);

// What came back from sending one message to the main window.
struct SendOutcome {
  bool delivered = false;  // false: time-out (main program hung) or the window is gone
  long long answer = 0;
};

// Whether the request failed and the user is to be told.
bool RequestFailed(const SendOutcome& activate, const SendOutcome& closeBrowser);

// Pause before the next look for the main window: a poll step, never past the deadline.
unsigned long NextPollPause(unsigned long elapsedMs, unsigned long limitMs);

// How long the next message may wait for its answer: what is left of kAnswerMs since the
// launcher's start (0: time is up, do not send).
unsigned long SendTimeoutMs(unsigned long sinceStartMs);
