#include "Rasclass.h"

#include <gtest/gtest.h>

#include <ras.h>

#include "RasDouble.h"
#include "TempDir.h"

// The wrapper runs against the dial-up test double (RasDouble.h).

namespace {

struct Report {
  std::string name;
  DWORD state;
  std::string deviceName, deviceType;
  bool operator==(const Report& o) const {
    return name == o.name && state == o.state && deviceName == o.deviceName &&
           deviceType == o.deviceType;
  }
};

std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << "{" << r.name << ", 0x" << std::hex << r.state << std::dec << ", " << r.deviceName
            << ", " << r.deviceType << "}";
}

using Reports = std::vector<Report>;

void Record(void* context, const std::string& name, DWORD state, const std::string& deviceName,
            const std::string& deviceType) {
  static_cast<Reports*>(context)->push_back({name, state, deviceName, deviceType});
}

struct RasclassTest : ::testing::Test {
  TempDir dir{"ras"};

  void SetUp() override {
    ASSERT_TRUE(RasDoubleLoaded());
    UseRasFiles(dir.File("scenario.ini"), dir.File("ras.log"));
  }
  void TearDown() override {
    UseRasFiles("");
  }

  void Scenario(const std::string& text) { WriteFileBytes(dir.File("scenario.ini"), text); }
  std::string Log() { return ReadFileBytes(dir.File("ras.log")); }

  Reports Poll(TRasObj& ras, int* count = nullptr) {
    Reports reports;
    int n = ras.PollConnections(Record, &reports);
    if (count) *count = n;
    return reports;
  }
};

std::string Connection(int n, const std::string& name, int handle, DWORD state = 0x2000,
                       const std::string& extra = "") {
  return "[Connection" + std::to_string(n) + "]\r\nName=" + name +
         "\r\nHandle=" + std::to_string(handle) + "\r\nState=" + std::to_string(state) +
         "\r\nDeviceName=Modem " + name + "\r\nDeviceType=modem\r\n" + extra;
}

}  // namespace

TEST_F(RasclassTest, DevicesAreHeldAndBadIndexesLeaveOutputsAlone) {
  Scenario(
      "[Device1]\r\nName=Standard Modem\r\nType=modem\r\n"
      "[Device2]\r\nName=ISDN Card\r\nType=isdn\r\n");
  TRasObj ras;
  ASSERT_EQ(2, ras.DeviceCount);
  std::string name = "keep", type = "keep";
  EXPECT_TRUE(ras.GetDevice(1, name, type));
  EXPECT_EQ("ISDN Card", name);
  EXPECT_EQ("isdn", type);
  name = type = "keep";
  EXPECT_FALSE(ras.GetDevice(-1, name, type));
  EXPECT_FALSE(ras.GetDevice(2, name, type));
  EXPECT_EQ("keep", name);
  EXPECT_EQ("keep", type);

  Scenario("[Devices]\r\nFail=610\r\n[Device1]\r\nName=Standard Modem\r\nType=modem\r\n");
  EXPECT_EQ(610u, ras.EnumDevices());
  EXPECT_EQ(0, ras.DeviceCount);
  EXPECT_FALSE(ras.GetDevice(0, name, type));

  Scenario("");
  TRasObj none;
  EXPECT_EQ(0, none.DeviceCount);
  EXPECT_FALSE(none.GetDevice(0, name, type));
}

