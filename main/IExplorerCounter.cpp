#include "IExplorerCounter.h"

#include <algorithm>

#include "PopupRules.h"
#include "Window.h"

namespace {
const char kBrowserPhrase[] = "microsoft internet explorer";
// The classes IsCountedBrowserWindow takes, for lookups by class.
const std::vector<const char*> kCountedClasses = {"IEFrame", "CabinetWClass"};

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
}  // namespace

bool IsCountedBrowserWindow(const CounterWindow& w) {
  if (!w.visible) return false;
  if (w.className != "IEFrame" && w.className != "CabinetWClass") return false;
  return AsciiLower(w.title).find(kBrowserPhrase) != std::string::npos;
}

int EffectiveMaxWindows(int maxWindows) { return std::max(1, maxWindows); }

std::vector<HWND> SurplusBrowserWindows(const std::vector<CounterWindow>& frontToBack,
                                        int maxWindows) {
  maxWindows = EffectiveMaxWindows(maxWindows);
  std::vector<HWND> counted;
  for (const CounterWindow& w : frontToBack)
    if (IsCountedBrowserWindow(w)) counted.push_back(w.handle);
  if (static_cast<int>(counted.size()) <= maxWindows) return {};
  counted.resize(counted.size() - static_cast<std::size_t>(maxWindows));
  return counted;
}

TIExplorer::TIExplorer() : timer_(kPassIntervalMs, false) {
  timer_.OnTimer = [this] { OnTimer(); };
}

void TIExplorer::SetMaxWindow(int value) {
  if (value != maxWindows_) maxWindows_ = value;
}

void TIExplorer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  timer_.SetEnabled(value);
}

void TIExplorer::OnTimer() {
  // Only browser windows can count, so they are looked up by class. No more of them than
  // allowed: none can be beyond the limit (most passes end here).
  ClassLookup found = FindWindowsOfClasses(kCountedClasses);
  if (found.windows.size() <= static_cast<std::size_t>(EffectiveMaxWindows(maxWindows_))) return;
  PutInZOrder(found);
  std::vector<CounterWindow> windows;
  for (HWND h : found.windows)
    windows.push_back(
        {h, GetClassNameString(h), GetWindowTextString(h), IsWindowVisible(h) != FALSE});
  // Posted, so a pass never waits on another program's window.
  for (HWND h : SurplusBrowserWindows(windows, maxWindows_)) PostMessageA(h, WM_CLOSE, 0, 0);
}
