#include "ConfigIni.h"

#include "AppPaths.h"
#include "Guard.h"
#include "IExplorerCounter.h"
#include "MsgBox.h"
#include "Strings.h"
#include "TextIds.h"
#include "Timer.h"

TConfigIni* Config = nullptr;
RunKeyLocation RunKey;

const char* const kConfigSection = "Configuration";
const char* const kDfueLookUpKey = "DF\xDCLookUp";

namespace {
const char kRunValueName[] = "Wachtposten";
}

std::string PopupLogPath() { return ProgramDir() + "Wachtposten.log"; }

int NormalizedCheckInterval(int stored) {
  if (stored == 0) return 0;
  if (stored < TConfigIni::kMinCheckInterval) return TConfigIni::kMinCheckInterval;
  if (stored > TConfigIni::kMaxCheckInterval) return TConfigIni::kMaxCheckInterval;
  return stored;
}

int NormalizedWindowCount(int stored) { return stored < 1 ? 1 : stored; }

bool RunValuePresent() {
  HKEY key;
  if (RegOpenKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  bool present = RegQueryValueExA(key, kRunValueName, nullptr, nullptr, nullptr, nullptr) ==
                 ERROR_SUCCESS;
  RegCloseKey(key);
  return present;
}

bool TConfigIni::ReadSwitch(const char* key) const {
  return file_.ReadInteger(kConfigSection, key, 0) != 0;
}

void TConfigIni::WriteSwitch(const char* key, bool on) {
  file_.WriteInteger(kConfigSection, key, on ? 1 : 0);
}

TConfigIni::TConfigIni(const ConfigTargets& targets)
    : targets_(targets), file_(ProgramDir() + "Config.ini") {
  // The file may say autostart is on while the registry lacks the value (a copied program
  // folder, a refused write): show what is really registered.
  autoStart_ = ReadSwitch("AutoStart") && RunValuePresent();
  checkOnStartUp_ = ReadSwitch("0190CheckOnStartUp");
  logAutoPop_ = ReadSwitch("LogAutoPop");
  logFilteredPop_ = ReadSwitch("LogFilteredPop");
  logConnections_ = ReadSwitch("LogConnections");
  startIEMax_ = ReadSwitch("StartIEMax");
  dialerSearch_ = ReadSwitch("DialerSearch");
  exclusivWindow_ = ReadSwitch("ExclusivWindow");
  dfueLookUp_ = ReadSwitch(kDfueLookUpKey);
  stayOnTop_ = ReadSwitch("StayOnTop");
  pis_ = ReadSwitch("PiS");
  checkInterval_ = NormalizedCheckInterval(file_.ReadInteger(kConfigSection, "0190CheckInterval", 0));
  int storedCount = file_.ReadInteger(kConfigSection, "ExclusivWindowCount", 0);
  deleteCookies_ = ReadSwitch("DeleteCookiesOnStartUp");
  deleteHistory_ = ReadSwitch("DeleteHistoryOnStartUp");
  deleteTempFiles_ = ReadSwitch("DeleteTempFilesOnStartUp");
  deleteTypedUrls_ = ReadSwitch("DeleteTypedURLsOnStartUp");

  windowCount_ = NormalizedWindowCount(storedCount);
  if (windowCount_ != storedCount) {
    // A refused write is reported, and start-up goes on with the value held.
    GuardedVoid([&] { file_.WriteInteger(kConfigSection, "ExclusivWindowCount", windowCount_); });
  }

  if (logAutoPop_ || logFilteredPop_) {
    // Create the log empty if it is missing; an existing one is left as it is.
    HANDLE f = CreateFileA(PopupLogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }

  if (exclusivWindow_ && targets_.counter) {
    targets_.counter->SetEnabled(true);
    targets_.counter->SetMaxWindow(windowCount_);
  }
  if (dfueLookUp_ && targets_.connectionTimer) targets_.connectionTimer->SetEnabled(true);
  if (stayOnTop_ && targets_.stayOnTop) targets_.stayOnTop();
  if (checkInterval_ != 0 && targets_.checkTimer) {
    targets_.checkTimer->SetEnabled(true);
    targets_.checkTimer->SetInterval(static_cast<UINT>(checkInterval_) * kCheckIntervalUnitMs);
  }
}

void TConfigIni::SetLogAutoPop(bool on) { logAutoPop_ = on; WriteSwitch("LogAutoPop", on); }
void TConfigIni::SetLogFilteredPop(bool on) { logFilteredPop_ = on; WriteSwitch("LogFilteredPop", on); }
void TConfigIni::SetLogConnections(bool on) { logConnections_ = on; WriteSwitch("LogConnections", on); }
void TConfigIni::Set0190CheckOnStartUp(bool on) { checkOnStartUp_ = on; WriteSwitch("0190CheckOnStartUp", on); }
void TConfigIni::SetDialerSearch(bool on) { dialerSearch_ = on; WriteSwitch("DialerSearch", on); }
void TConfigIni::SetStayOnTop(bool on) { stayOnTop_ = on; WriteSwitch("StayOnTop", on); }
void TConfigIni::SetStartIEMax(bool on) { startIEMax_ = on; WriteSwitch("StartIEMax", on); }
void TConfigIni::SetPiS(bool on) { pis_ = on; WriteSwitch("PiS", on); }
void TConfigIni::SetDeleteCookiesOnStartUp(bool on) { deleteCookies_ = on; WriteSwitch("DeleteCookiesOnStartUp", on); }
void TConfigIni::SetDeleteHistoryOnStartUp(bool on) { deleteHistory_ = on; WriteSwitch("DeleteHistoryOnStartUp", on); }
void TConfigIni::SetDeleteTempFilesOnStartUp(bool on) { deleteTempFiles_ = on; WriteSwitch("DeleteTempFilesOnStartUp", on); }
void TConfigIni::SetDeleteTypedURLsOnStartUp(bool on) { deleteTypedUrls_ = on; WriteSwitch("DeleteTypedURLsOnStartUp", on); }

void TConfigIni::SetDfueLookUp(bool on) {
  dfueLookUp_ = on;
  WriteSwitch(kDfueLookUpKey, on);
  if (targets_.connectionTimer) targets_.connectionTimer->SetEnabled(on);
}

void TConfigIni::SetExclusivWindow(bool on) {
  exclusivWindow_ = on;
  if (targets_.counter) targets_.counter->SetEnabled(on);
  WriteSwitch("ExclusivWindow", on);
}

void TConfigIni::SetExclusivWindowCount(int count) {
  windowCount_ = count;
  file_.WriteInteger(kConfigSection, "ExclusivWindowCount", count);
  if (targets_.counter) targets_.counter->SetMaxWindow(count);
}

void TConfigIni::SetAutoStart(bool on) {
  bool done = false;
  HKEY key;
  if (RegOpenKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    if (on) {
      std::string quoted = "\"" + ExePath() + "\"";
      done = RegSetValueExA(key, kRunValueName, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(quoted.c_str()),
                            static_cast<DWORD>(quoted.size() + 1)) == ERROR_SUCCESS;
    } else {
      LONG r = RegDeleteValueA(key, kRunValueName);
      done = r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
    }
    RegCloseKey(key);
  }
  autoStart_ = done ? on : RunValuePresent();
  WriteSwitch("AutoStart", autoStart_);
  if (!done) SysMessage(Text(on ? txt::AutoStartNotSet : txt::AutoStartNotRemoved));
}

void TConfigIni::Set0190CheckInterval(int value, bool on) {
  if (!on) {
    // The timer keeps running as it is until the next start.
    file_.WriteInteger(kConfigSection, "0190CheckInterval", 0);
    return;
  }
  file_.WriteInteger(kConfigSection, "0190CheckInterval", value);
  int interval = NormalizedCheckInterval(value);
  if (targets_.checkTimer && interval != 0) {
    targets_.checkTimer->SetEnabled(true);
    targets_.checkTimer->SetInterval(static_cast<UINT>(interval) * kCheckIntervalUnitMs);
  }
}

void TConfigIni::SetLanguage(const std::string& language) {
  file_.WriteString(kConfigSection, "Language", language);
}
