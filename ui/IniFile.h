#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A failed write or erase of a profile file: "nach <file> kann nicht geschrieben werden".
class EIniWriteError : public std::runtime_error {
 public:
  explicit EIniWriteError(const std::string& path);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// How long a read or a write waits for a file that another program holds (a backup, sync or
// virus-scan program may hold one open with no sharing for seconds), and how often it looks.
constexpr unsigned long kIniHeldWaitMs = 1000;
constexpr unsigned long kIniHeldPollMs = 50;

// How long a file that was read with content and is now missing, empty or a folder counts as
// held rather than as what it is: a restore or sync program replaces a file by moving it away
// or emptying it and putting it back within seconds.
constexpr unsigned long kIniGoneBoundMs = 10000;
// The bound in force: kIniGoneBoundMs, unless a test has set a shorter one.
unsigned long IniGoneBoundMs();
void SetIniGoneBoundForTests(unsigned long ms);

// Keeps a profile file open for its life, sharing it with every reader and writer, so that no
// other program can take it for itself between the profile calls made meanwhile. Waits up to
// waitMs while another program holds the file (sharing or lock violation, access denied). A
// missing file, or a folder in its place, is nothing to hold: it counts as free, and reads as
// empty as it always has, unless this program has met it with content and it has been so for
// less than kIniGoneBoundMs: then it is held (and waited for) like a file held open.
class IniHold {
 public:
  IniHold(const std::string& path, bool forWriting, unsigned long waitMs);
  ~IniHold();
  IniHold(const IniHold&) = delete;
  IniHold& operator=(const IniHold&) = delete;
  // False when the file exists but could not be opened within the wait: the profile functions
  // would give defaults for it, exactly as for a missing key.
  bool Free() const { return free_; }

 private:
  void* handle_;
  bool free_;
};

// A private-profile (ini) file, read and written through the system's profile functions.
// Writes reach the file at once; a write the system refuses, or that meets the file held by
// another program beyond kIniHeldWaitMs, throws EIniWriteError.
//
// The system reads a file it cannot open now as empty. Each reader below waits for such a file
// (up to kIniHeldWaitMs, or the wait given); the Try readers then return false, the others
// give the defaults. A caller that would write what it read back uses a Try reader.
class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  // Values are read whole (up to kMaxReadChars), with blanks around them and one pair of
  // enclosing quotes dropped, as the system reads them.
  static constexpr std::size_t kReadChunkChars = 2048;
  static constexpr std::size_t kMaxReadChars = 1 << 20;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // A value that is not wholly a decimal integer in the 32-bit range reads as def
  // (the system's own reader would take "12abc" as 12).
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // Every key of a section with its value as ReadString gives it, in file order; a name that
  // recurs (ignoring case) keeps its first value. One read of the file for the whole section.
  std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) const;
  // Key names of a section in file order; a name that recurs (ignoring case) is listed once.
  std::vector<std::string> ReadSectionKeys(const std::string& section) const;

  using Entries = std::vector<std::pair<std::string, std::string>>;
  // Whether the file can be read now: it is missing (and not just gone for a moment), or could
  // be opened within the wait.
  bool Readable(unsigned long waitMs = kIniHeldWaitMs) const;
  bool TryReadString(const std::string& section, const std::string& key, const std::string& def,
                     std::string& out, unsigned long waitMs = kIniHeldWaitMs) const;
  bool TryReadSection(const std::string& section, Entries& out,
                      unsigned long waitMs = kIniHeldWaitMs) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void EraseSection(const std::string& section);
  // Replaces the whole section with these keys and values in one write, so a failure leaves
  // what was stored before untouched. No entries removes the section.
  void ReplaceSection(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries);

  // Sets several keys of a section in one write of the section, so that a program that takes
  // the file between two writes can never leave some of them stored: either all are, or none
  // (EIniWriteError). The section's other lines stay as they stand; a later repeat of a key set
  // here goes. previous, when given, gets the section as it stood, for PutBackSection.
  void WriteKeys(const std::string& section, const Entries& keys,
                 std::string* previous = nullptr);
  // A section's lines as the file holds them (values with their quotes), each ending in a
  // zero, for PutBackSection. False when the file is held beyond the wait.
  bool TryReadRawSection(const std::string& section, std::string& raw) const;
  // Writes back a section as WriteKeys or TryReadRawSection found it (none: the section goes), in one write.
  void PutBackSection(const std::string& section, const std::string& previous);

 private:
  std::string path_;
};

// Called with the file's path after each write that went through. Tests take a lock there, as
// an on-access scanner does right after a change.
extern std::function<void(const std::string& path)> IniWritten;

// The items of a numbered list among a section's entries (as ReadSection gives them): the
// values of the keys "1", "2", ... up to the first that is empty or missing.
std::vector<std::string> NumberedItems(
    const std::vector<std::pair<std::string, std::string>>& entries);

// Strict decimal parse of a whole text (optional sign, digits, nothing else, 32-bit range).
bool ParseInt32(const std::string& text, int& out);

// The text to store so that the system's reader gives value back unchanged: a value that
// begins or ends with a blank or a quote is put inside double quotes. Line breaks, which
// would split the entry, become blanks.
std::string ProfileValueFor(const std::string& value);

// What tells one state of a file from another without reading it: missing or not, last write
// time, size and the file's identity (a copy renamed over it is another file). Cheap enough to
// be taken at every scan tick.
struct IniFileStamp {
  bool exists = false;
  unsigned long long writeTime = 0, size = 0, index = 0;
  bool operator==(const IniFileStamp& o) const {
    return exists == o.exists && writeTime == o.writeTime && size == o.size && index == o.index;
  }
  bool operator!=(const IniFileStamp& o) const { return !(*this == o); }
};
IniFileStamp StampOf(const std::string& path);
