#include "Dialeroptions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "AppPaths.h"
#include "ConfigIni.h"
#include "Connectionlist.h"
#include "DialerOptionsRes.h"
#include "DialogUser.h"
#include "Dialup.h"
#include "IniFile.h"
#include "InputBox.h"
#include "MainWindow.h"
#include "MasterPassword.h"
#include "MessageBoxWatcher.h"
#include "Password.h"
#include "PasswordDialogUser.h"
#include "RasDouble.h"
#include "Rasclass.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"
#include "Timer.h"
#include "UserIni.h"
#include "Window.h"

// The dialogs run for real on the test's thread; a user on a thread of its own waits for them,
// reads them and works their controls. Every message box is answered by a MessageBoxWatcher.

namespace {
constexpr DWORD kPollMs = 10;
using Items = std::vector<std::string>;

void WaitUntil(const std::function<bool()>& done) {
  DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < kDialogWaitMs) Sleep(kPollMs);
}

// A click whose handler opens a dialog that the user then has to answer.
void ClickLater(HWND dlg, int id) {
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}
void ClickBox(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
int ComboSelection(HWND dlg) {
  return static_cast<int>(SendDlgItemMessageA(dlg, IDC_DO_COMBOBOX1, CB_GETCURSEL, 0, 0));
}
void Type(HWND dlg, int id, const std::string& text) {
  SendDlgItemMessageA(dlg, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
// Selects as a user does: the list box tells its dialog.
void Select(HWND dlg, int listId, int index) {
  SendDlgItemMessageA(dlg, listId, LB_SETCURSEL, index, 0);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, listId)));
}
Items ListItems(HWND dlg, int listId) { return ::ListItems(GetDlgItem(dlg, listId)); }

// Waits until the dialog is usable again: no message box or input box is open over it.
void WaitEnabled(HWND dlg) {
  WaitUntil([&] { return IsWindowEnabled(dlg) != FALSE; });
}

// One showing of a dialog, played from a thread of its own. A dialog that `play` leaves open is
// closed through its title-bar button, so the test never hangs in the dialog.
std::function<void(HWND)> ThenClose(std::function<void(HWND)> play) {
  return [play](HWND dlg) {
    play(dlg);
    WaitEnabled(dlg);
    if (IsOpen(dlg)) PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
  };
}

struct DialerOptionsTest : ::testing::Test {
  TempDir dir{"dlo"};
  Timer checkTimer{1000, false};
  Timer connectionTimer{500, false};

  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
  }
  void TearDown() override {
    delete FDialerOptions;
    FDialerOptions = nullptr;
    delete FConnectionList;
    FConnectionList = nullptr;
    delete Config;
    Config = nullptr;
    delete UserIni;
    UserIni = nullptr;
    TrustedConnectionList.clear();
    SetProgramDirForTests("");
    LanguageOffset = 0;
  }
  // What start-up makes that the dialogs use.
  void Start() {
    UserIni = new TUserIni();
    ConfigTargets targets;
    targets.checkTimer = &checkTimer;
    targets.connectionTimer = &connectionTimer;
    Config = new TConfigIni(targets);
    UserIni->GetWhiteConnections();
    FConnectionList = new TFConnectionList();
    FDialerOptions = new TFDialerOptions();
  }
  void WriteUser(const std::string& body) { WriteFileBytes(dir.File("User.ini"), body); }
  void WriteConfig(const std::string& body) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n" + body);
  }
  std::string Key(const char* key) {
    char buf[256];
    GetPrivateProfileStringA("Configuration", key, "<none>", buf, sizeof buf,
                             dir.File("Config.ini").c_str());
    return buf;
  }
  void SetKey(const char* key, const char* value) {
    WritePrivateProfileStringA("Configuration", key, value, dir.File("Config.ini").c_str());
  }
  Items Stored(const char* section) { return UserIni->ReadList(section); }
  INT_PTR Show(std::function<void(HWND)> play) {
    DialogUser user(IDC_DO_LISTBOX1, ThenClose(std::move(play)));
    INT_PTR result = FDialerOptions->RunModal(nullptr);
    EXPECT_TRUE(user.Found());
    return result;
  }
};
}  // namespace

