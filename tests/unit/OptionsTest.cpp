#include "Options.h"

#include <gtest/gtest.h>

#include "AppPaths.h"
#include "ConfigIni.h"
#include "MainWindow.h"
#include "MasterPassword.h"
#include "MessageBoxWatcher.h"
#include "DialogUser.h"
#include "LogViewerReader.h"
#include "Password.h"
#include "PasswordDialogUser.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"
#include "UserIni.h"

namespace {
constexpr DWORD kFindOptionsMs = 10000;

bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
void Toggle(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
HWND List(HWND dlg) { return GetDlgItem(dlg, IDC_OPT_LISTBOX1); }

// A click on one arrow of the up-down control, as the mouse gives it.
void Arrow(HWND dlg, bool up) {
  HWND updown = GetDlgItem(dlg, IDC_OPT_UPDOWN1);
  RECT r;
  GetClientRect(updown, &r);
  LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
  SendMessageA(updown, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(updown, WM_LBUTTONUP, 0, at);
}

template <class Char>
void AddWord(HWND dlg, const Char* typed) {
  // The click returns only once the box is answered: answer it from another thread.
  std::thread box([typed] { AnswerInputBox(typed, CaptionIs(Text(txt::WordCaption))); });
  Click(dlg, IDT_OPT_LABEL7);
  box.join();
}
void AddWord(HWND dlg, std::nullptr_t) { AddWord<char>(dlg, nullptr); }

void RemoveWord(HWND dlg, int index) {
  SendMessageA(List(dlg), LB_SETCURSEL, index, 0);
  Click(dlg, IDT_OPT_LABEL8);
}

struct OptionsTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
    MasterAccessGranted = 0;
    MasterCloseAllowed = 0;
    // Autostart is off and stays off without touching the registry.
    RunKey.root = HKEY_CURRENT_USER;
    RunKey.subKey = "Software\\WachtpostenTest\\NoSuchKey\\Run";
  }
  void TearDown() override {
    delete Config;
    Config = nullptr;
    BadWordList = nullptr;
    delete UserIni;
    UserIni = nullptr;
    RunKey = RunKeyLocation();
    SetProgramDirForTests("");
    LanguageOffset = 0;
  }
  // The stores as the main window makes them at start.
  void Start(const std::string& config, const std::string& user) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n" + config);
    WriteFileBytes(dir.File("User.ini"), user);
    UserIni = new TUserIni();
    Config = new TConfigIni();
    BadWordList = &UserIni->GetBadWords();
  }
  std::string Key(const char* key) {
    char buf[64];
    GetPrivateProfileStringA("Configuration", key, "<none>", buf, sizeof buf,
                             dir.File("Config.ini").c_str());
    return buf;
  }
  // Runs the dialog on this thread while `script` plays the user.
  INT_PTR Show(std::function<void(HWND)> script) {
    DialogUser user(IDC_OPT_LISTBOX1, std::move(script), kFindOptionsMs);
    TFOptions dialog;
    INT_PTR result = dialog.RunModal(nullptr);
    EXPECT_TRUE(user.Found());
    return result;
  }
};
}  // namespace

TEST(OptionsDecisions, LimitTextAndNewWords) {
  EXPECT_EQ(4, WindowLimitFromText("4"));
  EXPECT_EQ(1, WindowLimitFromText("12abc"));
  EXPECT_EQ(NewWord::Accept, CheckNewWord("casino"));
  EXPECT_EQ(NewWord::Accept, CheckNewWord("\tcasino")) << "only the blank separates words";
  EXPECT_EQ(NewWord::HasBlank, CheckNewWord("zwei W\xF6rter"));
  EXPECT_EQ(NewWord::HasBlank, CheckNewWord(" ")) << "not trimmed";
  EXPECT_EQ(NewWord::Empty, CheckNewWord(""));
}

