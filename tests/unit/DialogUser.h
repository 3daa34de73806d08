#pragma once
// A user of a modal dialog, played from a thread of its own while the test's thread runs the
// dialog's loop: waits for the dialog of this process with the given caption, then plays it.
// Message boxes are a MessageBoxWatcher's job.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "Window.h"

class DialogUser {
 public:
  DialogUser(std::string caption, std::function<void(HWND)> play, DWORD findTimeoutMs = 5000)
      : caption_(std::move(caption)), play_(std::move(play)), timeout_(findTimeoutMs),
        thread_([this] { Run(); }) {}
  ~DialogUser() { Join(); }
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;

  // Waits until the user is done; true when the dialog came.
  bool Found() {
    Join();
    return found_;
  }

  // Sends a control's notification to the dialog, as a click would; returns when the handler
  // (and any message box it showed) is done.
  static void Click(HWND dlg, int id, int code) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
  }
  static std::string ItemText(HWND dlg, int id) { return GetWindowTextString(GetDlgItem(dlg, id)); }
  // Waits until the dialog has gone; true when it did within the time-out.
  static bool WaitGone(HWND dlg, DWORD timeoutMs = 5000) {
    for (DWORD start = GetTickCount(); IsWindow(dlg); Sleep(10))
      if (GetTickCount() - start >= timeoutMs) return false;
    return true;
  }

 private:
  struct Search {
    const std::string* caption;
    HWND found;
  };
  static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(h) && GetClassNameString(h) == "#32770" &&
        GetWindowTextString(h) == *s->caption) {
      s->found = h;
      return FALSE;
    }
    return TRUE;
  }

  void Join() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  void Run() {
    Search s = {&caption_, nullptr};
    for (DWORD start = GetTickCount(); !s.found && !stop_ && GetTickCount() - start < timeout_;
         Sleep(10))
      EnumWindows(&Visit, reinterpret_cast<LPARAM>(&s));
    if (!s.found) return;
    // Let WM_INITDIALOG and whatever it showed finish before playing.
    SendMessageTimeoutA(s.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    found_ = true;
    play_(s.found);
  }

  std::string caption_;
  std::function<void(HWND)> play_;
  DWORD timeout_;
  std::atomic<bool> stop_{false};
  bool found_ = false;
  std::thread thread_;
};
