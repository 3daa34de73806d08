#include "InputBox.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <thread>

#include "DialogUser.h"
#include "Guard.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"

namespace {
// Plays the user at an input box: waits for it, types `text` (unless null) and presses `button`.
std::thread Answer(const char* caption, const char* text, int button, std::string* promptSeen) {
  return std::thread([=] {
    for (int i = 0; i < 500; ++i) {
      HWND dlg = FindWindowA("#32770", caption);
      if (dlg && IsWindowVisible(dlg)) {
        char prompt[256] = {};
        GetDlgItemTextA(dlg, kInputBoxPromptId, prompt, sizeof prompt);
        *promptSeen = prompt;
        if (text) SendDlgItemMessageA(dlg, kInputBoxEditId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return;
      }
      Sleep(10);
    }
  });
}
}  // namespace

TEST(InputBox, OkGivesTheEditedTextAndCancelTheDefault) {
  std::string prompt;
  std::thread user = Answer("Nummer", "0190 12345", IDOK, &prompt);
  EXPECT_EQ("0190 12345", InputBox("Nummer", "Bitte geben Sie die gef\xE4hrliche Nummer ein:", ""));
  user.join();
  EXPECT_EQ("Bitte geben Sie die gef\xE4hrliche Nummer ein:", prompt);

  user = Answer("Wort", "typed but cancelled", IDCANCEL, &prompt);
  EXPECT_EQ("vorgabe", InputBox("Wort", "Ein Wort:", "vorgabe"));
  user.join();

  user = Answer("Wort", nullptr, IDOK, &prompt);
  EXPECT_EQ("vorgabe", InputBox("Wort", "Ein Wort:", "vorgabe"));
  user.join();
}

TEST(InputBox, RefusesACharacterTheCodePageLacksButTakesUmlauts) {
  MessageBoxWatcher boxes;
  std::thread user([] { AnswerInputBox(L"\u65E5\u672C"); });  // refused, then cancelled
  EXPECT_EQ("vorgabe", InputBox("Wort", "Ein Wort:", "vorgabe"));
  user.join();
  user = std::thread([] { AnswerInputBox(L"Gr\u00FC\u00DFe"); });
  EXPECT_EQ("Gr\xFC\xDF" "e", InputBox("Wort", "Ein Wort:", ""));
  user.join();
  EXPECT_EQ(std::vector<std::string>{TextF(kCharOutsideCodePageText, "?")}, boxes.Texts());
}
