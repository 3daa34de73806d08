#include "Dialeroptions.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <unordered_set>

#include "ConfigIni.h"
#include "Connectionlist.h"
#include "DialerOptionsRes.h"
#include "Dialup.h"
#include "IniFile.h"
#include "InputBox.h"
#include "MsgBox.h"
#include "SettingsGate.h"
#include "Strings.h"
#include "TextIds.h"
#include "UserIni.h"

TFDialerOptions* FDialerOptions = nullptr;

namespace {
const char kBlackNumbers[] = "BlackNumbers";
const char kWhiteConnections[] = "WhiteConnections";
}  // namespace

int CheckIntervalItemIndex(int stored) {
  for (int i = 0; i < static_cast<int>(std::size(kCheckIntervalItems)); ++i)
    if (kCheckIntervalItems[i] == stored) return i;
  return -1;
}

int CheckIntervalFromItem(const std::string& itemText) {
  int value;
  return ParseInt32(itemText, value) ? value : 0;
}

bool ListedIgnoringCase(const std::vector<std::string>& items, const std::string& text) {
  for (const std::string& item : items)
    if (lstrcmpiA(item.c_str(), text.c_str()) == 0) return true;
  return false;
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

PrefixAdd DecidePrefixAdd(const std::vector<std::string>& listed, const std::string& typed) {
  if (IsBlank(typed)) return PrefixAdd::Nothing;
  if (ListedIgnoringCase(listed, typed)) return PrefixAdd::AlreadyListed;
  return PrefixAdd::Append;
}

TFDialerOptions::TFDialerOptions() : ModalDialog(IDD_DIALEROPTIONS) {}

INT_PTR TFDialerOptions::RunModal(HWND owner) {
  return SettingsMayOpen() ? ModalDialog::RunModal(owner) : IDCANCEL;
}

void TFDialerOptions::OnInit() {
  GroupBox6.Attach(Item(IDC_DO_GROUPBOX6));
  CheckBox9.Attach(Item(IDC_DO_CHECKBOX9));
  CheckBox3.Attach(Item(IDC_DO_CHECKBOX3));
  CheckBox1.Attach(Item(IDC_DO_CHECKBOX1));
  CheckBox7.Attach(Item(IDC_DO_CHECKBOX7));
  ComboBox1.Attach(Item(IDC_DO_COMBOBOX1));
  Label1.Attach(Item(IDT_DO_LABEL1));
  GroupBox4.Attach(Item(IDC_DO_GROUPBOX4));
  ListBox1.Attach(Item(IDC_DO_LISTBOX1));
  Label2.Attach(Item(IDT_DO_LABEL2));
  Label6.Attach(Item(IDT_DO_LABEL6));
  GroupBox5.Attach(Item(IDC_DO_GROUPBOX5));
  ListBox2.Attach(Item(IDC_DO_LISTBOX2));
  Label3.Attach(Item(IDT_DO_LABEL3));
  Label4.Attach(Item(IDT_DO_LABEL4));
  Button1.Attach(Item(IDB_DO_BUTTON1));
  Button2.Attach(Item(IDB_DO_BUTTON2));
  links_ = {Label2.hwnd(), Label6.hwnd(), Label3.hwnd(), Label4.hwnd()};
  for (HWND link : links_) MakeLinkLabel(link);

  for (int value : kCheckIntervalItems) {
    char item[8];
    std::snprintf(item, sizeof item, "%02d", value);
    ComboBox1.Add(item);
  }
  CheckBox7.SetChecked(intervalOn_);
  ComboBox1.Enable(intervalOn_);
  ComboBox1.Select(intervalItem_);

  FormShow();
}

void TFDialerOptions::FormShow() {
  // Edits left from a cancelled showing go here.
  IniFile::Entries trusted;
  listsRead_ = UserIni->LoadList(ListBox1, kBlackNumbers) &&
               UserIni->file().TryReadSection(kWhiteConnections, trusted);
  if (!listsRead_) ListBox1.Clear();
  loadedTrusted_.clear();
  for (const auto& entry : trusted)
    if (!entry.second.empty()) loadedTrusted_.push_back(entry.second);
  ListBox2.SetItems(loadedTrusted_);
  CheckBox3.SetChecked(Config->Get0190CheckOnStartUp());
  CheckBox9.SetChecked(Config->GetDfueLookUp());
  CheckBox1.SetChecked(Config->GetDialerSearch());
  Config->ShowCheckInterval();

  SetCaption(Text(txt::DialerOptionsCaption));
  GroupBox6.SetText(Text(txt::DialerCommonFrame));
  GroupBox4.SetText(Text(txt::DialerNumbersFrame));
  GroupBox5.SetText(Text(txt::DialerTrustedFrame));
  CheckBox3.SetText(Text(txt::DialerCheckOnStartUp));
  CheckBox9.SetText(Text(txt::DialerLookUpHint));
  CheckBox7.SetText(Text(txt::DialerCheckInterval));
  CheckBox1.SetText(Text(txt::DialerSearchOnStartUp));
  Label1.SetText(Text(txt::DialerMinutes));
  Label2.SetText(Text(txt::DialerAddLink));
  Label3.SetText(Text(txt::DialerAddLink));
  Label6.SetText(Text(txt::DialerRemoveLink));
  Label4.SetText(Text(txt::DialerRemoveLink));
  Button2.SetText(Text(txt::DialerCancel));
}

void TFDialerOptions::Button1Click() {
  // The names marked trusted in a warning while the dialog was open are merged below: a file
  // that cannot be read now stores nothing, and the dialog stays open for another try.
  IniFile::Entries stored;
  if (!listsRead_) {
    AppMessage(TextF(txt::SaveRefusedNotReadAtOpen, UserIni->file().path()));
    return;
  }
  if (!UserIni->file().TryReadSection(kWhiteConnections, stored)) {
    AppMessage(TextF(txt::SaveRefusedUnreadable, UserIni->file().path()));
    return;
  }
  // A name marked trusted in a warning while the dialog was open stays trusted.
  std::vector<std::string> trusted = ListBox2.Items();
  std::unordered_set<std::string> known(loadedTrusted_.begin(), loadedTrusted_.end());
  known.insert(trusted.begin(), trusted.end());
  for (const auto& entry : stored)
    if (!entry.second.empty() && known.insert(entry.second).second) trusted.push_back(entry.second);
  // One save: a refused write throws out of here, what was written before it is put back, and
  // the dialog stays open with the user's edits for another try.
  // A list as it is stored is not written again: each write is a moment in which a scanner
  // may take the file, and the put-back below would meet that lock.
  auto saveLists = [&] {
    IniFile user(UserIni->file().path());
    std::string numbers;
    std::vector<std::string> storedNumbers;
    if (!user.TryReadRawSection(kBlackNumbers, numbers) ||
        !UserIni->ReadList(kBlackNumbers, storedNumbers))
      throw EIniWriteError(user.path());
    bool numbersWritten =
        storedNumbers != ListBox1.Items() || (storedNumbers.empty() && !numbers.empty());
    if (numbersWritten) {
      if (ListBox1.Count() > 0)
        UserIni->SaveList(ListBox1, kBlackNumbers);
      else
        UserIni->EraseList(kBlackNumbers);
    }
    try {
      if (trusted.empty()) {
        if (!stored.empty()) UserIni->EraseList(kWhiteConnections);
      } else if (stored.size() != trusted.size() || NumberedItems(stored) != trusted)
        UserIni->SaveItems(kWhiteConnections, trusted);
    } catch (...) {
      if (!numbersWritten) throw;
      try {
        user.PutBackSection(kBlackNumbers, numbers);
      } catch (const EIniWriteError&) {
      }
      throw;
    }
  };
  int item = ComboBox1.Selected();
  Config->SaveDialerSettings(CheckBox3.Checked(), CheckBox1.Checked(),
                             item >= 0 ? CheckIntervalFromItem(ComboBox1.Item(item)) : 0,
                             CheckBox7.Checked(), CheckBox9.Checked(), saveLists);
  TrustedConnectionList = trusted;
  UserIni->SetWhiteConnectionsKnown();
  End(IDOK);
}

void TFDialerOptions::Button2Click() { End(IDCANCEL); }

void TFDialerOptions::CheckBox7Click() {
  ComboBox1.Enable(CheckBox7.Checked());
  ComboBox1.Select(0);
}

void TFDialerOptions::Label2Click() {
  std::string typed =
      InputBox(Text(txt::DialerNumberCaption), Text(txt::DialerNumberPrompt), "", hwnd());
  switch (DecidePrefixAdd(ListBox1.Items(), typed)) {
    case PrefixAdd::Nothing:
      break;
    case PrefixAdd::AlreadyListed:
      AppMessage(Text(txt::DialerNumberListed));
      break;
    case PrefixAdd::Append:
      ListBox1.Add(typed);
      break;
  }
}

void TFDialerOptions::RemoveSelected(ListBox& list) {
  int marked = list.Selected();
  if (marked < 0 || marked >= list.Count())
    AppMessage(Text(txt::DialerNothingMarked));
  else
    list.Delete(marked);
}

void TFDialerOptions::Label6Click() { RemoveSelected(ListBox1); }
void TFDialerOptions::Label4Click() { RemoveSelected(ListBox2); }

void TFDialerOptions::Label3Click() {
  if (FConnectionList) FConnectionList->RunModal(hwnd());
}

bool TFDialerOptions::OnCommand(int id, int notifyCode) {
  // Link labels report STN_CLICKED, buttons and check boxes BN_CLICKED: both are 0.
  if (notifyCode != BN_CLICKED) return false;
  switch (id) {
    case IDB_DO_BUTTON1:
    case IDOK:
      Button1Click();
      return true;
    case IDB_DO_BUTTON2:
      Button2Click();
      return true;
    case IDCANCEL:
      return true;  // Esc is bound to no button; the title-bar button still closes
    case IDC_DO_CHECKBOX7:
      CheckBox7Click();
      return true;
    case IDT_DO_LABEL2:
      Label2Click();
      return true;
    case IDT_DO_LABEL6:
      Label6Click();
      return true;
    case IDT_DO_LABEL3:
      Label3Click();
      return true;
    case IDT_DO_LABEL4:
      Label4Click();
      return true;
  }
  return false;
}

bool TFDialerOptions::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  if (LinkMessage(msg, wp, lp, links_, result)) return true;
  switch (msg) {
    case WM_DESTROY:
      intervalOn_ = CheckBox7.Checked();
      intervalItem_ = ComboBox1.Selected();
      return false;
  }
  return false;
}
