#pragma once
#include <string>

// The caption of every message box of the program.
extern const char* const kProductCaption;

// The application's message box: modal to the whole application (owned by its active window,
// or task-modal when it has none), caption "Wachtposten", button OK.
void AppMessage(const std::string& text);
// The system message box with no owner window, caption "Wachtposten", button OK.
void SysMessage(const std::string& text);
// A Yes/No question with no owner window; true only for Yes.
bool Confirm(const std::string& text);
