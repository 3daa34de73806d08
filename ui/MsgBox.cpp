#include "MsgBox.h"

#include <windows.h>

#include "Dialog.h"

const char* const kProductCaption = "Wachtposten";

int ShowMessageBox(HWND owner, const std::string& text, UINT type) {
  if (!owner) owner = DialogOwner();
  if (owner && (GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)) type |= MB_TOPMOST;
  return MessageBoxA(owner, text.c_str(), kProductCaption, type | MB_SETFOREGROUND);
}

void AppMessage(const std::string& text) {
  HWND owner = DialogOwner();
  if (!owner) owner = GetActiveWindow();
  ShowMessageBox(owner, text, MB_OK | (owner ? 0 : MB_TASKMODAL));
}

void SysMessage(const std::string& text) { ShowMessageBox(nullptr, text, MB_OK); }

bool Confirm(const std::string& text) { return ShowMessageBox(nullptr, text, MB_YESNO) == IDYES; }
