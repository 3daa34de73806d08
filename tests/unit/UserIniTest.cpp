#include "UserIni.h"

#include <gtest/gtest.h>

#include "AppPaths.h"
#include "TempDir.h"

namespace {
struct UserIniTest : ::testing::Test {
  TempDir dir;
  void SetUp() override { SetProgramDirForTests(dir.path()); }
  void TearDown() override { SetProgramDirForTests(""); }
  void WriteUserIni(const std::string& text) { WriteFileBytes(dir.File("User.ini"), text); }
};
}  // namespace

TEST_F(UserIniTest, ListStopsAtGapWhileGlobalListsTakeEveryKey) {
  WriteUserIni("[BadWords]\r\n1=casino\r\n2=poker\r\n4=lotto\r\n");
  TUserIni store;
  EXPECT_EQ((std::vector<std::string>{"casino", "poker"}), store.ReadList("BadWords"));
  EXPECT_EQ((StringList{"1=casino", "2=poker", "4=lotto"}), store.GetBadWords());
}

TEST_F(UserIniTest, GlobalListsSkipEmptyValuesAndRepeatedKeys) {
  WriteUserIni("[WhiteConnections]\r\n1=Home\r\n2=\r\n1=Other\r\n3=Work=1\r\n");
  TUserIni store;
  StringList& list = store.GetWhiteConnections();
  EXPECT_EQ(&TrustedConnectionList, &list);
  EXPECT_EQ((StringList{"1=Home", "3=Work=1"}), list);
  EXPECT_EQ("Work=1", ListLineValue(list[1]));
  EXPECT_EQ("plain", ListLineValue("plain"));
}

TEST_F(UserIniTest, SaveRenumbersWithoutGapsAndDropsEmptyItems) {
  TUserIni store;
  std::vector<std::string> items;
  for (int i = 1; i <= 12; ++i) items.push_back("Fenster " + std::to_string(i));
  store.SaveItems("Windows", items);
  items.erase(items.begin() + 2);
  items.insert(items.begin() + 5, "");
  store.SaveItems("Windows", items);
  std::vector<std::string> expected = items;
  expected.erase(expected.begin() + 5);
  EXPECT_EQ(expected, store.ReadList("Windows"));
  EXPECT_EQ(11u, store.file().ReadSectionKeys("Windows").size());
  EXPECT_EQ("Fenster 12", store.file().ReadString("Windows", "11", ""));
}

TEST_F(UserIniTest, ItemsReadBackAsSaved) {
  TUserIni store;
  std::vector<std::string> items = {" Gewinnspiel ", "\"Zitat\"", "a=b", "Umlaute \xC4\xD6\xDC\xDF",
                                    std::string(5000, 'y')};
  store.SaveItems("DontClose", items);
  EXPECT_EQ(items, store.ReadList("DontClose"));
}

TEST_F(UserIniTest, EmptyListRemovesSection) {
  TUserIni store;
  store.SaveItems("Windows", {"a"});
  store.SaveItems("Windows", {});
  EXPECT_TRUE(store.file().ReadSectionKeys("Windows").empty());
  EXPECT_TRUE(store.ReadList("Windows").empty());
}

TEST_F(UserIniTest, RefusedSaveIsReportedAndKeepsWhatWasStored) {
  WriteUserIni("[Windows]\r\n1=keep me\r\n");
  std::string before = ReadFileBytes(dir.File("User.ini"));
  TUserIni store;
  // Held open by another program that allows reading only: every write is refused.
  HANDLE held = CreateFileA(dir.File("User.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_THROW(store.SaveItems("Windows", {"new"}), EIniWriteError);
  EXPECT_THROW(store.SaveItems("Windows", {}), EIniWriteError);
  EXPECT_EQ(std::vector<std::string>{"keep me"}, store.ReadList("Windows"));
  CloseHandle(held);
  EXPECT_EQ(before, ReadFileBytes(dir.File("User.ini")));
}

// A held file is no empty list; the trusted list read last stands, one never read says nothing.
TEST_F(UserIniTest, AHeldFileGivesNoListAndKeepsTheListsReadLast) {
  WriteUserIni("[WhiteConnections]\r\n1=Zuhause\r\n[Windows]\r\n1=Keep A\r\n");
  TrustedConnectionList.clear();
  TUserIni store;
  std::vector<std::string> items = {"x"};
  {
    HeldFile held(dir.File("User.ini"));
    EXPECT_FALSE(store.ReadList("Windows", items, 0));
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(store.RefreshWhiteConnections(0));
    EXPECT_FALSE(store.WhiteConnectionsKnown());
  }
  EXPECT_TRUE(store.RefreshWhiteConnections(0));
  {
    HeldFile held(dir.File("User.ini"));
    EXPECT_FALSE(store.RefreshWhiteConnections(0));
    EXPECT_FALSE(store.RefreshBadWords(0));
    EXPECT_TRUE(store.WhiteConnectionsKnown());
    EXPECT_EQ(StringList{"1=Zuhause"}, TrustedConnectionList);
  }
  EXPECT_TRUE(store.ReadList("Windows", items, 0));
  EXPECT_EQ(std::vector<std::string>{"Keep A"}, items);
  TrustedConnectionList.clear();
}
