#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "IniFile.h"

class TIExplorer;
class Timer;

// The pop-up log beside the program: written by the pop-up scan, shown by the log viewer.
std::string PopupLogPath();
// The connection log beside the program: written by the connection watch, shown by the log
// viewer.
std::string ConnectionLogPath();

// What the settings act on in the main window. Any part may be missing (tests).
struct ConfigTargets {
  TIExplorer* counter = nullptr;     // IExplorer1
  Timer* checkTimer = nullptr;       // Timer2
  Timer* connectionTimer = nullptr;  // TimerEnumConn
  std::function<void()> stayOnTop;   // gives the main window the stay-on-top style
};

// Where autostart is registered. Tests point it at a key that cannot be opened.
struct RunKeyLocation {
  HKEY root = HKEY_LOCAL_MACHINE;
  std::string subKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
};
extern RunKeyLocation RunKey;

// What the general options' OK stores in one save.
struct GeneralOptions {
  bool logAutoPop = false, logFilteredPop = false, logConnections = false, stayOnTop = false,
       autoStart = false, exclusivWindow = false, startIEMax = false, pis = false,
       deleteCookies = false, deleteHistory = false, deleteTempFiles = false,
       deleteTypedUrls = false;
  int windowCount = 1;
};

// Every option of Config.ini [Configuration]. Each setter writes the key at once and only then
// holds the value and switches its part: a refused write throws EIniWriteError and changes
// nothing.
class TConfigIni {
 public:
  // A Config.ini that another program holds through the whole wait leaves every option at its
  // default, switches nothing on and writes nothing: Unread() tells, until Reload succeeds.
  explicit TConfigIni(const ConfigTargets& targets = ConfigTargets(),
                      unsigned long waitMs = kIniHeldWaitMs);

  bool Unread() const { return unread_; }
  // Reads the file again when it could not be read so far, and switches on what it asks for
  // (while the guard is active). True when the options now are the stored ones.
  bool Reload(unsigned long waitMs);

  static constexpr int kMinCheckInterval = 1, kMaxCheckInterval = 60;
  static constexpr UINT kCheckIntervalUnitMs = 10000;

  bool GetLogAutoPop() const { return logAutoPop_; }
  bool GetLogFilteredPop() const { return logFilteredPop_; }
  bool GetLogConnections() const { return logConnections_; }
  bool Get0190CheckOnStartUp() const { return checkOnStartUp_; }
  bool GetDialerSearch() const { return dialerSearch_; }
  bool GetDfueLookUp() const { return dfueLookUp_; }
  bool GetStayOnTop() const { return stayOnTop_; }
  bool GetAutoStart() const { return autoStart_; }
  bool GetExclusivWindow() const { return exclusivWindow_; }
  bool GetStartIEMax() const { return startIEMax_; }
  bool GetPiS() const { return pis_; }
  bool GetDeleteCookiesOnStartUp() const { return deleteCookies_; }
  bool GetDeleteHistoryOnStartUp() const { return deleteHistory_; }
  bool GetDeleteTempFilesOnStartUp() const { return deleteTempFiles_; }
  bool GetDeleteTypedURLsOnStartUp() const { return deleteTypedUrls_; }
  int GetExclusivWindowCount() const { return windowCount_; }
  // The check interval in units of 10 s, as read at start or set since; 0 when off.
  int CheckInterval() const { return checkInterval_; }

