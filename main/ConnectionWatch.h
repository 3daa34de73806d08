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

// An active connection as the watch lists it to hang it up. It is one line: the same handle
// under another entry's name is another line.
struct ActiveConnection {
  HANDLE handle;
  std::string entryName;
  bool operator==(const ActiveConnection& o) const {
    return handle == o.handle && entryName == o.entryName;
  }
};

// What the watch does when a poll reports an untrusted connection: hang up every listed line,
// wait only for the ones marked, and warn about the names in warn.
struct Blocking {
  std::vector<HANDLE> handles;
  std::vector<bool> wait;
  std::vector<std::string> warn;
};

// The lines the watch has hung up, kept for as long as they stay listed. A line that does not
// go down is waited for and warned about once: later polls hang it up again without either,
// so it cannot hold up the window at every poll. A redial has a new handle: a new line. A line
// whose state cannot be read for a moment is still listed, and still the same line.
class HungUpLines {
 public:
  // The reported name is warned about unless it belongs only to lines hung up before; so is
  // every other untrusted name with a new line. listed is null when the lines could not be
  // read: then only the reported name counts.
  Blocking Block(const std::string& reported, const std::vector<ActiveConnection>* listed,
                 const StringList& trusted);
  // Whether the last Block listed a line of that name, or an earlier one that is still up.
  bool Holds(const std::string& entryName) const;
  // Forgets the lines that the platform no longer lists.
  void KeepListed(const std::vector<ActiveConnection>& listed);
  bool Empty() const { return lines_.empty(); }

 private:
  std::vector<ActiveConnection> lines_;
};

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
