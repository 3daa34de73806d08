#include "Connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "AppPaths.h"
#include "Check0190Res.h"
#include "DialogUser.h"
#include "MainWindow.h"
#include "MessageBoxWatcher.h"
#include "RasDouble.h"
#include "Rasclass.h"
#include "Strings.h"
#include "TempDir.h"
#include "Window.h"

// The check and its dialog run against the dial-up test double (RasDouble.h).

namespace {
const char kWarning0190[] =
    "ACHTUNG, es wurde eine 0190er - Einwahlverbindung auf Ihrem Rechner gefunden !!!";
const char kNothingFound[] = "Es wurden keine verd\xE4" "chtigen Einwahlverbindungen gefunden!";
constexpr DWORD kPollMs = 10;

using Texts = std::vector<std::string>;

// The open message boxes of this process, the newest first.
std::vector<HWND> OpenBoxes() { return OpenDialogs(CaptionIs("Wachtposten")); }

// What a user sees in the check dialog, read from another thread while it is open.
struct DialogView {
  std::string caption, label5, label7, label8;
  Texts entries;
  int selected = -1;
  std::string user, password, areaCode, number, device;
  Texts devices;
  char passwordChar = 0;
  bool editsEnabled = true, devicesEnabled = true;
  RECT client = {};
};

std::string ComboItem(HWND combo, int i) {
  LRESULT len = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
  if (len <= 0) return "";
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  s.resize(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&s[0]))));
  return s;
}

DialogView Look(HWND dlg) {
  DialogView v;
  auto text = [&](int id) { return GetWindowTextString(GetDlgItem(dlg, id)); };
  v.caption = GetWindowTextString(dlg);
  v.label5 = text(IDT_C0_LABEL5);
  v.label7 = text(IDT_C0_LABEL7);
  v.label8 = text(IDT_C0_LABEL8);
  HWND list = GetDlgItem(dlg, IDL_C0_LISTBOX1);
  v.entries = ListItems(list);
  v.selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  v.user = text(IDE_C0_EDIT1);
  v.password = text(IDE_C0_EDIT2);
  v.areaCode = text(IDE_C0_EDIT3);
  v.number = text(IDE_C0_EDIT4);
  v.passwordChar = static_cast<char>(SendMessageA(GetDlgItem(dlg, IDE_C0_EDIT2), EM_GETPASSWORDCHAR, 0, 0));
  HWND combo = GetDlgItem(dlg, IDC_C0_RASDEVICES);
  int devices = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < devices; ++i)
    v.devices.push_back(ComboItem(combo, i));
  int device = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  v.device = device >= 0 ? v.devices[static_cast<std::size_t>(device)] : "<none>";
  v.editsEnabled = IsWindowEnabled(GetDlgItem(dlg, IDE_C0_EDIT1)) != FALSE;
  v.devicesEnabled = IsWindowEnabled(combo) != FALSE;
  GetClientRect(dlg, &v.client);
  return v;
}

void Pick(HWND dlg, int index) {
  SendMessageA(GetDlgItem(dlg, IDL_C0_LISTBOX1), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Click(dlg, IDL_C0_LISTBOX1, LBN_SELCHANGE);
}

struct Check0190Test : ::testing::Test {
  TempDir dir{"c0190"};

  void SetUp() override {
    ASSERT_TRUE(RasDoubleLoaded());
    UseRasFiles(dir.File("scenario.ini"), dir.File("ras.log"));
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
  }
  void TearDown() override {
    SetProgramDirForTests("");
    LanguageOffset = 0;
    Phonebook("");
    RasObject.EnumEntries();
    RasObject.EnumDevices();
    UseRasFiles("");
  }

  void Phonebook(const std::string& scenario) { WriteFileBytes(dir.File("scenario.ini"), scenario); }
  void UserIni(const std::string& text) { WriteFileBytes(dir.File("User.ini"), text); }
  std::string RasLog() { return ReadFileBytes(dir.File("ras.log")); }

  // Checks the phonebook as the wrapper holds it after a fresh enumeration; returns the boxes.
  Texts CheckNow(bool report) {
    RasObject.EnumEntries();
    MessageBoxWatcher boxes;
    TFCheck0190::Check(report);
    return boxes.Texts();
  }

  // Shows the dialog modally while `user` plays it from another thread, then closes it.
  void Show(TFCheck0190& dialog, const std::function<void(HWND)>& user) {
    DialogUser player(IDL_C0_LISTBOX1, [&](HWND dlg) {
      user(dlg);
      Click(dlg, IDB_C0_BUTTON1);
    });
    dialog.RunModal(nullptr);
    EXPECT_TRUE(player.Found()) << "the check dialog did not show";
  }
};

std::string Entry(int n, const std::string& name, const std::string& area, const std::string& number,
                  const std::string& extra = "") {
  return "[Entry" + std::to_string(n) + "]\r\nName=" + name + "\r\nAreaCode=" + area +
         "\r\nNumber=" + number + "\r\n" + extra;
}
}  // namespace

