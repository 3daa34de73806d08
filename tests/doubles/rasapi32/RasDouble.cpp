// Test double of the dial-up API (rasapi32.dll) for the unchanged programs: placed beside an
// exe and loaded with WINEDLLOVERRIDES="rasapi32=n", it serves the devices, phonebook entries
// and connections of a scenario file, and records hang-ups and deletions in a log file.
//
// WP_RAS_SCENARIO names the scenario, an ini file read anew at every call, so a test changes
// what the next call sees by rewriting it. Every section is optional; numbered sections run from
// 1 to the first one without Name. Numbers are decimal or 0x hex.
//   [Devices]        Fail=<result of RasEnumDevicesA>
//   [DeviceN]        Name, Type
//   [Entries]        Fail=<result of RasEnumEntriesA>
//   [EntryN]         Name, AreaCode, Number, DeviceName, DeviceType, User, Password,
//                    Alternates=<numbers stored behind the record, separated by ",">,
//                    PropertiesFail=<result>, PropertiesFailCount=<calls that fail, default all>,
//                    DialParamsFail=<result>, DeleteFail=<result>
//   [Connections]    Fail=<result of RasEnumConnectionsA>,
//                    SizeQueryShortBy=<connections that a size query (a buffer without room
//                    for one record) does not count yet>
//   [ConnectionN]    Name, Handle (default 0x100 + N), State (default 0x2000), DeviceName,
//                    DeviceType, StatusFail=<result>, HangUpFail=<result>,
//                    HangUpDelay=<ms that a connection hung up by this process stays listed,
//                    its status readable, as a line takes its time to go down>,
//                    StatusFailUntil=<ms after that hang-up: StatusFail holds only until then>
//   [Errors]         <code>=<text of RasGetErrorStringA>
//
// WP_RAS_LOG names the log: one line per call "HangUp <result> <handle>" or
// "Delete <result> <entry name>". A connection hung up with result 0 is gone from then on, and
// so is an entry deleted with result 0; without a log, neither has an effect.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "RasRecords.h"

