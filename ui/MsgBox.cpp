#include "MsgBox.h"

#include <windows.h>

const char* const kProductCaption = "Wachtposten";

void AppMessage(const std::string& text) {
  HWND owner = GetActiveWindow();
  MessageBoxA(owner, text.c_str(), kProductCaption, MB_OK | (owner ? 0 : MB_TASKMODAL));
}

void SysMessage(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kProductCaption, MB_OK);
}

bool Confirm(const std::string& text) {
  return MessageBoxA(nullptr, text.c_str(), kProductCaption, MB_YESNO) == IDYES;
}
