// The browser-window limit of the real Wachtposten.exe. Its own executable, so its own Wine
// session: the counter looks at every window of the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Driver.h"

using namespace e2e;

namespace {
WindowSpec Browser(const std::string& title, const std::string& cls = "IEFrame") {
  WindowSpec s;
  s.className = cls;
  s.title = title;
  s.width = 900;  // large: the pop-up scan leaves them alone
  s.height = 700;
  return s;
}

std::vector<std::string> Posted(const FixtureWindows& f) {
  std::vector<std::string> out;
  for (const CloseRequest& r : f.CloseRequests())
    if (r.kind == "WM_CLOSE") out.push_back(r.title);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

class Counter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ProductDir().empty());
    ASSERT_TRUE(dir_.CopyProduct());
  }
  void Start(int limit) {
    dir_.WriteFile("Config.ini", "[Configuration]\r\nExclusivWindow=1\r\nExclusivWindowCount=" +
                                     std::to_string(limit) + "\r\n");
    ASSERT_TRUE(proc_.Start(dir_.Exe()));
    ASSERT_NE(nullptr, WaitForMainWindowReady(proc_));
  }
  ProgramDir dir_{"Counter e2e"};
  Process proc_;
};
}  // namespace

TEST_F(Counter, LimitOneClosesTheFrontWindowAndNeverAnotherProgramsOrAHiddenOne) {
  Start(1);
  WindowSpec hidden = Browser("Versteckt - Microsoft Internet Explorer");
  hidden.show = ShowState::Hidden;
  // Spec order is back to front: W2 behind, W1 in front.
  FixtureWindows f({Browser("W2 - Microsoft Internet Explorer"), hidden,
                    Browser("Notiz Microsoft Internet Explorer.txt", "Notepad"),
                    Browser("W1 - MICROSOFT INTERNET EXPLORER")});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(f.WaitForCloseRequests(1, 5000));
  EXPECT_FALSE(WaitUntil([&] { return Posted(f).size() > 1; }, 1000));
  EXPECT_EQ((std::vector<std::string>{"W1 - MICROSOFT INTERNET EXPLORER"}), Posted(f));
  EXPECT_TRUE(IsWindow(f.window(0)));
}

TEST_F(Counter, LimitTwoClosesAllButTheTwoFurthestBack) {
  Start(2);
  FixtureWindows f({Browser("W4 - Microsoft Internet Explorer"), Browser("W3 - Microsoft Internet Explorer"),
                    Browser("W2 - Microsoft Internet Explorer", "CabinetWClass"),
                    Browser("W1 - Microsoft Internet Explorer")});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(WaitUntil([&] { return Posted(f).size() >= 2; }, 5000));
  EXPECT_FALSE(WaitUntil([&] { return Posted(f).size() > 2; }, 1000));
  EXPECT_EQ((std::vector<std::string>{"W1 - Microsoft Internet Explorer",
                                      "W2 - Microsoft Internet Explorer"}),
            Posted(f));
}

TEST_F(Counter, AStoredLimitBelowOneActsAsOne) {
  Start(-3);
  FixtureWindows f({Browser("B - Microsoft Internet Explorer"), Browser("A - Microsoft Internet Explorer")});
  ASSERT_TRUE(f.ok());
  ASSERT_TRUE(f.WaitForCloseRequests(1, 5000));
  EXPECT_FALSE(WaitUntil([&] { return Posted(f).size() > 1; }, 1000));
  EXPECT_EQ((std::vector<std::string>{"A - Microsoft Internet Explorer"}), Posted(f));
}
