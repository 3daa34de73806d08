#pragma once
#include <string>
#include <vector>

#include "Controls.h"
#include "IniFile.h"

// Lines "key=value" as the list store fills the global lists from a section.
using StringList = std::vector<std::string>;

// The item of such a line: the text after the first "=", or the whole line without one.
std::string ListLineValue(const std::string& line);

// The user's lists in User.ini beside the program: one section per list, the items under the
// keys "1", "2", ... in order; a list ends at the first empty or missing value.
class TUserIni {
 public:
  TUserIni();

  // The items of a section, up to the first empty or missing value.
  std::vector<std::string> ReadList(const std::string& section) const;
  // Replaces the section with these items in one write. Empty items are left out (an empty
  // value would hide every later item at the next load); no items remove the section.
  void SaveItems(const std::string& section, const std::vector<std::string>& items);

  void LoadList(ListBox& list, const std::string& section) const;
  void SaveList(const ListBox& list, const std::string& section);
  void EraseList(const std::string& section);

  // Every non-empty key of a section as "key=value", gaps included: the lines of the lists
  // below, read without touching them.
  StringList ReadLines(const std::string& section) const;
  // Refill the word list (section BadWords) or the global TrustedConnectionList (section
  // WhiteConnections) with ReadLines of their section.
  StringList& GetBadWords();
  StringList& GetWhiteConnections();

  const IniFile& file() const { return file_; }

 private:
  IniFile file_;
  StringList wordList_;
};

extern TUserIni* UserIni;
// After start-up, the list store's word list itself (not a copy).
extern StringList* BadWordList;
extern StringList TrustedConnectionList;