TEST_F(RasclassTest, EntriesCarryNumbersDeviceAndDialParameters) {
  Scenario(
      "[Entry1]\r\nName=Home\r\nAreaCode=030\r\nNumber=1234567\r\nDeviceName=Standard Modem\r\n"
      "DeviceType=modem\r\nUser=anna\r\nPassword=secret\r\n"
      "[Entry2]\r\nName=Gewinn \xC4r\r\nAreaCode=\r\nNumber=0190-555\r\nDeviceName=ISDN Card\r\n"
      "DeviceType=isdn\r\n");
  TRasObj ras;
  ASSERT_EQ(2, ras.EntryCount);
  EXPECT_EQ("Home", ras.GetEntryName(0));
  EXPECT_EQ("Gewinn \xC4r", ras.GetEntryName(1));

  std::string user, password, area, number;
  ASSERT_TRUE(ras.GetEntryDialInfo(0, user, password, area, number));
  EXPECT_EQ("anna", user);
  EXPECT_EQ("secret", password);
  EXPECT_EQ("030", area);
  EXPECT_EQ("1234567", number);
  ASSERT_TRUE(ras.GetEntryDialInfo(1, user, password, area, number));
  EXPECT_EQ("", user);
  EXPECT_EQ("", area);
  EXPECT_EQ("0190-555", number);

  std::string deviceName, deviceType;
  ASSERT_TRUE(ras.GetEntryDevice(1, deviceName, deviceType));
  EXPECT_EQ("ISDN Card", deviceName);
  EXPECT_EQ("isdn", deviceType);

  const ras::Entry* props = ras.GetEntryProperties(0);
  ASSERT_NE(nullptr, props);
  EXPECT_STREQ("030", props->szAreaCode);
  EXPECT_STREQ("1234567", props->szLocalPhoneNumber);
  const ras::DialParams* params = ras.GetEntryDialParams(0);
  ASSERT_NE(nullptr, params);
  EXPECT_STREQ("Home", params->szEntryName);
  EXPECT_STREQ("anna", params->szUserName);
  EXPECT_STREQ("secret", params->szPassword);

  for (int bad : {-1, ras.EntryCount}) {
    user = area = deviceName = "keep";
    EXPECT_EQ("", ras.GetEntryName(bad));
    EXPECT_EQ(nullptr, ras.GetEntryProperties(bad));
    EXPECT_EQ(nullptr, ras.GetEntryDialParams(bad));
    EXPECT_FALSE(ras.GetEntryDialInfo(bad, user, password, area, number));
    EXPECT_FALSE(ras.GetEntryDevice(bad, deviceName, deviceType));
    EXPECT_EQ("keep", user);
    EXPECT_EQ("keep", area);
    EXPECT_EQ("keep", deviceName);
  }
}

TEST_F(RasclassTest, PhonebookOfMoreThanThirtyEntriesIsHeldWhole) {
  std::string text;
  for (int i = 1; i <= 31; ++i)
    text += "[Entry" + std::to_string(i) + "]\r\nName=Entry " + std::to_string(i) +
            "\r\nNumber=0190" + std::to_string(i) + "\r\n";
  Scenario(text);
  TRasObj ras;
  ASSERT_EQ(31, ras.EntryCount);
  EXPECT_EQ("Entry 1", ras.GetEntryName(0));
  EXPECT_EQ("Entry 31", ras.GetEntryName(30));
  ASSERT_NE(nullptr, ras.GetEntryProperties(30));
  EXPECT_STREQ("019031", ras.GetEntryProperties(30)->szLocalPhoneNumber);
}

TEST_F(RasclassTest, EntryWithAlternateNumbersKeepsItsRecord) {
  Scenario(
      "[Entry1]\r\nName=Multi\r\nAreaCode=089\r\nNumber=0190111\r\nDeviceName=Standard Modem\r\n"
      "Alternates=0190222,0190333\r\n");
  TRasObj ras;
  ASSERT_EQ(1, ras.EntryCount);
  const ras::Entry* props = ras.GetEntryProperties(0);
  ASSERT_NE(nullptr, props);
  EXPECT_STREQ("0190111", props->szLocalPhoneNumber);
  EXPECT_STREQ("Standard Modem", props->szDeviceName);
  // The alternates are not behind our copy, so nothing may point there.
  EXPECT_EQ(0u, props->dwAlternateOffset);
}

TEST_F(RasclassTest, EntryThatCannotBeReadDoesNotHideTheOthers) {
  Scenario(
      "[Entry1]\r\nName=Home\r\nNumber=123\r\nUser=anna\r\n"
      "[Entry2]\r\nName=Broken\r\nNumber=0190999\r\nPropertiesFail=621\r\nUser=bob\r\n"
      "[Entry3]\r\nName=Flaky\r\nNumber=0190777\r\nPropertiesFail=621\r\nPropertiesFailCount=1\r\n"
      "[Entry4]\r\nName=NoParams\r\nNumber=0190888\r\nDialParamsFail=623\r\n");
  TRasObj ras;
  ASSERT_EQ(4, ras.EntryCount);
  std::string user, password, area, number;
  ASSERT_TRUE(ras.GetEntryDialInfo(0, user, password, area, number));
  EXPECT_EQ("123", number);
  // Unreadable properties: listed, with empty properties but its dial parameters.
  EXPECT_EQ("Broken", ras.GetEntryName(1));
  ASSERT_TRUE(ras.GetEntryDialInfo(1, user, password, area, number));
  EXPECT_EQ("", number);
  EXPECT_EQ("bob", user);
  // One failed try is followed by a second.
  ASSERT_TRUE(ras.GetEntryDialInfo(2, user, password, area, number));
  EXPECT_EQ("0190777", number);
  // Failed dial parameters: empty user name and password, whatever the call left behind.
  ASSERT_TRUE(ras.GetEntryDialInfo(3, user, password, area, number));
  EXPECT_EQ("0190888", number);
  EXPECT_EQ("", user);
  EXPECT_EQ("", password);
  EXPECT_STREQ("NoParams", ras.GetEntryDialParams(3)->szEntryName);
}

