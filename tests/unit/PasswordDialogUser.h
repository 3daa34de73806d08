#pragma once
// A user of the master password dialog, played from a thread of its own while the test's
// thread runs the dialog's modal loop: it waits for the dialog, notes what it shows, types and
// answers step by step. Message boxes are a MessageBoxWatcher's job.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogUser.h"
#include "MasterPasswordRes.h"
#include "Window.h"

enum class Answer {
  Button,    // a click on the button
  Enter,     // Enter in the edit (the default button); only where it ends the dialog
  Escape,    // Esc in the edit
  CloseBox,  // the title-bar close button
};

struct DialogStep {
  std::string text;  // typed into the edit first
  Answer answer;
  std::wstring wide = L"";  // typed instead of text when not empty
};

struct DialogSeen {
  bool found = false;
  std::string caption, button, label1, label3;
  bool label1Visible = false, label2Visible = false, label3Visible = false;
  RECT client = {};
  std::vector<bool> openAfterStep;  // whether the dialog stayed open after each step
  int dialogsAtOnce = 0;            // the most password dialogs seen open together
};

// The visible password dialogs of this process (dialogs with the password edit).
inline std::vector<HWND> PasswordDialogs() { return OpenDialogs(HasControl(IDE_MP_EDIT1)); }

class PasswordDialogUser {
 public:
  // `whileOpen` runs on the user's thread once the dialog stands, before the first step.
  explicit PasswordDialogUser(std::vector<DialogStep> steps, DWORD findTimeoutMs = 5000,
                              std::function<void(HWND)> whileOpen = nullptr)
      : steps_(std::move(steps)), whileOpen_(std::move(whileOpen)),
        user_(IDE_MP_EDIT1, [this](HWND dlg) { Play(dlg); }, findTimeoutMs) {}
  PasswordDialogUser(const PasswordDialogUser&) = delete;
  PasswordDialogUser& operator=(const PasswordDialogUser&) = delete;

  // Stops waiting (when no dialog came) and returns what was seen.
  const DialogSeen& Seen() {
    seen_.found = user_.Stop();
    return seen_;
  }

 private:
  static constexpr DWORD kPollMs = 10;
  static constexpr DWORD kStepTimeoutMs = 5000;

  void Play(HWND dlg) {
    seen_.caption = GetWindowTextString(dlg);
    seen_.button = ItemText(dlg, IDB_MP_BUTTON1);
    seen_.label1 = ItemText(dlg, IDT_MP_LABEL1);
    seen_.label3 = ItemText(dlg, IDT_MP_LABEL3);
    seen_.label1Visible = IsWindowVisible(GetDlgItem(dlg, IDT_MP_LABEL1)) != FALSE;
    seen_.label2Visible = IsWindowVisible(GetDlgItem(dlg, IDT_MP_LABEL2)) != FALSE;
    seen_.label3Visible = IsWindowVisible(GetDlgItem(dlg, IDT_MP_LABEL3)) != FALSE;
    GetClientRect(dlg, &seen_.client);
    if (whileOpen_) whileOpen_(dlg);
    seen_.dialogsAtOnce = static_cast<int>(PasswordDialogs().size());
    HWND edit = GetDlgItem(dlg, IDE_MP_EDIT1);
    for (const DialogStep& step : steps_) {
      if (step.wide.empty())
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str()));
      else
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.wide.c_str()));
      switch (step.answer) {
        case Answer::Button:
          Click(dlg, IDB_MP_BUTTON1);
          break;
        case Answer::CloseBox:
          SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
          break;
        case Answer::Enter:
        case Answer::Escape:
          // Keys go through the dialog's own loop, as typed keys do.
          SetFocusFromOutside(dlg, edit);
          PostMessageA(edit, WM_KEYDOWN, step.answer == Answer::Enter ? VK_RETURN : VK_ESCAPE, 0);
          WaitUntilHandled(dlg);
          break;
      }
      int atOnce = static_cast<int>(PasswordDialogs().size());
      if (atOnce > seen_.dialogsAtOnce) seen_.dialogsAtOnce = atOnce;
      seen_.openAfterStep.push_back(IsOpen(dlg));
    }
  }

  static void SetFocusFromOutside(HWND dlg, HWND edit) {
    SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  }
  // Enter and Esc are used only where they end the dialog: wait for that.
  static void WaitUntilHandled(HWND dlg) {
    DWORD start = GetTickCount();
    while (IsOpen(dlg) && GetTickCount() - start < kStepTimeoutMs)
      Sleep(kPollMs);
  }

  std::vector<DialogStep> steps_;
  std::function<void(HWND)> whileOpen_;
  DialogSeen seen_;
  DialogUser user_;  // last: its thread uses the members above
};