namespace {

using Section = std::map<std::string, std::string>;
using Scenario = std::map<std::string, Section>;

std::string EnvValue(const char* name) {
  char value[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  if (path.empty()) return bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got;
  while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(f);
  return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Values are taken as they stand behind the first "=", blanks included.
Scenario ReadScenario() {
  Scenario s;
  Section* current = nullptr;
  for (const std::string& line : Lines(ReadWholeFile(EnvValue("WP_RAS_SCENARIO")))) {
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      current = &s[line.substr(1, line.size() - 2)];
    } else if (current != nullptr) {
      std::size_t eq = line.find('=');
      if (eq != std::string::npos) (*current)[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return s;
}

std::string Value(const Section& section, const char* key) {
  auto it = section.find(key);
  return it == section.end() ? std::string() : it->second;
}

DWORD Number(const Section& section, const char* key, DWORD fallback) {
  std::string text = Value(section, key);
  return text.empty() ? fallback : static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
}

std::string ValueIn(const Scenario& s, const char* section, const char* key) {
  auto it = s.find(section);
  return it == s.end() ? std::string() : Value(it->second, key);
}

DWORD NumberIn(const Scenario& s, const char* section, const char* key) {
  auto it = s.find(section);
  return it == s.end() ? 0 : Number(it->second, key, 0);
}

// The sections prefixN, N = 1, 2, ... up to the first without a Name.
std::vector<const Section*> Numbered(const Scenario& s, const char* prefix) {
  std::vector<const Section*> out;
  for (int n = 1;; ++n) {
    auto it = s.find(prefix + std::to_string(n));
    if (it == s.end() || Value(it->second, "Name").empty()) return out;
    out.push_back(&it->second);
  }
}

// The log's successful operations of one kind: their arguments.
std::vector<std::string> Done(const char* op) {
  std::vector<std::string> args;
  std::string prefix = std::string(op) + " 0 ";
  for (const std::string& line : Lines(ReadWholeFile(EnvValue("WP_RAS_LOG"))))
    if (line.compare(0, prefix.size(), prefix) == 0) args.push_back(line.substr(prefix.size()));
  return args;
}

void Log(const std::string& line) {
  std::string path = EnvValue("WP_RAS_LOG");
  if (path.empty()) return;
  HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\r\n";
  DWORD written;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

bool SameName(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::vector<const Section*> LiveEntries(const Scenario& s) {
  std::vector<std::string> deleted = Done("Delete");
  std::vector<const Section*> out;
  for (const Section* e : Numbered(s, "Entry")) {
    std::string name = Value(*e, "Name");
    if (std::none_of(deleted.begin(), deleted.end(),
                     [&](const std::string& d) { return SameName(d, name); }))
      out.push_back(e);
  }
  return out;
}

const Section* FindEntry(const Scenario& s, const std::string& name) {
  for (const Section* e : LiveEntries(s))
    if (SameName(Value(*e, "Name"), name)) return e;
  return nullptr;
}

// When this process hung up each connection, per scenario file and handle. A benchmark asks
// for the status from a thread of its own.
std::map<std::string, DWORD> hangUpTimes;
std::mutex hangUpTimesLock;

std::string HangUpKey(ULONG_PTR handle) {
  return EnvValue("WP_RAS_SCENARIO") + "|" + std::to_string(handle);
}

bool HungUpWithin(ULONG_PTR handle, DWORD ms) {
  std::lock_guard<std::mutex> lock(hangUpTimesLock);
  auto it = hangUpTimes.find(HangUpKey(handle));
  return it != hangUpTimes.end() && GetTickCount() - it->second < ms;
}

// A connection hung up within its HangUpDelay is still going down.
bool GoingDown(const Section& section, ULONG_PTR handle) {
  return HungUpWithin(handle, Number(section, "HangUpDelay", 0));
}

struct Connection {
  const Section* section;
  ULONG_PTR handle;
};

std::vector<Connection> LiveConnections(const Scenario& s) {
  std::vector<std::string> hungUp = Done("HangUp");
  std::vector<Connection> out;
  std::vector<const Section*> all = Numbered(s, "Connection");
  for (std::size_t i = 0; i < all.size(); ++i) {
    ULONG_PTR handle = Number(*all[i], "Handle", static_cast<DWORD>(0x100 + i + 1));
    if (std::find(hungUp.begin(), hungUp.end(), std::to_string(handle)) == hungUp.end() ||
        GoingDown(*all[i], handle))
      out.push_back({all[i], handle});
  }
  return out;
}

const Connection* FindConnection(const std::vector<Connection>& live, HRASCONN h) {
  for (const Connection& c : live)
    if (c.handle == reinterpret_cast<ULONG_PTR>(h)) return &c;
  return nullptr;
}

template <std::size_t N>
void Copy(CHAR (&field)[N], const std::string& text) {
  std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

bool Accepted(DWORD size, std::initializer_list<std::size_t> versions) {
  return std::find(versions.begin(), versions.end(), size) != versions.end();
}

// An enumeration as the platform answers it: records at the stride the first record's dwSize
// names; a buffer too small gets the size it needs. fill(i, record) writes the leading fields.
template <class Rec, class Fill>
DWORD Serve(void* buffer, DWORD* bytes, DWORD* count, std::initializer_list<std::size_t> versions,
            std::size_t n, std::size_t sizeQueryShortBy, Fill fill) {
  if (bytes == nullptr || count == nullptr) return ERROR_INVALID_PARAMETER;
  DWORD stride = buffer != nullptr ? static_cast<Rec*>(buffer)->dwSize : sizeof(Rec);
  if (buffer != nullptr && !Accepted(stride, versions)) return ERROR_INVALID_SIZE;
  if (buffer == nullptr || *bytes < n * stride) {
    bool sizeQuery = buffer == nullptr || *bytes < stride;
    std::size_t shown = sizeQuery ? n - std::min(n, sizeQueryShortBy) : n;
    *bytes = static_cast<DWORD>(shown * stride);
    *count = static_cast<DWORD>(shown);
    return shown > 0 ? ERROR_BUFFER_TOO_SMALL : 0;
  }
  BYTE* out = static_cast<BYTE*>(buffer);
  std::memset(out, 0, n * stride);
  for (std::size_t i = 0; i < n; ++i) {
    Rec r{};
    fill(i, r);
    r.dwSize = stride;
    std::memcpy(out + i * stride, &r, sizeof r);
  }
  *bytes = static_cast<DWORD>(n * stride);
  *count = static_cast<DWORD>(n);
  return 0;
}

// Failed properties calls so far, per scenario file and entry.
std::map<std::string, DWORD> propertiesFailures;

}  // namespace

extern "C" {

// Lets a test make sure that this double, not the system's library, is loaded.
int WINAPI WpRasDouble() { return 1; }

DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA info, LPDWORD bytes, LPDWORD count) {
  Scenario s = ReadScenario();
  if (DWORD fail = NumberIn(s, "Devices", "Fail")) return fail;
  std::vector<const Section*> devices = Numbered(s, "Device");
  return Serve<ras::DevInfo>(info, bytes, count, {sizeof(ras::DevInfo)}, devices.size(), 0,
                             [&](std::size_t i, ras::DevInfo& r) {
                               Copy(r.szDeviceName, Value(*devices[i], "Name"));
                               Copy(r.szDeviceType, Value(*devices[i], "Type"));
                             });
}

DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA names,
                             LPDWORD bytes, LPDWORD count) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  if (phonebook != nullptr) return ERROR_CANNOT_OPEN_PHONEBOOK;
  Scenario s = ReadScenario();
  if (DWORD fail = NumberIn(s, "Entries", "Fail")) return fail;
  std::vector<const Section*> entries = LiveEntries(s);
  return Serve<ras::EntryName>(names, bytes, count, {sizeof(ras::EntryName), sizeof(RASENTRYNAMEA)},
                               entries.size(), 0, [&](std::size_t i, ras::EntryName& r) {
                                 Copy(r.szEntryName, Value(*entries[i], "Name"));
                               });
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR name, LPRASENTRYA entry,
                                    LPDWORD entryBytes, LPBYTE deviceInfo,
                                    LPDWORD deviceInfoBytes) {
  (void)deviceInfo;
  if (entryBytes == nullptr || name == nullptr) return ERROR_INVALID_PARAMETER;
  if (phonebook != nullptr) return ERROR_CANNOT_OPEN_PHONEBOOK;
  if (deviceInfoBytes != nullptr) *deviceInfoBytes = 0;
  Scenario s = ReadScenario();
  const Section* e = FindEntry(s, name);
  if (e == nullptr) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  if (DWORD fail = Number(*e, "PropertiesFail", 0)) {
    DWORD& failed = propertiesFailures[EnvValue("WP_RAS_SCENARIO") + "|" + name];
    if (failed < Number(*e, "PropertiesFailCount", 0xFFFFFFFF)) {
      ++failed;
      return fail;
    }
  }
  DWORD version = entry != nullptr ? entry->dwSize : sizeof(RASENTRYA);
  if (!Accepted(version, {sizeof(ras::Entry), sizeof(RASENTRYA)})) return ERROR_INVALID_SIZE;

  // Alternate numbers: a list of zero-terminated texts ending with an empty one.
  std::string alternates;
  std::string list = Value(*e, "Alternates");
  if (!list.empty()) {
    for (std::size_t start = 0;;) {
      std::size_t comma = list.find(',', start);
      alternates += list.substr(start, comma - start);
      alternates += '\0';
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    alternates += '\0';
  }
  DWORD needed = version + static_cast<DWORD>(alternates.size());
  if (entry == nullptr || *entryBytes < needed) {
    *entryBytes = needed;
    return ERROR_BUFFER_TOO_SMALL;
  }
  BYTE* out = reinterpret_cast<BYTE*>(entry);
  std::memset(out, 0, version);
  ras::Entry r{};
  r.dwSize = version;
  Copy(r.szAreaCode, Value(*e, "AreaCode"));
  Copy(r.szLocalPhoneNumber, Value(*e, "Number"));
  Copy(r.szDeviceName, Value(*e, "DeviceName"));
  Copy(r.szDeviceType, Value(*e, "DeviceType"));
  r.dwAlternateOffset = alternates.empty() ? 0 : version;
  std::memcpy(out, &r, sizeof r);
  std::memcpy(out + version, alternates.data(), alternates.size());
  *entryBytes = needed;
  return 0;
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params,
                                    LPBOOL passwordStored) {
  if (params == nullptr || passwordStored == nullptr) return ERROR_INVALID_PARAMETER;
  if (phonebook != nullptr) return ERROR_CANNOT_OPEN_PHONEBOOK;
  if (!Accepted(params->dwSize, {sizeof(ras::DialParams), sizeof(RASDIALPARAMSA)}))
    return ERROR_INVALID_SIZE;
  Scenario s = ReadScenario();
  auto* r = reinterpret_cast<ras::DialParams*>(params);
  const Section* e = FindEntry(s, std::string(r->szEntryName, strnlen(r->szEntryName,
                                                                      sizeof r->szEntryName)));
  if (e == nullptr) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  if (DWORD fail = Number(*e, "DialParamsFail", 0)) {
    // A failed call may leave half-written fields behind.
    Copy(r->szUserName, "half-written");
    return fail;
  }
  Copy(r->szUserName, Value(*e, "User"));
  Copy(r->szPassword, Value(*e, "Password"));
  Copy(r->szPhoneNumber, "");
  Copy(r->szCallbackNumber, "");
  Copy(r->szDomain, "");
  *passwordStored = !Value(*e, "Password").empty();
  return 0;
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA conns, LPDWORD bytes, LPDWORD count) {
  Scenario s = ReadScenario();
  if (DWORD fail = NumberIn(s, "Connections", "Fail")) return fail;
  std::vector<Connection> live = LiveConnections(s);
  return Serve<ras::Conn>(
      conns, bytes, count, {sizeof(ras::Conn), sizeof(ras::ConnWithPhonebook), sizeof(RASCONNA)},
      live.size(), NumberIn(s, "Connections", "SizeQueryShortBy"),
      [&](std::size_t i, ras::Conn& r) {
        r.hrasconn = reinterpret_cast<HANDLE>(live[i].handle);
        Copy(r.szEntryName, Value(*live[i].section, "Name"));
        Copy(r.szDeviceName, Value(*live[i].section, "DeviceName"));
        Copy(r.szDeviceType, Value(*live[i].section, "DeviceType"));
      });
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN h, LPRASCONNSTATUSA status) {
  if (status == nullptr) return ERROR_INVALID_PARAMETER;
  DWORD version = status->dwSize;
  if (!Accepted(version, {sizeof(ras::ConnStatus), sizeof(RASCONNSTATUSA)}))
    return ERROR_INVALID_SIZE;
  Scenario s = ReadScenario();
  std::vector<Connection> live = LiveConnections(s);
  const Connection* c = FindConnection(live, h);
  if (c == nullptr) return ERROR_INVALID_HANDLE;
  DWORD fail = Number(*c->section, "StatusFail", 0);
  DWORD until = Number(*c->section, "StatusFailUntil", 0);
  if (fail != 0 && (until == 0 || HungUpWithin(c->handle, until))) return fail;
  std::memset(status, 0, version);
  ras::ConnStatus r{};
  r.dwSize = version;
  r.rasconnstate = Number(*c->section, "State", ras::kStateConnected);
  Copy(r.szDeviceName, Value(*c->section, "DeviceName"));
  Copy(r.szDeviceType, Value(*c->section, "DeviceType"));
  std::memcpy(status, &r, sizeof r);
  return 0;
}

DWORD WINAPI RasHangUpA(HRASCONN h) {
  Scenario s = ReadScenario();
  std::vector<Connection> live = LiveConnections(s);
  const Connection* c = FindConnection(live, h);
  DWORD result = c == nullptr ? ERROR_INVALID_HANDLE : Number(*c->section, "HangUpFail", 0);
  // Hanging up a line already going down does not make it go down later.
  if (result == 0 && !GoingDown(*c->section, c->handle)) {
    std::lock_guard<std::mutex> lock(hangUpTimesLock);
    hangUpTimes[HangUpKey(c->handle)] = GetTickCount();
  }
  Log("HangUp " + std::to_string(result) + " " +
      std::to_string(reinterpret_cast<ULONG_PTR>(h)));
  return result;
}

DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR name) {
  if (name == nullptr) return ERROR_INVALID_PARAMETER;
  DWORD result = ERROR_CANNOT_OPEN_PHONEBOOK;
  if (phonebook == nullptr) {
    Scenario s = ReadScenario();
    const Section* e = FindEntry(s, name);
    result = e == nullptr ? ERROR_CANNOT_FIND_PHONEBOOK_ENTRY : Number(*e, "DeleteFail", 0);
  }
  Log("Delete " + std::to_string(result) + " " + name);
  return result;
}

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR text, DWORD size) {
  if (text == nullptr) return ERROR_INVALID_PARAMETER;
  std::string found = ValueIn(ReadScenario(), "Errors", std::to_string(code).c_str());
  if (found.empty()) return ERROR_INVALID_PARAMETER;
  if (found.size() + 1 > size) return ERROR_INSUFFICIENT_BUFFER;
  std::memcpy(text, found.c_str(), found.size() + 1);
  return 0;
}

}  // extern "C"
