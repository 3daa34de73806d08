#include "IniFile.h"

#include <windows.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>
#include <unordered_set>

std::function<void(const std::string& path)> IniWritten;

EIniWriteError::EIniWriteError(const std::string& path)
    : std::runtime_error("nach " + path + " kann nicht geschrieben werden"), path_(path) {}

// Files met with content, and since when each has been seen missing, empty or a folder: for
// a moment such a file is on its way back (a restore or sync program is replacing it).
namespace {
struct SeenFile {
  bool gone = false;
  DWORD goneSince = 0;
};
unsigned long g_goneBoundMs = kIniGoneBoundMs;

class SeenLock {
 public:
  SeenLock() { EnterCriticalSection(&Section()); }
  ~SeenLock() { LeaveCriticalSection(&Section()); }

 private:
  static CRITICAL_SECTION& Section() {
    static struct Holder {
      CRITICAL_SECTION cs;
      Holder() { InitializeCriticalSection(&cs); }
    } holder;
    return holder.cs;
  }
};

std::map<std::string, SeenFile>& SeenFiles() {
  static std::map<std::string, SeenFile> files;
  return files;
}

std::string PathKey(const std::string& path) {
  std::string key = path;
  if (!key.empty()) CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

void NoteContent(const std::string& path, bool content) {
  SeenLock lock;
  if (content)
    SeenFiles()[PathKey(path)].gone = false;
  else
    SeenFiles().erase(PathKey(path));
}

// For a file that is missing, empty or a folder now: whether it counts as held, as it had
// content until less than the bound ago. Past the bound it is forgotten: it is what it is.
bool GoneForAMoment(const std::string& path) {
  SeenLock lock;
  auto it = SeenFiles().find(PathKey(path));
  if (it == SeenFiles().end()) return false;
  DWORD now = GetTickCount();
  if (!it->second.gone) {
    it->second.gone = true;
    it->second.goneSince = now;
  }
  if (now - it->second.goneSince < g_goneBoundMs) return true;
  SeenFiles().erase(it);
  return false;
}

// After a write of ours: what the file holds now is what we made of it.
void NoteWritten(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  bool content = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d) &&
                 !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                 (d.nFileSizeLow != 0 || d.nFileSizeHigh != 0);
  NoteContent(path, content);
}
}  // namespace

unsigned long IniGoneBoundMs() { return g_goneBoundMs; }
void SetIniGoneBoundForTests(unsigned long ms) { g_goneBoundMs = ms; }

IniHold::IniHold(const std::string& path, bool forWriting, unsigned long waitMs)
    : handle_(INVALID_HANDLE_VALUE), free_(true) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD attr = GetFileAttributesA(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) {
      if (!GoneForAMoment(path)) return;
    } else {
      HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | (forWriting ? GENERIC_WRITE : 0),
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size;
        bool content = GetFileSizeEx(h, &size) && size.QuadPart > 0;
        if (content) NoteContent(path, true);
        if (content || !GoneForAMoment(path)) {
          handle_ = h;
          return;
        }
        CloseHandle(h);
      } else {
        DWORD error = GetLastError();
        // Gone meanwhile: as missing as before.
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
            !GoneForAMoment(path))
          return;
      }
    }
    if (GetTickCount() - start >= waitMs) break;
    Sleep(kIniHeldPollMs);
  }
  free_ = false;
}

IniFileStamp StampOf(const std::string& path) {
  IniFileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return stamp;
  stamp.exists = true;
  stamp.writeTime = (static_cast<unsigned long long>(d.ftLastWriteTime.dwHighDateTime) << 32) |
                    d.ftLastWriteTime.dwLowDateTime;
  stamp.size = (static_cast<unsigned long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) stamp.size = ~0ull;
  // No access asked: the identity is read also while another program holds the file.
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info))
      stamp.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    CloseHandle(h);
  }
  return stamp;
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

// A section's lines as the system gives them, each ended by a NUL; the buffer grows until the
// whole section fits.
std::string SectionBlock(const std::string& path, const std::string& section) {
  std::vector<char> buf(32768);
  DWORD n;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()),
                                  path.c_str());
    if (n < buf.size() - 2 || buf.size() >= (1u << 28)) break;
    buf.resize(buf.size() * 4);
  }
  return std::string(buf.data(), n);
}