TEST_F(OptionsTest, ShowsTheStoredOptionsAndOkStoresThem) {
  Start("LogFilteredPop=1\r\nLogConnections=1\r\nExclusivWindow=1\r\nExclusivWindowCount=5\r\n"
        "PiS=1\r\nDeleteCookiesOnStartUp=1\r\nDeleteTempFilesOnStartUp=1\r\n",
        "[BadWords]\r\n1=casino\r\n2=poker\r\n4=roulette\r\n");  // the scan blocks all three
  std::string configBefore = ReadFileBytes(dir.File("Config.ini"));
  std::string userBefore = ReadFileBytes(dir.File("User.ini"));
  MessageBoxWatcher boxes;

  INT_PTR result = Show([&](HWND dlg) {
    EXPECT_EQ("Einstellungen", GetWindowTextString(dlg));
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(585, client.right);
    EXPECT_EQ(503, client.bottom);
    EXPECT_EQ("Bei jedem Start \"Cookies l\xF6schen\"", ItemText(dlg, IDX_OPT_CHECKBOX9));
    EXPECT_EQ("Internet Explorer", ItemText(dlg, IDC_OPT_GROUPBOX4));
    EXPECT_EQ("&OK", ItemText(dlg, IDB_OPT_SPEICHERN));
    EXPECT_EQ("&Abbrechen", ItemText(dlg, IDB_OPT_ABBRECHEN));

    const int ids[] = {IDX_OPT_CHECKBOX1, IDX_OPT_CHECKBOX2, IDX_OPT_CHECKBOX3, IDX_OPT_CHECKBOX4,
                       IDX_OPT_CHECKBOX5, IDX_OPT_CHECKBOX6, IDX_OPT_CHECKBOX7, IDX_OPT_CHECKBOX8,
                       IDX_OPT_CHECKBOX9, IDX_OPT_CHECKBOX10, IDX_OPT_CHECKBOX11, IDX_OPT_CHECKBOX12};
    std::vector<bool> shown;
    for (int id : ids) shown.push_back(Checked(dlg, id));
    EXPECT_EQ((std::vector<bool>{false, true, true, false, false, true, true, false, true, false,
                                 true, false}),
              shown);
    EXPECT_EQ("5", ItemText(dlg, IDE_OPT_EDIT1));
    EXPECT_TRUE(Enabled(dlg, IDC_OPT_UPDOWN1));
    EXPECT_FALSE(Enabled(dlg, IDE_OPT_EDIT1)) << "changed only with the arrows";
    EXPECT_EQ((std::vector<std::string>{"casino", "poker", "roulette"}), ListItems(List(dlg)));

    // A stored limit above 3 can only be lowered.
    Arrow(dlg, true);
    EXPECT_EQ("5", ItemText(dlg, IDE_OPT_EDIT1));
    Arrow(dlg, false);
    EXPECT_EQ("4", ItemText(dlg, IDE_OPT_EDIT1));

    Toggle(dlg, IDX_OPT_CHECKBOX1);   // on
    Toggle(dlg, IDX_OPT_CHECKBOX2);   // off
    Toggle(dlg, IDX_OPT_CHECKBOX7);   // PiS off
    Toggle(dlg, IDX_OPT_CHECKBOX12);  // on
    AddWord(dlg, "Lotto");
    RemoveWord(dlg, 0);
    EXPECT_EQ((std::vector<std::string>{"poker", "roulette", "Lotto"}), ListItems(List(dlg)));
    EXPECT_EQ(configBefore, ReadFileBytes(dir.File("Config.ini"))) << "nothing before OK";
    EXPECT_EQ(userBefore, ReadFileBytes(dir.File("User.ini")));
    Click(dlg, IDB_OPT_SPEICHERN);
  });

  EXPECT_EQ(IDOK, result);
  EXPECT_TRUE(boxes.Texts().empty());
  const std::pair<const char*, const char*> stored[] = {
      {"LogAutoPop", "1"}, {"LogFilteredPop", "0"}, {"LogConnections", "1"}, {"StayOnTop", "0"},
      {"AutoStart", "0"}, {"ExclusivWindow", "1"}, {"ExclusivWindowCount", "4"},
      {"StartIEMax", "0"}, {"PiS", "0"}, {"DeleteCookiesOnStartUp", "1"},
      {"DeleteHistoryOnStartUp", "0"}, {"DeleteTempFilesOnStartUp", "1"},
      {"DeleteTypedURLsOnStartUp", "1"}};
  for (const auto& kv : stored) EXPECT_EQ(kv.second, Key(kv.first)) << kv.first;
  EXPECT_EQ(4, Config->GetExclusivWindowCount());

  EXPECT_EQ((std::vector<std::string>{"poker", "roulette", "Lotto"}),
            UserIni->ReadList("BadWords"));
  EXPECT_EQ((StringList{"1=poker", "2=roulette", "3=Lotto"}), *BadWordList);
  // A pop-up log option is on and there was no log: it is there now, empty.
  ASSERT_TRUE(FileExists(dir.File("Wachtposten.log")));
  EXPECT_EQ("", ReadFileBytes(dir.File("Wachtposten.log")));
}

