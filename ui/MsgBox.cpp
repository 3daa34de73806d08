#include "MsgBox.h"

#include <windows.h>

#include "Dialog.h"

const char* const kProductCaption = "Wachtposten";

namespace {
// The hidden owner of the box being made on this thread, until the box is made.
thread_local HWND hiddenBoxOwner = nullptr;

// The box's dialog procedure is the system's: the style is given as the box is set up, before
// it is shown (the system sets the style it was made with after the creation hooks).
LRESULT CALLBACK MarkBoxFindable(int code, WPARAM wp, LPARAM lp) {
  const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && hiddenBoxOwner && call->message == WM_INITDIALOG &&
      GetWindow(call->hwnd, GW_OWNER) == hiddenBoxOwner) {
    hiddenBoxOwner = nullptr;
    FindableWhileOwnerHidden(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// While it stands, a message box made for a hidden owner gets what FindableWhileOwnerHidden
// gives a dialog.
class FindableBox {
 public:
  explicit FindableBox(HWND owner) : before_(hiddenBoxOwner) {
    if (!owner || IsWindowVisible(owner)) return;
    hiddenBoxOwner = owner;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &MarkBoxFindable, nullptr, GetCurrentThreadId());
  }
  ~FindableBox() {
    if (hook_) UnhookWindowsHookEx(hook_);
    hiddenBoxOwner = before_;
  }
  FindableBox(const FindableBox&) = delete;
  FindableBox& operator=(const FindableBox&) = delete;

 private:
  HWND before_;
  HHOOK hook_ = nullptr;
};
}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, UINT type) {
  if (!owner) owner = DialogOwner();
  if (owner && (GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)) type |= MB_TOPMOST;
  FindableBox findable(owner);
  return MessageBoxA(owner, text.c_str(), kProductCaption, type | MB_SETFOREGROUND);
}

void AppMessage(const std::string& text) {
  HWND owner = DialogOwner();
  if (!owner) owner = GetActiveWindow();
  ShowMessageBox(owner, text, MB_OK | (owner ? 0 : MB_TASKMODAL));
}

void SysMessage(const std::string& text) { ShowMessageBox(nullptr, text, MB_OK); }

bool Confirm(const std::string& text) { return ShowMessageBox(nullptr, text, MB_YESNO) == IDYES; }
