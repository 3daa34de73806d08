#include "Timer.h"

#include <map>

#include "Guard.h"

namespace {
std::map<UINT_PTR, Timer*>& Running() {
  static std::map<UINT_PTR, Timer*> running;
  return running;
}
}  // namespace

Timer::Timer(UINT intervalMs, bool enabled) : interval_(intervalMs) { SetEnabled(enabled); }

Timer::~Timer() { Disarm(); }

void Timer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on)
    Arm();
  else
    Disarm();
}

void Timer::SetInterval(UINT ms) {
  interval_ = ms;
  if (enabled_) {
    Disarm();
    Arm();
  }
}

void Timer::Arm() {
  id_ = SetTimer(nullptr, 0, interval_, &Timer::Proc);
  if (id_) Running()[id_] = this;
}

void Timer::Disarm() {
  busy_ = false;
  if (!id_) return;
  KillTimer(nullptr, id_);
  Running().erase(id_);
  id_ = 0;
}

void CALLBACK Timer::Proc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Running().find(id);
  if (it == Running().end()) return;
  Timer* t = it->second;
  // A tick that arrives while this timer's own callback waits in a modal loop (a message box
  // it showed) is dropped, so one fault cannot stack up a box every interval.
  if (t->busy_) return;
  t->busy_ = true;
  GuardedVoid([t] {
    if (t->OnTimer) t->OnTimer();
  });
  // The callback may have destroyed the timer.
  auto again = Running().find(id);
  if (again != Running().end() && again->second == t) t->busy_ = false;
}