  void SetLogAutoPop(bool on);
  void SetLogFilteredPop(bool on);
  void SetLogConnections(bool on);
  void Set0190CheckOnStartUp(bool on);
  void SetDialerSearch(bool on);
  // Also switches the connection watch to match; while the guard is deactivated it stays off.
  void SetDfueLookUp(bool on);
  void SetStayOnTop(bool on);
  // Writes or removes the Run value. When the registry does not end up as asked, the user is
  // told, and the switch (held and written) shows what the registry really holds. When the
  // file refuses the switch, the Run value is put back as it was.
  void SetAutoStart(bool on);
  // The general options as one save: the Run value, every key in one write of Config.ini, then
  // alsoSave (the words, in User.ini). When any step is refused, what the others wrote is put
  // back and EIniWriteError comes out with nothing held or switched changed.
  void SaveGeneral(const GeneralOptions& options, const std::function<void()>& alsoSave = {});
  // The dialer options' four settings in one write, then alsoSave (the lists, in User.ini), as
  // one save like SaveGeneral; only then held and switched as their setters do.
  void SaveDialerSettings(bool checkOnStartUp, bool dialerSearch, int checkInterval,
                          bool checkOn, bool dfueLookUp,
                          const std::function<void()>& alsoSave = {});
  // Also switches the browser-window counter; while the guard is deactivated it stays off.
  void SetExclusivWindow(bool on);
  void SetExclusivWindowCount(int count);
  void SetStartIEMax(bool on);
  void SetPiS(bool on);
  void SetDeleteCookiesOnStartUp(bool on);
  void SetDeleteHistoryOnStartUp(bool on);
  void SetDeleteTempFilesOnStartUp(bool on);
  void SetDeleteTypedURLsOnStartUp(bool on);
  // On: stores value and sets the check timer to every value x 10 s, running while the guard
  // is active. Off (or a value of 0): stores 0 and stops the timer; activation leaves it off.
  void Set0190CheckInterval(int value, bool on);
  // Puts the interval stored in Config.ini into the dialer options' CheckBox7 and ComboBox1.
  void ShowCheckInterval();
  void SetLanguage(const std::string& language);

  const IniFile& file() const { return file_; }

  // Start-up may fail to store the corrected window limit. That is reported only when the
  // main window calls this, once its lists are in place: the timers keep running inside a
  // message box, and the scan must not meet an empty never-close list there.
  void ReportStartupWriteError();

 private:
  // Reads every option; false, with nothing changed, when the file cannot be read.
  bool Load(unsigned long waitMs);
  void Apply(bool active);
  // Runs a save of the same OK in the other file; when it throws, the section is put back as it
  // stood before this OK's write, and the throw goes on.
  void AlsoSaveOrPutBack(const std::function<void()>& alsoSave, const std::string& previous);
  void WriteSwitch(const char* key, bool on);
  // Sets the Run value as asked; false, with nothing changed, when the key cannot be opened.
  // Gives what autostart is now in force.
  bool RegisterAutoStart(bool on);
  void ApplyCheckInterval();
  bool ReadSwitch(const char* key) const;

  ConfigTargets targets_;
  IniFile file_;
  bool logAutoPop_ = false, logFilteredPop_ = false, checkOnStartUp_ = false,
       autoStart_ = false, stayOnTop_ = false, exclusivWindow_ = false, startIEMax_ = false,
       dfueLookUp_ = false, logConnections_ = false, dialerSearch_ = false, pis_ = false,
       deleteCookies_ = false, deleteHistory_ = false, deleteTempFiles_ = false,
       deleteTypedUrls_ = false;
  int checkInterval_ = 0;
  int windowCount_ = 1;
  bool startupWriteFailed_ = false;
  bool unread_ = false;
};

extern TConfigIni* Config;

// The section and the keys that are not plain switches.
extern const char* const kConfigSection;
extern const char* const kDfueLookUpKey;  // "DFÜLookUp", Ü as the byte 0xDC

// A stored check interval as the timer uses it: 0 stays off, anything else is brought into
// 1..60. A window limit below 1 becomes 1.
int NormalizedCheckInterval(int stored);
int NormalizedWindowCount(int stored);

// Whether a Run command starts the program at exePath: the path, quoted or not, in any case.
bool IsOwnRunCommand(const std::string& command, const std::string& exePath);
// Whether the Run value "Wachtposten" exists and starts this very program (a value left by a
// copy elsewhere does not).
bool AutoStartRegistered();
