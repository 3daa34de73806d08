#include "Guard.h"

#include "IniFile.h"
#include "MsgBox.h"
#include "Strings.h"

void ShowException(const std::exception& e) {
  if (auto* w = dynamic_cast<const EIniWriteError*>(&e)) {
    std::string text = TextF(kIniWriteErrorText, w->path());
    AppMessage(text.empty() ? e.what() : text);
    return;
  }
  std::string text = Text(kUnexpectedErrorText);
  AppMessage(text.empty() ? e.what() : text + "\n\n" + e.what());
}

void ShowUnknownException() { AppMessage(Text(kUnexpectedErrorText)); }
