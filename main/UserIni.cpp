#include "UserIni.h"

#include "AppPaths.h"

TUserIni* UserIni = nullptr;
StringList* BadWordList = nullptr;
StringList TrustedConnectionList;

std::string ListLineValue(const std::string& line) {
  std::string::size_type eq = line.find('=');
  return eq == std::string::npos ? line : line.substr(eq + 1);
}

TUserIni::TUserIni() : file_(ProgramDir() + "User.ini") {}

std::vector<std::string> TUserIni::ReadList(const std::string& section) const {
  std::vector<std::string> items;
  ReadList(section, items);
  return items;
}

bool TUserIni::ReadList(const std::string& section, std::vector<std::string>& items,
                        unsigned long waitMs) const {
  items.clear();
  // One read of the section: a key per profile call would cost time growing with the
  // square of the list's length.
  IniFile::Entries entries;
  if (!file_.TryReadSection(section, entries, waitMs)) return false;
  items = NumberedItems(entries);
  return true;
}

void TUserIni::SaveItems(const std::string& section, const std::vector<std::string>& items) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const std::string& item : items)
    if (!item.empty()) entries.emplace_back(std::to_string(entries.size() + 1), item);
  bool current = !ListsChangedElsewhere();
  file_.ReplaceSection(section, entries);
  if (current) listsStamp_ = StampOf(file_.path());
}

bool TUserIni::LoadList(ListBox& list, const std::string& section, unsigned long waitMs) const {
  std::vector<std::string> items;
  if (!ReadList(section, items, waitMs)) return false;
  list.SetItems(items);
  return true;
}

void TUserIni::SaveList(const ListBox& list, const std::string& section) {
  SaveItems(section, list.Items());
}

void TUserIni::EraseList(const std::string& section) {
  bool current = !ListsChangedElsewhere();
  file_.EraseSection(section);
  if (current) listsStamp_ = StampOf(file_.path());
}

bool TUserIni::ReadLines(const std::string& section, StringList& lines,
                         unsigned long waitMs) const {
  lines.clear();
  IniFile::Entries entries;
  if (!file_.TryReadSection(section, entries, waitMs)) return false;
  for (const auto& entry : entries)
    if (!entry.second.empty()) lines.push_back(entry.first + "=" + entry.second);
  return true;
}

StringList TUserIni::ReadLines(const std::string& section) const {
  StringList lines;
  ReadLines(section, lines);
  return lines;
}

bool TUserIni::RefreshBadWords(unsigned long waitMs) {
  StringList lines;
  if (!ReadLines("BadWords", lines, waitMs)) return false;
  wordList_.swap(lines);
  return true;
}

bool TUserIni::RefreshWhiteConnections(unsigned long waitMs) {
  StringList lines;
  if (!ReadLines("WhiteConnections", lines, waitMs)) return false;
  TrustedConnectionList.swap(lines);
  whiteKnown_ = true;
  return true;
}

StringList& TUserIni::GetBadWords() {
  RefreshBadWords(kIniHeldWaitMs);
  return wordList_;
}

StringList& TUserIni::GetWhiteConnections() {
  RefreshWhiteConnections(kIniHeldWaitMs);
  return TrustedConnectionList;
}
