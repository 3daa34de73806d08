#include "Options.h"

#include <commctrl.h>

#include "ConfigIni.h"
#include "IniFile.h"
#include "InputBox.h"
#include "LogViewer.h"
#include "MsgBox.h"
#include "OptionsRes.h"
#include "SettingsGate.h"
#include "Strings.h"
#include "TextIds.h"
#include "UserIni.h"

namespace {
constexpr int kClientWidth = 585, kClientHeight = 503;
const COLORREF kWarningColour = RGB(255, 0, 0);
const char kWordsSection[] = "BadWords";
// The arrows only report which one was pressed: the control's own position is kept in the
// middle of its range, so no end of the range ever swallows a click.
constexpr int kUpDownRange = 100;

// Where each control stands, in 96-dpi pixels of the client area.
constexpr int kLeft = 8, kLeftWidth = 292, kRight = 306, kRightWidth = 271;
constexpr int kInLeft = kLeft + 9, kInLeftWidth = kLeftWidth - 16;
constexpr int kInRight = kRight + 7, kInRightWidth = kRightWidth - 12;
constexpr int kRow = 19, kCheckHeight = 17, kLabelHeight = 15;
constexpr int kShowX = 170, kDeleteX = 236, kLinkWidth = 58;
const Place kLayout[] = {
    {IDC_OPT_GROUPBOX2, kLeft, 6, kLeftWidth, 82},
    {IDX_OPT_CHECKBOX4, kInLeft, 24, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX5, kInLeft, 24 + kRow, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX7, kInLeft, 24 + 2 * kRow, kInLeftWidth, kCheckHeight},

    {IDC_OPT_GROUPBOX4, kLeft, 94, kLeftWidth, 190},
    // The switch, the number and the label read as one line, and the label is long.
    {IDX_OPT_CHECKBOX6, kInLeft, 113, 40, kCheckHeight},
    {IDE_OPT_EDIT1, kInLeft + 41, 111, 24, 21},
    {IDC_OPT_UPDOWN1, kInLeft + 65, 111, 14, 21},
    {IDT_OPT_LABEL12, kInLeft + 82, 114, kLeft + kLeftWidth - 2 - (kInLeft + 82), kLabelHeight},
    {IDX_OPT_CHECKBOX8, kInLeft, 137, kInLeftWidth, kCheckHeight},
    {IDT_OPT_LABEL13, kInLeft, 162, kInLeftWidth, kLabelHeight},
    {IDT_OPT_LABEL14, kInLeft, 177, kInLeftWidth, kLabelHeight},
    {IDX_OPT_CHECKBOX9, kInLeft, 197, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX10, kInLeft, 197 + kRow, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX11, kInLeft, 197 + 2 * kRow, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX12, kInLeft, 197 + 3 * kRow, kInLeftWidth, kCheckHeight},

    {IDC_OPT_GROUPBOX1, kLeft, 290, kLeftWidth, 140},
    {IDX_OPT_CHECKBOX1, kInLeft, 308, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX2, kInLeft, 308 + kRow, kInLeftWidth, kCheckHeight},
    {IDX_OPT_CHECKBOX3, kInLeft, 308 + 2 * kRow, kInLeftWidth, kCheckHeight},
    {IDT_OPT_LABEL3, kInLeft, 378, kShowX - kInLeft - 4, kLabelHeight},
    {IDT_OPT_LABEL4, kShowX, 378, kLinkWidth, kLabelHeight},
    {IDT_OPT_LABEL1, kDeleteX, 378, kLinkWidth, kLabelHeight},
    {IDT_OPT_LABEL2, kInLeft, 402, kShowX - kInLeft - 4, kLabelHeight},
    {IDT_OPT_LABEL6, kShowX, 402, kLinkWidth, kLabelHeight},
    {IDT_OPT_LABEL5, kDeleteX, 402, kLinkWidth, kLabelHeight},

    {IDC_OPT_GROUPBOX3, kRight, 6, kRightWidth, 424},
    {IDT_OPT_LABEL9, kInRight, 24, kInRightWidth, kLabelHeight},
    {IDT_OPT_LABEL10, kInRight, 24 + kLabelHeight, kInRightWidth, kLabelHeight},
    {IDT_OPT_LABEL11, kInRight, 24 + 2 * kLabelHeight, kInRightWidth, kLabelHeight},
    {IDC_OPT_LISTBOX1, kInRight, 78, kInRightWidth, 312},
    {IDT_OPT_LABEL7, kInRight, 402, 110, kLabelHeight},
    {IDT_OPT_LABEL8, kInRight + kInRightWidth - 110, 402, 110, kLabelHeight},

    {IDB_OPT_SPEICHERN, 204, 462, 85, 25},
    {IDB_OPT_ABBRECHEN, 296, 462, 85, 25},
};

void CreateIfMissing(const std::string& path) {
  // CREATE_NEW never empties an existing log.
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}
}  // namespace

