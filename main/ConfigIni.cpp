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
}

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
  // While the guard is deactivated the watch stays off; activating it starts the watch.
  if (targets_.connectionTimer) targets_.connectionTimer->SetEnabled(on && ScanningActive);
}

void TConfigIni::SetExclusivWindow(bool on) {
  exclusivWindow_ = on;
  // Like the connection watch: nothing is closed while the guard is deactivated, and
  // activating it starts the counter.
  if (targets_.counter) targets_.counter->SetEnabled(on && ScanningActive);
  WriteSwitch("ExclusivWindow", on);
}

void TConfigIni::SetExclusivWindowCount(int count) {
  windowCount_ = count;
  file_.WriteInteger(kConfigSection, "ExclusivWindowCount", count);
  if (targets_.counter) targets_.counter->SetMaxWindow(count);
}

void TConfigIni::SetAutoStart(bool on) {
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
  autoStart_ = AutoStartRegistered();
  if (autoStart_ != on) AppMessage(Text(on ? txt::AutoStartNotSet : txt::AutoStartNotRemoved));
  WriteSwitch("AutoStart", autoStart_);
}

void TConfigIni::ReportStartupWriteError() {
  if (!startupWriteFailed_) return;
  startupWriteFailed_ = false;
  ShowException(EIniWriteError(file_.path()));
}

void TConfigIni::Set0190CheckInterval(int value, bool on) {
  // Held and applied before the write, which may be refused: activation trusts the timer to
  // hold the interval held here.
  checkInterval_ = on ? NormalizedCheckInterval(value) : 0;
  if (targets_.checkTimer) {
    if (checkInterval_ != 0)
      targets_.checkTimer->SetInterval(static_cast<UINT>(checkInterval_) * kCheckIntervalUnitMs);
    targets_.checkTimer->SetEnabled(checkInterval_ != 0 && ScanningActive != 0);
  }
  file_.WriteInteger(kConfigSection, "0190CheckInterval", checkInterval_ != 0 ? value : 0);
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
