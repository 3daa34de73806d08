#pragma once
#include <string>

// A small modal dialog with a caption, a prompt, one edit field holding `def`, OK and Cancel.
// Returns the edited text on OK and `def` on Cancel (or when the dialog cannot be shown).
std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& def);

// Control IDs, for tests that drive the dialog.
constexpr int kInputBoxEditId = 101;
constexpr int kInputBoxPromptId = 102;