int StepWindowLimit(int current, bool up) {
  if (up) return current < 3 ? current + 1 : current;
  return current >= 2 ? current - 1 : current;
}

int WindowLimitFromText(const std::string& text) {
  int value = 1;
  return ParseInt32(text, value) ? value : 1;
}

NewWord CheckNewWord(const std::string& text) {
  if (text.find(' ') != std::string::npos) return NewWord::HasBlank;
  if (text.empty()) return NewWord::Empty;
  return NewWord::Accept;
}

TFOptions::TFOptions() : ModalDialog(IDD_OPTIONS) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
}

INT_PTR TFOptions::RunModal(HWND owner) {
  return SettingsMayOpen() ? ModalDialog::RunModal(owner) : IDCANCEL;
}

void TFOptions::AttachControls() {
  struct {
    Control* control;
    int id;
  } const controls[] = {
      {&GroupBox1, IDC_OPT_GROUPBOX1}, {&GroupBox2, IDC_OPT_GROUPBOX2},
      {&GroupBox3, IDC_OPT_GROUPBOX3}, {&GroupBox4, IDC_OPT_GROUPBOX4},
      {&CheckBox1, IDX_OPT_CHECKBOX1}, {&CheckBox2, IDX_OPT_CHECKBOX2},
      {&CheckBox3, IDX_OPT_CHECKBOX3}, {&CheckBox4, IDX_OPT_CHECKBOX4},
      {&CheckBox5, IDX_OPT_CHECKBOX5}, {&CheckBox6, IDX_OPT_CHECKBOX6},
      {&CheckBox7, IDX_OPT_CHECKBOX7}, {&CheckBox8, IDX_OPT_CHECKBOX8},
      {&CheckBox9, IDX_OPT_CHECKBOX9}, {&CheckBox10, IDX_OPT_CHECKBOX10},
      {&CheckBox11, IDX_OPT_CHECKBOX11}, {&CheckBox12, IDX_OPT_CHECKBOX12},
      {&Edit1, IDE_OPT_EDIT1}, {&UpDown1, IDC_OPT_UPDOWN1},
      {&Label1, IDT_OPT_LABEL1}, {&Label2, IDT_OPT_LABEL2}, {&Label3, IDT_OPT_LABEL3},
      {&Label4, IDT_OPT_LABEL4}, {&Label5, IDT_OPT_LABEL5}, {&Label6, IDT_OPT_LABEL6},
      {&Label7, IDT_OPT_LABEL7}, {&Label8, IDT_OPT_LABEL8}, {&Label9, IDT_OPT_LABEL9},
      {&Label10, IDT_OPT_LABEL10}, {&Label11, IDT_OPT_LABEL11}, {&Label12, IDT_OPT_LABEL12},
      {&Label13, IDT_OPT_LABEL13}, {&Label14, IDT_OPT_LABEL14},
      {&Speichern, IDB_OPT_SPEICHERN}, {&Abbrechen, IDB_OPT_ABBRECHEN},
  };
  for (const auto& c : controls) c.control->Attach(Item(c.id));
  PlaceControls(hwnd(), kLayout);
  ListBox1.Attach(Item(IDC_OPT_LISTBOX1));
  links_ = {Label1.hwnd(), Label4.hwnd(), Label5.hwnd(), Label6.hwnd(), Label7.hwnd(), Label8.hwnd()};
  for (HWND link : links_) MakeLinkLabel(link);
}

