// The dialer guard's share of the main window: the connection watch, the connection log, the
// disconnect command and the dial-event hook.
#include "ConnectionWatch.h"

#include <commctrl.h>
#include <ras.h>
#include <raserror.h>

#include <algorithm>

#include "ConfigIni.h"
#include "Dialup.h"
#include "MainWindow.h"
#include "MsgBox.h"
#include "Rasclass.h"
#include "Strings.h"
#include "TextIds.h"

const char* const kConnectedStateText = "Successfully connected to remote server !";
const char* const kConnectionLogHeader = "DATUM - ZEIT - BENUTZER - VERBINDUNGSNAME";

namespace {
const char kLogSeparator[] = "     -     ";

// Columns of the connection table.
constexpr int kNameColumn = 0, kStateColumn = 1, kLoggedColumn = 2;
// Entry names have at most 256 characters, state texts far fewer.
constexpr int kTableTextBytes = 512;
// GetUserNameA is given this much room.
constexpr DWORD kUserNameBytes = 256;
// A connection may appear between the size query and the fetch; the fetch is tried again.
constexpr int kEnumTries = 3;

int RowCount(HWND lv) { return static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0)); }

std::string RowText(HWND lv, int row, int column) {
  char buf[kTableTextBytes];
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  int n = static_cast<int>(
      SendMessageA(lv, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
  return std::string(buf, n > 0 ? n : 0);
}

void SetRowText(HWND lv, int row, int column, const std::string& text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(lv, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// The list view's own search ignores case; the table's captions compare exactly.
int FindRow(HWND lv, const std::string& name) {
  int n = RowCount(lv);
  for (int i = 0; i < n; ++i)
    if (RowText(lv, i, kNameColumn) == name) return i;
  return -1;
}

void AddRow(HWND lv, const std::string& name, const std::string& state) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = RowCount(lv);
  item.pszText = const_cast<char*>(name.c_str());
  int row = static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  SetRowText(lv, row, kStateColumn, state);
  SetRowText(lv, row, kLoggedColumn, "0");
}

std::string LocaleText(bool date) {
  auto format = [date](char* out, int size) {
    return date ? GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, out, size)
                : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, out, size);
  };
  int n = format(nullptr, 0);
  if (n <= 0) return std::string();
  std::string s(static_cast<std::size_t>(n), '\0');
  n = format(&s[0], n);
  s.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return s;
}

std::string CurrentUserName() {
  char name[kUserNameBytes];
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return std::string();
  return std::string(name, strnlen(name, sizeof name));
}

// The active connections, read in the record version that carries the phonebook path. False
// when the platform failed, which is not the same as no connection.
bool ActiveConnections(std::vector<ActiveConnection>& out) {
  out.clear();
  ras::ConnWithPhonebook probe{};
  probe.dwSize = sizeof probe;
  DWORD bytes = 0, count = 0;
  DWORD result = RasEnumConnectionsA(reinterpret_cast<RASCONNA*>(&probe), &bytes, &count);
  for (int attempt = 0; attempt < kEnumTries && result == ERROR_BUFFER_TOO_SMALL; ++attempt) {
    std::vector<ras::ConnWithPhonebook> records(
        RecordsToAllocate(bytes, count, sizeof(ras::ConnWithPhonebook)));
    records[0].dwSize = sizeof(ras::ConnWithPhonebook);
    bytes = static_cast<DWORD>(records.size() * sizeof(ras::ConnWithPhonebook));
    count = 0;
    result = RasEnumConnectionsA(reinterpret_cast<RASCONNA*>(records.data()), &bytes, &count);
    if (result != 0) continue;
    for (std::size_t i = 0; i < std::min<std::size_t>(count, records.size()); ++i) {
      const ras::ConnWithPhonebook& r = records[i];
      out.push_back({r.hrasconn,
                     std::string(r.szEntryName, strnlen(r.szEntryName, sizeof r.szEntryName))});
    }
  }
  return result == 0;
}

}  // namespace

// Marks the main window busy with a modal dialog or message box for the scope's life.
class TFWachtposten_Main::ModalBusy {
 public:
  explicit ModalBusy(TFWachtposten_Main& f) : flag_(f.inModal_), was_(f.inModal_) { flag_ = true; }
  ~ModalBusy() { flag_ = was_; }
  ModalBusy(const ModalBusy&) = delete;
  ModalBusy& operator=(const ModalBusy&) = delete;

 private:
  bool& flag_;
  bool was_;
};

std::string ConnectionLogLine(const std::string& date, const std::string& time,
                              const std::string& user, const std::string& entryName) {
  return date + " " + time + kLogSeparator + user + kLogSeparator + entryName + "\r\n";
}