TEST_F(OptionsTest, CancelStoresNothing) {
  LanguageOffset = kEnglishOffset;
  Start("ExclusivWindow=1\r\nExclusivWindowCount=2\r\n", "[BadWords]\r\n1=casino\r\n");
  StringList wordsBefore = *BadWordList;
  // Edited by hand while the guard runs: the dialog shows it, the scan keeps its words.
  WriteFileBytes(dir.File("User.ini"), "[BadWords]\r\n1=poker\r\n");
  std::string configBefore = ReadFileBytes(dir.File("Config.ini"));
  std::string userBefore = ReadFileBytes(dir.File("User.ini"));

  INT_PTR result = Show([&](HWND dlg) {
    EXPECT_EQ("Settings", GetWindowTextString(dlg));
    EXPECT_EQ("&Cancel", ItemText(dlg, IDB_OPT_ABBRECHEN));
    EXPECT_EQ("Delete typed URL's on startup", ItemText(dlg, IDX_OPT_CHECKBOX12));
    EXPECT_EQ((std::vector<std::string>{"poker"}), ListItems(List(dlg)));
    Toggle(dlg, IDX_OPT_CHECKBOX1);
    Toggle(dlg, IDX_OPT_CHECKBOX6);
    Arrow(dlg, true);
    AddWord(dlg, "Lotto");
    RemoveWord(dlg, 0);
    EXPECT_EQ((std::vector<std::string>{"Lotto"}), ListItems(List(dlg)));
    Click(dlg, IDB_OPT_ABBRECHEN);
  });

  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ(configBefore, ReadFileBytes(dir.File("Config.ini")));
  EXPECT_EQ(userBefore, ReadFileBytes(dir.File("User.ini")));
  EXPECT_EQ(wordsBefore, *BadWordList);
  EXPECT_FALSE(Config->GetLogAutoPop());
  EXPECT_TRUE(Config->GetExclusivWindow());
  EXPECT_FALSE(FileExists(dir.File("Wachtposten.log")));
}

TEST_F(OptionsTest, WithTheLimitOffTheStoredLimitIsShownKeptAndStepped) {
  Start("ExclusivWindowCount=3\r\n", "");
  Show([&](HWND dlg) {
    EXPECT_EQ("3", ItemText(dlg, IDE_OPT_EDIT1));
    EXPECT_FALSE(Enabled(dlg, IDE_OPT_EDIT1));
    EXPECT_FALSE(Enabled(dlg, IDC_OPT_UPDOWN1));
    Click(dlg, IDB_OPT_SPEICHERN);
  });
  EXPECT_EQ("0", Key("ExclusivWindow"));
  EXPECT_EQ("3", Key("ExclusivWindowCount")) << "opening and OK keep the stored limit";
  EXPECT_EQ(3, Config->GetExclusivWindowCount());
  // No pop-up log option is on: no log is made.
  EXPECT_FALSE(FileExists(dir.File("Wachtposten.log")));

  Show([&](HWND dlg) {
    Toggle(dlg, IDX_OPT_CHECKBOX6);
    EXPECT_TRUE(Enabled(dlg, IDC_OPT_UPDOWN1));
    std::vector<std::string> shown;
    for (bool up : {true, false, false, false, true}) {
      Arrow(dlg, up);
      shown.push_back(ItemText(dlg, IDE_OPT_EDIT1));
    }
    EXPECT_EQ((std::vector<std::string>{"3", "2", "1", "1", "2"}), shown);
    Toggle(dlg, IDX_OPT_CHECKBOX6);
    EXPECT_FALSE(Enabled(dlg, IDC_OPT_UPDOWN1));
    Click(dlg, IDB_OPT_SPEICHERN);
  });
  EXPECT_EQ("2", Key("ExclusivWindowCount"));
}

