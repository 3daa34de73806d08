#include "IniFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "Guard.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"
#include "TempDir.h"
#include "Timer.h"
#include "Window.h"

TEST(ParseInt32, AcceptsOnlyWholeDecimalIntegersInRange) {
  int v = 0;
  EXPECT_TRUE(ParseInt32("12", v));
  EXPECT_EQ(12, v);
  EXPECT_TRUE(ParseInt32("-7", v));
  EXPECT_EQ(-7, v);
  EXPECT_TRUE(ParseInt32("2147483647", v));
  EXPECT_EQ(2147483647, v);
  EXPECT_TRUE(ParseInt32("-2147483648", v));
  EXPECT_EQ(-2147483647 - 1, v);
  for (const char* bad : {"", "-", "12abc", "0x10", " 5", "5 ", "2147483648", "-2147483649",
                          "99999999999999999999", "1.5", "+"})
    EXPECT_FALSE(ParseInt32(bad, v)) << bad;
}

TEST(IniFile, IntegerThatIsNoNumberReadsAsDefault) {
  TempDir dir;
  IniFile ini(dir.File("Config.ini"));
  WriteFileBytes(ini.path(), "[S]\r\na=12abc\r\nb=0x10\r\nc=42\r\nd=99999999999\r\n");
  EXPECT_EQ(0, ini.ReadInteger("S", "a", 0));
  EXPECT_EQ(0, ini.ReadInteger("S", "b", 0));
  EXPECT_EQ(42, ini.ReadInteger("S", "c", 0));
  EXPECT_EQ(-1, ini.ReadInteger("S", "d", -1));
  EXPECT_EQ(3, ini.ReadInteger("S", "missing", 3));
}

TEST(IniFile, ValuesWithEdgeBlanksOrQuotesReadBackAsWritten) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  const std::string values[] = {" leading", "trailing ", "\"quoted\"", "'single'", "a\"b",
                                "\"open", "plain text", "x=y=z"};
  int n = 0;
  for (const std::string& v : values) ini.WriteString("S", std::to_string(++n), v);
  n = 0;
  for (const std::string& v : values) EXPECT_EQ(v, ini.ReadString("S", std::to_string(++n), "")) << v;
}

TEST(IniFile, LineBreaksCannotInjectKeys) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  ini.WriteString("S", "1", "title\r\n2=injected");
  EXPECT_EQ("", ini.ReadString("S", "2", ""));
  EXPECT_EQ("title  2=injected", ini.ReadString("S", "1", ""));
}

TEST(IniFile, LongValuesAreReadWhole) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  std::string longValue(5000, 'x');
  ini.WriteString("S", "1", longValue);
  EXPECT_EQ(longValue, ini.ReadString("S", "1", ""));
}

TEST(IniFile, SectionKeysAreListedOnceInFileOrder) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  WriteFileBytes(ini.path(), "[S]\r\n4=d\r\n1=a\r\nx=b\r\n1=dup\r\n");
  std::vector<std::string> expected = {"4", "1", "x"};
  EXPECT_EQ(expected, ini.ReadSectionKeys("S"));
  EXPECT_TRUE(ini.ReadSectionKeys("Missing").empty());
}

TEST(IniFile, ASectionReadsAsTheSystemReadsEachOfItsKeys) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  // Blanks, quotes, a repeated key, case twins (an umlaut's too) and lines that are no entry.
  WriteFileBytes(ini.path(), "[S]\r\n 4 = d \r\n1=a\r\nX=\"q \"\r\n1=dup\r\nK\xC4=u\r\nx=twin\r\n"
                             "k\xE4=twin\r\n2='s'\r\nnone\r\n3=\r\n5=a=b\r\n");
  std::vector<std::pair<std::string, std::string>> expected = {
      {"4", "d"}, {"1", "a"}, {"X", "q "}, {"K\xC4", "u"}, {"2", "s"}, {"3", ""}, {"5", "a=b"}};
  EXPECT_EQ(expected, ini.ReadSection("S"));
  for (const auto& entry : expected)
    EXPECT_EQ(ini.ReadString("S", entry.first, "?"), entry.second) << entry.first;
  // The numbered list among them: "1", "2", ... up to the first empty or missing value.
  EXPECT_EQ((std::vector<std::string>{"a", "s"}), NumberedItems(expected));
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}),
            NumberedItems({{"3", "c"}, {"01", "x"}, {"+2", "y"}, {"2", "b"}, {"1", "a"}}));
  EXPECT_TRUE(NumberedItems({{"2", "b"}, {"11", "k"}}).empty());
}