TEST_F(RasclassTest, EnumEntriesTakesTheSnapshotAnew) {
  Scenario("[Entries]\r\nFail=621\r\n[Entry1]\r\nName=Home\r\n");
  TRasObj ras;
  EXPECT_EQ(0, ras.EntryCount);
  EXPECT_EQ("", ras.GetEntryName(0));

  Scenario("[Entry1]\r\nName=Home\r\n[Entry2]\r\nName=Dialer\r\n[Entry3]\r\nName=Work\r\n");
  ras.EnumEntries();
  ASSERT_EQ(3, ras.EntryCount);
  // What the premium-rate check does to delete an entry: the next snapshot no longer has it.
  EXPECT_EQ(0u, RasDeleteEntryA(nullptr, "Dialer"));
  EXPECT_EQ("Delete 0 Dialer\r\n", Log());
  ras.EnumEntries();
  ASSERT_EQ(2, ras.EntryCount);
  EXPECT_EQ("Home", ras.GetEntryName(0));
  EXPECT_EQ("Work", ras.GetEntryName(1));
}

TEST_F(RasclassTest, FindAndHangUpTakeTheLastConnectionOfThatNameInAnyCase) {
  // Lines take their time to go down; "Slow" longer than a hang-up waits for it.
  Scenario(Connection(1, "Home", 513) + Connection(2, "HOME", 514, 0x2000, "HangUpDelay=300\r\n") +
           Connection(3, "Work", 515, 0x2000, "HangUpFail=668\r\n") +
           Connection(4, "Slow", 516, 0x2000, "HangUpDelay=5000\r\n"));
  TRasObj ras;
  HANDLE handle = nullptr;
  EXPECT_TRUE(ras.FindConnection("home", handle));
  EXPECT_EQ(reinterpret_cast<HANDLE>(514), handle);
  handle = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(ras.FindConnection("Hom", handle));
  EXPECT_EQ(reinterpret_cast<HANDLE>(1), handle);

  EXPECT_TRUE(ras.HangUp("Home"));
  EXPECT_FALSE(ras.HangUp("Work"));
  EXPECT_FALSE(ras.HangUp(""));
  EXPECT_FALSE(ras.HangUp("Slow")) << "not down when the wait ends";
  EXPECT_EQ("HangUp 0 514\r\nHangUp 668 515\r\nHangUp 0 516\r\n", Log());
  // The hung-up line is down when HangUp returns; the other "Home" is now the one found.
  EXPECT_TRUE(ras.FindConnection("Home", handle));
  EXPECT_EQ(reinterpret_cast<HANDLE>(513), handle);
}

TEST_F(RasclassTest, HangUpAllGoesOnPastAFailure) {
  Scenario(Connection(1, "Work", 601, 0x2000, "HangUpFail=668\r\n") +
           Connection(2, "Home", 602, 0x2000, "HangUpDelay=300\r\n") +
           Connection(3, "Dialer", 603, 5, "HangUpDelay=300\r\n"));
  TRasObj ras;
  ras.HangUpAll();
  EXPECT_EQ("HangUp 668 601\r\nHangUp 0 602\r\nHangUp 0 603\r\n", Log());
  int up = 0;
  Poll(ras, &up);
  EXPECT_EQ(1, up) << "the lines hung up are down when HangUpAll returns";

  Scenario("[Connections]\r\nFail=668\r\n" + Connection(1, "Home", 701));
  ras.HangUpAll();
  EXPECT_FALSE(ras.HangUp("Home"));
  EXPECT_EQ("HangUp 668 601\r\nHangUp 0 602\r\nHangUp 0 603\r\n", Log());
}