TEST(Check0190Rules, PrefixCountsOnlyWhereItFirstOccursAtTheStartOrBehindFiveCharacters) {
  EXPECT_TRUE(HoldsDangerousPrefix("0190123", "0190"));
  EXPECT_TRUE(HoldsDangerousPrefix("0190", "0190"));
  EXPECT_TRUE(HoldsDangerousPrefix("12345" "0190", "0190"));
  EXPECT_TRUE(HoldsDangerousPrefix("0-49 0190", "0190"));
  for (const char* elsewhere : {"10190", "120190", "1230190", "12340190", "1234560190"})
    EXPECT_FALSE(HoldsDangerousPrefix(elsewhere, "0190")) << elsewhere;
  // First at 3 and again at 6: only the first occurrence counts.
  EXPECT_FALSE(HoldsDangerousPrefix("ab09a09", "09"));
  // Numbers shorter than the prefix or than five characters, and the empty number.
  for (const char* shortNumber : {"019", "0", "", "1234"})
    EXPECT_FALSE(HoldsDangerousPrefix(shortNumber, "0190")) << shortNumber;
  EXPECT_TRUE(HoldsDangerousPrefix("12345", "12345"));
  EXPECT_FALSE(HoldsDangerousPrefix("abc123", "ABC"));
  // An empty prefix would be contained everywhere; it never matches.
  EXPECT_FALSE(HoldsDangerousPrefix("0190", ""));
  EXPECT_EQ(0u, FirstPosition("0190", ""));
}

TEST(Check0190Rules, FirstUntrustedEntryIsFoundWithItsFirstMatchingPrefix) {
  std::vector<PhonebookEntry> book = {
      {"Home", "030", "1234567"},
      {"Gewinn", "", "09005123"},
      {"Both", "0190", "0900"},
  };
  CheckFinding f = FindDangerousEntry(book, {"0190", "0900"}, {});
  EXPECT_EQ(1, f.entry);
  EXPECT_EQ("0900", f.prefix);
  // Trusted by exact name only; case counts.
  f = FindDangerousEntry(book, {"0190", "0900"}, {"gewinn", "Gewinn "});
  EXPECT_EQ(1, f.entry);
  f = FindDangerousEntry(book, {"0190", "0900"}, {"Home", "Gewinn"});
  EXPECT_EQ(2, f.entry);
  EXPECT_EQ("0190", f.prefix);  // the area code's prefix is first in list order
  f = FindDangerousEntry(book, {"0900", "0190"}, {"Gewinn"});
  EXPECT_EQ("0900", f.prefix);
  EXPECT_EQ(-1, FindDangerousEntry(book, {"0190", "0900"}, {"Gewinn", "Both"}).entry);
  EXPECT_EQ(-1, FindDangerousEntry(book, {}, {}).entry);
  EXPECT_EQ(-1, FindDangerousEntry({}, {"0190"}, {}).entry);
}