TEST(CheckIntervalItems, MapStoredValuesToItemsAndBack) {
  const char* texts[] = {"01", "05", "10", "20", "30", "40", "50", "60"};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(i, CheckIntervalItemIndex(kCheckIntervalItems[i]));
    EXPECT_EQ(kCheckIntervalItems[i], CheckIntervalFromItem(texts[i]));
  }
  for (int other : {0, 2, -1, 61, 600}) EXPECT_EQ(-1, CheckIntervalItemIndex(other)) << other;
  EXPECT_EQ(0, CheckIntervalFromItem(""));
}

TEST(DialerOptionsDecisions, PrefixesAndPickedNames) {
  Items prefixes = {"0190", "abc"};
  EXPECT_EQ(PrefixAdd::Nothing, DecidePrefixAdd(prefixes, ""));
  EXPECT_EQ(PrefixAdd::Nothing, DecidePrefixAdd(prefixes, "   "));
  EXPECT_EQ(PrefixAdd::AlreadyListed, DecidePrefixAdd(prefixes, "0190"));
  EXPECT_EQ(PrefixAdd::AlreadyListed, DecidePrefixAdd(prefixes, "ABC"));
  EXPECT_EQ(PrefixAdd::Append, DecidePrefixAdd(prefixes, " 0190 "));
  EXPECT_EQ(PrefixAdd::Append, DecidePrefixAdd(prefixes, "09#x"));

  Items trusted = {"T-Online"};
  std::string arcor = "Arcor", tonline = "t-online", blank = " ";
  Pick pick = DecidePick("Mein ISP", &arcor, trusted);
  EXPECT_EQ(PickOutcome::Add, pick.outcome);
  EXPECT_EQ("Mein ISP", pick.name) << "a typed name goes before the selection";
  pick = DecidePick("  ", &arcor, trusted);
  EXPECT_EQ(PickOutcome::Add, pick.outcome);
  EXPECT_EQ("Arcor", pick.name) << "blanks only are no name";
  EXPECT_EQ(PickOutcome::NothingChosen, DecidePick("", nullptr, trusted).outcome);
  EXPECT_EQ(PickOutcome::NothingChosen, DecidePick(" ", &blank, trusted).outcome);
  EXPECT_EQ(PickOutcome::AlreadyTrusted, DecidePick("", &tonline, trusted).outcome);
  // A typed name is added as typed, listed already or not, in whatever letter case.
  for (const char* typed : {"T-Online", "T-ONLINE", " Arcor "}) {
    pick = DecidePick(typed, &tonline, trusted);
    EXPECT_EQ(PickOutcome::Add, pick.outcome) << typed;
    EXPECT_EQ(typed, pick.name);
  }
}

