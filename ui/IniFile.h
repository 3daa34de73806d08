#pragma once
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

// A private-profile (ini) file, read and written through the system's profile functions.
// Writes reach the file at once; a write the system refuses throws EIniWriteError.
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

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void EraseSection(const std::string& section);
  // Replaces the whole section with these keys and values in one write, so a failure leaves
  // what was stored before untouched. No entries removes the section.
  void ReplaceSection(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries);

 private:
  std::string path_;
};

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