TEST_F(Check0190Test, SilentCheckSaysNothingWhenNothingIsFoundAndTheListEndsAtAnEmptyKey) {
  Phonebook(Entry(1, "Home", "030", "1234567") + Entry(2, "Premium", "", "09001234"));
  // Key 2 is empty: the prefix at key 3 is never used.
  UserIni("[BlackNumbers]\r\n1=0190\r\n2=\r\n3=0900\r\n");
  EXPECT_EQ(Texts{}, CheckNow(false));
  EXPECT_EQ(Texts{kNothingFound}, CheckNow(true));
  LanguageOffset = kEnglishOffset;
  EXPECT_EQ(Texts{"No suspect connections found!"}, CheckNow(true));

  // No User.ini at all: no prefixes.
  DeleteFileA(dir.File("User.ini").c_str());
  EXPECT_EQ(Texts{}, CheckNow(false));
}

TEST_F(Check0190Test, FirstDangerousUntrustedEntryIsReportedOnceInEitherMode) {
  Phonebook(Entry(1, "Home", "030", "1234567") + Entry(2, "Trusted", "0190", "1") +
            Entry(3, "Gewinn", "+49", "0-49 0190555") + Entry(4, "Second", "0190", "2"));
  UserIni(
      "[BlackNumbers]\r\n1=0190\r\n"
      "[WhiteConnections]\r\n1=Trusted\r\n2=gewinn\r\n");
  EXPECT_EQ(Texts{kWarning0190}, CheckNow(false));
  EXPECT_EQ(Texts{kWarning0190}, CheckNow(true));  // the warning only, not "nothing found"
  LanguageOffset = kEnglishOffset;
  EXPECT_EQ(Texts{"ALERT, there is a 0190number on your system !!!"}, CheckNow(false));
  // A hand-edited gap in the trusted names hides none behind it.
  LanguageOffset = 0;
  UserIni(
      "[BlackNumbers]\r\n1=0190\r\n"
      "[WhiteConnections]\r\n1=Trusted\r\n3=Gewinn\r\n4=Second\r\n");
  EXPECT_EQ(Texts{kNothingFound}, CheckNow(true));
}

// A User.ini that another program holds is no empty list of prefixes: the check says it could
// not look, a silent one skips the round without a box.
TEST_F(Check0190Test, AHeldUserIniIsACheckNotDoneNeverNothingFound) {
  Phonebook(Entry(1, "Gewinn", "0190", "555"));
  UserIni("[BlackNumbers]\r\n1=0190\r\n");
  {
    HeldFile held(dir.File("User.ini"));
    EXPECT_EQ(Texts{}, CheckNow(false));
    EXPECT_EQ(Texts{"Die \xDC""berpr\xFC""fung konnte nicht durchgef\xFC""hrt werden: " +
                    dir.File("User.ini") +
                    " kann zur Zeit nicht gelesen werden. Bitte versuchen Sie es gleich noch "
                    "einmal."},
              CheckNow(true));
  }
  EXPECT_EQ(Texts{kWarning0190}, CheckNow(true));
}

namespace {
// A user who leaves every box open for a while before pressing OK, and counts the boxes.
class SlowBoxUser {
 public:
  explicit SlowBoxUser(DWORD holdMs) : hold_(holdMs), thread_([this] { Run(); }) {}
  ~SlowBoxUser() {
    stop_ = true;
    thread_.join();
  }
  int boxes() const { return boxes_; }

 private:
  void Run() {
    std::vector<HWND> answered;
    while (!stop_) {
      for (HWND box : OpenBoxes()) {
        if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
        answered.push_back(box);
        ++boxes_;
        Sleep(hold_);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }
      Sleep(kPollMs);
    }
  }
  DWORD hold_;
  std::atomic<bool> stop_{false};
  std::atomic<int> boxes_{0};
  std::thread thread_;
};

std::atomic<int> ticks{0};
// Ticks keep coming until the test ends (a box that was ended while a nested one stood leaves
// its loop only on a later message); only the first few run a check.
void CALLBACK CheckTick(HWND, UINT, UINT_PTR, DWORD) {
  if (++ticks <= 8) TFCheck0190::Check(false);
}
}  // namespace

TEST_F(Check0190Test, ChecksFallingDueWhileItsWarningIsOpenDoNotStackBoxes) {
  Phonebook(Entry(1, "Gewinn", "0190", "555"));
  UserIni("[BlackNumbers]\r\n1=0190\r\n");
  RasObject.EnumEntries();
  ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, &CheckTick);
  SlowBoxUser user(500);
  TFCheck0190::Check(false);
  KillTimer(nullptr, timer);
  EXPECT_GT(ticks, 8);  // every tick that would have run a check came while the box stood
  EXPECT_EQ(1, user.boxes());
}

