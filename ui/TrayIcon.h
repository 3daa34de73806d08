#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The program's icon in the notification area. The owner window forwards every message to
// HandleMessage, which answers the icon's callback message and re-adds the icon when the
// taskbar is created anew (explorer restarted).
class TrayIcon {
 public:
  static constexpr UINT kCallbackMessage = WM_APP + 1;

  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  void Add(HWND owner, HICON icon, const std::string& tip);
  void SetIcon(HICON icon);
  void Remove();
  bool Added() const { return added_; }
  HICON Icon() const { return icon_; }

  std::function<void()> OnLeftButtonUp;
  std::function<void()> OnRightButtonUp;

  // True when the message was the icon's and has been handled.
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  bool Notify(DWORD action);
  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  std::string tip_;
  bool added_ = false;
};

// Shows a pop-up menu for a tray icon at the cursor. SetForegroundWindow first, or the menu
// does not close when the user clicks elsewhere.
void ShowTrayMenu(HWND owner, HMENU menu);