TEST(IniFile, RefusedWritesThrowAndNameTheFile) {
  TempDir dir;
  // A directory where the file should be: the system refuses every write.
  std::string path = dir.File("Config.ini");
  CreateDirectoryA(path.c_str(), nullptr);
  IniFile ini(path);
  try {
    ini.WriteString("S", "k", "v");
    FAIL() << "no error";
  } catch (const EIniWriteError& e) {
    EXPECT_EQ(path, e.path());
    EXPECT_EQ("nach " + path + " kann nicht geschrieben werden", std::string(e.what()));
  }
  EXPECT_THROW(ini.EraseSection("S"), EIniWriteError);
  EXPECT_THROW(ini.ReplaceSection("S", {{"1", "a"}}), EIniWriteError);
}

TEST(IniFile, ReplaceSectionKeepsOtherSectionsAndRemovesWhenEmpty) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  ini.WriteString("Other", "k", "v");
  ini.ReplaceSection("S", {{"1", "a"}, {"2", " b "}});
  EXPECT_EQ("a", ini.ReadString("S", "1", ""));
  EXPECT_EQ(" b ", ini.ReadString("S", "2", ""));
  ini.ReplaceSection("S", {{"1", "c"}});
  EXPECT_EQ("c", ini.ReadString("S", "1", ""));
  EXPECT_EQ("", ini.ReadString("S", "2", ""));
  ini.ReplaceSection("S", {});
  EXPECT_TRUE(ini.ReadSectionKeys("S").empty());
  EXPECT_EQ("v", ini.ReadString("Other", "k", ""));
}

// A file that another program holds with no sharing is waited for a bounded time, then told
// apart from a missing or empty one; one let go within the wait is read and written as usual.
TEST(IniFile, AHeldFileIsWaitedForThenReportedUnreadableNotEmpty) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  WriteFileBytes(ini.path(), "[S]\r\n1=a\r\n");
  IniFile::Entries entries;
  std::string value;
  EXPECT_TRUE(IniFile(dir.File("missing.ini")).TryReadSection("S", entries, 0));
  EXPECT_TRUE(entries.empty()) << "a missing file is simply empty";
  {
    HeldFile held(ini.path());
    ASSERT_TRUE(held.Held());
    EXPECT_FALSE(ini.Readable(0));
    EXPECT_FALSE(ini.TryReadSection("S", entries, 0));
    EXPECT_FALSE(ini.TryReadString("S", "1", "def", value, 0));
    EXPECT_EQ("def", value);
    EXPECT_THROW(ini.WriteString("S", "2", "b"), EIniWriteError);
  }
  EXPECT_EQ("[S]\r\n1=a\r\n", ReadFileBytes(ini.path()));
  {
    HeldFile held(ini.path(), 300);
    EXPECT_TRUE(ini.TryReadSection("S", entries));
    EXPECT_EQ((IniFile::Entries{{"1", "a"}}), entries);
  }
  {
    HeldFile held(ini.path(), 300);
    ini.WriteString("S", "2", "b");
  }
  EXPECT_EQ("b", ini.ReadString("S", "2", ""));
}

// Several keys set in one write, which a lock taken right after it cannot split: the other
// lines stay as they stand, and the section can be put back as it was.
TEST(IniFile, SeveralKeysAreWrittenAsOneAndCanBePutBack) {
  TempDir dir;
  IniFile ini(dir.File("Config.ini"));
  const std::string stored =
      "[Configuration]\r\nMaster=1011\r\nkeep=\" spaced \"\r\nmasterCheck=5\r\nMASTER=99\r\n"
      "[Other]\r\nk=v\r\n";
  WriteFileBytes(ini.path(), stored);
  std::string previous;
  {
    LockAfterWrite scanner(ini.path());
    ini.WriteKeys("Configuration", {{"Master", "1213"}, {"MasterCheck", "25"}, {"New", " x"}},
                  &previous);
    EXPECT_TRUE(scanner.Taken());
  }
  EXPECT_EQ("1213", ini.ReadString("Configuration", "Master", ""));
  EXPECT_EQ("25", ini.ReadString("Configuration", "MasterCheck", ""));
  EXPECT_EQ(" spaced ", ini.ReadString("Configuration", "keep", ""));
  EXPECT_EQ(" x", ini.ReadString("Configuration", "New", ""));
  EXPECT_EQ("v", ini.ReadString("Other", "k", ""));
  EXPECT_EQ((std::vector<std::string>{"Master", "keep", "MasterCheck", "New"}),
            ini.ReadSectionKeys("Configuration"));

  ini.PutBackSection("Configuration", previous);
  EXPECT_EQ("1011", ini.ReadString("Configuration", "Master", ""));
  EXPECT_EQ("5", ini.ReadString("Configuration", "MasterCheck", ""));
  EXPECT_EQ(" spaced ", ini.ReadString("Configuration", "keep", ""));
  EXPECT_EQ("", ini.ReadString("Configuration", "New", ""));

  // Held through the wait: refused, and nothing written.
  std::string before = ReadFileBytes(ini.path());
  {
    HeldFile held(ini.path());
    EXPECT_THROW(ini.WriteKeys("Configuration", {{"Master", "10"}}), EIniWriteError);
  }
  EXPECT_EQ(before, ReadFileBytes(ini.path()));
}

