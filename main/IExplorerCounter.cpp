#include "IExplorerCounter.h"

#include "Guard.h"
#include "Window.h"

namespace {
const char kBrowserPhrase[] = "microsoft internet explorer";

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
  return Guarded(
      [&] {
        auto* out = reinterpret_cast<std::vector<CounterWindow>*>(lp);
        std::string cls = GetClassNameString(hwnd);
        // Only browser windows need their title read.
        if (cls == "IEFrame" || cls == "CabinetWClass")
          out->push_back({hwnd, cls, GetWindowTextString(hwnd), IsWindowVisible(hwnd) != FALSE});
        return TRUE;
      },
      TRUE);
}
}  // namespace

bool IsCountedBrowserWindow(const CounterWindow& w) {
  if (!w.visible) return false;
  if (w.className != "IEFrame" && w.className != "CabinetWClass") return false;
  return AsciiLower(w.title).find(kBrowserPhrase) != std::string::npos;
}

std::vector<HWND> SurplusBrowserWindows(const std::vector<CounterWindow>& frontToBack,
                                        int maxWindows) {
  if (maxWindows < 1) maxWindows = 1;
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
  std::vector<CounterWindow> windows;
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
  // Posted, so a pass never waits on another program's window.
  for (HWND h : SurplusBrowserWindows(windows, maxWindows_)) PostMessageA(h, WM_CLOSE, 0, 0);
}