bool IsTrustedConnection(const StringList& trusted, const std::string& entryName) {
  // Compared in place: the list is read anew for every report and may be long.
  return std::any_of(trusted.begin(), trusted.end(), [&](const std::string& line) {
    std::string::size_type eq = line.find('=');
    return eq == std::string::npos ? line == entryName : line.compare(eq + 1, line.npos, entryName) == 0;
  });
}

TableChange DecideTableChange(bool found, const std::string& shownStateText, DWORD state) {
  if (state == ras::kStateDisconnected) return found ? TableChange::Delete : TableChange::None;
  if (!found) return TableChange::Add;
  return shownStateText != TRasObj::StateText(state) ? TableChange::Update : TableChange::None;
}

bool WarningQueue::Add(const std::string& entryName) {
  if ((open_ && shown_ == entryName) ||
      std::find(waiting_.begin(), waiting_.end(), entryName) != waiting_.end())
    return false;
  waiting_.push_back(entryName);
  return true;
}

bool WarningQueue::Next(std::string& entryName) {
  if (open_ || waiting_.empty()) return false;
  entryName = shown_ = waiting_.front();
  waiting_.pop_front();
  open_ = true;
  return true;
}

void WarningQueue::Closed() {
  open_ = false;
  shown_.clear();
}

Blocking HungUpLines::Block(const std::string& reported,
                            const std::vector<ActiveConnection>* listed,
                            const StringList& trusted) {
  Blocking b;
  auto warn = [&b](const std::string& name) {
    if (std::find(b.warn.begin(), b.warn.end(), name) == b.warn.end()) b.warn.push_back(name);
  };
  if (!Holds(reported)) warn(reported);
  if (listed == nullptr) return b;
  for (const ActiveConnection& c : *listed) {
    bool isNew = std::find(lines_.begin(), lines_.end(), c) == lines_.end();
    b.handles.push_back(c.handle);
    b.wait.push_back(isNew);
    if (isNew && (c.entryName == reported || !IsTrustedConnection(trusted, c.entryName)))
      warn(c.entryName);
  }
  // The reported name goes first, as the poll met it.
  std::stable_partition(b.warn.begin(), b.warn.end(),
                        [&](const std::string& n) { return n == reported; });
  lines_ = *listed;
  return b;
}

bool HungUpLines::Holds(const std::string& entryName) const {
  return std::any_of(lines_.begin(), lines_.end(),
                     [&](const ActiveConnection& l) { return l.entryName == entryName; });
}

void HungUpLines::KeepListed(const std::vector<ActiveConnection>& listed) {
  lines_.erase(std::remove_if(lines_.begin(), lines_.end(),
                              [&](const ActiveConnection& l) {
                                return std::find(listed.begin(), listed.end(), l) == listed.end();
                              }),
               lines_.end());
}

std::vector<ConnectionRow> ConnectionTable(HWND lv) {
  std::vector<ConnectionRow> rows;
  int n = RowCount(lv);
  for (int i = 0; i < n; ++i)
    rows.push_back({RowText(lv, i, kNameColumn), RowText(lv, i, kStateColumn),
                    RowText(lv, i, kLoggedColumn)});
  return rows;
}

void TFWachtposten_Main::TimerEnumConnTimer() {
  hungUpInPoll_ = false;
  RasObject.PollConnections(&RasEnumCallback, this);
  hungUpInPoll_ = false;
  // A hung-up line is forgotten only when it is no longer listed; the poll's reports cannot
  // tell, as they leave out a line whose state could not be read.
  std::vector<ActiveConnection> listed;
  if (!hungUp_.Empty() && ActiveConnections(listed)) hungUp_.KeepListed(listed);
  HWND lv = lviewConnections;
  for (int i = 0; i < RowCount(lv); ++i) {
    if (RowText(lv, i, kLoggedColumn) != "0" || RowText(lv, i, kStateColumn) != kConnectedStateText)
      continue;
    // Handled before it is logged: a log that cannot be written is not tried again each tick.
    SetRowText(lv, i, kLoggedColumn, "1");
    if (Config && Config->GetLogConnections()) LogConnection(RowText(lv, i, kNameColumn));
  }
}

void TFWachtposten_Main::RasEnumCallback(void* context, const std::string& entryName, DWORD state,
                                         const std::string& deviceName,
                                         const std::string& deviceType) {
  (void)deviceName;
  (void)deviceType;
  auto& form = *static_cast<TFWachtposten_Main*>(context);
  // Read anew for every report: a name marked trusted in the warning counts from the next one.
  // A User.ini that another program holds, or that is gone or empty for a moment while it is
  // being replaced, is not waited for at every poll: the list read last stands, and while none
  // has been read yet no line is judged (none is cut for it).
  if (UserIni && !UserIni->RefreshWhiteConnections(0) && !UserIni->WhiteConnectionsKnown()) {
    form.UpdateConnectionTable(entryName, state);
    return;
  }
  if (state != ras::kStateDisconnected && !IsTrustedConnection(TrustedConnectionList, entryName))
    form.BlockConnection(entryName);
  form.UpdateConnectionTable(entryName, state);
}

