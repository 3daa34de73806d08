#include "IniFile.h"

#include <windows.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <unordered_set>

EIniWriteError::EIniWriteError(const std::string& path)
    : std::runtime_error("nach " + path + " kann nicht geschrieben werden"), path_(path) {}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  // Grow until the value fits: a long hand-edited value read cut would be saved back cut.
  std::vector<char> buf(kReadChunkChars);
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                       static_cast<DWORD>(buf.size()), path_.c_str());
    if (n + 1 < buf.size() || buf.size() >= kMaxReadChars) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
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
  std::vector<char> buf(32768);
  DWORD n;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()),
                                  path_.c_str());
    if (n < buf.size() - 2 || buf.size() >= (1u << 28)) break;
    buf.resize(buf.size() * 4);
  }
  std::vector<std::pair<std::string, std::string>> entries;
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
  return entries;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), ProfileValueFor(value).c_str(),
                                  path_.c_str()))
    throw EIniWriteError(path_);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(const std::string& section) {
  if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path_.c_str()))
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
  if (!WritePrivateProfileSectionA(section.c_str(), block.data(), path_.c_str()))
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
