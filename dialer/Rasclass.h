#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "RasRecords.h"

// The one place where the program talks to the dial-up API (ANSI, the default phonebook).
// It keeps snapshots of the devices and of the phonebook entries, and works on the active
// connections. A failure of the platform shows as an empty result, never as a message.

// A poll's report: context as given to PollConnections, the connection's entry name, its state
// (ras::kStateDisconnected for one that has vanished since the previous poll), device name and
// device type (both empty for a vanished one).
typedef void (*TRasEnumCallback)(void* context, const std::string& entryName, DWORD state,
                                 const std::string& deviceName, const std::string& deviceType);

// The fixed English text of a connection state; empty for a value the platform does not define.
std::string ConnectionStateText(DWORD state);

// The platform's own dial-event message, used when "RasDialEvent" cannot be registered.
constexpr UINT kFixedDialEventMessage = 0xCCCD;
UINT DialEventMessageOrFixed(UINT registered);

// Entry names compare as the platform does: user's default locale, case ignored.
bool SameEntryName(const std::string& a, const std::string& b);

// The names of the last poll that the current one no longer has, in the last poll's order.
std::vector<std::string> VanishedNames(const std::vector<std::string>& last,
                                       const std::vector<std::string>& now);

// How many records of recordSize to allocate for an enumeration that reported these bytes and
// this count: room for both (they may disagree) and never less than one record.
std::size_t RecordsToAllocate(DWORD reportedBytes, DWORD reportedCount, std::size_t recordSize);

// A hang-up only starts the line going down. A hang-up waits until the platform no longer
// knows the handle, asking every kHangUpPollMs for at most kHangUpWaitMs, without a message
// loop: no dialog opens and no timer runs meanwhile. It waits only for the handles that
// waitFor marks (all when waitFor is empty), and never for a refused hang-up. Returns, per
// handle, whether its line is down.
constexpr DWORD kHangUpWaitMs = 3000, kHangUpPollMs = 50;
std::vector<bool> HangUpConnections(const std::vector<HANDLE>& handles,
                                    const std::vector<bool>& waitFor = {});

class TRasObj {
 public:
  TRasObj();
  ~TRasObj() = default;
  TRasObj(const TRasObj&) = delete;
  TRasObj& operator=(const TRasObj&) = delete;

  // Fills the device snapshot; returns the platform's result (0 = success).
  DWORD EnumDevices();
  bool GetDevice(int index, std::string& deviceName, std::string& deviceType) const;

  // Takes the phonebook snapshot anew: names, properties and dial parameters. Indexes and record
  // pointers fetched before are invalid afterwards.
  void EnumEntries();
  bool GetEntryDialInfo(int index, std::string& userName, std::string& password,
                        std::string& areaCode, std::string& localPhoneNumber) const;
  bool GetEntryDevice(int index, std::string& deviceName, std::string& deviceType) const;
  // Null for an invalid index.
  const ras::Entry* GetEntryProperties(int index) const;
  const ras::DialParams* GetEntryDialParams(int index) const;
  // Empty for an invalid index.
  std::string GetEntryName(int index) const;

  // When several active connections match, the last one enumerated wins; handle is written
  // only on a match.
  bool FindConnection(const std::string& entryName, HANDLE& handle) const;
  // True when the line is down.
  bool HangUp(const std::string& entryName);
  void HangUpAll();

  // Reports every active connection whose state can be read, then every name of the previous
  // poll that is no longer listed, as disconnected. Returns the number of active connections.
  // The callback may poll again.
  int PollConnections(TRasEnumCallback callback, void* context);

  static std::string StateText(DWORD state) { return ConnectionStateText(state); }
  // The platform's text for a dial-up error code; empty for 0 or an unknown code.
  static std::string ErrorText(DWORD code);

 private:
  std::vector<ras::DevInfo> Devices;

 public:
  int DeviceCount = 0;

 private:
  std::vector<ras::Entry> Entries;
  std::vector<ras::EntryName> EntryNames;
  std::vector<ras::DialParams> DialParams;

 public:
  int EntryCount = 0;
  UINT DialEventMessage = 0;

 private:
  std::vector<std::string> LastNames;

  bool ReadEntryProperties(const char* name, ras::Entry& entry);
};

// The program's one wrapper, built by static initialisation before WinMain runs.
extern TRasObj RasObject;
