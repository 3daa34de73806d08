#include "SettingsGate.h"

#include <string>

#include "MainWindow.h"
#include "MsgBox.h"
#include "Strings.h"
#include "TextIds.h"

bool SettingsMayOpen() {
  std::string unreadable;
  if (StoredFilesReadable(kIniHeldWaitMs, unreadable)) return true;
  AppMessage(TextF(txt::SettingsUnreadable, unreadable));
  return false;
}
