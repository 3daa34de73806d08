#include "ConfigIni.h"

#include <vector>

#include "AppPaths.h"
#include "Dialeroptions.h"
#include "Guard.h"
#include "IExplorerCounter.h"
#include "MainWindow.h"  // ScanningActive
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

// The Run value as it stood before a save, to be put back when the save is refused.
struct RunValue {
  bool present = false;
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
};

RunValue ReadRunValue() {
  RunValue value;
  HKEY key;
  if (RegOpenKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return value;
  DWORD size = 0;
  if (RegQueryValueExA(key, kRunValueName, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.resize(size);
    value.present = RegQueryValueExA(key, kRunValueName, nullptr, &value.type,
                                     value.data.empty() ? nullptr : value.data.data(),
                                     &size) == ERROR_SUCCESS;
    value.data.resize(size);
  }
  RegCloseKey(key);
  return value;
}

void PutBackRunValue(const RunValue& value) {
  HKEY key;
  if (RegOpenKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return;
  if (value.present)
    RegSetValueExA(key, kRunValueName, 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
  else
    RegDeleteValueA(key, kRunValueName);
  RegCloseKey(key);
}

std::string SwitchText(bool on) { return on ? "1" : "0"; }
}  // namespace

std::string PopupLogPath() { return ProgramDir() + "Wachtposten.log"; }
std::string ConnectionLogPath() { return ProgramDir() + "Connection.log"; }

int NormalizedCheckInterval(int stored) {
  if (stored == 0) return 0;
  if (stored < TConfigIni::kMinCheckInterval) return TConfigIni::kMinCheckInterval;
  if (stored > TConfigIni::kMaxCheckInterval) return TConfigIni::kMaxCheckInterval;
  return stored;
}

int NormalizedWindowCount(int stored) { return stored < 1 ? 1 : stored; }

bool IsOwnRunCommand(const std::string& command, const std::string& exePath) {
  std::string path = command;
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = path.substr(1, path.size() - 2);
  return !path.empty() && lstrcmpiA(path.c_str(), exePath.c_str()) == 0;
}

bool AutoStartRegistered() {
  HKEY key;
  if (RegOpenKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  std::string command;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, kRunValueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key, kRunValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) == ERROR_SUCCESS)
      command = data.data();
  }
  RegCloseKey(key);
  return IsOwnRunCommand(command, ExePath());
}

bool TConfigIni::ReadSwitch(const char* key) const {
  return file_.ReadInteger(kConfigSection, key, 0) != 0;
}

void TConfigIni::WriteSwitch(const char* key, bool on) {
  file_.WriteInteger(kConfigSection, key, on ? 1 : 0);
}

TConfigIni::TConfigIni(const ConfigTargets& targets, unsigned long waitMs)
    : targets_(targets), file_(ProgramDir() + "Config.ini") {
  unread_ = !Load(waitMs);
  if (!unread_) Apply(true);
}

bool TConfigIni::Reload(unsigned long waitMs) {
  if (!unread_) return true;
  if (!Load(waitMs)) return false;
  unread_ = false;
  Apply(ScanningActive != 0);
  return true;
}

bool TConfigIni::Load(unsigned long waitMs) {
  int storedCount = 0;
  {
    // Held open meanwhile, so that no other program can take the file between the keys.
    IniHold hold(file_.path(), false, waitMs);
    if (!hold.Free()) return false;
    // The file may say autostart is on while the registry lacks the value or names another
    // copy (a moved program folder, a refused write): show what really starts.
    autoStart_ = ReadSwitch("AutoStart") && AutoStartRegistered();
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
    checkInterval_ =
        NormalizedCheckInterval(file_.ReadInteger(kConfigSection, "0190CheckInterval", 0));
    storedCount = file_.ReadInteger(kConfigSection, "ExclusivWindowCount", 0);
    deleteCookies_ = ReadSwitch("DeleteCookiesOnStartUp");
    deleteHistory_ = ReadSwitch("DeleteHistoryOnStartUp");
    deleteTempFiles_ = ReadSwitch("DeleteTempFilesOnStartUp");
    deleteTypedUrls_ = ReadSwitch("DeleteTypedURLsOnStartUp");
  }

  windowCount_ = NormalizedWindowCount(storedCount);
  if (windowCount_ != storedCount) {
    // Start-up goes on with the value held; the refusal is reported later.
    try {
      file_.WriteInteger(kConfigSection, "ExclusivWindowCount", windowCount_);
    } catch (const EIniWriteError&) {
      startupWriteFailed_ = true;
    }
  }
  return true;
}

void TConfigIni::Apply(bool active) {
  if (logAutoPop_ || logFilteredPop_) {
    // Create the log empty if it is missing; an existing one is left as it is.
    HANDLE f = CreateFileA(PopupLogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }

  if (exclusivWindow_ && targets_.counter) {
    targets_.counter->SetEnabled(active);
    targets_.counter->SetMaxWindow(windowCount_);
  }
  if (dfueLookUp_ && targets_.connectionTimer) targets_.connectionTimer->SetEnabled(active);
  if (stayOnTop_ && targets_.stayOnTop) targets_.stayOnTop();
  if (checkInterval_ != 0 && targets_.checkTimer) {
    targets_.checkTimer->SetEnabled(active);
    targets_.checkTimer->SetInterval(static_cast<UINT>(checkInterval_) * kCheckIntervalUnitMs);
  }
}

void TConfigIni::SetLogAutoPop(bool on) { WriteSwitch("LogAutoPop", on); logAutoPop_ = on; }
void TConfigIni::SetLogFilteredPop(bool on) { WriteSwitch("LogFilteredPop", on); logFilteredPop_ = on; }
void TConfigIni::SetLogConnections(bool on) { WriteSwitch("LogConnections", on); logConnections_ = on; }
void TConfigIni::Set0190CheckOnStartUp(bool on) { WriteSwitch("0190CheckOnStartUp", on); checkOnStartUp_ = on; }
void TConfigIni::SetDialerSearch(bool on) { WriteSwitch("DialerSearch", on); dialerSearch_ = on; }
void TConfigIni::SetStayOnTop(bool on) { WriteSwitch("StayOnTop", on); stayOnTop_ = on; }
void TConfigIni::SetStartIEMax(bool on) { WriteSwitch("StartIEMax", on); startIEMax_ = on; }
void TConfigIni::SetPiS(bool on) { WriteSwitch("PiS", on); pis_ = on; }
void TConfigIni::SetDeleteCookiesOnStartUp(bool on) { WriteSwitch("DeleteCookiesOnStartUp", on); deleteCookies_ = on; }
void TConfigIni::SetDeleteHistoryOnStartUp(bool on) { WriteSwitch("DeleteHistoryOnStartUp", on); deleteHistory_ = on; }
void TConfigIni::SetDeleteTempFilesOnStartUp(bool on) { WriteSwitch("DeleteTempFilesOnStartUp", on); deleteTempFiles_ = on; }
void TConfigIni::SetDeleteTypedURLsOnStartUp(bool on) { WriteSwitch("DeleteTypedURLsOnStartUp", on); deleteTypedUrls_ = on; }

void TConfigIni::SetDfueLookUp(bool on) {
  WriteSwitch(kDfueLookUpKey, on);
  dfueLookUp_ = on;
  // While the guard is deactivated the watch stays off; activating it starts the watch.
  if (targets_.connectionTimer) targets_.connectionTimer->SetEnabled(on && ScanningActive);
}

void TConfigIni::SetExclusivWindow(bool on) {
  WriteSwitch("ExclusivWindow", on);
  exclusivWindow_ = on;
  // Like the connection watch: nothing is closed while the guard is deactivated, and
  // activating it starts the counter.
  if (targets_.counter) targets_.counter->SetEnabled(on && ScanningActive);
}

void TConfigIni::SetExclusivWindowCount(int count) {
  file_.WriteInteger(kConfigSection, "ExclusivWindowCount", count);
  windowCount_ = count;
  if (targets_.counter) targets_.counter->SetMaxWindow(count);
}

bool TConfigIni::RegisterAutoStart(bool on) {
  HKEY key;
  if (RegOpenKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    if (on) {
      std::string quoted = "\"" + ExePath() + "\"";
      RegSetValueExA(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(quoted.c_str()),
                     static_cast<DWORD>(quoted.size() + 1));
    } else {
      RegDeleteValueA(key, kRunValueName);
    }
    RegCloseKey(key);
  }
  // Judged by what the registry holds afterwards: a value that was never there is removed
  // all the same, and a refused write leaves the switch off.
  return AutoStartRegistered();
}

void TConfigIni::SetAutoStart(bool on) {
  RunValue before = ReadRunValue();
  bool registered = RegisterAutoStart(on);
  try {
    WriteSwitch("AutoStart", registered);
  } catch (...) {
    PutBackRunValue(before);
    throw;
  }
  autoStart_ = registered;
  if (registered != on) AppMessage(Text(on ? txt::AutoStartNotSet : txt::AutoStartNotRemoved));
}

void TConfigIni::SaveGeneral(const GeneralOptions& o, const std::function<void()>& alsoSave) {
  // The registry first: the switch stored is what it really holds.
  RunValue before = ReadRunValue();
  bool registered = RegisterAutoStart(o.autoStart);
  std::string previous;
  try {
    file_.WriteKeys(kConfigSection,
                    {{"LogAutoPop", SwitchText(o.logAutoPop)},
                     {"LogFilteredPop", SwitchText(o.logFilteredPop)},
                     {"LogConnections", SwitchText(o.logConnections)},
                     {"StayOnTop", SwitchText(o.stayOnTop)},
                     {"AutoStart", SwitchText(registered)},
                     {"ExclusivWindow", SwitchText(o.exclusivWindow)},
                     {"ExclusivWindowCount", std::to_string(o.windowCount)},
                     {"StartIEMax", SwitchText(o.startIEMax)},
                     {"PiS", SwitchText(o.pis)},
                     {"DeleteCookiesOnStartUp", SwitchText(o.deleteCookies)},
                     {"DeleteHistoryOnStartUp", SwitchText(o.deleteHistory)},
                     {"DeleteTempFilesOnStartUp", SwitchText(o.deleteTempFiles)},
                     {"DeleteTypedURLsOnStartUp", SwitchText(o.deleteTypedUrls)}},
                    &previous);
  } catch (...) {
    PutBackRunValue(before);
    throw;
  }
  try {
    AlsoSaveOrPutBack(alsoSave, previous);
  } catch (...) {
    PutBackRunValue(before);
    throw;
  }
  logAutoPop_ = o.logAutoPop;
  logFilteredPop_ = o.logFilteredPop;
  logConnections_ = o.logConnections;
  stayOnTop_ = o.stayOnTop;
  autoStart_ = registered;
  exclusivWindow_ = o.exclusivWindow;
  windowCount_ = o.windowCount;
  startIEMax_ = o.startIEMax;
  pis_ = o.pis;
  deleteCookies_ = o.deleteCookies;
  deleteHistory_ = o.deleteHistory;
  deleteTempFiles_ = o.deleteTempFiles;
  deleteTypedUrls_ = o.deleteTypedUrls;
  if (targets_.counter) {
    targets_.counter->SetEnabled(exclusivWindow_ && ScanningActive);
    targets_.counter->SetMaxWindow(windowCount_);
  }
  if (registered != o.autoStart)
    AppMessage(Text(o.autoStart ? txt::AutoStartNotSet : txt::AutoStartNotRemoved));
}

void TConfigIni::AlsoSaveOrPutBack(const std::function<void()>& alsoSave,
                                   const std::string& previous) {
  if (!alsoSave) return;
  try {
    alsoSave();
  } catch (...) {
    // Config.ini was free a moment ago: the put-back waits for it as any write does.
    try {
      file_.PutBackSection(kConfigSection, previous);
    } catch (const EIniWriteError&) {
    }
    throw;
  }
}

void TConfigIni::SaveDialerSettings(bool checkOnStartUp, bool dialerSearch, int checkInterval,
                                    bool checkOn, bool dfueLookUp,
                                    const std::function<void()>& alsoSave) {
  int interval = checkOn ? NormalizedCheckInterval(checkInterval) : 0;
  std::string previous;
  file_.WriteKeys(kConfigSection,
                  {{"0190CheckOnStartUp", SwitchText(checkOnStartUp)},
                   {"DialerSearch", SwitchText(dialerSearch)},
                   {"0190CheckInterval", std::to_string(interval != 0 ? checkInterval : 0)},
                   {kDfueLookUpKey, SwitchText(dfueLookUp)}},
                  &previous);
  AlsoSaveOrPutBack(alsoSave, previous);
  checkOnStartUp_ = checkOnStartUp;
  dialerSearch_ = dialerSearch;
  checkInterval_ = interval;
  ApplyCheckInterval();
  dfueLookUp_ = dfueLookUp;
  if (targets_.connectionTimer) targets_.connectionTimer->SetEnabled(dfueLookUp && ScanningActive);
}

void TConfigIni::ReportStartupWriteError() {
  if (!startupWriteFailed_) return;
  startupWriteFailed_ = false;
  ShowException(EIniWriteError(file_.path()));
}

void TConfigIni::Set0190CheckInterval(int value, bool on) {
  int interval = on ? NormalizedCheckInterval(value) : 0;
  file_.WriteInteger(kConfigSection, "0190CheckInterval", interval != 0 ? value : 0);
  checkInterval_ = interval;
  ApplyCheckInterval();
}

void TConfigIni::ApplyCheckInterval() {
  // Activation trusts the timer to hold the interval held here.
  if (!targets_.checkTimer) return;
  if (checkInterval_ != 0)
    targets_.checkTimer->SetInterval(static_cast<UINT>(checkInterval_) * kCheckIntervalUnitMs);
  targets_.checkTimer->SetEnabled(checkInterval_ != 0 && ScanningActive != 0);
}

void TConfigIni::ShowCheckInterval() {
  if (!FDialerOptions) return;
  TFDialerOptions& dialog = *FDialerOptions;
  // From the file, not from what start-up read: the dialog shows what is stored now.
  int stored = file_.ReadInteger(kConfigSection, "0190CheckInterval", 0);
  bool on = stored != 0;
  if (dialog.CheckBox7.Checked() != on) {
    // Setting the state by code notifies nobody; the handler runs as a click would run it.
    dialog.CheckBox7.SetChecked(on);
    dialog.CheckBox7Click();
  }
  dialog.ComboBox1.Enable(on);
  if (!on) return;
  int item = CheckIntervalItemIndex(stored);
  if (item >= 0) dialog.ComboBox1.Select(item);
}

void TConfigIni::SetLanguage(const std::string& language) {
  file_.WriteString(kConfigSection, "Language", language);
}