void TFOptions::OnInit() {
  AttachControls();
  // The stored limit also while the switch is off: OK stores the field, and the arrows start
  // from it once the switch is ticked.
  Edit1.SetText(std::to_string(Config->GetExclusivWindowCount()));
  SendMessageA(UpDown1.hwnd(), UDM_SETRANGE32, 0, kUpDownRange);
  SendMessageA(UpDown1.hwnd(), UDM_SETPOS32, 0, kUpDownRange / 2);

  CheckBox1.SetChecked(Config->GetLogAutoPop());
  CheckBox2.SetChecked(Config->GetLogFilteredPop());
  CheckBox3.SetChecked(Config->GetLogConnections());
  CheckBox4.SetChecked(Config->GetStayOnTop());
  CheckBox5.SetChecked(Config->GetAutoStart());
  CheckBox6.SetChecked(Config->GetExclusivWindow());
  CheckBox6Click();
  CheckBox7.SetChecked(Config->GetPiS());
  CheckBox8.SetChecked(Config->GetStartIEMax());
  CheckBox9.SetChecked(Config->GetDeleteCookiesOnStartUp());
  CheckBox10.SetChecked(Config->GetDeleteHistoryOnStartUp());
  CheckBox11.SetChecked(Config->GetDeleteTempFilesOnStartUp());
  CheckBox12.SetChecked(Config->GetDeleteTypedURLsOnStartUp());

  // Every word as the scan reads them, those behind a gap in the keys too, or OK would drop
  // them; read into a list of our own, since the scan's list may change only on OK.
  std::vector<std::string> words;
  StringList lines;
  wordsRead_ = UserIni->ReadLines(kWordsSection, lines);
  for (const std::string& line : lines) words.push_back(ListLineValue(line));
  ListBox1.SetItems(words);
  ApplyTexts();
  SendMessageA(hwnd(), DM_SETDEFID, IDB_OPT_SPEICHERN, 0);
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  CenterOnDesktop(hwnd());
}

void TFOptions::ApplyTexts() {
  SetCaption(Text(txt::OptionsCaption));
  struct {
    Control* control;
    int text;
  } const texts[] = {
      {&GroupBox2, txt::OptionsCommonFrame}, {&CheckBox4, txt::OptionsStayOnTop},
      {&CheckBox5, txt::OptionsAutoStart}, {&CheckBox7, txt::OptionsSavePassword},
      {&CheckBox6, txt::OptionsOnly}, {&Label12, txt::OptionsWindowsAllowed},
      {&CheckBox8, txt::OptionsStartMaximized}, {&Label13, txt::OptionsSlowWarning1},
      {&Label14, txt::OptionsSlowWarning2}, {&CheckBox9, txt::OptionsDeleteCookies},
      {&CheckBox10, txt::OptionsDeleteHistory}, {&CheckBox11, txt::OptionsDeleteTempFiles},
      {&CheckBox12, txt::OptionsDeleteTypedUrls}, {&GroupBox1, txt::OptionsLogFrame},
      {&CheckBox1, txt::OptionsLogAutoPop}, {&CheckBox2, txt::OptionsLogFilteredPop},
      {&CheckBox3, txt::OptionsLogConnections}, {&Label2, txt::OptionsConnectionLog},
      {&Label6, txt::OptionsShowLog}, {&Label5, txt::OptionsDeleteLog},
      {&Label3, txt::OptionsPopupLog}, {&Label4, txt::OptionsShowLog},
      {&Label1, txt::OptionsDeleteLog}, {&GroupBox3, txt::OptionsWordsFrame},
      {&Label9, txt::OptionsWordsHint1}, {&Label10, txt::OptionsWordsHint2},
      {&Label11, txt::OptionsWordsHint3}, {&Label7, txt::OptionsAddWord},
      {&Label8, txt::OptionsRemoveWord}, {&Speichern, txt::OptionsOk},
      {&Abbrechen, txt::OptionsCancel},
  };
  for (const auto& t : texts) t.control->SetText(Text(t.text));
}

bool TFOptions::OnCommand(int id, int notifyCode) {
  // Static controls' clicks (STN_CLICKED) and buttons' clicks (BN_CLICKED) are both code 0.
  if (notifyCode != BN_CLICKED) return false;
  switch (id) {
    case IDB_OPT_SPEICHERN:
    case IDOK:
      SpeichernClick();
      return true;
    case IDB_OPT_ABBRECHEN:
    case IDCANCEL:
      AbbrechenClick();
      return true;
    case IDX_OPT_CHECKBOX6: CheckBox6Click(); return true;
    case IDT_OPT_LABEL1: Label1Click(); return true;
    case IDT_OPT_LABEL4: Label4Click(); return true;
    case IDT_OPT_LABEL5: Label5Click(); return true;
    case IDT_OPT_LABEL6: Label6Click(); return true;
    case IDT_OPT_LABEL7: Label7Click(); return true;
    case IDT_OPT_LABEL8: Label8Click(); return true;
    default: return false;
  }
}

