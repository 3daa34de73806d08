#include "CloseRequest.h"

#include <algorithm>

CloseOutcome RequestClose(HWND window, UINT timeoutMs) {
  if (!IsWindow(window)) return CloseOutcome::Answered;
  DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(window, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, timeoutMs,
                          &result))
    return CloseOutcome::Answered;
  // Gone while we waited: its thread ended without answering.
  if (!IsWindow(window)) return CloseOutcome::Answered;
  // Both failures report ERROR_TIMEOUT; a hung window is turned away at once.
  return GetTickCount() - start < timeoutMs / 2 ? CloseOutcome::NotDelivered
                                                : CloseOutcome::TimedOut;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  constexpr DWORD kPollMs = 20;
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(kPollMs, timeoutMs - elapsed),
                              QS_SENDMESSAGE);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  return true;
}
