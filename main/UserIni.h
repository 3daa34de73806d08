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

  // The items of a section, up to the first empty or missing value. False, with no items, when
  // User.ini exists but could not be read within the wait (the other form gives no items).
  bool ReadList(const std::string& section, std::vector<std::string>& items,
                unsigned long waitMs = kIniHeldWaitMs) const;
  std::vector<std::string> ReadList(const std::string& section) const;
  // Replaces the section with these items in one write. Empty items are left out (an empty
  // value would hide every later item at the next load); no items remove the section.
  void SaveItems(const std::string& section, const std::vector<std::string>& items);

  // False, with the list box left as it was, when the file could not be read.
  bool LoadList(ListBox& list, const std::string& section,
                unsigned long waitMs = kIniHeldWaitMs) const;
  void SaveList(const ListBox& list, const std::string& section);
  void EraseList(const std::string& section);

  // Every non-empty key of a section as "key=value", gaps included: the lines of the lists
  // below, read without touching them.
  bool ReadLines(const std::string& section, StringList& lines,
                 unsigned long waitMs = kIniHeldWaitMs) const;
  StringList ReadLines(const std::string& section) const;
  // Refill the word list (section BadWords) or the global TrustedConnectionList (section
  // WhiteConnections) with ReadLines of their section. A file that cannot be read now leaves
  // the list as it was: the Refresh forms then return false.
  StringList& GetBadWords();
  StringList& GetWhiteConnections();
  bool RefreshBadWords(unsigned long waitMs);
  // The word list as read last, without reading.
  StringList& Words() { return wordList_; }
  bool RefreshWhiteConnections(unsigned long waitMs);
  // Whether TrustedConnectionList has ever been filled from the file (or stored by the dialer
  // options): until then an empty list says nothing about what is trusted.
  bool WhiteConnectionsKnown() const { return whiteKnown_; }
  void SetWhiteConnectionsKnown() { whiteKnown_ = true; }

  const IniFile& file() const { return file_; }

  // The state of User.ini when the main window's lists were read, kept across our own saves
  // while nothing else has changed the file: a stamp that differs from the file's now means
  // another program (or a hand edit) has stored something since.
  const IniFileStamp& ListsStamp() const { return listsStamp_; }
  void SetListsStamp(const IniFileStamp& stamp) { listsStamp_ = stamp; }
  bool ListsChangedElsewhere() const { return StampOf(file_.path()) != listsStamp_; }

 private:
  IniFile file_;
  StringList wordList_;
  bool whiteKnown_ = false;
  IniFileStamp listsStamp_;
};

extern TUserIni* UserIni;
// After start-up, the list store's word list itself (not a copy).
extern StringList* BadWordList;
extern StringList TrustedConnectionList;
