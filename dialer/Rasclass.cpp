#include "Rasclass.h"

#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

TRasObj RasObject;

namespace {

// Our records must be the leading fields of the records the system headers declare.
constexpr std::size_t RoundUp4(std::size_t n) { return (n + 3) & ~std::size_t(3); }
static_assert(sizeof(ras::DevInfo) == sizeof(RASDEVINFOA), "device record");
static_assert(sizeof(ras::EntryName) == offsetof(RASENTRYNAMEA, dwFlags), "entry name record");
static_assert(offsetof(ras::Entry, szLocalPhoneNumber) ==
                  offsetof(RASENTRYA, szLocalPhoneNumber) &&
              offsetof(ras::Entry, szDeviceName) == offsetof(RASENTRYA, szDeviceName) &&
              sizeof(ras::Entry) == offsetof(RASENTRYA, dwSubEntries), "entry record");
static_assert(offsetof(ras::DialParams, szPassword) == offsetof(RASDIALPARAMSA, szPassword) &&
              sizeof(ras::DialParams) == offsetof(RASDIALPARAMSA, dwSubEntry),
              "dial parameters record");
static_assert(offsetof(ras::Conn, szDeviceName) == offsetof(RASCONNA, szDeviceName) &&
              sizeof(ras::Conn) == RoundUp4(offsetof(RASCONNA, szPhonebook)), "connection record");
static_assert(sizeof(ras::ConnWithPhonebook) == offsetof(RASCONNA, dwFlags),
              "connection record with phonebook");
static_assert(offsetof(ras::ConnStatus, szDeviceName) == offsetof(RASCONNSTATUSA, szDeviceName) &&
              sizeof(ras::ConnStatus) == RoundUp4(offsetof(RASCONNSTATUSA, szPhoneNumber)),
              "connection status record");

// The names buffer has room for this many entries at first; a larger phonebook grows it.
constexpr DWORD kEntryNameRoom = 30;
// A record may appear between the size query and the fetch; the fetch then reports the new size
// and is tried again, this many times in all.
constexpr int kEnumTries = 3;

// The platform's texts are zero-terminated within their field, but we never read past it.
template <std::size_t N>
std::string FieldText(const CHAR (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

template <std::size_t N>
void Terminate(CHAR (&field)[N]) {
  field[N - 1] = 0;
}

void TerminateTexts(ras::Entry& e) {
  Terminate(e.szAreaCode);
  Terminate(e.szLocalPhoneNumber);
  Terminate(e.szScript);
  Terminate(e.szAutodialDll);
  Terminate(e.szAutodialFunc);
  Terminate(e.szDeviceType);
  Terminate(e.szDeviceName);
  Terminate(e.szX25PadType);
  Terminate(e.szX25Address);
  Terminate(e.szX25Facilities);
  Terminate(e.szX25UserData);
}

void TerminateTexts(ras::DialParams& p) {
  Terminate(p.szEntryName);
  Terminate(p.szPhoneNumber);
  Terminate(p.szCallbackNumber);
  Terminate(p.szUserName);
  Terminate(p.szPassword);
  Terminate(p.szDomain);
}

// One enumeration into a fresh buffer of Rec, starting from what a size query reported.
// call(Rec* buffer, DWORD* bytes, DWORD* count) is the platform's enumeration. On success the
// buffer holds exactly the records the platform wrote; on failure it is empty.
template <class Rec, class Call>
DWORD Enumerate(std::vector<Rec>& records, DWORD bytes, DWORD count, Call call) {
  DWORD result = ERROR_BUFFER_TOO_SMALL;
  for (int attempt = 0; attempt < kEnumTries && result == ERROR_BUFFER_TOO_SMALL; ++attempt) {
    records.assign(RecordsToAllocate(bytes, count, sizeof(Rec)), Rec{});
    records[0].dwSize = sizeof(Rec);
    bytes = static_cast<DWORD>(records.size() * sizeof(Rec));
    count = 0;
    result = call(records.data(), &bytes, &count);
  }
  if (result != 0) {
    records.clear();
    return result;
  }
  records.resize(std::min<std::size_t>(count, records.size()));
  return 0;
}

// The active connections. False when the platform failed, which is not the same as none.
bool EnumConnections(std::vector<ras::Conn>& out) {
  auto call = [](ras::Conn* buffer, DWORD* bytes, DWORD* count) {
    return RasEnumConnectionsA(reinterpret_cast<RASCONNA*>(buffer), bytes, count);
  };
  ras::Conn probe{};
  probe.dwSize = sizeof probe;
  DWORD bytes = 0, count = 0;
  DWORD result = call(&probe, &bytes, &count);
  if (result == 0 && count == 0) {
    out.clear();
    return true;
  }
  if (result != 0 && result != ERROR_BUFFER_TOO_SMALL) {
    out.clear();
    return false;
  }
  if (Enumerate(out, bytes, count, call) != 0) return false;
  for (ras::Conn& c : out) Terminate(c.szEntryName);
  return true;
}

}  // namespace

std::string ConnectionStateText(DWORD state) {
  switch (state) {
    case 0: return "Opening the port...";
    case 1: return "Port has been opened successfully";
    case 2: return "Connecting to the device...";
    case 3: return "The device has connected successfully.";
    case 4: return "All devices in the device chain have successfully connected.";
    case 5: return "Verifying the user name and password...";
    case 6: return "An authentication event has occurred.";
    case 7: return "Requested another validation attempt with a new user.";
    case 8: return "Server has requested a callback number.";
    case 9: return "The client has requested to change the password";
    case 10: return "Registering your computer on the network...";
    case 11: return "The link-speed calculation phase is starting...";
    case 12: return "An authentication request is being acknowledged.";
    case 13: return "Reauthentication (after callback) is starting. ";
    case 14: return "The client has successfully completed authentication.";
    case 15: return "The line is about to disconnect for callback.";
    case 16: return "Delaying to give the modem time to reset for callback.";
    case 17: return "Waiting for an incoming call from server.";
    case 18: return "Projection result information is available.";
    case 19: return "User authentication is being initiated or retried.";
    case 20: return "Client has been called back and is about to resume authentication.";
    case 21: return "Logging on to the network...";
    case 22: return "Subentry has been connected";
    case 23: return "Subentry has been disconnected";
    case 0x1000: return "Terminal state supported by RASPHONE.EXE.";
    case 0x1001: return "Retry authentication state supported by RASPHONE.EXE.";
    case 0x1002: return "Callback state supported by RASPHONE.EXE.";
    case 0x1003: return "Change password state supported by RASPHONE.EXE.";
    case ras::kStateConnected: return "Successfully connected to remote server !";
    case ras::kStateDisconnected: return "Disconnected";
    default: return std::string();
  }
}

UINT DialEventMessageOrFixed(UINT registered) {
  return registered != 0 ? registered : kFixedDialEventMessage;
}

bool SameEntryName(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::vector<std::string> VanishedNames(const std::vector<std::string>& last,
                                       const std::vector<std::string>& now) {
  std::vector<std::string> gone;
  for (const std::string& name : last) {
    bool present = std::any_of(now.begin(), now.end(),
                               [&](const std::string& n) { return SameEntryName(n, name); });
    if (!present) gone.push_back(name);
  }
  return gone;
}

std::size_t RecordsToAllocate(DWORD reportedBytes, DWORD reportedCount, std::size_t recordSize) {
  std::size_t forBytes = (std::size_t(reportedBytes) + recordSize - 1) / recordSize;
  return std::max<std::size_t>({forBytes, reportedCount, 1});
}

std::vector<bool> HangUpConnections(const std::vector<HANDLE>& handles,
                                    const std::vector<bool>& waitFor) {
  std::vector<bool> down(handles.size(), false), awaited(handles.size(), false);
  for (std::size_t i = 0; i < handles.size(); ++i) {
    bool started = RasHangUpA(static_cast<HRASCONN>(handles[i])) == 0;
    awaited[i] = started && (waitFor.empty() || (i < waitFor.size() && waitFor[i]));
  }
  const DWORD start = GetTickCount();
  for (;;) {
    bool waiting = false;
    for (std::size_t i = 0; i < handles.size(); ++i) {
      if (down[i]) continue;
      ras::ConnStatus status{};
      status.dwSize = sizeof status;
      down[i] = RasGetConnectStatusA(static_cast<HRASCONN>(handles[i]),
                                     reinterpret_cast<RASCONNSTATUSA*>(&status)) ==
                ERROR_INVALID_HANDLE;
      waiting = waiting || (!down[i] && awaited[i]);
    }
    if (!waiting || GetTickCount() - start >= kHangUpWaitMs) return down;
    Sleep(kHangUpPollMs);
  }
}

TRasObj::TRasObj() {
  EnumDevices();
  EnumEntries();
  DialEventMessage = DialEventMessageOrFixed(RegisterWindowMessageA("RasDialEvent"));
}

DWORD TRasObj::EnumDevices() {
  DeviceCount = 0;
  DWORD bytes = 0, count = 0;
  RasEnumDevicesA(nullptr, &bytes, &count);
  DWORD result = Enumerate(Devices, bytes, count, [](ras::DevInfo* buffer, DWORD* b, DWORD* n) {
    return RasEnumDevicesA(reinterpret_cast<RASDEVINFOA*>(buffer), b, n);
  });
  for (ras::DevInfo& d : Devices) {
    Terminate(d.szDeviceType);
    Terminate(d.szDeviceName);
  }
  DeviceCount = static_cast<int>(Devices.size());
  return result;
}

bool TRasObj::GetDevice(int index, std::string& deviceName, std::string& deviceType) const {
  if (index < 0 || index >= DeviceCount) return false;
  deviceName = FieldText(Devices[index].szDeviceName);
  deviceType = FieldText(Devices[index].szDeviceType);
  return true;
}

bool TRasObj::ReadEntryProperties(const char* name, ras::Entry& entry) {
  auto call = [name](ras::Entry* record, DWORD* bytes) {
    return RasGetEntryPropertiesA(nullptr, name, reinterpret_cast<RASENTRYA*>(record), bytes,
                                  nullptr, nullptr);
  };
  for (int attempt = 0; attempt < 2; ++attempt) {
    entry = ras::Entry{};
    entry.dwSize = sizeof entry;
    DWORD bytes = sizeof entry;
    DWORD result = call(&entry, &bytes);
    if (result == 0) return true;
    if (result == ERROR_BUFFER_TOO_SMALL && bytes > sizeof entry) {
      // Alternate numbers stored behind the record: read all of it into a scratch buffer and
      // keep the record, without the offset that pointed behind it.
      std::vector<ras::Entry> scratch(RecordsToAllocate(bytes, 1, sizeof(ras::Entry)));
      scratch[0].dwSize = sizeof(ras::Entry);
      bytes = static_cast<DWORD>(scratch.size() * sizeof(ras::Entry));
      if (call(scratch.data(), &bytes) == 0) {
        entry = scratch[0];
        entry.dwAlternateOffset = 0;
        return true;
      }
    }
  }
  entry = ras::Entry{};
  entry.dwSize = sizeof entry;
  return false;
}

void TRasObj::EnumEntries() {
  EntryCount = 0;
  Entries.clear();
  EntryNames.clear();
  DialParams.clear();

  std::vector<ras::EntryName> names;
  DWORD result = Enumerate(names, kEntryNameRoom * sizeof(ras::EntryName), kEntryNameRoom,
                           [](ras::EntryName* buffer, DWORD* bytes, DWORD* count) {
                             return RasEnumEntriesA(nullptr, nullptr,
                                                    reinterpret_cast<RASENTRYNAMEA*>(buffer),
                                                    bytes, count);
                           });
  if (result != 0 || names.empty()) return;

  std::vector<ras::Entry> entries(names.size());
  std::vector<ras::DialParams> params(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    Terminate(names[i].szEntryName);
    // An entry whose properties cannot be read stays, with empty properties: the others must
    // still reach the premium-rate check.
    ReadEntryProperties(names[i].szEntryName, entries[i]);
    TerminateTexts(entries[i]);

    ras::DialParams& p = params[i];
    p.dwSize = sizeof p;
    std::memcpy(p.szEntryName, names[i].szEntryName, sizeof p.szEntryName);
    BOOL passwordStored = FALSE;
    if (RasGetEntryDialParamsA(nullptr, reinterpret_cast<RASDIALPARAMSA*>(&p), &passwordStored) !=
        0) {
      // The entry stays, with an empty user name and password, whatever the call left behind.
      p = ras::DialParams{};
      p.dwSize = sizeof p;
      std::memcpy(p.szEntryName, names[i].szEntryName, sizeof p.szEntryName);
    }
    TerminateTexts(p);
  }
  EntryNames = std::move(names);
  Entries = std::move(entries);
  DialParams = std::move(params);
  EntryCount = static_cast<int>(EntryNames.size());
}

bool TRasObj::GetEntryDialInfo(int index, std::string& userName, std::string& password,
                               std::string& areaCode, std::string& localPhoneNumber) const {
  if (index < 0 || index >= EntryCount) return false;
  userName = FieldText(DialParams[index].szUserName);
  password = FieldText(DialParams[index].szPassword);
  areaCode = FieldText(Entries[index].szAreaCode);
  localPhoneNumber = FieldText(Entries[index].szLocalPhoneNumber);
  return true;
}

bool TRasObj::GetEntryDevice(int index, std::string& deviceName, std::string& deviceType) const {
  if (index < 0 || index >= EntryCount) return false;
  deviceName = FieldText(Entries[index].szDeviceName);
  deviceType = FieldText(Entries[index].szDeviceType);
  return true;
}

const ras::Entry* TRasObj::GetEntryProperties(int index) const {
  return index >= 0 && index < EntryCount ? &Entries[index] : nullptr;
}

const ras::DialParams* TRasObj::GetEntryDialParams(int index) const {
  return index >= 0 && index < EntryCount ? &DialParams[index] : nullptr;
}

std::string TRasObj::GetEntryName(int index) const {
  if (index < 0 || index >= EntryCount) return std::string();
  return FieldText(EntryNames[index].szEntryName);
}

bool TRasObj::FindConnection(const std::string& entryName, HANDLE& handle) const {
  std::vector<ras::Conn> conns;
  if (!EnumConnections(conns)) return false;
  bool found = false;
  for (const ras::Conn& c : conns) {
    if (SameEntryName(FieldText(c.szEntryName), entryName)) {
      handle = c.hrasconn;
      found = true;
    }
  }
  return found;
}

bool TRasObj::HangUp(const std::string& entryName) {
  HANDLE handle = nullptr;
  if (!FindConnection(entryName, handle) || handle == nullptr) return false;
  return HangUpConnections({handle})[0];
}

void TRasObj::HangUpAll() {
  std::vector<ras::Conn> conns;
  EnumConnections(conns);
  std::vector<HANDLE> handles;
  for (const ras::Conn& c : conns)
    if (c.hrasconn != nullptr) handles.push_back(c.hrasconn);
  HangUpConnections(handles);
}

int TRasObj::PollConnections(TRasEnumCallback callback, void* context) {
  std::vector<ras::Conn> conns;
  // A failed enumeration tells nothing about which connections are gone: report nothing and
  // keep the last names for the next poll.
  if (!EnumConnections(conns)) return 0;

  std::vector<std::string> names;
  for (const ras::Conn& c : conns) {
    if (callback == nullptr) continue;
    ras::ConnStatus status{};
    status.dwSize = sizeof status;
    std::string name = FieldText(c.szEntryName);
    if (RasGetConnectStatusA(static_cast<HRASCONN>(c.hrasconn),
                             reinterpret_cast<RASCONNSTATUSA*>(&status)) == 0)
      callback(context, name, status.rasconnstate, FieldText(status.szDeviceName),
               FieldText(status.szDeviceType));
    // Still present when its state could not be read for a moment: a connection is reported
    // gone only once the enumeration no longer lists it.
    names.push_back(name);
  }
  if (callback != nullptr) {
    // A copy: a callback that polls again replaces LastNames while we walk the vanished names.
    std::vector<std::string> gone = VanishedNames(LastNames, names);
    for (const std::string& name : gone)
      callback(context, name, ras::kStateDisconnected, std::string(), std::string());
  }
  LastNames = std::move(names);
  return static_cast<int>(conns.size());
}

std::string TRasObj::ErrorText(DWORD code) {
  if (code == 0) return std::string();
  CHAR text[ras::kErrorTextBytes] = {};
  if (RasGetErrorStringA(code, text, sizeof text) != 0) return std::string();
  return FieldText(text);
}