void TFWachtposten_Main::BlockConnection(const std::string& entryName) {
  // One hang-up of all lines serves the whole poll: the lines it reports were all up before
  // that hang-up, which has decided the warning of each one it listed.
  if (hungUpInPoll_) {
    if (!hungUp_.Holds(entryName)) QueueWarnings({entryName});
    return;
  }
  hungUpInPoll_ = true;
  // All connections, not only this one: a dialer may hold a second line. Every untrusted one
  // among them is warned about, also one that goes down before this poll could report it.
  std::vector<ActiveConnection> connections;
  bool listed = ActiveConnections(connections);
  Blocking blocking = hungUp_.Block(entryName, listed ? &connections : nullptr,
                                    TrustedConnectionList);
  HangUpConnections(blocking.handles, blocking.wait);
  QueueWarnings(blocking.warn);
}

void TFWachtposten_Main::QueueWarnings(const std::vector<std::string>& names) {
  bool added = false;
  for (const std::string& name : names) added = warnings_.Add(name) || added;
  if (added) PostMessageA(hwnd(), WM_SHOWDIALUPWARNINGS, 0, 0);
}

void TFWachtposten_Main::ShowDialupWarnings() {
  // A warning already open shows the waiting ones after it has closed.
  if (warnings_.Open()) return;
  std::string name;
  bool shown = false;
  while (warnings_.Next(name)) {
    struct Closing {
      WarningQueue& q;
      ~Closing() { q.Closed(); }
    } closing{warnings_};
    ModalBusy busy(*this);
    TFDialUp dialog(LanguageOffset, name);
    dialog.RunModal(nullptr);
    shown = true;
  }
  if (shown) MinimizeToTray();
}

void TFWachtposten_Main::UpdateConnectionTable(const std::string& entryName, DWORD state) {
  HWND lv = lviewConnections;
  int row = FindRow(lv, entryName);
  std::string shown = row >= 0 ? RowText(lv, row, kStateColumn) : std::string();
  switch (DecideTableChange(row >= 0, shown, state)) {
    case TableChange::Add:
      AddRow(lv, entryName, TRasObj::StateText(state));
      break;
    case TableChange::Delete:
      SendMessageA(lv, LVM_DELETEITEM, row, 0);
      break;
    case TableChange::Update:
      SetRowText(lv, row, kStateColumn, TRasObj::StateText(state));
      SetRowText(lv, row, kLoggedColumn, "0");
      break;
    case TableChange::None:
      break;
  }
}

void TFWachtposten_Main::LogConnection(const std::string& entryName) {
  HANDLE f = CreateFileA(ConnectionLogPath().c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  // A log that cannot be opened loses the entry; the watch goes on without a word.
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text;
  if (GetLastError() != ERROR_ALREADY_EXISTS) text = std::string(kConnectionLogHeader) + "\r\n\r\n";
  text += ConnectionLogLine(LocaleText(true), LocaleText(false), CurrentUserName(), entryName);
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

void TFWachtposten_Main::Verbindungtrennen1Click() {
  ModalBusy busy(*this);
  std::vector<ActiveConnection> connections;
  if (!ActiveConnections(connections)) {
    // Not knowing the connections is no proof that there is none.
    AppMessage(Text(txt::ConnectionNotCut));
    return;
  }
  if (connections.empty()) {
    AppMessage(Text(txt::NoConnectionToCut));
    return;
  }
  // One box per connection, each after its line is down or has failed to go down.
  for (const ActiveConnection& c : connections)
    AppMessage(Text(HangUpConnections({c.handle})[0] ? txt::ConnectionCut : txt::ConnectionNotCut));
}

void TFWachtposten_Main::InstallMainWindowProc() {
  if (OldWindowProc != nullptr) return;
  WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd(), GWLP_WNDPROC));
  if (current == &MainWindowProc) return;
  OldWindowProc = current;
  SetWindowLongPtrA(hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindowProc));
}

LRESULT CALLBACK TFWachtposten_Main::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Only main windows are given this procedure; the window layer keeps the object beside it.
  auto* form = static_cast<TFWachtposten_Main*>(
      reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
  // Answered and nothing else: any process can post it, so it neither edits a list nor
  // hangs up a connection.
  if (form != nullptr && msg == RasObject.DialEventMessage) return 0;
  // The object is gone in the window's last messages: the class's own procedure handles them.
  WNDPROC old = form != nullptr && form->OldWindowProc != nullptr
                    ? form->OldWindowProc
                    : reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
  return CallWindowProcA(old, hwnd, msg, wp, lp);
}