// A hand-edited gap hides no trusted name, and a name that a warning marks trusted while the
// dialog is open survives its OK.
TEST_F(DialerOptionsTest, OkStoresTheListsAndTheFourSettings) {
  WriteUser("[BlackNumbers]\r\n1=0190\r\n2=0900\r\n[WhiteConnections]\r\n1=Arcor\r\n3=Home\r\n");
  Start();
  MessageBoxWatcher boxes;
  struct {
    std::string caption, ok, cancel;
    Items prefixes, trusted, prefixesAfter;
    bool intervalOn = true, comboEnabled = true, comboEnabledAfterClick = false;
    int selection = 0, selectionAfterClick = -1;
    std::vector<int> walk;
  } seen;
  INT_PTR result = Show([&](HWND dlg) {
    seen.caption = GetWindowTextString(dlg);
    seen.ok = ItemText(dlg, IDB_DO_BUTTON1);
    seen.cancel = ItemText(dlg, IDB_DO_BUTTON2);
    seen.prefixes = ListItems(dlg, IDC_DO_LISTBOX1);
    seen.trusted = ListItems(dlg, IDC_DO_LISTBOX2);
    seen.intervalOn = Checked(dlg, IDC_DO_CHECKBOX7);
    seen.comboEnabled = Enabled(dlg, IDC_DO_COMBOBOX1);
    seen.selection = ComboSelection(dlg);
    IniFile user(dir.File("User.ini"));
    MarkConnectionTrusted(user, "Dialer");

    // "hinzufügen" from the keyboard, after a round of Tab.
    seen.walk = TabWalk(dlg);
    if (TabTo(dlg, IDT_DO_LABEL2)) PressKey(VK_SPACE);
    AnswerInputBox(" 0137 ");  // kept with its blanks
    ClickLater(dlg, IDT_DO_LABEL2);
    AnswerInputBox("0190");  // listed already: refused
    boxes.WaitForCount(1, kDialogWaitMs);
    WaitEnabled(dlg);
    Select(dlg, IDC_DO_LISTBOX1, 0);
    Click(dlg, IDT_DO_LABEL6);
    Click(dlg, IDT_DO_LABEL4);  // nothing marked among the trusted: refused
    seen.prefixesAfter = ListItems(dlg, IDC_DO_LISTBOX1);

    ClickBox(dlg, IDC_DO_CHECKBOX7);
    seen.comboEnabledAfterClick = Enabled(dlg, IDC_DO_COMBOBOX1);
    seen.selectionAfterClick = ComboSelection(dlg);
    SendDlgItemMessageA(dlg, IDC_DO_COMBOBOX1, CB_SETCURSEL, 3, 0);  // "20"
    ClickBox(dlg, IDC_DO_CHECKBOX3);
    ClickBox(dlg, IDC_DO_CHECKBOX1);
    ClickBox(dlg, IDC_DO_CHECKBOX9);
    Click(dlg, IDB_DO_BUTTON1);
  });

  EXPECT_EQ(IDOK, result);
  EXPECT_EQ("0190er \xDC" "berpr\xFC" "fung - Einstellungen", seen.caption);
  EXPECT_EQ("&OK", seen.ok);
  EXPECT_EQ("&Abbrechen", seen.cancel);
  EXPECT_EQ((Items{"0190", "0900"}), seen.prefixes);
  EXPECT_EQ((Items{"Arcor", "Home"}), seen.trusted);
  // No interval stored: off, and the combo box disabled without a selection.
  EXPECT_FALSE(seen.intervalOn);
  EXPECT_FALSE(seen.comboEnabled);
  EXPECT_EQ(-1, seen.selection);
  EXPECT_TRUE(seen.comboEnabledAfterClick);
  EXPECT_EQ(0, seen.selectionAfterClick);
  EXPECT_EQ((Items{"0900", " 0137 "}), seen.prefixesAfter);
  EXPECT_TRUE(InTabOrder(seen.walk, {IDC_DO_LISTBOX1, IDT_DO_LABEL2, IDT_DO_LABEL6, IDC_DO_LISTBOX2,
                                     IDT_DO_LABEL3, IDT_DO_LABEL4, IDB_DO_BUTTON1, IDB_DO_BUTTON2}));
  EXPECT_EQ((Items{"Der Eintrag existiert bereits!", "Sie m\xFCssen einen Eintrag markieren!"}),
            boxes.Texts());

  EXPECT_EQ((Items{"0900", " 0137 "}), Stored("BlackNumbers"));
  EXPECT_EQ((Items{"Arcor", "Home", "Dialer"}), Stored("WhiteConnections"));
  EXPECT_EQ((Items{"Arcor", "Home", "Dialer"}), TrustedConnectionList) << "the plain names";
  EXPECT_EQ("1", Key("0190CheckOnStartUp"));
  EXPECT_EQ("1", Key("DialerSearch"));
  EXPECT_EQ("20", Key("0190CheckInterval"));
  EXPECT_EQ("1", Key("DF\xDCLookUp"));
  EXPECT_TRUE(Config->Get0190CheckOnStartUp() && Config->GetDialerSearch() && Config->GetDfueLookUp());
  EXPECT_TRUE(checkTimer.Enabled());
  EXPECT_EQ(200000u, checkTimer.Interval());
  EXPECT_TRUE(connectionTimer.Enabled());
}

