#pragma once
// Plays the user at the general options dialog and the log viewer from a thread of its own,
// while the test's thread runs the dialog's modal loop. Clicks are sent, so each returns once
// its handler (and any message box it showed, answered by a MessageBoxWatcher) is done.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "InputBox.h"
#include "OptionsRes.h"
#include "Window.h"

constexpr DWORD kFindDialogMs = 10000;

struct DialogSearch {
  int id;
  HWND found;
};

inline BOOL CALLBACK FindDialogWith(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<DialogSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(h) && GetClassNameString(h) == "#32770" &&
      GetDlgItem(h, s->id)) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
}

// A visible dialog of this process that has a control with this ID; nullptr after the time-out.
inline HWND WaitForDialogWith(int controlId, DWORD timeoutMs = kFindDialogMs) {
  DialogSearch search = {controlId, nullptr};
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    EnumWindows(&FindDialogWith, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      // Let WM_INITDIALOG finish before the dialog is read.
      SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, nullptr);
      return search.found;
    }
    Sleep(10);
  }
  return nullptr;
}

inline void Click(HWND dlg, int id) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

inline std::string ItemText(HWND dlg, int id) { return GetWindowTextString(GetDlgItem(dlg, id)); }

inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::string s(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    s.resize(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&s[0]))));
    items.push_back(s);
  }
  return items;
}

// Answers the next input box with this caption: types `text` and presses OK, or presses
// Cancel when text is null. Start it before the click that opens the box.
inline std::thread AnswerInputBox(const std::string& caption, const char* text) {
  std::string typed = text ? text : "";
  bool ok = text != nullptr;
  return std::thread([=] {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kFindDialogMs) {
      HWND box = FindWindowA("#32770", caption.c_str());
      if (box && IsWindowVisible(box)) {
        if (ok) SendDlgItemMessageA(box, kInputBoxEditId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
        return;
      }
      Sleep(10);
    }
  });
}

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
    HWND dlg = WaitForDialogWith(IDC_LOG_LISTBOX1);
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

// Runs `script` on a thread of its own against the next options dialog.
class OptionsDialogUser {
 public:
  explicit OptionsDialogUser(std::function<void(HWND)> script)
      : thread_([this, script] {
          HWND dlg = WaitForDialogWith(IDC_OPT_LISTBOX1);
          found_ = dlg != nullptr;
          if (dlg) script(dlg);
        }) {}
  ~OptionsDialogUser() { Join(); }
  OptionsDialogUser(const OptionsDialogUser&) = delete;
  OptionsDialogUser& operator=(const OptionsDialogUser&) = delete;

  bool Found() {
    Join();
    return found_;
  }

 private:
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool found_ = false;
  std::thread thread_;
};
