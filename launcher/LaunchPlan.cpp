#include "LaunchPlan.h"

#include <algorithm>

namespace {
const char kMainProgramFile[] = "Wachtposten.exe";
}

std::string ProgramDirOf(const std::string& exePath) {
  std::string::size_type cut = exePath.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : exePath.substr(0, cut + 1);
}

std::string QuoteForCommandLine(const std::string& path) {
  // A Windows file name cannot hold a quote, so nothing inside needs escaping. A trailing
  // backslash would escape the closing quote, but a path to an .exe never ends in one.
  return "\"" + path + "\"";
}

LaunchPlan PlanLaunch(const std::string& launcherExePath) {
  LaunchPlan plan;
  std::string dir = ProgramDirOf(launcherExePath);
  if (dir.empty()) return plan;
  plan.valid = true;
  plan.applicationName = dir + kMainProgramFile;
  plan.commandLine = QuoteForCommandLine(plan.applicationName);
  plan.currentDir = dir;
  return plan;
}

bool RequestFailed(const SendOutcome& activate, const SendOutcome& closeBrowser) {
  // The answer to the activation does not matter, only that it was handled at all; the close
  // request is done when the main program answers 0.
  if (!activate.delivered) return true;
  return !closeBrowser.delivered || closeBrowser.answer != 0;
}

unsigned long NextPollPause(unsigned long elapsedMs, unsigned long limitMs) {
  if (elapsedMs >= limitMs) return 0;
  return std::min(kWindowPollMs, limitMs - elapsedMs);
}

unsigned long SendTimeoutMs(unsigned long sinceStartMs) {
  return sinceStartMs >= kAnswerMs ? 0 : kAnswerMs - sinceStartMs;
}