TEST_F(DialerOptionsTest, CancelStoresNothingAndTheNextShowingReloads) {
  WriteUser("[BlackNumbers]\r\n1=0190\r\n[WhiteConnections]\r\n1=Arcor\r\n");
  WriteConfig("0190CheckInterval=20\r\nDF\xDCLookUp=1\r\n");
  Start();
  std::string user = ReadFileBytes(dir.File("User.ini"));
  std::string config = ReadFileBytes(dir.File("Config.ini"));
  struct {
    bool intervalOn = false, comboEnabled = false, lookUp = false;
    int selection = -1;
    Items prefixes;
    std::string caption, ok, cancel, lookUpText;
  } seen;
  INT_PTR result = Show([&](HWND dlg) {
    seen.intervalOn = Checked(dlg, IDC_DO_CHECKBOX7);
    seen.comboEnabled = Enabled(dlg, IDC_DO_COMBOBOX1);
    seen.selection = ComboSelection(dlg);
    seen.lookUp = Checked(dlg, IDC_DO_CHECKBOX9);
    Select(dlg, IDC_DO_LISTBOX1, 0);
    Click(dlg, IDT_DO_LABEL6);
    Select(dlg, IDC_DO_LISTBOX2, 0);
    Click(dlg, IDT_DO_LABEL4);
    ClickBox(dlg, IDC_DO_CHECKBOX7);
    ClickBox(dlg, IDC_DO_CHECKBOX9);
    Click(dlg, IDB_DO_BUTTON2);
  });
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_TRUE(seen.intervalOn);
  EXPECT_TRUE(seen.comboEnabled);
  EXPECT_EQ(3, seen.selection) << "20 shows as \"20\"";
  EXPECT_TRUE(seen.lookUp);
  EXPECT_EQ(user, ReadFileBytes(dir.File("User.ini")));
  EXPECT_EQ(config, ReadFileBytes(dir.File("Config.ini")));
  EXPECT_EQ(Items{"1=Arcor"}, TrustedConnectionList) << "as the list store filled it";
  EXPECT_EQ(200000u, checkTimer.Interval());
  EXPECT_TRUE(connectionTimer.Enabled());

  // The next showing has the stored lists again, and its texts in the language now chosen.
  LanguageOffset = kEnglishOffset;
  result = Show([&](HWND dlg) {
    seen.prefixes = ListItems(dlg, IDC_DO_LISTBOX1);
    seen.caption = GetWindowTextString(dlg);
    seen.ok = ItemText(dlg, IDB_DO_BUTTON1);
    seen.cancel = ItemText(dlg, IDB_DO_BUTTON2);
    seen.lookUpText = ItemText(dlg, IDC_DO_CHECKBOX9);
    // Left to the title-bar button.
  });
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ(Items{"0190"}, seen.prefixes);
  EXPECT_EQ("0190 check - settings", seen.caption);
  EXPECT_EQ("&OK", seen.ok);
  EXPECT_EQ("&Cancel", seen.cancel);
  EXPECT_EQ("Visual hint on every dial-up that is not trusted", seen.lookUpText);
  EXPECT_EQ(config, ReadFileBytes(dir.File("Config.ini")));
}

TEST_F(DialerOptionsTest, EmptyListsEraseTheirSectionsAndAnUncheckedIntervalStopsTheCheck) {
  WriteUser("[Windows]\r\n1=Werbung\r\n[BlackNumbers]\r\n1=0190\r\n[WhiteConnections]\r\n1=Arcor\r\n");
  WriteConfig("0190CheckInterval=20\r\n");
  Start();
  ASSERT_TRUE(checkTimer.Enabled());
  struct {
    bool comboEnabled = true;
    int selection = -1;
  } seen;
  INT_PTR result = Show([&](HWND dlg) {
    Select(dlg, IDC_DO_LISTBOX1, 0);
    Click(dlg, IDT_DO_LABEL6);
    Select(dlg, IDC_DO_LISTBOX2, 0);
    Click(dlg, IDT_DO_LABEL4);
    ClickBox(dlg, IDC_DO_CHECKBOX7);
    seen.comboEnabled = Enabled(dlg, IDC_DO_COMBOBOX1);
    seen.selection = ComboSelection(dlg);
    Click(dlg, IDB_DO_BUTTON1);
  });
  EXPECT_EQ(IDOK, result);
  EXPECT_FALSE(seen.comboEnabled);
  EXPECT_EQ(0, seen.selection) << "unchecking selects \"01\" too";
  std::string user = ReadFileBytes(dir.File("User.ini"));
  EXPECT_EQ(std::string::npos, user.find("BlackNumbers")) << user;
  EXPECT_EQ(std::string::npos, user.find("WhiteConnections")) << user;
  EXPECT_EQ(Items{"Werbung"}, Stored("Windows"));
  EXPECT_TRUE(TrustedConnectionList.empty());
  EXPECT_EQ("0", Key("0190CheckInterval"));
  EXPECT_FALSE(checkTimer.Enabled()) << "the periodic check stops at once";
}

