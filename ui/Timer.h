#pragma once
#include <windows.h>

#include <functional>

// A window-less timer of the GUI thread (SetTimer without a window): it fires in every message
// loop of the thread, also inside modal dialogs and message boxes. The callback runs guarded.
class Timer {
 public:
  explicit Timer(UINT intervalMs = 1000, bool enabled = false);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer();

  std::function<void()> OnTimer;

  bool Enabled() const { return enabled_; }
  UINT Interval() const { return interval_; }
  void SetEnabled(bool on);
  // Restarts the countdown when the timer runs.
  void SetInterval(UINT ms);

 private:
  void Arm();
  void Disarm();
  static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD);

  UINT interval_;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
  bool busy_ = false;
};
