#include "Connection.h"

#include <ras.h>

#include <cstring>
#include <unordered_set>

#include "AppPaths.h"
#include "Check0190Res.h"
#include "Dialup.h"
#include "IniFile.h"
#include "MsgBox.h"
#include "Rasclass.h"
#include "Strings.h"
#include "TextIds.h"

TFCheck0190* FCheck0190 = nullptr;

namespace {
constexpr int kClientWidth = 515, kClientHeight = 229;
constexpr std::size_t kDangerousPosition = 6;  // right behind five leading characters
constexpr int kDeviceDropHeight = 200;

// The form's places in 96-dpi pixels; labels are sized to their longest text.
const Place kLayout[] = {
    {IDL_C0_LISTBOX1, 8, 24, 249, 161},  {IDE_C0_EDIT1, 264, 40, 241, 21},
    {IDE_C0_EDIT2, 264, 81, 241, 21},    {IDE_C0_EDIT3, 264, 122, 57, 21},
    {IDE_C0_EDIT4, 328, 122, 177, 21},   {IDT_C0_LABEL1, 264, 24, 241, 13},
    {IDT_C0_LABEL2, 264, 65, 241, 13},   {IDT_C0_LABEL3, 264, 106, 62, 13},
    {IDT_C0_LABEL4, 328, 106, 177, 13},  {IDB_C0_BUTTON1, 220, 196, 75, 25},
    {IDT_C0_LABEL5, 8, 8, 249, 13},      {IDT_C0_LABEL6, 264, 147, 241, 13},
    {IDC_C0_RASDEVICES, 264, 164, 241, kDeviceDropHeight},
    {IDT_C0_LABEL7, 9, 191, 200, 13},    {IDT_C0_LABEL8, 9, 208, 200, 13},
};

// True while a check runs, its message box included.
bool checkRunning = false;

class RunningCheck {
 public:
  RunningCheck() { checkRunning = true; }
  ~RunningCheck() { checkRunning = false; }
  RunningCheck(const RunningCheck&) = delete;
  RunningCheck& operator=(const RunningCheck&) = delete;
};


std::vector<PhonebookEntry> EnumeratedEntries() {
  std::vector<PhonebookEntry> entries;
  for (int i = 0; i < RasObject.EntryCount; ++i) {
    PhonebookEntry e;
    std::string user, password;
    RasObject.GetEntryDialInfo(i, user, password, e.areaCode, e.localNumber);
    e.name = RasObject.GetEntryName(i);
    entries.push_back(e);
  }
  return entries;
}

template <std::size_t N>
std::string FieldText(const CHAR (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// Yes/No, modal to the application like AppMessage; true only for Yes.
bool AppConfirm(const std::string& text) {
  HWND owner = DialogOwner();
  if (!owner) owner = GetActiveWindow();
  return ShowMessageBox(owner, text, MB_YESNO | (owner ? 0 : MB_TASKMODAL)) == IDYES;
}
}  // namespace

std::size_t FirstPosition(const std::string& text, const std::string& prefix) {
  if (prefix.empty()) return 0;
  std::size_t at = text.find(prefix);
  return at == std::string::npos ? 0 : at + 1;
}

bool HoldsDangerousPrefix(const std::string& number, const std::string& prefix) {
  std::size_t at = FirstPosition(number, prefix);
  return at == 1 || at == kDangerousPosition;
}

CheckFinding FindDangerousEntry(const std::vector<PhonebookEntry>& entries,
                                const std::vector<std::string>& prefixes,
                                const std::vector<std::string>& trusted) {
  CheckFinding finding;
  // One walk of the trusted list, however long, for all entries.
  std::unordered_set<std::string> untrusted;
  for (const PhonebookEntry& e : entries) untrusted.insert(e.name);
  for (const std::string& t : trusted) untrusted.erase(t);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PhonebookEntry& e = entries[i];
    if (!untrusted.count(e.name)) continue;
    for (const std::string& prefix : prefixes) {
      if (HoldsDangerousPrefix(e.localNumber, prefix) || HoldsDangerousPrefix(e.areaCode, prefix)) {
        finding.entry = static_cast<int>(i);
        finding.prefix = prefix;
        return finding;
      }
    }
  }
  return finding;
}

std::string DeviceLine(const std::string& name, const std::string& type) {
  return name + " [Typ: " + type + "]";
}

TFCheck0190::TFCheck0190() : ModalDialog(IDD_CHECK0190) {}

bool TFCheck0190::Check(bool reportNothingFound) {
  if (checkRunning) return true;
  RunningCheck running;
  // Everything is read before a box opens: its loop may run other code. A file that cannot be
  // read now is no empty list: "nothing found" would be a guess. The silent rounds do not
  // hold up the program for it; the next one comes soon.
  IniFile ini(ProgramDir() + "User.ini");
  unsigned long waitMs = reportNothingFound ? kIniHeldWaitMs : 0;
  IniFile::Entries prefixes, trusted;
  if (!ini.TryReadSection("BlackNumbers", prefixes, waitMs) ||
      !ini.TryReadSection("WhiteConnections", trusted, waitMs)) {
    if (reportNothingFound) AppMessage(TextF(txt::CheckNotDoneUnreadable, ini.path()));
    return false;
  }
  std::vector<std::string> trustedNames;
  for (const auto& entry : trusted)
    if (!entry.second.empty()) trustedNames.push_back(entry.second);
  CheckFinding finding =
      FindDangerousEntry(EnumeratedEntries(), NumberedItems(prefixes), trustedNames);
  if (finding.entry >= 0)
    AppMessage(Text(txt::CheckWarningBefore) + finding.prefix + Text(txt::CheckWarningAfter));
  else if (reportNothingFound)
    AppMessage(Text(txt::CheckNothingFound));
  return true;
}

void TFCheck0190::OnInit() {
  ListBox1.Attach(Item(IDL_C0_LISTBOX1));
  Edit1.Attach(Item(IDE_C0_EDIT1));
  Edit2.Attach(Item(IDE_C0_EDIT2));
  Edit3.Attach(Item(IDE_C0_EDIT3));
  Edit4.Attach(Item(IDE_C0_EDIT4));
  Label1.Attach(Item(IDT_C0_LABEL1));
  Label2.Attach(Item(IDT_C0_LABEL2));
  Label3.Attach(Item(IDT_C0_LABEL3));
  Label4.Attach(Item(IDT_C0_LABEL4));
  Button1.Attach(Item(IDB_C0_BUTTON1));
  Label5.Attach(Item(IDT_C0_LABEL5));
  Label6.Attach(Item(IDT_C0_LABEL6));
  cmbRasDevices.Attach(Item(IDC_C0_RASDEVICES));
  Label7.Attach(Item(IDT_C0_LABEL7));
  Label8.Attach(Item(IDT_C0_LABEL8));

  PlaceControls(hwnd(), kLayout);
  for (Control* link : {&Label7, &Label8}) MakeLinkLabel(link->hwnd());
  SendMessageA(Edit2.hwnd(), EM_SETPASSWORDCHAR, '*', 0);
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  CenterOnDesktop(hwnd());
  FormShow();
}

void TFCheck0190::FormShow() {
  FillForm();
  RasObject.EnumEntries();
  ShowCurrentEntries(true);
  SetCaption(Text(txt::CheckCaption));
  Label5.SetText(Text(txt::CheckEntriesLabel));
  Label1.SetText(Text(txt::CheckUserLabel));
  Label2.SetText(Text(txt::CheckPasswordLabel));
  Label3.SetText(Text(txt::CheckAreaCodeLabel));
  Label4.SetText(Text(txt::CheckNumberLabel));
  Label6.SetText(Text(txt::CheckDeviceLabel));
  Label7.SetText(Text(txt::CheckLink));
  Label8.SetText(Text(txt::CheckDeleteLink));
}

void TFCheck0190::FillForm() {
  ShowCurrentEntries(false);
  HWND combo = cmbRasDevices.hwnd();
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < RasObject.DeviceCount; ++i) {
    std::string name, type;
    if (RasObject.GetDevice(i, name, type))
      SendMessageA(combo, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(DeviceLine(name, type).c_str()));
  }
  if (ListBox1.Count() > 0) ListBox1Click();
}

