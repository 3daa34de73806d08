#pragma once
#include <windows.h>

// Asks another program's window to close (WM_SYSCOMMAND/SC_CLOSE) and waits at most
// `timeoutMs` for it: true when the window answered or is gone, false when the time ran out.
//
// Not SendMessageTimeout: under Wine a window that destroys itself while handling the request
// never answers it, so every closed window would cost the whole time-out. Here the wait ends
// as soon as the window is gone. Messages sent to this thread meanwhile are handled.
bool SendCloseRequestBounded(HWND window, UINT timeoutMs);
