#include "LogViewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "AppPaths.h"
#include "DialogUser.h"
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
  // Read in pieces, wherever they part (between CR and LF too), the lines are the same.
  const std::string bytes = "a\r\n\r\nbc\nlast";
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    LogText text;
    text.Append(bytes.data(), cut);
    text.Append(bytes.data() + cut, bytes.size() - cut);
    text.Finish();
    Lines got;
    for (std::size_t i = 0; i < text.Count(); ++i) got.push_back(text.Line(i));
    EXPECT_EQ((Lines{"a", "", "bc", "last"}), got) << cut;
  }
}

TEST(LogReader, ReadsWhatTheLogHeldWhenOpenedAndTheLineThenBeingWritten) {
  TempDir dir;
  std::string path = dir.File("Wachtposten.log");
  WriteFileBytes(path, "a\r\nb");
  LogReader reader;
  ASSERT_EQ(LogRead::Read, reader.Open(path));
  ASSERT_TRUE(WriteFileBytes(path, "a\r\nbc\r\nlater\r\n"));
  LogText text;
  while (reader.ReadSome(text, 2) == LogReader::Step::More) {
  }
  EXPECT_TRUE(reader.Done());
  ASSERT_EQ(2u, text.Count());
  EXPECT_EQ("a", text.Line(0));
  EXPECT_EQ("bc", text.Line(1));
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

TEST_F(LogViewerTest, BigLogShowsEveryLineAndNothingAppendedHalf) {
  // More lines than 16 bits count, more bytes than the viewer reads before it opens.
  constexpr int kLines = 70000, kLong = 40000;
  auto lineText = [](int i) { return "01.02.2026 10:00:00 - Fenster " + std::to_string(i); };
  const std::string longLine = "01.02.2026 10:00:00 -\t" + std::string(300, 'W');
  std::string log;
  for (int i = 0; i < kLines; ++i) log += (i == kLong ? longLine : lineText(i)) + "\r\n";
  ASSERT_TRUE(WriteFileBytes(dir.File("Wachtposten.log"), log));

  // Another writer appends whole lines all the while, as the pop-up scan does.
  std::atomic<bool> open{true};
  std::atomic<int> appended{0};
  std::thread writer([&] {
    HANDLE file = CreateFileA(dir.File("Wachtposten.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    for (int i = 0; open && file != INVALID_HANDLE_VALUE; ++i) {
      std::string line = "angeh\xE4ngt " + std::to_string(i) + "\r\n";
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      appended = i + 1;
      Sleep(1);
    }
    CloseHandle(file);
  });

  int firstCount = 0, count = 0, lastTop = 0, extent = 0;
  std::vector<std::string> seen;
  std::thread reader([&] {
    HWND dlg = WaitForDialogWith(IDC_LOG_LISTBOX1, 10000);
    HWND list = GetDlgItem(dlg, IDC_LOG_LISTBOX1);
    auto item = [&](int i) {
      LRESULT size = SendMessageA(list, LB_GETTEXTLEN, i, 0);
      std::string s(static_cast<std::size_t>(std::max<LRESULT>(0, size)) + 1, '\0');
      size = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&s[0]));
      s.resize(static_cast<std::size_t>(std::max<LRESULT>(0, size)));
      return s;
    };
    firstCount = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    // Read to its end once the count stands still.
    for (int last = -1; count != last;) {
      last = count;
      Sleep(500);
      count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    }
    for (int i : {0, kLong - 1, kLong, kLines - 1}) seen.push_back(item(i));
    for (int i = kLines; i < count; ++i) seen.push_back(item(i));
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
    lastTop = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    extent = static_cast<int>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
    Click(dlg, IDB_LOG_BUTTON1);
  });
  for (DWORD start = GetTickCount(); appended < 10 && GetTickCount() - start < 10000;) Sleep(1);
  TFLog("Popup").RunModal(nullptr);
  reader.join();
  open = false;
  writer.join();

  EXPECT_GT(firstCount, 0) << "the first lines show at once";
  ASSERT_GE(count, kLines + 10);
  ASSERT_EQ(static_cast<std::size_t>(count - kLines + 4), seen.size());
  EXPECT_EQ(lineText(0), seen[0]);
  EXPECT_EQ(lineText(kLong - 1), seen[1]);
  EXPECT_EQ(longLine, seen[2]);
  EXPECT_EQ(lineText(kLines - 1), seen[3]);
  // What was appended while the viewer read is shown whole, in order, or not at all.
  for (int i = kLines; i < count; ++i)
    EXPECT_EQ("angeh\xE4ngt " + std::to_string(i - kLines),
              seen[static_cast<std::size_t>(i - kLines + 4)]);
  EXPECT_GT(lastTop, 65535) << "the last lines can be scrolled to";
  EXPECT_GT(extent, 300 * 5) << "the long line can be scrolled along";
}
