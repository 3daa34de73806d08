#include "CloseRequest.h"

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
