#include "Password.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "AppPaths.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"
#include "TempDir.h"

namespace {
const char kInvalid[] = "Ung\xFCltiges Zeichen!";

struct PasswordTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
  }
  void TearDown() override { SetProgramDirForTests(""); }
  std::string Stored(const char* key) {
    char buf[512];
    GetPrivateProfileStringA("Configuration", key, "<none>", buf, sizeof buf,
                             dir.File("Config.ini").c_str());
    return buf;
  }
  void Store(const char* key, const char* value) {
    WritePrivateProfileStringA("Configuration", key, value, dir.File("Config.ini").c_str());
  }
};
}  // namespace

TEST(PasswordTable, MapsTheNinetyCharactersOneToOneOntoTenToNinetyNine) {
  std::set<char> seen;
  for (int code = kFirstPasswordCode; code <= kLastPasswordCode; ++code) {
    char c = 0;
    ASSERT_TRUE(PasswordCharOf(code, c)) << code;
    EXPECT_TRUE(seen.insert(c).second) << "twice: " << c;
    EXPECT_EQ(code, PasswordCodeOf(c));
  }
  EXPECT_EQ(90u, seen.size());
  char c;
  EXPECT_FALSE(PasswordCharOf(9, c));
  EXPECT_FALSE(PasswordCharOf(100, c));
  EXPECT_FALSE(PasswordCharOf(kFallbackPasswordCode, c));
  // Outside the alphabet: among them the zero byte, which must not match the text's end.
  for (char out : {'#', '\'', '<', '>', '[', ']', '\\', '^', '{', '}', '~', '\t', '`',
                   '\0', '\xE9', '\xC9', '\x80'})
    EXPECT_EQ(-1, PasswordCodeOf(out)) << static_cast<int>(out);
}

TEST(PasswordTable, HandWorkedCodes) {
  // a = 10 ... z = 35, A = 36 ... Z = 61, 0 = 62 ... 9 = 71, blank 72, then the signs
  // ! " $ % & ( ) * + , - . / : ; = ? _ @ | as 73..92, and Ä Ö Ü ß ä ö ü as 93..99.
  struct Vector {
    char c;
    int code;
  } vectors[] = {{'a', 10}, {'z', 35}, {'A', 36}, {'H', 43}, {'Z', 61}, {'0', 62}, {'9', 71},
                 {' ', 72}, {'!', 73}, {'"', 74}, {'&', 77}, {'/', 85}, {'=', 88}, {'_', 90},
                 {'@', 91}, {'|', 92}, {'\xC4', 93}, {'\xDF', 96}, {'\xFC', 99}};
  for (const Vector& v : vectors) EXPECT_EQ(v.code, PasswordCodeOf(v.c)) << v.c;
}

TEST(PasswordTable, ANewPasswordMustBeStorableAndVerifiable) {
  EXPECT_EQ(PasswordProblem::None, CheckNewPassword(L"Hallo Welt!").problem);
  EXPECT_EQ(PasswordProblem::None, CheckNewPassword(L"\u00C4rger \u00DF").problem);
  EXPECT_EQ(PasswordProblem::None, CheckNewPassword(std::wstring(63, L'x')).problem);
  EXPECT_EQ(PasswordProblem::TooLong, CheckNewPassword(std::wstring(64, L'x')).problem);
  PasswordCheck bad = CheckNewPassword(L"ab#c~");
  EXPECT_EQ(PasswordProblem::BadCharacter, bad.problem);
  EXPECT_EQ(L"#", bad.badCharacter);
  // A bad character is named even in a password that is also too long.
  EXPECT_EQ(PasswordProblem::BadCharacter, CheckNewPassword(std::wstring(70, L'x') + L"\u00E9").problem);
  EXPECT_EQ(PasswordProblem::BadCharacter, CheckNewPassword(L"tab\there").problem);
  // Characters the code page lacks, which it would turn into the allowed "?", are named as
  // typed; one beyond the basic plane whole.
  EXPECT_EQ(L"\u043F", CheckNewPassword(L"\u043F\u0430\u0440\u043E\u043B\u044C").badCharacter);
  EXPECT_EQ(L"\u2248", CheckNewPassword(L"a\u2248b").badCharacter) << "no best fit";
  EXPECT_EQ(L"\U0001F600", CheckNewPassword(L"ab\U0001F600").badCharacter);

  std::string bytes;
  EXPECT_TRUE(PasswordBytes(L"\u00C4r?", bytes));
  EXPECT_EQ("\xC4r?", bytes);
  EXPECT_FALSE(PasswordBytes(L"\u043F\u0430", bytes));
}

TEST_F(PasswordTest, StoresTwoDigitsPerCharacterAndTheirSum) {
  struct Vector {
    const char* password;
    const char* master;
    const char* check;
  } vectors[] = {
      {"a", "10", "10"},
      {"Zz9", "613571", "167"},
      {"Hallo Welt!", "4310212124725814212973", "386"},
      {"\xC4rger_\xDF@|", "932716142790969192", "546"},
  };
  cPassword codec;
  for (const Vector& v : vectors) {
    EXPECT_EQ(v.master, codec.SaveMaster(v.password));
    EXPECT_EQ(std::stoi(v.check), codec.SaveMasterCheck(v.password));
    EXPECT_EQ(v.master, Stored("Master"));
    EXPECT_EQ(v.check, Stored("MasterCheck"));
    EXPECT_TRUE(codec.LoadMaster(v.password)) << v.password;
  }
}