TEST_F(RasclassTest, PollReportsEachConnectionAndAVanishedOneOnce) {
  Scenario(Connection(1, "Home", 801, 0x2000) + Connection(2, "Dialer", 802, 2));
  TRasObj ras;
  int count = -1;
  EXPECT_EQ((Reports{{"Home", 0x2000, "Modem Home", "modem"}, {"Dialer", 2, "Modem Dialer", "modem"}}),
            Poll(ras, &count));
  EXPECT_EQ(2, count);

  Scenario(Connection(1, "Home", 801, 0x2000));
  EXPECT_EQ((Reports{{"Home", 0x2000, "Modem Home", "modem"}, {"Dialer", 0x2001, "", ""}}),
            Poll(ras, &count));
  EXPECT_EQ(1, count);
  EXPECT_EQ((Reports{{"Home", 0x2000, "Modem Home", "modem"}}), Poll(ras));

  // A name that only changed case is the same connection.
  Scenario(Connection(1, "HOME", 803, 0x2000));
  EXPECT_EQ((Reports{{"HOME", 0x2000, "Modem HOME", "modem"}}), Poll(ras));
  Scenario("");
  EXPECT_EQ((Reports{{"HOME", 0x2001, "", ""}}), Poll(ras, &count));
  EXPECT_EQ(0, count);
  EXPECT_EQ(Reports{}, Poll(ras));
}

TEST_F(RasclassTest, ConnectionWithUnreadableStateIsCountedButNotReported) {
  Scenario(Connection(1, "Home", 901) + Connection(2, "Dialer", 902));
  TRasObj ras;
  EXPECT_EQ(2u, Poll(ras).size());
  Scenario(Connection(1, "Home", 901) + Connection(2, "Dialer", 902, 0x2000, "StatusFail=6\r\n"));
  int count = -1;
  // Still listed: not taken for gone, until the enumeration no longer lists it.
  EXPECT_EQ((Reports{{"Home", 0x2000, "Modem Home", "modem"}}), Poll(ras, &count));
  EXPECT_EQ(2, count);
  Scenario(Connection(1, "Home", 901));
  EXPECT_EQ((Reports{{"Home", 0x2000, "Modem Home", "modem"}, {"Dialer", 0x2001, "", ""}}),
            Poll(ras));
}

TEST_F(RasclassTest, PollWithoutCallbackForgetsTheLastConnections) {
  Scenario(Connection(1, "Home", 1001));
  TRasObj ras;
  EXPECT_EQ(1u, Poll(ras).size());
  EXPECT_EQ(1, ras.PollConnections(nullptr, nullptr));
  Scenario("");
  EXPECT_EQ(Reports{}, Poll(ras));
}

TEST_F(RasclassTest, ConnectionThatAppearsDuringTheEnumerationIsNotMissed) {
  // The size query counts one connection fewer than the fetch then finds.
  Scenario("[Connections]\r\nSizeQueryShortBy=1\r\n" + Connection(1, "Home", 1101) +
           Connection(2, "Dialer", 1102));
  TRasObj ras;
  int count = -1;
  EXPECT_EQ(2u, Poll(ras, &count).size());
  EXPECT_EQ(2, count);
  HANDLE handle = nullptr;
  EXPECT_TRUE(ras.FindConnection("Dialer", handle));
  ras.HangUpAll();
  EXPECT_EQ("HangUp 0 1101\r\nHangUp 0 1102\r\n", Log());
}

TEST_F(RasclassTest, FailedEnumerationReportsNoConnectionAsVanished) {
  Scenario(Connection(1, "Home", 1201));
  TRasObj ras;
  EXPECT_EQ(1u, Poll(ras).size());
  Scenario("[Connections]\r\nFail=668\r\n" + Connection(1, "Home", 1201));
  int count = -1;
  EXPECT_EQ(Reports{}, Poll(ras, &count));
  EXPECT_EQ(0, count);
  // Still up: reported as present, and its vanishing is still noticed later.
  Scenario(Connection(1, "Home", 1201));
  EXPECT_EQ((Reports{{"Home", 0x2000, "Modem Home", "modem"}}), Poll(ras));
  Scenario("");
  EXPECT_EQ((Reports{{"Home", 0x2001, "", ""}}), Poll(ras));
}

