#include "TrayIcon.h"

#include <shellapi.h>

namespace {
UINT TaskbarCreatedMessage() {
  static UINT msg = RegisterWindowMessageA("TaskbarCreated");
  return msg;
}
}  // namespace

bool TrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAA nid = {};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = owner_;
  nid.uID = 1;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kCallbackMessage;
  nid.hIcon = icon_;
  lstrcpynA(nid.szTip, tip_.c_str(), 64);
  return Shell_NotifyIconA(action, &nid) != FALSE;
}

void TrayIcon::Add(HWND owner, HICON icon, const std::string& tip) {
  TaskbarCreatedMessage();
  owner_ = owner;
  icon_ = icon;
  tip_ = tip;
  added_ = Notify(NIM_ADD);
}

void TrayIcon::SetIcon(HICON icon) {
  icon_ = icon;
  if (added_) Notify(NIM_MODIFY);
}

void TrayIcon::Remove() {
  if (added_) Notify(NIM_DELETE);
  added_ = false;
}

bool TrayIcon::HandleMessage(UINT msg, WPARAM, LPARAM lp) {
  if (msg == kCallbackMessage) {
    if (lp == WM_LBUTTONUP && OnLeftButtonUp) OnLeftButtonUp();
    if (lp == WM_RBUTTONUP && OnRightButtonUp) OnRightButtonUp();
    return true;
  }
  if (msg == TaskbarCreatedMessage() && owner_) {
    added_ = Notify(NIM_ADD);
    return true;
  }
  return false;
}

void ShowTrayMenu(HWND owner, HMENU menu) {
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}
