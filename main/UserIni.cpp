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
  // One read of the section: a key per profile call would cost time growing with the
  // square of the list's length.
  return NumberedItems(file_.ReadSection(section));
}

void TUserIni::SaveItems(const std::string& section, const std::vector<std::string>& items) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const std::string& item : items)
    if (!item.empty()) entries.emplace_back(std::to_string(entries.size() + 1), item);
  file_.ReplaceSection(section, entries);
}

void TUserIni::LoadList(ListBox& list, const std::string& section) const {
  list.SetItems(ReadList(section));
}

void TUserIni::SaveList(const ListBox& list, const std::string& section) {
  SaveItems(section, list.Items());
}

void TUserIni::EraseList(const std::string& section) { file_.EraseSection(section); }

StringList TUserIni::ReadLines(const std::string& section) const {
  StringList lines;
  for (const auto& entry : file_.ReadSection(section))
    if (!entry.second.empty()) lines.push_back(entry.first + "=" + entry.second);
  return lines;
}

StringList& TUserIni::GetBadWords() {
  wordList_ = ReadLines("BadWords");
  return wordList_;
}

StringList& TUserIni::GetWhiteConnections() {
  TrustedConnectionList = ReadLines("WhiteConnections");
  return TrustedConnectionList;
}
