#pragma once
#include <windows.h>

// How long a close request to another program's window may hold up the guard's thread.
constexpr UINT kCloseRequestTimeoutMs = 2000;

// What became of a close request.
enum class CloseOutcome {
  Answered,      // the window handled it, or is gone
  TimedOut,      // delivered but not handled in time; it stays queued for the window
  NotDelivered,  // the window is hung (takes no messages for seconds): the system refused it
};

// Asks another program's window to close (WM_SYSCOMMAND, SC_CLOSE, lParam 0) and waits at most
// `timeoutMs` for its answer (SendMessageTimeout, SMTO_ABORTIFHUNG). Messages that other
// threads send to this one are handled while it waits; posted ones wait for the message loop.
CloseOutcome RequestClose(HWND window, UINT timeoutMs = kCloseRequestTimeoutMs);

// Waits at most `timeoutMs` until the window is gone; true when it is. Messages that other
// threads send to this one are handled meanwhile.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);
// How long after a timed-out close request the guard waits for the window to go.
constexpr DWORD kLateAnswerMs = 1000;

// The same; true when the window answered or is gone.
inline bool SendCloseRequestBounded(HWND window, UINT timeoutMs) {
  return RequestClose(window, timeoutMs) == CloseOutcome::Answered;
}