TEST_F(Check0190Test, DialogShowsTheEntriesWithTheLastSelectedAndItsDetails) {
  const std::string entries =
      Entry(1, "Home", "030", "1234567",
            "DeviceName=Standard Modem\r\nDeviceType=modem\r\nUser=anna\r\nPassword=secret\r\n") +
      Entry(2, "Foreign", "", "77", "DeviceName=Satellite\r\nDeviceType=sat\r\n") +
      Entry(3, "Gewinn", "0190", "555", "DeviceName=isdn card\r\nDeviceType=ISDN\r\nUser=x\r\n");
  Phonebook("[Device1]\r\nName=Standard Modem\r\nType=modem\r\n"
            "[Device2]\r\nName=ISDN Card\r\nType=isdn\r\n" + entries);
  UserIni("[BlackNumbers]\r\n1=0190\r\n");
  RasObject.EnumDevices();
  RasObject.EnumEntries();
  // A device gone and an entry added since start: the dialog enumerates the entries anew.
  Phonebook(entries + Entry(4, "New", "", "0190 1"));

  MessageBoxWatcher boxes;
  TFCheck0190 dialog;
  DialogView last, home, foreign;
  std::vector<int> walk;
  Show(dialog, [&](HWND dlg) {
    walk = TabWalk(dlg);
    last = Look(dlg);
    Pick(dlg, 0);
    home = Look(dlg);
    Pick(dlg, 1);
    foreign = Look(dlg);
    Click(dlg, IDT_C0_LABEL7, STN_CLICKED);
  });
  EXPECT_EQ("DF\xDC-Verbindungen", last.caption);
  EXPECT_EQ("Verbindungen:", last.label5);
  EXPECT_EQ("Verbindungen pr\xFC" "fen", last.label7);
  EXPECT_EQ("Verbindungen l\xF6schen", last.label8);
  EXPECT_TRUE(InTabOrder(walk, {IDL_C0_LISTBOX1, IDT_C0_LABEL7, IDT_C0_LABEL8, IDB_C0_BUTTON1}));
  EXPECT_EQ(515, last.client.right);
  EXPECT_EQ(229, last.client.bottom);
  EXPECT_FALSE(last.editsEnabled);
  EXPECT_FALSE(last.devicesEnabled);
  EXPECT_EQ((Texts{"Home", "Foreign", "Gewinn", "New"}), last.entries);
  EXPECT_EQ(3, last.selected);
  EXPECT_EQ("0190 1", last.number);
  // The device list holds what was enumerated at start.
  EXPECT_EQ((Texts{"Standard Modem [Typ: modem]", "ISDN Card [Typ: isdn]"}), last.devices);

  EXPECT_EQ("anna", home.user);
  EXPECT_EQ("secret", home.password);
  EXPECT_EQ('*', home.passwordChar);
  EXPECT_EQ("030", home.areaCode);
  EXPECT_EQ("1234567", home.number);
  EXPECT_EQ("Standard Modem [Typ: modem]", home.device);
  // A device that was not enumerated at start shows none.
  EXPECT_EQ("<none>", foreign.device);
  EXPECT_EQ("77", foreign.number);
  EXPECT_EQ("", foreign.user);

  // The check link reports the first finding of the enumeration the dialog made.
  EXPECT_EQ(Texts{kWarning0190}, boxes.Texts());
  EXPECT_EQ(4, RasObject.EntryCount);
}

