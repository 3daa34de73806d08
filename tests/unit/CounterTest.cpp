#include "IExplorerCounter.h"

#include <gtest/gtest.h>

namespace {
HWND H(int n) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(n)); }

CounterWindow Browser(int n, const std::string& title = "Seite - Microsoft Internet Explorer") {
  return {H(n), "IEFrame", title, true};
}
}  // namespace

TEST(CounterChoice, CountsVisibleBrowserClassWindowsWithThePhraseInAnyAsciiCase) {
  EXPECT_TRUE(IsCountedBrowserWindow(Browser(1)));
  EXPECT_TRUE(IsCountedBrowserWindow(Browser(1, "START - MICROSOFT INTERNET EXPLORER")));
  EXPECT_TRUE(IsCountedBrowserWindow({H(1), "CabinetWClass", "microsoft internet explorer", true}));
  EXPECT_FALSE(IsCountedBrowserWindow(Browser(1, "Seite - Internet Explorer")));
  EXPECT_FALSE(IsCountedBrowserWindow(Browser(1, "")));
  // Another program's window that only names the browser, and a hidden browser window.
  EXPECT_FALSE(IsCountedBrowserWindow({H(1), "Notepad", "Microsoft Internet Explorer.txt", true}));
  EXPECT_FALSE(IsCountedBrowserWindow({H(1), "Internet Explorer_Server",
                                       "Microsoft Internet Explorer", true}));
  EXPECT_FALSE(IsCountedBrowserWindow({H(1), "IEFrame", "Microsoft Internet Explorer", false}));
}

TEST(CounterChoice, ClosesEveryCountedWindowInFrontOfTheLastMaxWindows) {
  // Limit 1, two windows: the front one goes.
  EXPECT_EQ((std::vector<HWND>{H(1)}), SurplusBrowserWindows({Browser(1), Browser(2)}, 1));
  // Limit 2, four windows front to back: the two in front go; windows that are not counted
  // between them change nothing.
  std::vector<CounterWindow> four = {Browser(1), {H(9), "Notepad", "Microsoft Internet Explorer", true},
                                     Browser(2), Browser(3), Browser(4)};
  EXPECT_EQ((std::vector<HWND>{H(1), H(2)}), SurplusBrowserWindows(four, 2));
  // Exactly at the limit, and below it: nothing.
  EXPECT_TRUE(SurplusBrowserWindows({Browser(1), Browser(2), Browser(3)}, 3).empty());
  EXPECT_TRUE(SurplusBrowserWindows({}, 1).empty());
}

TEST(CounterChoice, ALimitBelowOneActsAsOne) {
  std::vector<CounterWindow> two = {Browser(1), Browser(2)};
  EXPECT_EQ((std::vector<HWND>{H(1)}), SurplusBrowserWindows(two, 0));
  EXPECT_EQ((std::vector<HWND>{H(1)}), SurplusBrowserWindows(two, -7));
  EXPECT_TRUE(SurplusBrowserWindows({Browser(1)}, 0).empty());
}

TEST(CounterComponent, StartsDisabledWithTwoAndFollowsItsSetters) {
  TIExplorer counter;
  EXPECT_EQ(2, counter.MaxWindows());
  EXPECT_FALSE(counter.Enabled());
  counter.SetMaxWindow(3);
  EXPECT_EQ(3, counter.MaxWindows());
  counter.SetEnabled(true);
  EXPECT_TRUE(counter.Enabled());
  counter.SetEnabled(false);
  EXPECT_FALSE(counter.Enabled());
}