// One read with content and then moved away, emptied or replaced by a folder (a restore or
// sync program at work) is held for a bounded time: not read as empty, not written; put back
// within a read's wait it is read. Past the bound it is what it is.
TEST(IniFile, AFileGoneOrEmptiedForAMomentIsHeldUntilTheBound) {
  TempDir dir;
  IniFile ini(dir.File("User.ini"));
  std::string moved = dir.File("moved.ini");
  WriteFileBytes(ini.path(), "[S]\r\n1=a\r\n");
  IniFile::Entries entries;
  ASSERT_TRUE(ini.TryReadSection("S", entries, 0));
  ASSERT_TRUE(MoveFileA(ini.path().c_str(), moved.c_str()));
  EXPECT_FALSE(ini.TryReadSection("S", entries, 0));
  EXPECT_THROW(ini.WriteString("S", "2", "b"), EIniWriteError);
  EXPECT_FALSE(FileExists(ini.path()));
  std::thread back([&] {
    Sleep(300);
    MoveFileA(moved.c_str(), ini.path().c_str());
  });
  EXPECT_TRUE(ini.TryReadSection("S", entries));
  back.join();
  EXPECT_EQ((IniFile::Entries{{"1", "a"}}), entries);
  WriteFileBytes(ini.path(), "");
  EXPECT_FALSE(ini.Readable(0));
  DeleteFileA(ini.path().c_str());
  CreateDirectoryA(ini.path().c_str(), nullptr);
  EXPECT_FALSE(ini.Readable(0));
  SetIniGoneBoundForTests(300);
  Sleep(350);
  EXPECT_TRUE(ini.TryReadSection("S", entries, 0));
  EXPECT_TRUE(entries.empty());
  RemoveDirectoryA(ini.path().c_str());
  SetIniGoneBoundForTests(kIniGoneBoundMs);
  // One this program emptied itself leaves nothing to wait for.
  ini.WriteString("S", "1", "a");
  ini.EraseSection("S");
  EXPECT_TRUE(ini.Readable(0));
}

namespace {
// A window whose handler fails the way a settings write does.
class FailingWindow : public Window {
 public:
  static constexpr UINT kFail = WM_APP + 7;
  explicit FailingWindow(std::string path) : path_(std::move(path)) {
    CreateArgs a;
    a.className = "WpFailingWindow";
    a.style = WS_OVERLAPPED;
    Create(a);
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == kFail) throw EIniWriteError(path_);
    return Window::HandleMessage(msg, wp, lp);
  }

 private:
  std::string path_;
};
}  // namespace

TEST(IniFile, WriteErrorStopsAtTheCallbackBoundaryAndReachesAMessageBox) {
  LanguageOffset = 0;
  MessageBoxWatcher boxes;
  FailingWindow w("C:\\Programme\\Wachtposten\\Config.ini");
  ASSERT_NE(nullptr, w.hwnd());
  EXPECT_EQ(0, SendMessageA(w.hwnd(), FailingWindow::kFail, 0, 0));
  ASSERT_TRUE(boxes.WaitForCount(1, 5000));
  EXPECT_EQ("nach C:\\Programme\\Wachtposten\\Config.ini kann nicht geschrieben werden",
            boxes.Texts()[0]);
  EXPECT_TRUE(IsWindow(w.hwnd()));

  // A timer's callback: anything else thrown there is shown too, and the loop goes on.
  Timer t(10, true);
  int ticks = 0;
  t.OnTimer = [&] {
    ++ticks;
    t.SetEnabled(false);
    throw 42;
  };
  DWORD until = GetTickCount() + 5000;
  MSG msg;
  while (boxes.Texts().size() < 2 && GetTickCount() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
  ASSERT_EQ(2u, boxes.Texts().size());
  EXPECT_EQ(Text(kUnexpectedErrorText), boxes.Texts()[1]);
  EXPECT_EQ(1, ticks);
}