void Written(const std::string& path) {
  NoteWritten(path);
  if (IniWritten) IniWritten(path);
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
// A key name as the profile functions compare it: blind to case. Plain ASCII names, the
// numbered keys of every list among them, are folded here; a system call for each of 20,000
// keys would cost more than the read of the whole section.
std::string FoldedKey(const std::string& key) {
  std::string folded = key;
  bool ascii = true;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  }
  if (!ascii) CharLowerBuffA(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The entries of a section block as the system lists them ("key=value" lines, each ending in a
// zero, the block in two). A list of 20,000 entries is read at every poll of the connection
// watch, so a line costs its entry and no more: the keys are folded in one copy of the whole
// block, and a key seen before is found in an open-addressed table of entry numbers.
std::vector<std::pair<std::string, std::string>> ParsedSection(const char* block, std::size_t n) {
  std::string folded(block, n);
  bool ascii = true;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  }
  if (!ascii && n > 0) CharLowerBuffA(&folded[0], static_cast<DWORD>(n));

  std::size_t lines = 0;
  for (const char* p = block; p < block + n && *p; p += std::strlen(p) + 1) ++lines;
  std::size_t slotCount = 16;
  while (slotCount < 2 * lines) slotCount *= 2;
  std::vector<std::uint32_t> slots(slotCount, 0);  // entry number + 1; 0 is free
  std::vector<std::string_view> keys;              // the kept entries' folded keys
  keys.reserve(lines);
  std::vector<std::pair<std::string, std::string>> entries;
  entries.reserve(lines);

  for (const char* p = block; p < block + n && *p; p += std::strlen(p) + 1) {
    const char* eq = std::strchr(p, '=');
    if (!eq) continue;
    const char *kb = p, *ke = eq;
    while (kb < ke && IsBlank(*kb)) ++kb;
    while (ke > kb && IsBlank(ke[-1])) --ke;
    std::string_view key(folded.data() + (kb - block), static_cast<std::size_t>(ke - kb));
    std::size_t slot = std::hash<std::string_view>()(key) & (slotCount - 1);
    while (slots[slot] != 0 && keys[slots[slot] - 1] != key) slot = (slot + 1) & (slotCount - 1);
    if (slots[slot] != 0) continue;  // a repeated key keeps its first value
    slots[slot] = static_cast<std::uint32_t>(keys.size() + 1);
    keys.push_back(key);
    const char *vb = eq + 1, *ve = vb + std::strlen(vb);
    while (vb < ve && IsBlank(*vb)) ++vb;
    while (ve > vb && IsBlank(ve[-1])) --ve;
    if (ve - vb >= 2 && (*vb == '"' || *vb == '\'') && ve[-1] == *vb) {
      ++vb;
      --ve;
    }
    entries.emplace_back(std::string(kb, ke), std::string(vb, ve));
  }
  return entries;
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
  std::string block = SectionBlock(path_, section);
  entries = ParsedSection(block.data(), block.size());
  return true;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  if (!FreeForWriting(path_) || !WritePrivateProfileStringA(section.c_str(), key.c_str(), ProfileValueFor(value).c_str(),
                                  path_.c_str()))
    throw EIniWriteError(path_);
  Written(path_);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(const std::string& section) {
  if (!FreeForWriting(path_) || !WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path_.c_str()))
    throw EIniWriteError(path_);
  Written(path_);
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
  Written(path_);
}

bool IniFile::TryReadRawSection(const std::string& section, std::string& raw) const {
  raw.clear();
  IniHold hold(path_, false, kIniHeldWaitMs);
  if (!hold.Free()) return false;
  raw = SectionBlock(path_, section);
  return true;
}

void IniFile::WriteKeys(const std::string& section, const Entries& keys, std::string* previous) {
  std::string block;
  // What a held file gives is no section: writing it back would drop the stored keys.
  if (!TryReadRawSection(section, block)) throw EIniWriteError(path_);
  if (previous) *previous = block;

  // The lines come back as the file holds them, values with their quotes.
  std::vector<std::string> folded;
  for (const auto& key : keys) folded.push_back(FoldedKey(key.first));
  std::vector<bool> placed(keys.size(), false);
  std::string merged;
  auto put = [&](std::size_t i) {
    merged += keys[i].first + "=" + ProfileValueFor(keys[i].second);
    merged += '\0';
    placed[i] = true;
  };
  for (std::size_t at = 0; at < block.size();) {
    std::size_t end = block.find('\0', at);
    if (end == std::string::npos) end = block.size();
    std::string line = block.substr(at, end - at);
    at = end + 1;
    if (line.empty()) continue;
    std::size_t eq = line.find('=');
    std::string name = line.substr(0, eq);
    while (!name.empty() && IsBlank(name.back())) name.pop_back();
    while (!name.empty() && IsBlank(name.front())) name.erase(0, 1);
    std::string key = FoldedKey(name);
    std::size_t i = 0;
    while (i < keys.size() && folded[i] != key) ++i;
    if (i == keys.size()) {
      merged += line;
      merged += '\0';
    } else if (!placed[i]) {
      put(i);
    }
  }
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (!placed[i]) put(i);
  merged += '\0';
  if (!FreeForWriting(path_) ||
      !WritePrivateProfileSectionA(section.c_str(), merged.data(), path_.c_str()))
    throw EIniWriteError(path_);
  Written(path_);
}

void IniFile::PutBackSection(const std::string& section, const std::string& previous) {
  if (previous.empty()) {
    EraseSection(section);
    return;
  }
  std::string block = previous + '\0' + '\0';
  if (!FreeForWriting(path_) ||
      !WritePrivateProfileSectionA(section.c_str(), block.data(), path_.c_str()))
    throw EIniWriteError(path_);
  Written(path_);
}

std::vector<std::string> NumberedItems(
    const std::vector<std::pair<std::string, std::string>>& entries) {
  // Each entry put in its place by its number, not a walk of the section for each key: lists
  // run to 20,000 entries. Only a key that is the number's own decimal text counts ("01" is
  // not "1"), and a list of n entries can reach no number beyond n.
  std::vector<const std::string*> byNumber(entries.size() + 1, nullptr);
  for (const auto& entry : entries) {
    const std::string& key = entry.first;
    if (key.empty() || key.size() > 9 || key[0] == '0' ||
        key.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::size_t number = std::stoul(key);
    if (number < byNumber.size() && !byNumber[number]) byNumber[number] = &entry.second;
  }
  std::vector<std::string> items;
  for (std::size_t n = 1; n < byNumber.size() && byNumber[n] && !byNumber[n]->empty(); ++n)
    items.push_back(*byNumber[n]);
  return items;
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