TEST_F(DialerOptionsTest, TheIntervalControlsFollowTheStoredValueAndKeepTheirStateBetweenShowings) {
  WriteConfig("0190CheckInterval=50\r\n");
  Start();
  struct Seen {
    bool on = false, enabled = false;
    int selection = -2;
  };
  auto look = [](HWND dlg, Seen& s) {
    s.on = Checked(dlg, IDC_DO_CHECKBOX7);
    s.enabled = Enabled(dlg, IDC_DO_COMBOBOX1);
    s.selection = ComboSelection(dlg);
  };
  Seen first, second, third;
  EXPECT_EQ(IDOK, Show([&](HWND dlg) {
              look(dlg, first);
              Click(dlg, IDB_DO_BUTTON1);
            }));
  EXPECT_TRUE(first.on && first.enabled);
  EXPECT_EQ(6, first.selection);
  EXPECT_EQ("50", Key("0190CheckInterval")) << "shown and stored back unchanged";
  EXPECT_EQ(500000u, checkTimer.Interval());

  // A value the list lacks leaves the selection as it was while the box stays checked...
  SetKey("0190CheckInterval", "2");
  Show([&](HWND dlg) { look(dlg, second); });
  EXPECT_TRUE(second.on && second.enabled);
  EXPECT_EQ(6, second.selection);
  // ... and a change of the box's state made by the dialog runs its click handler.
  SetKey("0190CheckInterval", "0");
  Show([&](HWND dlg) { look(dlg, third); });
  EXPECT_FALSE(third.on);
  EXPECT_FALSE(third.enabled);
  EXPECT_EQ(0, third.selection);
}

