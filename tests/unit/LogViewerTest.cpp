#include "LogViewer.h"

#include <gtest/gtest.h>

#include "AppPaths.h"
#include "MessageBoxWatcher.h"
#include "LogViewerReader.h"
#include "Strings.h"
#include "TempDir.h"

namespace {
struct LogViewerTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
  }
  void TearDown() override {
    SetProgramDirForTests("");
    LanguageOffset = 0;
  }
  LogSeen Show(const std::string& kind) {
    LogSeen seen;
    std::thread reader = ReadLogViewer(&seen);
    TFLog log(kind);
    log.RunModal(nullptr);
    reader.join();
    return seen;
  }
};
}  // namespace

TEST(LogLines, EveryLineWholeWithoutItsLineEnd) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Lines{}, LogLines(""));
  EXPECT_EQ(Lines{""}, LogLines("\r\n"));
  EXPECT_EQ((Lines{"a", "", "b", "last"}), LogLines("a\r\n\r\nb\nlast"));
  // Lines longer than any buffer stay one item, and a line that would just fill one gains no
  // empty item behind it.
  std::string longLine(300, 'x'), fullLine(255, 'y');
  EXPECT_EQ((Lines{longLine, fullLine, "z"}), LogLines(longLine + "\r\n" + fullLine + "\r\nz\r\n"));
  // Nothing after a NUL byte or a Ctrl-Z is lost.
  EXPECT_EQ((Lines{"a b", "c\x1A" "d"}), LogLines(std::string("a\0b\r\nc\x1A" "d", 8)));
}

TEST_F(LogViewerTest, EachKindShowsItsLogLineByLine) {
  EXPECT_EQ(dir.File("Wachtposten.log"), LogPathForKind("Popup"));
  EXPECT_EQ(dir.File("Connection.log"), LogPathForKind("Connection"));
  EXPECT_EQ("", LogPathForKind("popup"));

  std::string longTitle(280, 'W');
  WriteFileBytes(dir.File("Wachtposten.log"),
                 "01.02.2026 10:00:00 - Gewinnspiel\r\n01.02.2026 10:00:01 - " + longTitle +
                     "\r\n\r\n01.02.2026 10:00:02 - ohne Zeilenende");
  WriteFileBytes(dir.File("Connection.log"),
                 "DATUM - ZEIT - BENUTZER - VERBINDUNGSNAME\r\n\r\n"
                 "01.02.2026 10:00:00     -     anna     -     Arcor\r\n");
  MessageBoxWatcher boxes;

  LogSeen seen = Show("Popup");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("Logdatei", seen.caption);
  EXPECT_EQ(695, seen.client.right);
  EXPECT_EQ(484, seen.client.bottom);
  EXPECT_EQ((std::vector<std::string>{"01.02.2026 10:00:00 - Gewinnspiel",
                                      "01.02.2026 10:00:01 - " + longTitle, "",
                                      "01.02.2026 10:00:02 - ohne Zeilenende"}),
            seen.items);
  EXPECT_GT(seen.horizontalExtent, 681) << "the long line can be scrolled to";

  LanguageOffset = kEnglishOffset;
  seen = Show("Connection");
  EXPECT_EQ("Logfile", seen.caption);
  EXPECT_EQ((std::vector<std::string>{"DATUM - ZEIT - BENUTZER - VERBINDUNGSNAME", "",
                                      "01.02.2026 10:00:00     -     anna     -     Arcor"}),
            seen.items);
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(LogViewerTest, MissingUnreadableAndUnknownLogsGiveAnEmptyViewer) {
  MessageBoxWatcher boxes;
  // Another letter case is another kind: nothing is read and nothing said.
  WriteFileBytes(dir.File("Wachtposten.log"), "01.02.2026 10:00:00 - Gewinnspiel\r\n");
  EXPECT_TRUE(TFLog("popup").Lines().empty());
  EXPECT_TRUE(boxes.Texts().empty());

  LogSeen seen = Show("Connection");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("Logdatei", seen.caption);
  EXPECT_TRUE(seen.items.empty());

  // A folder in the log's place exists but cannot be read.
  ASSERT_TRUE(CreateDirectoryA(dir.File("Connection.log").c_str(), nullptr));
  EXPECT_TRUE(TFLog("Connection").Lines().empty());
  RemoveDirectoryA(dir.File("Connection.log").c_str());

  EXPECT_EQ((std::vector<std::string>{"Keine Logdatei vorhanden.",
                                      "Die Logdatei konnte nicht gelesen werden."}),
            boxes.Texts());
}
