#pragma once
// Plays the user of a modal dialog from a thread of its own while the test's thread runs the
// dialog's loop. Message boxes are a MessageBoxWatcher's job.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

constexpr DWORD kDialogWaitMs = 5000;

// Which dialog a user waits for.
using DialogMatch = std::function<bool(HWND)>;
DialogMatch CaptionIs(std::string caption);
DialogMatch HasControl(int controlId);

// The visible dialogs of this process that match, the newest first.
std::vector<HWND> OpenDialogs(const DialogMatch& match);
// The first matching dialog to show within the time-out, once its WM_INITDIALOG is done;
// nullptr when none came (or `stop` was set).
HWND WaitForDialog(const DialogMatch& match, DWORD timeoutMs = kDialogWaitMs,
                   const std::atomic<bool>* stop = nullptr);
HWND WaitForDialogWith(int controlId, DWORD timeoutMs = kDialogWaitMs);

bool IsOpen(HWND dlg);
// Waits until the dialog has gone; true when it did within the time-out.
bool WaitGone(HWND dlg, DWORD timeoutMs = kDialogWaitMs);

// Sends a control's notification to the dialog, as a click would: it returns once the handler
// (and any message box it showed) is done.
void Click(HWND dlg, int id, int code = BN_CLICKED);
std::string ItemText(HWND dlg, int id);
std::vector<std::string> ListItems(HWND list);

// A key as the keyboard sends it: to the focus of the foreground window.
void PressKey(WORD vk);
// The focus of a window's thread, as another thread sees it.
HWND FocusOf(HWND window);
// The IDs of the controls that Tab takes the focus to, once round: up to where it came back,
// or a 0 where it stayed put.
std::vector<int> TabWalk(HWND window);
// Whether a walk holds these IDs in this order, counting round from the first of them.
bool InTabOrder(std::vector<int> walk, const std::vector<int>& ids);
// Tabs until the control has the focus; false when Tab does not get there.
bool TabTo(HWND window, int id);

// Types into the input box that is opening (any, or the one `which` picks) and presses OK, or
// Cancel when `text` is null; returns once the box is gone.
void AnswerInputBox(const char* text, const DialogMatch& which = nullptr);
// The same with a text of any characters; when the box refuses it (its message box answered
// by a MessageBoxWatcher) and stays open, presses Cancel.
void AnswerInputBox(const wchar_t* text, const DialogMatch& which = nullptr);

// Waits on its own thread for one showing of a dialog, then runs `play` against it.
class DialogUser {
 public:
  DialogUser(DialogMatch match, std::function<void(HWND)> play,
             DWORD findTimeoutMs = kDialogWaitMs);
  DialogUser(const std::string& caption, std::function<void(HWND)> play,
             DWORD findTimeoutMs = kDialogWaitMs)
      : DialogUser(CaptionIs(caption), std::move(play), findTimeoutMs) {}
  DialogUser(int controlId, std::function<void(HWND)> play, DWORD findTimeoutMs = kDialogWaitMs)
      : DialogUser(HasControl(controlId), std::move(play), findTimeoutMs) {}
  ~DialogUser() { Stop(); }
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;

  // Waits until the user is done, through the whole search when no dialog came (so that a
  // dialog must not show is checked for the full time-out); true when the dialog came.
  bool Found();
  // Gives up a search still running, then waits for the play as Found() does.
  bool Stop();

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> found_{false};
  std::thread thread_;
};