TEST_F(DialerOptionsTest, ThePickerAddsATypedNameOrAPickedOneThatIsNotTrustedYet) {
  ASSERT_TRUE(RasDoubleLoaded());
  WriteFileBytes(dir.File("scenario.ini"),
                 "[Entry1]\r\nName=Arcor\r\n[Entry2]\r\nName=T-Online\r\n[Entry3]\r\nName=Freenet\r\n");
  UseRasFiles(dir.File("scenario.ini"));
  RasObject.EnumEntries();
  UseRasFiles("");
  WriteUser("[WhiteConnections]\r\n1=T-Online\r\n");
  Start();
  MessageBoxWatcher boxes;
  struct {
    Items entries, trusted;
    std::string caption, add, editAfterSelect;
    bool openAfterRefusals = false;
  } seen;
  INT_PTR result = Show([&](HWND options) {
    ClickLater(options, IDT_DO_LABEL3);
    HWND picker = WaitForDialogWith(IDE_CL_EDIT1);
    if (!picker) return;
    seen.entries = ListItems(picker, IDC_CL_LISTBOX1);
    seen.caption = GetWindowTextString(picker);
    seen.add = ItemText(picker, IDB_CL_BUTTON1);
    Click(picker, IDB_CL_BUTTON1);  // nothing typed or selected
    Select(picker, IDC_CL_LISTBOX1, 1);
    Click(picker, IDB_CL_BUTTON1);  // T-Online is trusted already
    SetDlgItemTextW(picker, IDE_CL_EDIT1, L"\u65E5\u672C");  // would be stored as "??"
    Click(picker, IDB_CL_BUTTON1);
    seen.openAfterRefusals = IsOpen(picker);
    Type(picker, IDE_CL_EDIT1, "Mein ISP");
    Select(picker, IDC_CL_LISTBOX1, 0);
    seen.editAfterSelect = ItemText(picker, IDE_CL_EDIT1);
    // Typed, it goes before the selected Arcor, and is taken though T-Online is listed.
    Type(picker, IDE_CL_EDIT1, "t-online");
    Click(picker, IDB_CL_BUTTON1);
    WaitUntil([&] { return !IsOpen(picker); });
    if (IsOpen(picker)) {  // refused: cancelled, so the test fails rather than hangs
      Click(picker, IDB_CL_BUTTON2);
      return;
    }
    WaitEnabled(options);

    ClickLater(options, IDT_DO_LABEL3);
    picker = WaitForDialogWith(IDE_CL_EDIT1);
    if (!picker) return;
    Select(picker, IDC_CL_LISTBOX1, 0);
    Click(picker, IDB_CL_BUTTON1);
    WaitUntil([&] { return !IsOpen(picker); });
    WaitEnabled(options);
    seen.trusted = ListItems(options, IDC_DO_LISTBOX2);
    Click(options, IDB_DO_BUTTON1);
  });
  RasObject.EnumEntries();  // back to no entries for the tests after this one

  EXPECT_EQ(IDOK, result);
  EXPECT_EQ((Items{"Arcor", "T-Online", "Freenet"}), seen.entries);
  EXPECT_EQ("Verbindungen", seen.caption);
  EXPECT_EQ("&Hinzuf\xFCgen", seen.add);
  EXPECT_TRUE(seen.openAfterRefusals);
  EXPECT_EQ("", seen.editAfterSelect);
  EXPECT_EQ((Items{"Sie m\xFCssen einen Eintrag markieren!",
                   "Eine Verbindung mit diesem Namen existiert bereits!",
                   TextF(txt::CharOutsideCodePage, "?")}),
            boxes.Texts());
  EXPECT_EQ((Items{"T-Online", "t-online", "Arcor"}), seen.trusted);
  EXPECT_EQ((Items{"T-Online", "t-online", "Arcor"}), Stored("WhiteConnections"));
  EXPECT_EQ((Items{"T-Online", "t-online", "Arcor"}), TrustedConnectionList);
}

TEST_F(DialerOptionsTest, ARefusedWriteKeepsTheEditsInTheOpenDialog) {
  ASSERT_TRUE(CreateDirectoryA(dir.File("User.ini").c_str(), nullptr));  // cannot be written
  Start();
  std::string config = ReadFileBytes(dir.File("Config.ini"));
  MessageBoxWatcher boxes;
  struct {
    bool openAfterOk = false;
    Items prefixes;
  } seen;
  Show([&](HWND dlg) {
    ClickLater(dlg, IDT_DO_LABEL2);
    AnswerInputBox("0190");
    WaitEnabled(dlg);
    ClickBox(dlg, IDC_DO_CHECKBOX3);
    Click(dlg, IDB_DO_BUTTON1);
    seen.openAfterOk = IsOpen(dlg);
    seen.prefixes = ListItems(dlg, IDC_DO_LISTBOX1);
    Click(dlg, IDB_DO_BUTTON2);
  });
  EXPECT_TRUE(seen.openAfterOk);
  EXPECT_EQ(Items{"0190"}, seen.prefixes);
  EXPECT_EQ(Items{"nach " + dir.File("User.ini") + " kann nicht geschrieben werden"}, boxes.Texts());
  EXPECT_EQ(config, ReadFileBytes(dir.File("Config.ini"))) << "no setting stored after the refusal";
  EXPECT_FALSE(Config->Get0190CheckOnStartUp());
}

