#include "DialogUser.h"

#include <algorithm>

#include "InputBox.h"
#include "Window.h"

namespace {
constexpr DWORD kPollMs = 10;

struct Search {
  const DialogMatch* match;
  std::vector<HWND> found;
};

BOOL CALLBACK Visit(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(h) && GetClassNameString(h) == "#32770" &&
      (*s->match)(h))
    s->found.push_back(h);
  return TRUE;
}
}  // namespace

DialogMatch CaptionIs(std::string caption) {
  return [caption](HWND h) { return GetWindowTextString(h) == caption; };
}

DialogMatch HasControl(int controlId) {
  return [controlId](HWND h) { return GetDlgItem(h, controlId) != nullptr; };
}

std::vector<HWND> OpenDialogs(const DialogMatch& match) {
  Search s = {&match, {}};
  EnumWindows(&Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForDialog(const DialogMatch& match, DWORD timeoutMs, const std::atomic<bool>* stop) {
  for (DWORD start = GetTickCount(); !(stop && *stop); Sleep(kPollMs)) {
    std::vector<HWND> open = OpenDialogs(match);
    if (!open.empty()) {
      // Let WM_INITDIALOG and whatever it showed finish before the dialog is read.
      SendMessageTimeoutA(open.front(), WM_NULL, 0, 0, SMTO_NORMAL, kDialogWaitMs, nullptr);
      return open.front();
    }
    if (GetTickCount() - start >= timeoutMs) break;
  }
  return nullptr;
}

HWND WaitForDialogWith(int controlId, DWORD timeoutMs) {
  return WaitForDialog(HasControl(controlId), timeoutMs);
}

bool IsOpen(HWND dlg) { return IsWindow(dlg) && IsWindowVisible(dlg); }

bool WaitGone(HWND dlg, DWORD timeoutMs) {
  for (DWORD start = GetTickCount(); IsWindow(dlg); Sleep(kPollMs))
    if (GetTickCount() - start >= timeoutMs) return false;
  return true;
}

void Click(HWND dlg, int id, int code) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::string ItemText(HWND dlg, int id) { return GetWindowTextString(GetDlgItem(dlg, id)); }

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::string s(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    s.resize(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&s[0]))));
    items.push_back(s);
  }
  return items;
}

void AnswerInputBox(const char* text, const DialogMatch& which) {
  HWND box = WaitForDialog(
      [&](HWND h) { return GetDlgItem(h, kInputBoxEditId) && (!which || which(h)); });
  if (!box) return;
  if (text) SendDlgItemMessageA(box, kInputBoxEditId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  // Posted: the box's own loop ends it, as a real click would.
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(text ? IDOK : IDCANCEL, BN_CLICKED), 0);
  for (DWORD start = GetTickCount(); IsOpen(box) && GetTickCount() - start < kDialogWaitMs;)
    Sleep(kPollMs);
}

void AnswerInputBox(const wchar_t* text, const DialogMatch& which) {
  HWND box = WaitForDialog(
      [&](HWND h) { return GetDlgItem(h, kInputBoxEditId) && (!which || which(h)); });
  if (!box) return;
  SendDlgItemMessageW(box, kInputBoxEditId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  // Refused, the box stays open under its message box: once that is answered, Cancel. A box
  // still open is cancelled in any case (after a refusal slower than the wait, too): a test
  // must never be left waiting on it.
  std::vector<HWND> refusal;
  for (DWORD start = GetTickCount(); IsOpen(box) && refusal.empty() &&
                                     GetTickCount() - start < kDialogWaitMs; Sleep(kPollMs))
    refusal = OpenDialogs([box](HWND h) { return GetWindow(h, GW_OWNER) == box; });
  if (!refusal.empty()) WaitGone(refusal.front());
  if (!IsOpen(box)) return;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  WaitGone(box);
}

DialogUser::DialogUser(DialogMatch match, std::function<void(HWND)> play, DWORD findTimeoutMs)
    : thread_([this, match, play, findTimeoutMs] {
        HWND dlg = WaitForDialog(match, findTimeoutMs, &stop_);
        if (!dlg) return;
        found_ = true;
        play(dlg);
      }) {}

bool DialogUser::Found() {
  if (thread_.joinable()) thread_.join();
  return found_;
}

bool DialogUser::Stop() {
  stop_ = true;
  return Found();
}

void PressKey(WORD vk) {
  keybd_event(static_cast<BYTE>(vk), 0, 0, 0);
  keybd_event(static_cast<BYTE>(vk), 0, KEYEVENTF_KEYUP, 0);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// Presses Tab; where the focus went (where it was, when it did not move within a second).
static HWND Tab(HWND window) {
  HWND from = FocusOf(window), now = from;
  PressKey(VK_TAB);
  for (DWORD start = GetTickCount(); now == from && GetTickCount() - start < 1000; Sleep(kPollMs))
    now = FocusOf(window);
  return now;
}

std::vector<int> TabWalk(HWND window) {
  std::vector<int> ids;
  for (HWND start = FocusOf(window), at = start, next; ids.size() < 40; at = next) {
    next = Tab(window);
    ids.push_back(next == at ? 0 : GetDlgCtrlID(next));
    if (next == at || next == start) break;
  }
  return ids;
}

bool InTabOrder(std::vector<int> walk, const std::vector<int>& ids) {
  std::rotate(walk.begin(), std::find(walk.begin(), walk.end(), ids.front()), walk.end());
  auto at = walk.begin();
  for (int id : ids)
    if ((at = std::find(at, walk.end(), id)) == walk.end()) return false;
  return true;
}

bool TabTo(HWND window, int id) {
  for (int i = 0; i < 25 && GetDlgCtrlID(FocusOf(window)) != id; ++i) Tab(window);
  return GetDlgCtrlID(FocusOf(window)) == id;
}
