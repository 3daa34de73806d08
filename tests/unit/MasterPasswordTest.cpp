#include "MasterPassword.h"

#include <gtest/gtest.h>

#include "AppPaths.h"
#include "IniFile.h"
#include "MessageBoxWatcher.h"
#include "Password.h"
#include "PasswordDialogUser.h"
#include "Strings.h"
#include "TempDir.h"

namespace {
struct MasterPasswordTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
    MasterAccessGranted = 0;
    MasterCloseAllowed = 0;
  }
  void TearDown() override {
    SetProgramDirForTests("");
    LanguageOffset = 0;
  }
  void Define(const std::string& password) {
    cPassword codec;
    codec.SaveMaster(password);
    codec.SaveMasterCheck(password);
  }
  std::string Stored(const char* key) {
    char buf[512];
    GetPrivateProfileStringA("Configuration", key, "<none>", buf, sizeof buf,
                             dir.File("Config.ini").c_str());
    return buf;
  }
  // Shows one dialog, played by `steps`; returns what the user saw.
  DialogSeen Show(const std::vector<DialogStep>& steps) {
    PasswordDialogUser user(steps);
    TFMasterPassword dialog;
    dialog.RunModal(nullptr);
    return user.Seen();
  }
};
}  // namespace

TEST_F(MasterPasswordTest, DefineModeInGerman) {
  MessageBoxWatcher boxes;
  DialogSeen seen = Show({{"", Answer::Button}, {"Geheim 1", Answer::Button}});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("ACHTUNG - Master Passwort - ACHTUNG", seen.caption);
  EXPECT_EQ("&\xDC" "bernehmen", seen.button);
  EXPECT_EQ("Achtung, dieses Passwort kann nachtr\xE4glich nicht mehr ge\xE4ndert werden.",
            seen.label1);
  EXPECT_TRUE(seen.label1Visible);
  EXPECT_TRUE(seen.label2Visible);
  EXPECT_FALSE(seen.label3Visible);
  EXPECT_EQ(363, seen.client.right);
  EXPECT_EQ(134, seen.client.bottom);
  // The empty password is refused and the dialog stays; the next one is stored.
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  EXPECT_EQ(std::vector<std::string>{"Sie m\xFCssen das Master-Passwort definieren!"}, boxes.Texts());
  EXPECT_EQ(1, MasterAccessGranted);
  EXPECT_EQ(1, MasterCloseAllowed);
  // G 42, e 14, h 17, e 14, i 18, m 22, blank 72, 1 63.
  EXPECT_EQ("4214171418227263", Stored("Master"));
  EXPECT_EQ("262", Stored("MasterCheck"));
}

TEST_F(MasterPasswordTest, DefineModeRefusesPasswordsItCouldNeverVerify) {
  LanguageOffset = kEnglishOffset;
  MessageBoxWatcher boxes;
  DialogSeen seen = Show({{"ab#c", Answer::Button},
                          {std::string(64, 'x'), Answer::Button},
                          {"caf\xE9", Answer::Button},
                          {std::string(63, 'x'), Answer::Enter}});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("ATTENTION - master password - ATTENTION", seen.caption);
  EXPECT_EQ("&Accept", seen.button);
  EXPECT_EQ((std::vector<bool>{true, true, true, false}), seen.openAfterStep);
  std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ(0u, texts[0].find("The character \"#\" is not allowed in the master password.")) << texts[0];
  EXPECT_EQ("The master password may have at most 63 characters. The password was not saved.",
            texts[1]);
  EXPECT_EQ(0u, texts[2].find("The character \"\xE9\" is not allowed")) << texts[2];
  EXPECT_EQ(1, MasterAccessGranted);
  EXPECT_EQ(std::string(126, '3'), Stored("Master"));  // x is 33
  cPassword codec;
  EXPECT_TRUE(codec.LoadMaster(std::string(63, 'x')));
}

TEST_F(MasterPasswordTest, RefusedPasswordWritesNothing) {
  MessageBoxWatcher boxes;
  DialogSeen seen = Show({{"x<y", Answer::Button}, {"", Answer::Escape}});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  ASSERT_EQ(1u, boxes.Texts().size());
  EXPECT_EQ(0u, boxes.Texts()[0].find("Das Zeichen \"<\" ist im Master-Passwort nicht erlaubt."));
  EXPECT_FALSE(FileExists(dir.File("Config.ini")));
  EXPECT_EQ(0, MasterAccessGranted);
}

TEST_F(MasterPasswordTest, CharactersTheCodePageLacksAreNeverTakenForQuestionMarks) {
  const std::wstring russian = L"\u043F\u0430\u0440\u043E\u043B\u044C";
  MessageBoxWatcher boxes;
  DialogSeen seen = Show({{"", Answer::Button, russian}, {"", Answer::Escape}});
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  ASSERT_EQ(1u, boxes.Texts().size());
  EXPECT_EQ(0u, boxes.Texts()[0].find("Das Zeichen \"")) << boxes.Texts()[0];
  EXPECT_FALSE(FileExists(dir.File("Config.ini")));
  EXPECT_EQ(0, MasterAccessGranted);

  // Stored question marks are not matched by any such characters.
  Define("??????");
  Show({{"", Answer::Button, russian}});
  EXPECT_EQ(0, MasterAccessGranted);
  EXPECT_EQ("Passwort ung\xFCltig!", boxes.Texts().back());
  Show({{"??????", Answer::Button}});
  EXPECT_EQ(1, MasterAccessGranted);
}

