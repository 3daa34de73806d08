#pragma once
#include <windows.h>

#include <string>

// A small modal dialog with a caption, a prompt, one edit field holding `def`, OK and Cancel.
// Returns the edited text on OK and `def` on Cancel (or when the dialog cannot be shown).
// An owner (DialogOwner() when none is given) is disabled while the box is open.
std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& def, HWND owner = nullptr);

// Control IDs, for tests that drive the dialog.
constexpr int kInputBoxEditId = 101;
constexpr int kInputBoxPromptId = 102;
