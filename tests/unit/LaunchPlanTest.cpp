#include "LaunchPlan.h"

#include <gtest/gtest.h>

TEST(LaunchPlan, StartsTheMainProgramBesideTheLauncherInItsOwnDirectory) {
  LaunchPlan plan = PlanLaunch("C:\\Wachtposten\\Weckruf.exe");
  ASSERT_TRUE(plan.valid);
  EXPECT_EQ("C:\\Wachtposten\\Wachtposten.exe", plan.applicationName);
  EXPECT_EQ("\"C:\\Wachtposten\\Wachtposten.exe\"", plan.commandLine);
  EXPECT_EQ("C:\\Wachtposten\\", plan.currentDir);
}

TEST(LaunchPlan, QuotesTheWholePathWhenTheDirectoryHoldsBlanks) {
  // Unquoted, Windows would try "C:\Program.exe" and "C:\Program Files\My.exe" first.
  LaunchPlan plan = PlanLaunch("C:\\Program Files\\My Tools\\Weckruf.exe");
  ASSERT_TRUE(plan.valid);
  EXPECT_EQ("C:\\Program Files\\My Tools\\Wachtposten.exe", plan.applicationName);
  EXPECT_EQ("\"C:\\Program Files\\My Tools\\Wachtposten.exe\"", plan.commandLine);
  EXPECT_EQ("C:\\Program Files\\My Tools\\", plan.currentDir);
}

TEST(LaunchPlan, ProgramDirectoryEndsAtTheLastBackslashOrTheDriveColon) {
  EXPECT_EQ("C:\\a.b\\c d\\", ProgramDirOf("C:\\a.b\\c d\\Weckruf.exe"));
  EXPECT_EQ("C:\\", ProgramDirOf("C:\\Weckruf.exe"));
  EXPECT_EQ("\\\\server\\share\\", ProgramDirOf("\\\\server\\share\\Weckruf.exe"));
  EXPECT_EQ("C:", ProgramDirOf("C:Weckruf.exe"));
  EXPECT_EQ("", ProgramDirOf("Weckruf.exe"));
}

TEST(LaunchPlan, StartsNothingWhenItsOwnDirectoryIsUnknown) {
  // A bare name would be looked up in the current directory: start nothing rather than
  // whatever Wachtposten.exe happens to lie there.
  EXPECT_FALSE(PlanLaunch("").valid);
  EXPECT_FALSE(PlanLaunch("Weckruf.exe").valid);
}

TEST(LaunchPlan, OnlyAHandledCloseRequestAnsweredWithZeroIsSuccess) {
  const SendOutcome answered0{true, 0}, answered1{true, 1}, answeredMinus1{true, -1};
  const SendOutcome timedOut{false, 0};
  EXPECT_FALSE(RequestFailed(answered0, answered0));
  EXPECT_FALSE(RequestFailed(answered1, answered0)) << "the activation's answer does not count";
  EXPECT_TRUE(RequestFailed(answered0, answered1));
  EXPECT_TRUE(RequestFailed(answered0, answeredMinus1));
  EXPECT_TRUE(RequestFailed(answered0, timedOut)) << "a hung main program is an error";
  EXPECT_TRUE(RequestFailed(timedOut, SendOutcome{})) << "hung before the close request";
}

TEST(LaunchPlan, WaitsNeverRunPastTheirDeadline) {
  EXPECT_EQ(kWindowPollMs, NextPollPause(0, kStartWaitMs));
  EXPECT_EQ(20ul, NextPollPause(kStartWaitMs - 20, kStartWaitMs));
  EXPECT_EQ(0ul, NextPollPause(kStartWaitMs, kStartWaitMs));
  // The tick count may jump past the deadline between two looks.
  EXPECT_EQ(0ul, NextPollPause(kStartWaitMs + 700, kStartWaitMs));

  // {since the launcher's start, time left for the next message}: finding the window and both
  // answers share one deadline, whoever started the main program and however long it has run.
  const unsigned long cases[][2] = {
      {0, kAnswerMs}, {12000, kAnswerMs - 12000}, {kAnswerMs, 0}, {kAnswerMs + 700, 0}};
  for (const auto& c : cases) EXPECT_EQ(c[1], SendTimeoutMs(c[0])) << c[0] << " ms";
}
