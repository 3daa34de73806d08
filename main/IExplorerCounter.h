#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Timer.h"

// One window as the browser-window counter sees it.
struct CounterWindow {
  HWND handle;
  std::string className;
  std::string title;
  bool visible;
};

// A window the counter counts: visible, of a browser class ("IEFrame", "CabinetWClass"), and
// with "microsoft internet explorer" in its title in any case of the letters A to Z.
bool IsCountedBrowserWindow(const CounterWindow& w);

// The limit in force: one below 1 acts as 1.
int EffectiveMaxWindows(int maxWindows);

// Given the top-level windows front to back, the counted ones to close so that only the
// `maxWindows` furthest back stay open.
std::vector<HWND> SurplusBrowserWindows(const std::vector<CounterWindow>& frontToBack,
                                        int maxWindows);

// Limits the number of browser windows open at a time: while enabled, ten times a second it
// asks every counted window in front of the last MaxWindows ones to close (WM_CLOSE, posted).
class TIExplorer {
 public:
  TIExplorer();

  int MaxWindows() const { return maxWindows_; }
  bool Enabled() const { return enabled_; }
  void SetMaxWindow(int value);
  void SetEnabled(bool value);

  // One pass over the top-level windows; the timer runs it.
  void OnTimer();
  // The timer's interval.
  static constexpr UINT kPassIntervalMs = 100;

 private:
  int maxWindows_ = 2;
  bool enabled_ = false;
  Timer timer_;
};
