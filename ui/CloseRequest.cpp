#include "CloseRequest.h"

#include <set>

namespace {
constexpr DWORD kPollMs = 5;

std::set<ULONG_PTR>& Answered() {
  static std::set<ULONG_PTR> answered;
  return answered;
}

void CALLBACK OnAnswer(HWND, UINT, ULONG_PTR id, LRESULT) { Answered().insert(id); }
}  // namespace

bool SendCloseRequestBounded(HWND window, UINT timeoutMs) {
  // Not IsHungAppWindow: under Wine it can call a window hung that is only waiting for input,
  // and the request would then never be sent. The bounded wait is what protects us.
  if (!IsWindow(window)) return true;
  static ULONG_PTR nextId = 0;
  ULONG_PTR id = ++nextId;
  if (!SendMessageCallbackA(window, WM_SYSCOMMAND, SC_CLOSE, 0, &OnAnswer, id))
    return !IsWindow(window);
  DWORD start = GetTickCount();
  bool done = false;
  for (;;) {
    if (Answered().erase(id) || !IsWindow(window)) {
      done = true;
      break;
    }
    if (GetTickCount() - start >= timeoutMs) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_SENDMESSAGE);
    // Handles the messages other threads send us, the answer's callback among them; posted
    // messages stay queued for the message loop.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  return done;
}
