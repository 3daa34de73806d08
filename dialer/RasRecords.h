#pragma once
#include <windows.h>

// The dial-up API's ANSI records in the older versions this program asks for. The platform picks
// the version from dwSize, so these are the leading fields of the records that the system
// headers declare in their newest, longer versions; the field names are the platform's.
// HRASCONN is a pointer, so in a 64-bit build the connection records are 4 bytes longer.

namespace ras {

constexpr int kMaxEntryName = 256;
constexpr int kMaxDeviceType = 16;
constexpr int kMaxDeviceName = 128;
constexpr int kMaxPhoneNumber = 128;
constexpr int kMaxAreaCode = 10;
constexpr int kMaxUserName = 256;  // UNLEN
constexpr int kMaxPassword = 256;  // PWLEN
constexpr int kMaxDomain = 15;     // DNLEN
constexpr int kMaxPadType = 32;
constexpr int kMaxX25Address = 200;
constexpr int kMaxFacilities = 200;
constexpr int kMaxUserData = 200;

// Connection states the wrapper itself reports.
constexpr DWORD kStateConnected = 0x2000;
constexpr DWORD kStateDisconnected = 0x2001;

// RasGetErrorStringA fills at most this many bytes.
constexpr DWORD kErrorTextBytes = 512;

#pragma pack(push, 4)

struct DevInfo {
  DWORD dwSize;
  CHAR szDeviceType[kMaxDeviceType + 1];
  CHAR szDeviceName[kMaxDeviceName + 1];
};
static_assert(sizeof(DevInfo) == 152, "RASDEVINFOA");

// Without flags and phonebook path.
struct EntryName {
  DWORD dwSize;
  CHAR szEntryName[kMaxEntryName + 1];
};
static_assert(sizeof(EntryName) == 264, "RASENTRYNAMEA, first version");

struct IpAddr {
  BYTE a, b, c, d;
};

// Up to dwReserved2: no sub-entry, dial-mode or idle-disconnect fields. The platform appends
// alternate phone numbers behind the record (dwAlternateOffset), which this version does not hold.
struct Entry {
  DWORD dwSize;
  DWORD dwfOptions;
  DWORD dwCountryID;
  DWORD dwCountryCode;
  CHAR szAreaCode[kMaxAreaCode + 1];
  CHAR szLocalPhoneNumber[kMaxPhoneNumber + 1];
  DWORD dwAlternateOffset;
  IpAddr ipaddr;
  IpAddr ipaddrDns;
  IpAddr ipaddrDnsAlt;
  IpAddr ipaddrWins;
  IpAddr ipaddrWinsAlt;
  DWORD dwFrameSize;
  DWORD dwfNetProtocols;
  DWORD dwFramingProtocol;
  CHAR szScript[MAX_PATH];
  CHAR szAutodialDll[MAX_PATH];
  CHAR szAutodialFunc[MAX_PATH];
  CHAR szDeviceType[kMaxDeviceType + 1];
  CHAR szDeviceName[kMaxDeviceName + 1];
  CHAR szX25PadType[kMaxPadType + 1];
  CHAR szX25Address[kMaxX25Address + 1];
  CHAR szX25Facilities[kMaxFacilities + 1];
  CHAR szX25UserData[kMaxUserData + 1];
  DWORD dwChannels;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
static_assert(sizeof(Entry) == 1768, "RASENTRYA up to dwReserved2");

// Up to szDomain: no sub-entry index, no callback id.
struct DialParams {
  DWORD dwSize;
  CHAR szEntryName[kMaxEntryName + 1];
  CHAR szPhoneNumber[kMaxPhoneNumber + 1];
  CHAR szCallbackNumber[kMaxPhoneNumber + 1];
  CHAR szUserName[kMaxUserName + 1];
  CHAR szPassword[kMaxPassword + 1];
  CHAR szDomain[kMaxDomain + 1];
};
static_assert(sizeof(DialParams) == 1052, "RASDIALPARAMSA up to szDomain");

// Up to szDeviceName: no phonebook path, sub-entry index or entry GUID.
struct Conn {
  DWORD dwSize;
  HANDLE hrasconn;
  CHAR szEntryName[kMaxEntryName + 1];
  CHAR szDeviceType[kMaxDeviceType + 1];
  CHAR szDeviceName[kMaxDeviceName + 1];
};
static_assert(sizeof(Conn) == (sizeof(void*) == 4 ? 412 : 416), "RASCONNA up to szDeviceName");

// Up to guidEntry: with phonebook path and sub-entry, without flags or logon id.
struct ConnWithPhonebook {
  DWORD dwSize;
  HANDLE hrasconn;
  CHAR szEntryName[kMaxEntryName + 1];
  CHAR szDeviceType[kMaxDeviceType + 1];
  CHAR szDeviceName[kMaxDeviceName + 1];
  CHAR szPhonebook[MAX_PATH];
  DWORD dwSubEntry;
  GUID guidEntry;
};
static_assert(sizeof(ConnWithPhonebook) == (sizeof(void*) == 4 ? 692 : 696),
              "RASCONNA up to guidEntry");

// Up to szDeviceName: no phone number.
struct ConnStatus {
  DWORD dwSize;
  DWORD rasconnstate;
  DWORD dwError;
  CHAR szDeviceType[kMaxDeviceType + 1];
  CHAR szDeviceName[kMaxDeviceName + 1];
};
static_assert(sizeof(ConnStatus) == 160, "RASCONNSTATUSA up to szDeviceName");

#pragma pack(pop)

}  // namespace ras
