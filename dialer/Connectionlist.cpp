#include "Connectionlist.h"

#include "DialerOptionsRes.h"
#include "Dialeroptions.h"
#include "InputBox.h"
#include "MsgBox.h"
#include "Rasclass.h"
#include "Strings.h"
#include "TextIds.h"

TFConnectionList* FConnectionList = nullptr;

Pick DecidePick(const std::string& typed, const std::string* selected,
                const std::vector<std::string>& trusted) {
  // The watch compares names exactly: a typed name in another letter case than a listed one
  // is a different connection, so a typed name is never refused.
  if (!IsBlank(typed)) return {PickOutcome::Add, typed};
  if (!selected || IsBlank(*selected)) return {PickOutcome::NothingChosen, ""};
  if (ListedIgnoringCase(trusted, *selected)) return {PickOutcome::AlreadyTrusted, *selected};
  return {PickOutcome::Add, *selected};
}

// Unicode, so that the edit hands over every character as typed.
TFConnectionList::TFConnectionList() : ModalDialog(IDD_CONNECTIONLIST, true) {}

void TFConnectionList::OnInit() {
  Label1.Attach(Item(IDT_CL_LABEL1));
  ListBox1.Attach(Item(IDC_CL_LISTBOX1));
  Label2.Attach(Item(IDT_CL_LABEL2));
  Edit1.Attach(Item(IDE_CL_EDIT1));
  Button1.Attach(Item(IDB_CL_BUTTON1));
  Button2.Attach(Item(IDB_CL_BUTTON2));
  FormShow();
}

void TFConnectionList::FormShow() {
  // The entries as the wrapper enumerated them last; no new enumeration here.
  ListBox1.Clear();
  int count = RasObject.EntryCount;
  for (int i = 0; i < count; ++i) ListBox1.Add(RasObject.GetEntryName(i));
  Edit1.SetText("");
  SetCaption(Text(txt::PickerCaption));
  Button1.SetText(Text(txt::PickerAdd));
  Button2.SetText(Text(txt::PickerCancel));
  Label1.SetText(Text(txt::PickerAvailable));
  Label2.SetText(Text(txt::PickerUserDefined));
}

void TFConnectionList::ListBox1Click() { Edit1.SetText(""); }

void TFConnectionList::Button1Click() {
  if (!FDialerOptions) return;
  ListBox& trusted = FDialerOptions->ListBox2;
  int marked = ListBox1.Selected();
  std::string selected = ListBox1.Item(marked);
  std::string typed;
  if (!TypedText(Edit1.hwnd(), hwnd(), typed)) return;
  Pick pick = DecidePick(typed, marked >= 0 ? &selected : nullptr, trusted.Items());
  switch (pick.outcome) {
    case PickOutcome::NothingChosen:
      AppMessage(Text(txt::PickerNothingMarked));
      break;
    case PickOutcome::AlreadyTrusted:
      AppMessage(Text(txt::PickerNameListed));
      break;
    case PickOutcome::Add:
      trusted.Add(pick.name);
      End(IDOK);
      break;
  }
}

void TFConnectionList::Button2Click() { End(IDCANCEL); }

bool TFConnectionList::OnCommand(int id, int notifyCode) {
  if (id == IDC_CL_LISTBOX1 && notifyCode == LBN_SELCHANGE) {
    ListBox1Click();
    return true;
  }
  if (notifyCode != BN_CLICKED) return false;
  switch (id) {
    case IDB_CL_BUTTON1:
    case IDOK:
      Button1Click();
      return true;
    case IDB_CL_BUTTON2:
      Button2Click();
      return true;
    case IDCANCEL:
      return true;  // Esc is bound to no button; the title-bar button still closes
  }
  return false;
}