// No dialog (whose OK would store empty lists) while User.ini is held; once free, it opens,
// and an OK while it is held again stores nothing and says so, with the dialog still open.
TEST_F(DialerOptionsTest, DoesNotOpenOrStoreWhileUserIniCannotBeRead) {
  WriteUser("[BlackNumbers]\r\n1=0190\r\n2=0900\r\n");
  Start();
  std::string before = ReadFileBytes(dir.File("User.ini"));
  MessageBoxWatcher boxes;
  {
    HeldFile held(dir.File("User.ini"));
    DialogUser user(IDC_DO_LISTBOX1, ThenClose([](HWND dlg) { Click(dlg, IDB_DO_BUTTON1); }), 1500);
    EXPECT_EQ(IDCANCEL, FDialerOptions->RunModal(nullptr));
    EXPECT_FALSE(user.Found());
  }
  EXPECT_EQ(Items{TextF(txt::SettingsUnreadable, dir.File("User.ini"))}, boxes.Texts());
  EXPECT_EQ(before, ReadFileBytes(dir.File("User.ini")));
  std::string config = ReadFileBytes(dir.File("Config.ini"));
  Items prefixes;
  bool openAfterOk = false;
  Show([&](HWND dlg) {
    prefixes = ListItems(dlg, IDC_DO_LISTBOX1);
    ClickBox(dlg, IDC_DO_CHECKBOX3);
    {
      HeldFile held(dir.File("User.ini"));
      Click(dlg, IDB_DO_BUTTON1);
      openAfterOk = IsOpen(dlg);
    }
    EXPECT_EQ(config, ReadFileBytes(dir.File("Config.ini")));
    Click(dlg, IDB_DO_BUTTON1);
  });
  EXPECT_EQ((Items{"0190", "0900"}), prefixes);
  EXPECT_TRUE(openAfterOk);
  ASSERT_EQ(2u, boxes.Texts().size());
  EXPECT_EQ(TextF(txt::SaveRefusedUnreadable, dir.File("User.ini")), boxes.Texts()[1]);
  EXPECT_EQ((Items{"0190", "0900"}), Stored("BlackNumbers"));
  EXPECT_TRUE(Config->Get0190CheckOnStartUp());
}

TEST_F(DialerOptionsTest, TheMenuCommandsOpenTheDialogOnlyBehindTheMasterPassword) {
  cPassword codec;
  codec.SaveMaster("pw");
  codec.SaveMasterCheck("pw");
  TFWachtposten_Main form;
  FConnectionList = new TFConnectionList();
  FDialerOptions = new TFDialerOptions();
  EXPECT_TRUE(TFWachtposten_Main::CommandAvailable(ID_N0190berprfung1));
  EXPECT_TRUE(TFWachtposten_Main::CommandAvailable(ID_N0190berprfung2));
  {
    PasswordDialogUser password({{"", Answer::Escape}});
    DialogUser options(IDC_DO_LISTBOX1, ThenClose([](HWND) {}), 1500);
    form.OnMenuCommand(ID_N0190berprfung1);
    EXPECT_TRUE(password.Seen().found);
    EXPECT_FALSE(options.Found()) << "refused: no dialer options";
  }
  {
    PasswordDialogUser password({{"pw", Answer::Button}});
    DialogUser options(IDC_DO_LISTBOX1, ThenClose([](HWND dlg) { Click(dlg, IDB_DO_BUTTON2); }));
    form.OnMenuCommand(ID_N0190berprfung2);
    EXPECT_TRUE(password.Seen().found);
    EXPECT_TRUE(options.Found());
  }
  EXPECT_EQ(0, MasterAccessGranted);
  EXPECT_FALSE(form.ModalOpen());
}

TEST_F(DialerOptionsTest, SettingsStoredWhileTheGuardIsDeactivatedStartNoTimer) {
  Start();
  ScanningActive = 0;
  Config->SetDfueLookUp(true);
  Config->Set0190CheckInterval(30, true);
  ScanningActive = 1;
  EXPECT_EQ("1", Key("DF\xDCLookUp"));
  EXPECT_EQ("30", Key("0190CheckInterval"));
  EXPECT_FALSE(connectionTimer.Enabled()) << "no connection is hung up while deactivated";
  EXPECT_FALSE(checkTimer.Enabled());
  EXPECT_EQ(300000u, checkTimer.Interval()) << "ready for the next activation";
}
