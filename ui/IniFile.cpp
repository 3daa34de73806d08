#include "IniFile.h"

#include <windows.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <unordered_set>

EIniWriteError::EIniWriteError(const std::string& path)
    : std::runtime_error("nach " + path + " kann nicht geschrieben werden"), path_(path) {}

IniHold::IniHold(const std::string& path, bool forWriting, unsigned long waitMs)
    : handle_(INVALID_HANDLE_VALUE), free_(true) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return;
  DWORD start = GetTickCount();
  for (;;) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | (forWriting ? GENERIC_WRITE : 0),
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = h;
      return;
    }
    DWORD error = GetLastError();
    // Gone meanwhile: as missing as before.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    if (GetTickCount() - start >= waitMs) break;
    Sleep(kIniHeldPollMs);
  }
  free_ = false;
}

IniHold::~IniHold() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

namespace {
std::string ProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& def) {
  // Grow until the value fits: a long hand-edited value read cut would be saved back cut.
  std::vector<char> buf(IniFile::kReadChunkChars);
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                       static_cast<DWORD>(buf.size()), path.c_str());
    if (n + 1 < buf.size() || buf.size() >= IniFile::kMaxReadChars) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
}

// Waits for a held file before a write, and lets go again: the system's writer may want the
// file to itself.
bool FreeForWriting(const std::string& path) {
  return IniHold(path, true, kIniHeldWaitMs).Free();
}
}  // namespace

bool IniFile::Readable(unsigned long waitMs) const {
  return IniHold(path_, false, waitMs).Free();
}

bool IniFile::TryReadString(const std::string& section, const std::string& key,
                            const std::string& def, std::string& out, unsigned long waitMs) const {
  IniHold hold(path_, false, waitMs);
  out = hold.Free() ? ProfileString(path_, section, key, def) : def;
  return hold.Free();
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  std::string value;
  TryReadString(section, key, def, value);
  return value;
}

namespace {
// A key name as the profile functions compare it: blind to case.
std::string FoldedKey(const std::string& key) {
  std::string folded = key;
  if (!folded.empty()) CharLowerBuffA(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

std::string Trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}
}  // namespace

bool ParseInt32(const std::string& text, int& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return false;
  out = static_cast<int>(value);
  return true;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  int value;
  return ParseInt32(ReadString(section, key, ""), value) ? value : def;
}

std::vector<std::string> IniFile::ReadSectionKeys(const std::string& section) const {
  IniHold hold(path_, false, kIniHeldWaitMs);
  if (!hold.Free()) return {};
  // The list comes back as zero-separated names ending in two zeros; grow until it fits.
  std::vector<char> buf(4096);
  DWORD n;
  for (;;) {
    n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buf.data(),
                                 static_cast<DWORD>(buf.size()), path_.c_str());
    if (n < buf.size() - 2) break;
    buf.resize(buf.size() * 4);
  }
  std::vector<std::string> keys;
  // A set, not a scan of the earlier keys: a list of 20,000 entries is read at every poll.
  std::unordered_set<std::string> seen;
  for (const char* p = buf.data(); p < buf.data() + n && *p; p += std::strlen(p) + 1) {
    std::string name(p);
    if (seen.insert(FoldedKey(name)).second) keys.push_back(name);
  }
  return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSection(
    const std::string& section) const {
  Entries entries;
  TryReadSection(section, entries);
  return entries;
}

bool IniFile::TryReadSection(const std::string& section, Entries& entries,
                             unsigned long waitMs) const {
  entries.clear();
  IniHold hold(path_, false, waitMs);
  if (!hold.Free()) return false;
  std::vector<char> buf(32768);
  DWORD n;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()),
                                  path_.c_str());
    if (n < buf.size() - 2 || buf.size() >= (1u << 28)) break;
    buf.resize(buf.size() * 4);
  }
  std::unordered_set<std::string> seen;
  for (const char* p = buf.data(); p < buf.data() + n && *p; p += std::strlen(p) + 1) {
    const char* eq = std::strchr(p, '=');
    if (!eq) continue;
    std::string key = Trimmed(std::string(p, eq));
    if (!seen.insert(FoldedKey(key)).second) continue;
    std::string value = Trimmed(eq + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    entries.emplace_back(key, value);
  }
  return true;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  if (!FreeForWriting(path_) || !WritePrivateProfileStringA(section.c_str(), key.c_str(), ProfileValueFor(value).c_str(),
                                  path_.c_str()))
    throw EIniWriteError(path_);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(const std::string& section) {
  if (!FreeForWriting(path_) || !WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path_.c_str()))
    throw EIniWriteError(path_);
}

void IniFile::ReplaceSection(const std::string& section,
                             const std::vector<std::pair<std::string, std::string>>& entries) {
  if (entries.empty()) {
    EraseSection(section);
    return;
  }
  std::string block;
  for (const auto& e : entries) {
    block += e.first;
    block += '=';
    block += ProfileValueFor(e.second);
    block += '\0';
  }
  block += '\0';
  if (!FreeForWriting(path_) || !WritePrivateProfileSectionA(section.c_str(), block.data(), path_.c_str()))
    throw EIniWriteError(path_);
}

std::string ProfileValueFor(const std::string& value) {
  std::string v = value;
  for (char& c : v)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  if (v.empty()) return v;
  auto edgy = [](char c) {
    return c == ' ' || c == '\t' || c == '"' || c == '\'';
  };
  if (edgy(v.front()) || edgy(v.back())) return '"' + v + '"';
  return v;
}
