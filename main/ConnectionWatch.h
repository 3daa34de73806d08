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

// The warning dialog is modal and the timers keep firing in its loop, so the watch can meet
// untrusted connections again while it is open. A round lasts from the first warning until the
// last queued one has closed. Within it there is one warning at a time, and no connection is
// hung up twice: a connection reported again is left alone, and one blocked meanwhile is hung
// up and warned about after the open warning closes.
class ConnectionBlocker {
 public:
  struct Decision {
    bool hangUp = false;   // hang up every active connection but the spared ones
    bool warnNow = false;  // show the warning for this connection, then the queued ones
    std::vector<std::string> spared;  // hung up earlier in this round
  };
  Decision Block(const std::string& entryName);
  // The connections that a hang-up of this round reached.
  void HungUp(const std::vector<std::string>& entryNames);
  // After a warning has closed: the next queued connection to warn about. False when none is
  // left, which ends the round; from then on every untrusted report is blocked afresh.
  bool NextWarning(std::string& entryName);
  void Reset();

 private:
  bool Handled(const std::string& entryName) const;
  bool warning_ = false;
  std::vector<std::string> blocked_;  // reported untrusted in this round
  std::vector<std::string> hungUp_;   // reached by a hang-up of this round
  std::deque<std::string> queued_;
};

// The rows of the connection table (a list view): caption, state text, logged flag.
struct ConnectionRow {
  std::string name, state, logged;
  bool operator==(const ConnectionRow& o) const {
    return name == o.name && state == o.state && logged == o.logged;
  }
};
std::vector<ConnectionRow> ConnectionTable(HWND listView);
