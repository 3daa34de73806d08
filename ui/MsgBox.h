#pragma once
#include <windows.h>

#include <string>

// The caption of every message box of the program.
extern const char* const kProductCaption;

// A message box captioned "Wachtposten" that stands in front: owned by `owner`, or by
// DialogOwner() when that is null, topmost when its owner is, the foreground window.
int ShowMessageBox(HWND owner, const std::string& text, UINT type);
// The application's message box: modal to the whole application (owned by DialogOwner(), else
// the active window, or task-modal when there is none), caption "Wachtposten", button OK.
void AppMessage(const std::string& text);
// The system message box, caption "Wachtposten", button OK.
void SysMessage(const std::string& text);
// A Yes/No question; true only for Yes.
bool Confirm(const std::string& text);