TEST_F(MasterPasswordTest, AskModeInGerman) {
  Define("Geheim 1");
  MessageBoxWatcher boxes;
  DialogSeen seen = Show({{"", Answer::Button}, {"geheim 1", Answer::Button}});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("Master Passwort", seen.caption);
  EXPECT_EQ("&OK", seen.button);
  EXPECT_EQ("Bitte geben Sie das Master Passwort ein, um die Konfiguration zu \xE4ndern!",
            seen.label3);
  EXPECT_FALSE(seen.label1Visible);
  EXPECT_FALSE(seen.label2Visible);
  EXPECT_TRUE(seen.label3Visible);
  // Empty: stays open; wrong: closes after its message, without access.
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  EXPECT_EQ(std::vector<std::string>(2, "Passwort ung\xFCltig!"), boxes.Texts());
  EXPECT_EQ(0, MasterAccessGranted);

  seen = Show({{"Geheim 1", Answer::Enter}});
  EXPECT_EQ(1, MasterAccessGranted);
  EXPECT_EQ(2u, boxes.Texts().size());
  EXPECT_EQ("4214171418227263", Stored("Master")) << "asking never rewrites the password";
}

TEST_F(MasterPasswordTest, AskModeInEnglish) {
  Define("Geheim 1");
  LanguageOffset = kEnglishOffset;
  MessageBoxWatcher boxes;
  DialogSeen seen = Show({{"Geheim", Answer::Button}});
  EXPECT_EQ("Master password", seen.caption);
  EXPECT_EQ("&OK", seen.button);
  EXPECT_EQ("Enter the master password to change the configuration.", seen.label3);
  EXPECT_EQ(std::vector<std::string>{"Wrong password!"}, boxes.Texts());
  EXPECT_EQ(0, MasterAccessGranted);
  Show({{"Geheim 1", Answer::Button}});
  EXPECT_EQ(1, MasterAccessGranted);
}

TEST_F(MasterPasswordTest, TheCloseBoxWorksOnlyAfterAButtonOrEscClosedADialog) {
  Define("pw");
  DialogSeen seen = Show({{"pw", Answer::CloseBox}, {"pw", Answer::Escape}});
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  EXPECT_EQ(0, MasterAccessGranted) << "Esc grants nothing, whatever was typed";
  seen = Show({{"pw", Answer::CloseBox}});
  EXPECT_EQ((std::vector<bool>{false}), seen.openAfterStep);
  EXPECT_EQ(0, MasterAccessGranted);
}

TEST_F(MasterPasswordTest, AConfigIniThatCannotBeReadOrWrittenGrantsNothingAndKeepsThePassword) {
  Define("Geheim 1");
  MessageBoxWatcher boxes;
  {
    // Held by another program it reads as no password: the dialog would offer a new one.
    HeldFile held(dir.File("Config.ini"));
    ASSERT_TRUE(held.Held());
    DialogSeen seen = Show({{"Neu", Answer::Button}});
    EXPECT_FALSE(seen.found);
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(0u, boxes.Texts()[0].find("Das Master-Passwort kann zur Zeit nicht gepr\xFC" "ft werden"))
        << boxes.Texts()[0];
    EXPECT_EQ(0, MasterAccessGranted);
  }
  EXPECT_EQ("4214171418227263", Stored("Master"));

  // A new password that could not be stored is not defined and grants nothing. (The folder
  // counts at once as what it is, not as the file on its way back.)
  SetIniGoneBoundForTests(0);
  ASSERT_TRUE(DeleteFileA(dir.File("Config.ini").c_str()));
  ASSERT_TRUE(CreateDirectoryA(dir.File("Config.ini").c_str(), nullptr));
  DialogSeen seen = Show({{"Geheim 2", Answer::Button}, {"", Answer::Escape}});
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  EXPECT_EQ("MasterPasswort konnte nicht geschrieben werden!", boxes.Texts().back());
  EXPECT_EQ(0, MasterAccessGranted);
  RemoveDirectoryA(dir.File("Config.ini").c_str());
  SetIniGoneBoundForTests(kIniGoneBoundMs);

  // A scanner that takes the file right after a write cannot leave Master without its sum.
  std::size_t shown = boxes.Texts().size();
  {
    LockAfterWrite scanner(dir.File("Config.ini"));
    seen = Show({{"geheim", Answer::Button}});
    EXPECT_TRUE(scanner.Taken());
  }
  EXPECT_EQ((std::vector<bool>{false}), seen.openAfterStep);
  EXPECT_EQ(1, MasterAccessGranted);
  EXPECT_EQ(shown, boxes.Texts().size());
  EXPECT_EQ("161417141822", Stored("Master"));
  EXPECT_EQ("101", Stored("MasterCheck"));
  EXPECT_TRUE(cPassword().LoadMaster("geheim"));
}