TEST_F(Check0190Test, DialogWithAnEmptyPhonebookShowsNothingAndRefusesToDelete) {
  Phonebook("[Device1]\r\nName=Standard Modem\r\nType=modem\r\n");
  RasObject.EnumDevices();
  LanguageOffset = kEnglishOffset;
  MessageBoxWatcher boxes;
  TFCheck0190 dialog;
  DialogView v;
  Show(dialog, [&](HWND dlg) {
    v = Look(dlg);
    Click(dlg, IDT_C0_LABEL8, STN_CLICKED);
  });
  EXPECT_EQ("Connections", v.caption);
  EXPECT_EQ(Texts{}, v.entries);
  EXPECT_EQ(-1, v.selected);
  EXPECT_EQ("", v.user);
  EXPECT_EQ("", v.password);
  EXPECT_EQ("", v.areaCode);
  EXPECT_EQ("", v.number);
  EXPECT_EQ("<none>", v.device);
  EXPECT_EQ(Texts{"First, you have to mark a connection."}, boxes.Texts());
  EXPECT_EQ("", RasLog());
}

TEST_F(Check0190Test, DeletingAsksFirstThenShowsTheRemainingEntries) {
  Phonebook(Entry(1, "Home", "030", "1") + Entry(2, "Gewinn", "0190", "2") +
            Entry(3, "Keep", "", "3", "DeleteFail=632\r\n"));
  MessageBoxWatcher boxes(IDNO);
  TFCheck0190 dialog;
  DialogView afterNo, afterYes, afterFailure;
  Show(dialog, [&](HWND dlg) {
    Pick(dlg, 1);
    Click(dlg, IDT_C0_LABEL8, STN_CLICKED);
    afterNo = Look(dlg);
    boxes.SetButton(IDYES);
    Click(dlg, IDT_C0_LABEL8, STN_CLICKED);
    afterYes = Look(dlg);
    Click(dlg, IDT_C0_LABEL8, STN_CLICKED);  // the last one, which the phonebook keeps
    afterFailure = Look(dlg);
  });
  const std::string confirm = "Wollen Sie die markierte Verbindung wirklich l\xF6schen?";
  EXPECT_EQ((Texts{confirm, confirm, "Die Verbindung wurde erfolgreich gel\xF6scht!", confirm,
                   "Die Verbindung konnte nicht gel\xF6scht werden."}),
            boxes.Texts());
  EXPECT_EQ((Texts{"Home", "Gewinn", "Keep"}), afterNo.entries);
  EXPECT_EQ(1, afterNo.selected);
  EXPECT_EQ((Texts{"Home", "Keep"}), afterYes.entries);
  EXPECT_EQ(1, afterYes.selected);
  EXPECT_EQ("3", afterYes.number);
  EXPECT_EQ((Texts{"Home", "Keep"}), afterFailure.entries);
  EXPECT_EQ("Delete 0 Gewinn\r\nDelete 632 Keep\r\n", RasLog());
  EXPECT_EQ(2, RasObject.EntryCount);
}

TEST_F(Check0190Test, MainWindowRunsTheCheckAtStartOnItsTimerAndOnItsCommands) {
  Phonebook(Entry(1, "Gewinn", "0190", "555"));
  UserIni("[BlackNumbers]\r\n1=0190\r\n");
  RasObject.EnumEntries();
  WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n0190CheckOnStartUp=1\r\n");
  TFWachtposten_Main checking;
  ASSERT_EQ(nullptr, FCheck0190);
  {
    MessageBoxWatcher boxes;
    checking.FormCreate();
    checking.Timer2Timer();
    checking.OnMenuCommand(ID_Check01902);
    EXPECT_EQ((Texts{kWarning0190, kWarning0190, kWarning0190}), boxes.Texts());
  }
  UserIni("[BlackNumbers]\r\n1=0190\r\n[WhiteConnections]\r\n1=Gewinn\r\n");
  {
    MessageBoxWatcher boxes;
    checking.Timer2Timer();
    checking.OnMenuCommand(ID_Check01902);
    EXPECT_EQ(Texts{kNothingFound}, boxes.Texts());
  }

  // The menu bar's command shows the dialog made at start-up, or one of its own before.
  TFCheck0190 dialog;
  for (TFCheck0190* made : {static_cast<TFCheck0190*>(nullptr), &dialog}) {
    FCheck0190 = made;
    DialogUser user(IDL_C0_LISTBOX1, [](HWND dlg) { Click(dlg, IDB_C0_BUTTON1); });
    checking.OnMenuCommand(ID_Check01901);
    EXPECT_TRUE(user.Found());
  }
  FCheck0190 = nullptr;
}