bool TFOptions::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  switch (msg) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      if (LRESULT brush = LinkColors(dc, control, links_)) {
        result = static_cast<INT_PTR>(brush);
        return true;
      }
      if (control == Label13.hwnd() || control == Label14.hwnd()) {
        SetTextColor(dc, kWarningColour);
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
      }
      return false;
    }
    case WM_SETCURSOR:
      if (!LinkCursor(reinterpret_cast<HWND>(wp), links_)) return false;
      result = TRUE;
      return true;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom != IDC_OPT_UPDOWN1 || hdr->code != UDN_DELTAPOS) return false;
      UpDown1Click(reinterpret_cast<const NMUPDOWN*>(lp)->iDelta > 0);
      result = TRUE;  // the control's own position stays where it is
      return true;
    }
    default:
      return false;
  }
}

void TFOptions::SpeichernClick() {
  if (!wordsRead_) {
    // The words could not be read when the dialog opened: OK would store the empty list.
    AppMessage(TextF(txt::SaveRefusedNotReadAtOpen, UserIni->file().path()));
    return;
  }
  GeneralOptions options;
  options.logAutoPop = CheckBox1.Checked();
  options.logFilteredPop = CheckBox2.Checked();
  options.logConnections = CheckBox3.Checked();
  options.stayOnTop = CheckBox4.Checked();
  options.autoStart = CheckBox5.Checked();
  options.exclusivWindow = CheckBox6.Checked();
  options.windowCount = WindowLimitFromText(Edit1.GetText());
  options.startIEMax = CheckBox8.Checked();
  options.pis = CheckBox7.Checked();
  options.deleteCookies = CheckBox9.Checked();
  options.deleteHistory = CheckBox10.Checked();
  options.deleteTempFiles = CheckBox11.Checked();
  options.deleteTypedUrls = CheckBox12.Checked();
  // One save: a refused write throws out of here with nothing stored, held or switched (what
  // was written is put back), the write error is shown and the dialog stays open with the
  // user's choices, so a save that did not go through is never taken for one that did.
  Config->SaveGeneral(options, [this] { UserIni->SaveList(ListBox1, kWordsSection); });

  if (options.logAutoPop || options.logFilteredPop) CreateIfMissing(PopupLogPath());
  BadWordList = &UserIni->GetBadWords();
  End(IDOK);
}

void TFOptions::AbbrechenClick() { End(IDCANCEL); }

void TFOptions::ShowLog(const char* kind) {
  TFLog log(kind);
  // Owned by this dialog, which stays disabled meanwhile: no OK, delete or second viewer can
  // happen underneath it.
  log.RunModal(hwnd());
}

void TFOptions::Label4Click() { ShowLog("Popup"); }
void TFOptions::Label6Click() { ShowLog("Connection"); }

void TFOptions::DeleteLog(const std::string& path) {
  AppMessage(Text(DeleteFileA(path.c_str()) ? txt::LogDeleted : txt::LogNotDeleted));
}

void TFOptions::Label1Click() { DeleteLog(PopupLogPath()); }
void TFOptions::Label5Click() { DeleteLog(ConnectionLogPath()); }

void TFOptions::Label7Click() {
  // Owned by this dialog: an OK pressed underneath would save the list without the word.
  std::string word = InputBox(Text(txt::WordCaption), Text(txt::WordPrompt), "", hwnd());
  switch (CheckNewWord(word)) {
    case NewWord::HasBlank:
      AppMessage(Text(txt::WordHasBlank));
      return;
    case NewWord::Empty:
      return;
    case NewWord::Accept:
      break;
  }
  if (ListBox1.FindExactIgnoringCase(word) >= 0) {
    AppMessage(Text(txt::WordListed));
    return;
  }
  ListBox1.Add(word);
}

void TFOptions::Label8Click() {
  int selected = ListBox1.Selected();
  if (selected < 0) {
    AppMessage(Text(txt::WordNothingMarked));
    return;
  }
  ListBox1.Delete(selected);
}

void TFOptions::UpDown1Click(bool up) {
  int current = WindowLimitFromText(Edit1.GetText());
  int next = StepWindowLimit(current, up);
  if (next != current) Edit1.SetText(std::to_string(next));
}

void TFOptions::CheckBox6Click() {
  if (CheckBox6.Checked()) {
    UpDown1.Enable(true);
  } else {
    UpDown1.Enable(false);
    Edit1.Enable(false);
  }
}
