#include "InputBox.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <thread>

#include "Guard.h"
#include "Strings.h"
#include "Window.h"

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

TEST(InputBox, RefusesACharacterTheCodePageLacksAndKeepsTheText) {
  std::wstring refusal, kept;
  bool stayedOpen = false;
  std::thread user([&] {
    HWND dlg = nullptr;
    for (int i = 0; i < 500 && !(dlg && IsWindowVisible(dlg)); ++i, Sleep(10))
      dlg = FindWindowA("#32770", "Wort");
    if (!dlg) return;
    SetDlgItemTextW(dlg, kInputBoxEditId, L"\u65E5\u672C x");
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i, Sleep(10)) {
      HWND owned = FindWindowA("#32770", "Wachtposten");
      if (owned && GetWindow(owned, GW_OWNER) == dlg && IsWindowVisible(owned)) box = owned;
    }
    if (box) {
      HWND text = FindWindowExA(box, nullptr, "Static", nullptr);
      while (text && GetWindowTextLengthW(text) == 0) text = FindWindowExA(box, text, "Static", nullptr);
      refusal = GetWindowTextWide(text);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
    }
    stayedOpen = IsWindowVisible(dlg) != FALSE;
    kept = GetWindowTextWide(GetDlgItem(dlg, kInputBoxEditId));
    // What the code page holds goes through, umlauts and all.
    SetDlgItemTextW(dlg, kInputBoxEditId, L"Gr\u00FC\u00DFe");
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ("Gr\xFC\xDF" "e", InputBox("Wort", "Ein Wort:", ""));
  user.join();
  std::wstring expected = Widen(Text(kCharOutsideCodePageText));
  expected.replace(expected.find(L"%s"), 2, L"\u65E5");
  EXPECT_EQ(expected, refusal);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(L"\u65E5\u672C x", kept);
}
