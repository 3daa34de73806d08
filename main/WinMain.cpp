#include <windows.h>
#include <commctrl.h>

#include "Connection.h"
#include "Connectionlist.h"
#include "Controls.h"
#include "Dialeroptions.h"
#include "Guard.h"
#include "MainWindow.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);

  // Create, then ask: opening first and creating after would let two starts at the same
  // moment both miss each other.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Wachtposten");
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  TFWachtposten_Main* main = nullptr;
  GuardedVoid([&] {
    main = new TFWachtposten_Main();
    main->FormCreate();
    FCheck0190 = new TFCheck0190();
    FConnectionList = new TFConnectionList();
    FDialerOptions = new TFDialerOptions();
  });
  if (main && main->hwnd()) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (WindowDialogKeys(main->hwnd(), msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  ReleaseMutex(mutex);
  GuardedVoid([&] { delete main; });
  delete FCheck0190;
  FCheck0190 = nullptr;
  delete FConnectionList;
  FConnectionList = nullptr;
  delete FDialerOptions;
  FDialerOptions = nullptr;
  CloseHandle(mutex);
  return 0;
}