void TFCheck0190::ShowCurrentEntries(bool selectLast) {
  ListBox1.Clear();
  for (int i = 0; i < RasObject.EntryCount; ++i) ListBox1.Add(RasObject.GetEntryName(i));
  if (ListBox1.Count() > 0) ListBox1.Select(selectLast ? ListBox1.Count() - 1 : 0);
  if (selectLast) ListBox1Click();
}

void TFCheck0190::ListBox1Click() {
  int index = ListBox1.Selected();
  const ras::Entry* entry = RasObject.GetEntryProperties(index);
  Edit3.SetText(entry ? FieldText(entry->szAreaCode) : std::string());
  Edit4.SetText(entry ? FieldText(entry->szLocalPhoneNumber) : std::string());
  const ras::DialParams* params = RasObject.GetEntryDialParams(index);
  Edit1.SetText(params ? FieldText(params->szUserName) : std::string());
  Edit2.SetText(params ? FieldText(params->szPassword) : std::string());
  int device = -1;
  std::string name, type;
  if (RasObject.GetEntryDevice(index, name, type)) {
    // The drop-down list's own search for a whole item, which ignores case.
    device = static_cast<int>(SendMessageA(cmbRasDevices.hwnd(), CB_FINDSTRINGEXACT,
                                           static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(DeviceLine(name, type).c_str())));
  }
  SendMessageA(cmbRasDevices.hwnd(), CB_SETCURSEL, static_cast<WPARAM>(device < 0 ? -1 : device), 0);
}

void TFCheck0190::Label7Click() { Check(true); }

void TFCheck0190::Label8Click() {
  int marked = ListBox1.Selected();
  if (marked < 0) {
    AppMessage(Text(txt::DeleteNothingMarked));
    return;
  }
  if (!AppConfirm(Text(txt::DeleteConfirm))) return;
  if (RasDeleteEntryA(nullptr, ListBox1.Item(marked).c_str()) != 0) {
    AppMessage(Text(txt::DeleteFailed));
    return;
  }
  RasObject.EnumEntries();
  ShowCurrentEntries(true);
  AppMessage(Text(txt::DeleteDone));
}

void TFCheck0190::Button1Click() { End(IDOK); }

bool TFCheck0190::OnCommand(int id, int notifyCode) {
  if ((id == IDB_C0_BUTTON1 && notifyCode == BN_CLICKED) || id == IDOK) {
    Button1Click();
    return true;
  }
  if (id == IDL_C0_LISTBOX1 && notifyCode == LBN_SELCHANGE) {
    ListBox1Click();
    return true;
  }
  if (id == IDT_C0_LABEL7 && notifyCode == STN_CLICKED) {
    Label7Click();
    return true;
  }
  if (id == IDT_C0_LABEL8 && notifyCode == STN_CLICKED) {
    Label8Click();
    return true;
  }
  return false;
}

bool TFCheck0190::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  std::vector<HWND> links = {Label7.hwnd(), Label8.hwnd()};
  return LinkMessage(msg, wp, lp, links, result);
}
