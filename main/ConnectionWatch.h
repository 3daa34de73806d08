#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "UserIni.h"

// The dialer guard's decisions, apart from the windows and the dial-up API they act on.

// The state text the watch takes for "connected"; the dial-up wrapper's text for 0x2000.
extern const char* const kConnectedStateText;

// Connection.log: the line that heads a new log, and one entry (date, time, user, entry name).
extern const char* const kConnectionLogHeader;
std::string ConnectionLogLine(const std::string& date, const std::string& time,
                              const std::string& user, const std::string& entryName);

// A connection is trusted when the item of some line (the text behind its first "=") equals
// its entry name byte for byte.
bool IsTrustedConnection(const StringList& trusted, const std::string& entryName);

// What one report of a connection does to the table of known connections.
enum class TableChange { None, Add, Delete, Update };
TableChange DecideTableChange(bool found, const std::string& shownStateText, DWORD state);

// Asks the main window to show the warnings that wait (posted by the watch).
constexpr UINT WM_SHOWDIALUPWARNINGS = WM_APP + 2;

// The watch only queues its warnings; they are shown one at a time after its tick has
// returned, so an open warning never holds up a poll. A name waits or is shown once at a
// time: a dialer that redials behind its open warning is hung up again but not warned again.
class WarningQueue {
 public:
  // False when the name already waits or its warning is open.
  bool Add(const std::string& entryName);
  // The next name to warn about, which counts as open from now on; false while a warning is
  // open or when none waits.
  bool Next(std::string& entryName);
  // The open warning has closed.
  void Closed();
  bool Open() const { return open_; }

 private:
  std::deque<std::string> waiting_;
  std::string shown_;
  bool open_ = false;
};

// The rows of the connection table (a list view): caption, state text, logged flag.
struct ConnectionRow {
  std::string name, state, logged;
  bool operator==(const ConnectionRow& o) const {
    return name == o.name && state == o.state && logged == o.logged;
  }
};
std::vector<ConnectionRow> ConnectionTable(HWND listView);
