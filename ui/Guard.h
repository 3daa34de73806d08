#pragma once
#include <exception>

// Our exceptions must never unwind through user32 or Wine frames: every place where Windows
// calls us (window, dialog and timer procedures, enumeration callbacks) runs its work through
// Guarded, which shows what was thrown in the application's message box.
// The string-table texts this layer shows: the ini write error ("%s" the file's full path)
// and the text for anything else unexpected. The program's string table must hold them.
constexpr int kIniWriteErrorText = 900;
constexpr int kUnexpectedErrorText = 902;
// The input box's Cancel button.
constexpr int kCancelText = 904;
// Typed text refused: "%s" the character the ANSI code page lacks.
constexpr int kCharOutsideCodePageText = 1120;

void ShowException(const std::exception& e);
void ShowUnknownException();

template <class F, class R>
R Guarded(F&& work, R onError) {
  try {
    return work();
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowUnknownException();
  }
  return onError;
}

template <class F>
void GuardedVoid(F&& work) {
  try {
    work();
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowUnknownException();
  }
}
