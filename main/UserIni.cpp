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
  for (int n = 1;; ++n) {
    std::string value = file_.ReadString(section, std::to_string(n), "");
    if (value.empty()) break;
    items.push_back(value);
  }
  return items;
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

void TUserIni::FillLines(const std::string& section, StringList& out) const {
  out.clear();
  for (const std::string& key : file_.ReadSectionKeys(section)) {
    std::string value = file_.ReadString(section, key, "");
    if (!value.empty()) out.push_back(key + "=" + value);
  }
}

StringList& TUserIni::GetBadWords() {
  FillLines("BadWords", wordList_);
  return wordList_;
}

StringList& TUserIni::GetWhiteConnections() {
  FillLines("WhiteConnections", TrustedConnectionList);
  return TrustedConnectionList;
}
