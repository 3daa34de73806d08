#pragma once
#include <windows.h>

#include <string>

// A small modal dialog with a caption, a prompt, one edit field holding `def`, OK and Cancel.
// Returns the edited text on OK and `def` on Cancel (or when the dialog cannot be shown).
// An owner (DialogOwner() when none is given) is disabled while the box is open.
std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& def, HWND owner = nullptr);

// The text typed into an edit, in the ANSI code page. When the code page lacks one of its
// characters (stored, it would turn into "?" and match what nobody typed), a box owned by
// `owner` names that character, the edit gets the focus back with the text as typed, and the
// result is false. The edit keeps such characters only in a Unicode window.
bool TypedText(HWND edit, HWND owner, std::string& text);

// Control IDs, for tests that drive the dialog.
constexpr int kInputBoxEditId = 101;
constexpr int kInputBoxPromptId = 102;