TEST_F(PasswordTest, VerifiesExactlyTheStoredText) {
  cPassword codec;
  codec.SaveMaster("Hallo Welt!");
  codec.SaveMasterCheck("Hallo Welt!");
  EXPECT_TRUE(codec.LoadMaster("Hallo Welt!"));
  EXPECT_FALSE(codec.LoadMaster("hallo welt!"));
  EXPECT_FALSE(codec.LoadMaster("Hallo Welt"));
  EXPECT_FALSE(codec.LoadMaster("Hallo Welt! "));
  EXPECT_FALSE(codec.LoadMaster(""));
  EXPECT_EQ("386", Stored("MasterCheck"));

  std::string longest;
  for (int i = 0; i < kMaxPasswordChars; ++i) longest += kPasswordAlphabet[(i * 7) % 90];
  codec.SaveMaster(longest);
  codec.SaveMasterCheck(longest);
  EXPECT_EQ(126u, Stored("Master").size());
  EXPECT_TRUE(codec.LoadMaster(longest));
}

// A check never writes: a sum that does not match fails every check until the pair is stored
// again; a Master without its sum (a pair stored half) grants nothing either.
TEST_F(PasswordTest, AHandEditedOrMissingCheckFailsEveryTimeAndIsNotRewritten) {
  cPassword codec;
  codec.SaveMasterAndCheck("Zz9");
  EXPECT_EQ("613571", Stored("Master"));
  EXPECT_EQ("167", Stored("MasterCheck"));
  Store("MasterCheck", "168");
  EXPECT_FALSE(codec.LoadMaster("Zz9"));
  EXPECT_FALSE(codec.LoadMaster("Zz9"));
  EXPECT_EQ("168", Stored("MasterCheck"));
  Store("MasterCheck", nullptr);
  EXPECT_FALSE(codec.LoadMaster("Zz9"));
  EXPECT_EQ("<none>", Stored("MasterCheck"));
  codec.SaveMasterAndCheck("Zz9");
  EXPECT_TRUE(codec.LoadMaster("Zz9"));
  EXPECT_TRUE(codec.Written());
}

TEST_F(PasswordTest, AMereCheckWritesNothing) {
  cPassword codec;
  codec.SaveMaster("Zz9");
  codec.SaveMasterCheck("Zz9");
  std::string before = ReadFileBytes(dir.File("Config.ini"));
  // Held open by another program that allows no writing: the system refuses every write.
  HANDLE held = CreateFileA(dir.File("Config.ini").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  MessageBoxWatcher boxes;
  EXPECT_TRUE(codec.LoadMaster("Zz9"));
  EXPECT_FALSE(codec.LoadMaster("zz9"));
  EXPECT_TRUE(boxes.Texts().empty()) << "no write error for a Config.ini that cannot be written";
  CloseHandle(held);
  EXPECT_EQ(before, ReadFileBytes(dir.File("Config.ini")));
}

TEST_F(PasswordTest, NothingStoredVerifiesNothing) {
  cPassword codec;
  EXPECT_FALSE(codec.LoadMaster("x"));
  EXPECT_EQ("<none>", Stored("MasterCheck"));
  EXPECT_EQ(0, codec.SaveMasterCheck(""));
  EXPECT_EQ("0", Stored("MasterCheck"));
}

TEST_F(PasswordTest, CharactersOutsideTheAlphabetAreReportedEachTime) {
  MessageBoxWatcher boxes;
  cPassword codec;
  // a 10, # the fall-back 0, b 11.
  EXPECT_EQ("10011", codec.SaveMaster("a#b"));
  ASSERT_TRUE(boxes.WaitForCount(1, 5000));
  EXPECT_EQ(21, codec.SaveMasterCheck("a#b"));
  EXPECT_EQ(21, codec.SaveMasterCheck("a#b~"));  // two more messages
  ASSERT_TRUE(boxes.WaitForCount(4, 5000));
  EXPECT_EQ(std::vector<std::string>(4, kInvalid), boxes.Texts());
}

TEST_F(PasswordTest, StoredPairsThatAreNoCodesAddNothing) {
  MessageBoxWatcher boxes;
  cPassword codec;
  // "05" begins with 0, "xy" holds no digits, and a single digit is left at the end.
  Store("Master", "1005xy111");
  Store("MasterCheck", "21");
  EXPECT_TRUE(codec.LoadMaster("ab"));
  EXPECT_EQ(3u, boxes.Texts().size());
  for (const std::string& t : boxes.Texts()) EXPECT_EQ(kInvalid, t);
  EXPECT_EQ("a", codec.DecodeChar("10"));
  EXPECT_EQ(3u, boxes.Texts().size());
}

TEST_F(PasswordTest, ARefusedWriteIsReportedAndTheCodesStillReturned) {
  // A directory in the place of Config.ini makes every write fail.
  ASSERT_TRUE(CreateDirectoryA(dir.File("Config.ini").c_str(), nullptr));
  MessageBoxWatcher boxes;
  cPassword codec;
  EXPECT_EQ("613571", codec.SaveMaster("Zz9"));
  EXPECT_EQ(167, codec.SaveMasterCheck("Zz9"));
  EXPECT_EQ(std::vector<std::string>(2, "MasterPasswort konnte nicht geschrieben werden!"),
            boxes.Texts());
  LanguageOffset = kEnglishOffset;
  codec.SaveMaster("a");
  ASSERT_EQ(3u, boxes.Texts().size());
  EXPECT_EQ("Couln't write the master password!", boxes.Texts()[2]);
}