namespace {
// Like the connection watch: the first report opens a "dialog" in which the timer polls again.
struct Reentrant {
  TRasObj* ras;
  Reports reports;
  int depth = 0;
};

void PollAgainOnFirstReport(void* context, const std::string& name, DWORD state,
                            const std::string& deviceName, const std::string& deviceType) {
  auto* r = static_cast<Reentrant*>(context);
  r->reports.push_back({name, state, deviceName, deviceType});
  if (r->depth++ == 0) r->ras->PollConnections(PollAgainOnFirstReport, context);
}
}  // namespace

TEST_F(RasclassTest, PollEnteredAgainFromItsCallbackReportsEachVanishingOnce) {
  Scenario(Connection(1, "Old 1", 1301) + Connection(2, "Old 2", 1302));
  TRasObj ras;
  EXPECT_EQ(2u, Poll(ras).size());

  Scenario(Connection(1, "New", 1303));
  Reentrant r{&ras, {}};
  EXPECT_EQ(1, ras.PollConnections(PollAgainOnFirstReport, &r));
  EXPECT_EQ((Reports{{"New", 0x2000, "Modem New", "modem"},
                     {"New", 0x2000, "Modem New", "modem"},
                     {"Old 1", 0x2001, "", ""},
                     {"Old 2", 0x2001, "", ""}}),
            r.reports);
  Scenario("");
  EXPECT_EQ((Reports{{"New", 0x2001, "", ""}}), Poll(ras));
}

TEST(RasTexts, StateTextsAreTheFixedEnglishOnes) {
  EXPECT_EQ("Successfully connected to remote server !", TRasObj::StateText(0x2000));
  EXPECT_EQ("Disconnected", TRasObj::StateText(0x2001));
  EXPECT_EQ("Opening the port...", TRasObj::StateText(0));
  EXPECT_EQ("Reauthentication (after callback) is starting. ", TRasObj::StateText(13));
  EXPECT_EQ("Subentry has been disconnected", TRasObj::StateText(23));
  EXPECT_EQ("Change password state supported by RASPHONE.EXE.", TRasObj::StateText(0x1003));
  EXPECT_EQ("", TRasObj::StateText(24));
  EXPECT_EQ("", TRasObj::StateText(0x1004));
  EXPECT_EQ("", TRasObj::StateText(0xFFFFFFFF));
  int texts = 0;
  for (DWORD state = 0; state < 0x3000; ++state)
    if (!TRasObj::StateText(state).empty()) ++texts;
  EXPECT_EQ(24 + 4 + 2, texts);
}

TEST_F(RasclassTest, ErrorTextIsThePlatformsAndEmptyWithoutOne) {
  Scenario("[Errors]\r\n633=The port is already in use or is not configured for Remote Access.\r\n");
  EXPECT_EQ("The port is already in use or is not configured for Remote Access.",
            TRasObj::ErrorText(633));
  EXPECT_EQ("", TRasObj::ErrorText(0));
  EXPECT_EQ("", TRasObj::ErrorText(634));
}

TEST(RasDecisions, DialEventMessageFallsBackToThePlatformsFixedOne) {
  EXPECT_EQ(0xCCCDu, DialEventMessageOrFixed(0));
  EXPECT_EQ(0xC123u, DialEventMessageOrFixed(0xC123));
  EXPECT_EQ(RegisterWindowMessageA("RasDialEvent"), RasObject.DialEventMessage);
}

TEST(RasDecisions, VanishedNamesIgnoreCaseAndKeepOrder) {
  EXPECT_EQ((std::vector<std::string>{"b", "d"}),
            VanishedNames({"b", "Home", "d", "x"}, {"X", "home"}));
  EXPECT_TRUE(VanishedNames({}, {"a"}).empty());
}

TEST(RasDecisions, BufferHasRoomForWhatWasReported) {
  EXPECT_EQ(1u, RecordsToAllocate(0, 0, 412));
  EXPECT_EQ(3u, RecordsToAllocate(3 * 412, 2, 412));
  EXPECT_EQ(2u, RecordsToAllocate(413, 0, 412));
  EXPECT_EQ(5u, RecordsToAllocate(412, 5, 412));
}
