#pragma once
// Reads the log viewer from a thread of its own while the test's thread runs its modal loop.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "DialogUser.h"
#include "OptionsRes.h"
#include "Window.h"

// What a log viewer showed.
struct LogSeen {
  bool found = false;
  std::string caption;
  std::vector<std::string> items;
  RECT client = {};
  int horizontalExtent = 0;
  bool ownerEnabled = true;  // the window that owns the viewer, if any
};

// Reads the next log viewer and closes it with its button. Start it before what opens it.
inline std::thread ReadLogViewer(LogSeen* seen) {
  return std::thread([seen] {
    HWND dlg = WaitForDialogWith(IDC_LOG_LISTBOX1, 10000);
    if (!dlg) return;
    seen->found = true;
    seen->caption = GetWindowTextString(dlg);
    HWND list = GetDlgItem(dlg, IDC_LOG_LISTBOX1);
    seen->items = ListItems(list);
    GetClientRect(dlg, &seen->client);
    seen->horizontalExtent = static_cast<int>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
    if (HWND owner = GetWindow(dlg, GW_OWNER)) seen->ownerEnabled = IsWindowEnabled(owner) != FALSE;
    Click(dlg, IDB_LOG_BUTTON1);
  });
}