TEST_F(OptionsTest, RefusedWordsAndRemovalsLeaveTheListAsItWas) {
  Start("", "[BadWords]\r\n1=casino\r\n");
  MessageBoxWatcher boxes;
  Show([&](HWND dlg) {
    AddWord(dlg, "zwei W\xF6rter");
    AddWord(dlg, "CASINO");  // the list's search ignores case
    AddWord(dlg, nullptr);   // Cancel
    AddWord(dlg, "");
    AddWord(dlg, L"\u65E5\u672C");  // would be stored, and match, as "??"
    Click(dlg, IDT_OPT_LABEL8);  // nothing selected
    EXPECT_EQ((std::vector<std::string>{"casino"}), ListItems(List(dlg)));
    Click(dlg, IDB_OPT_SPEICHERN);
  });
  EXPECT_EQ((std::vector<std::string>{"Bitte nur ein Wort angeben!", "Der Eintrag existiert bereits!",
                                      TextF(txt::CharOutsideCodePage, "?"),
                                      "Sie m\xFCssen einen Eintrag markieren!"}),
            boxes.Texts());
  EXPECT_EQ(std::string::npos, ReadFileBytes(dir.File("User.ini")).find('?'));
}

TEST_F(OptionsTest, LogLinksShowAndDeleteTheLogs) {
  Start("", "");
  WriteFileBytes(dir.File("Wachtposten.log"), "01.02.2026 10:00:00 - Werbung\r\n");
  MessageBoxWatcher boxes;
  LogSeen seen;
  std::vector<int> walk;
  Show([&](HWND dlg) {
    walk = TabWalk(dlg);
    std::thread viewer = ReadLogViewer(&seen);
    Click(dlg, IDT_OPT_LABEL4);
    viewer.join();

    Click(dlg, IDT_OPT_LABEL5);  // there is no connection log
    {
      // A log that another program holds open without allowing deletion stays whole.
      HANDLE held = CreateFileA(dir.File("Wachtposten.log").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      EXPECT_NE(INVALID_HANDLE_VALUE, held);
      Click(dlg, IDT_OPT_LABEL1);
      CloseHandle(held);
      EXPECT_TRUE(FileExists(dir.File("Wachtposten.log")));
    }
    Click(dlg, IDT_OPT_LABEL1);
    EXPECT_FALSE(FileExists(dir.File("Wachtposten.log")));
    Click(dlg, IDB_OPT_ABBRECHEN);
  });
  EXPECT_TRUE(InTabOrder(walk, {IDT_OPT_LABEL4, IDT_OPT_LABEL1, IDT_OPT_LABEL6, IDT_OPT_LABEL5,
                                IDC_OPT_LISTBOX1, IDT_OPT_LABEL7, IDT_OPT_LABEL8,
                                IDB_OPT_SPEICHERN, IDB_OPT_ABBRECHEN}));
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(std::vector<std::string>{"01.02.2026 10:00:00 - Werbung"}, seen.items);
  EXPECT_FALSE(seen.ownerEnabled) << "nothing of the options dialog works under the viewer";
  EXPECT_EQ((std::vector<std::string>{"Datei konnte nicht gel\xF6scht werden.",
                                      "Datei konnte nicht gel\xF6scht werden.",
                                      "Logdatei erfolgreich gel\xF6scht."}),
            boxes.Texts());
}

TEST_F(OptionsTest, AWriteErrorStoresNothingAndKeepsTheDialogOpen) {
  Start("", "[BadWords]\r\n1=casino\r\n2=poker\r\n");
  std::string userBefore = ReadFileBytes(dir.File("User.ini"));
  StringList wordsBefore = *BadWordList;
  // A folder in the place of Config.ini refuses every write; it counts at once as what it
  // is, not as the file on its way back.
  SetIniGoneBoundForTests(0);
  DeleteFileA(dir.File("Config.ini").c_str());
  ASSERT_TRUE(CreateDirectoryA(dir.File("Config.ini").c_str(), nullptr));
  MessageBoxWatcher boxes;
  bool openAfterOk = false;
  INT_PTR result = Show([&](HWND dlg) {
    RemoveWord(dlg, 0);
    Click(dlg, IDB_OPT_SPEICHERN);
    openAfterOk = IsWindowVisible(dlg) != FALSE;
    Click(dlg, IDB_OPT_ABBRECHEN);
  });
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ(std::vector<std::string>{"nach " + dir.File("Config.ini") + " kann nicht geschrieben werden"},
            boxes.Texts());
  EXPECT_EQ(userBefore, ReadFileBytes(dir.File("User.ini")));
  EXPECT_EQ(wordsBefore, *BadWordList);
  RemoveDirectoryA(dir.File("Config.ini").c_str());
  SetIniGoneBoundForTests(kIniGoneBoundMs);

  // User.ini taken right after Config.ini was written: the words are refused, Config.ini is
  // put back, and Cancel then leaves everything as it was. Taken Config.ini itself right after
  // its write cannot split the save.
  WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\nLanguage=de\r\n");
  std::string configBefore = ReadFileBytes(dir.File("Config.ini"));
  for (const char* taken : {"User.ini", "Config.ini"}) {
    LockAfterWrite scanner(dir.File("Config.ini"), dir.File(taken));
    result = Show([&](HWND dlg) {
      Toggle(dlg, IDX_OPT_CHECKBOX4);
      RemoveWord(dlg, 0);
      Click(dlg, IDB_OPT_SPEICHERN);
      if (IsWindowVisible(dlg)) Click(dlg, IDB_OPT_ABBRECHEN);
    });
    EXPECT_TRUE(scanner.Taken());
  }
  ASSERT_EQ(2u, boxes.Texts().size());
  EXPECT_EQ("nach " + dir.File("User.ini") + " kann nicht geschrieben werden", boxes.Texts()[1]);
  EXPECT_EQ(IDOK, result);
  EXPECT_EQ("1", Key("StayOnTop"));
  EXPECT_EQ("de", Key("Language"));
  EXPECT_TRUE(Config->GetStayOnTop());
  EXPECT_EQ((StringList{"1=poker"}), *BadWordList);
}

TEST_F(OptionsTest, TheMenuOpensTheDialogOnlyBehindTheMasterPassword) {
  cPassword codec;
  codec.SaveMaster("pw");
  codec.SaveMasterCheck("pw");
  TFWachtposten_Main form;
  MessageBoxWatcher boxes;
  auto cancel = [](HWND dlg) { Click(dlg, IDB_OPT_ABBRECHEN); };
  {
    // A wrong password: no options dialog.
    PasswordDialogUser password({{"px", Answer::Button}});
    std::thread noOptions([&] { EXPECT_EQ(nullptr, WaitForDialogWith(IDC_OPT_LISTBOX1, 1000)); });
    form.OnMenuCommand(ID_Allgemein1);
    EXPECT_TRUE(password.Seen().found);
    noOptions.join();
  }
  {
    PasswordDialogUser password({{"pw", Answer::Button}});
    DialogUser options(IDC_OPT_LISTBOX1, cancel, kFindOptionsMs);
    form.OnMenuCommand(ID_Allgemein2);
    EXPECT_TRUE(password.Seen().found);
    EXPECT_TRUE(options.Found());
  }
  EXPECT_EQ(0, MasterAccessGranted);
  // With PiS the dialog opens without the question.
  Config->SetPiS(true);
  {
    PasswordDialogUser password({}, 300);
    DialogUser options(IDC_OPT_LISTBOX1, cancel, kFindOptionsMs);
    form.OnMenuCommand(ID_Allgemein1);
    EXPECT_TRUE(options.Found());
    EXPECT_FALSE(password.Seen().found);
  }
  EXPECT_EQ(std::vector<std::string>{"Passwort ung\xFCltig!"}, boxes.Texts());
}

// Settings read from a held Config.ini are defaults: no dialog until they are read again.
TEST_F(OptionsTest, DoesNotOpenOverSettingsItCouldNotRead) {
  WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\nPiS=1\r\n");
  WriteFileBytes(dir.File("User.ini"), "[BadWords]\r\n1=casino\r\n");
  UserIni = new TUserIni();
  MessageBoxWatcher boxes;
  {
    HeldFile held(dir.File("Config.ini"));
    Config = new TConfigIni(ConfigTargets(), 0);
    DialogUser user(IDC_OPT_LISTBOX1, [](HWND dlg) { Click(dlg, IDB_OPT_ABBRECHEN); }, 1500);
    TFOptions dialog;
    EXPECT_EQ(IDCANCEL, dialog.RunModal(nullptr));
    EXPECT_FALSE(user.Found());
  }
  EXPECT_EQ(std::vector<std::string>{TextF(txt::SettingsUnreadable, dir.File("Config.ini"))},
            boxes.Texts());
  EXPECT_EQ("1", Key("PiS"));
  bool pis = false;
  Show([&](HWND dlg) {
    pis = Checked(dlg, IDX_OPT_CHECKBOX7);
    Click(dlg, IDB_OPT_ABBRECHEN);
  });
  EXPECT_TRUE(pis);
}
