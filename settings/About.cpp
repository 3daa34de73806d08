#include "About.h"

#include <shellapi.h>

#include "AboutRes.h"
#include "Controls.h"
#include "Strings.h"
#include "TextIds.h"
#include "Window.h"

const char* const kAboutHomepage = "https://www.wachtposten.example/";
const char* const kAboutMail = "info@wachtposten.example";

void AboutLinkOpenDefault(HWND parent, const std::string& target, int showCommand) {
  ShellExecuteA(parent, "open", target.c_str(), nullptr, nullptr, showCommand);
}

AboutLinkOpener AboutLinkOpen = &AboutLinkOpenDefault;

namespace {
constexpr int kClientWidth = 361, kClientHeight = 301;
// The product name's bold font: 19 px high at 96 dpi.
constexpr int kProductFontPoints = 14;

// The places of the controls in 96-dpi pixels of the client area, whatever the dialog font's
// units.
constexpr Place kLayout[] = {
    {IDC_AB_PANEL1, 8, 8, 345, 244},        {IDT_AB_PRODUCTNAME, 16, 14, 330, 26},
    {IDT_AB_VERSION, 16, 42, 330, 16},      {IDT_AB_COPYRIGHT, 16, 58, 330, 16},
    {IDT_AB_COMMENTS, 16, 80, 330, 16},     {IDT_AB_LABEL1, 16, 102, 334, 16},
    {IDT_AB_LABEL2, 16, 118, 334, 16},      {IDT_AB_LABEL4, 16, 142, 334, 16},
    {IDT_AB_LABEL3, 16, 158, 334, 16},      {IDT_AB_LABEL7, 16, 186, 70, 16},
    {IDT_AB_LABEL5, 90, 186, 250, 16},      {IDT_AB_LABEL8, 16, 206, 70, 16},
    {IDT_AB_LABEL6, 90, 206, 250, 16},      {IDB_AB_OKBUTTON, 143, 264, 75, 25},
};

HFONT DialogFontVariant(HWND dlg, int height, int weight, bool italic) {
  LOGFONTA lf = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  if (height) lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic ? TRUE : FALSE;
  return CreateFontIndirectA(&lf);
}

}  // namespace

TFAboutBox::TFAboutBox() : ModalDialog(IDD_ABOUTBOX) {}

TFAboutBox::~TFAboutBox() {
  if (productFont_) DeleteObject(productFont_);
  if (commentsFont_) DeleteObject(commentsFont_);
}

void TFAboutBox::OnInit() {
  productFont_ = DialogFontVariant(hwnd(), FontHeight(kProductFontPoints), FW_BOLD, false);
  commentsFont_ = DialogFontVariant(hwnd(), 0, FW_NORMAL, true);
  SendMessageA(Item(IDT_AB_PRODUCTNAME), WM_SETFONT, reinterpret_cast<WPARAM>(productFont_), FALSE);
  SendMessageA(Item(IDT_AB_COMMENTS), WM_SETFONT, reinterpret_cast<WPARAM>(commentsFont_), FALSE);
  SetItemText(IDT_AB_LABEL5, kAboutMail);
  SetItemText(IDT_AB_LABEL6, kAboutHomepage);
  links_ = {Item(IDT_AB_LABEL5), Item(IDT_AB_LABEL6)};
  for (HWND link : links_) MakeLinkLabel(link);
  SendMessageA(hwnd(), DM_SETDEFID, IDB_AB_OKBUTTON, 0);
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  PlaceControls(hwnd(), kLayout);
  CenterOnDesktop(hwnd());
  FormShow();
}

void TFAboutBox::FormShow() {
  SetItemText(IDT_AB_COMMENTS, Text(txt::AboutComments));
  SetItemText(IDT_AB_LABEL1, Text(txt::AboutLine1));
  SetItemText(IDT_AB_LABEL2, Text(txt::AboutLine2));
  SetItemText(IDT_AB_LABEL4, Text(txt::AboutLine3));
  SetItemText(IDT_AB_LABEL3, Text(txt::AboutLine4));
}

bool TFAboutBox::OnCommand(int id, int notifyCode) {
  // Enter arrives as the default button's command, or as IDOK where the system has none.
  if ((id == IDB_AB_OKBUTTON && notifyCode == BN_CLICKED) || id == IDOK) {
    OKButtonClick();
    return true;
  }
  if (notifyCode == STN_CLICKED && id == IDT_AB_LABEL5) {
    Label5Click();
    return true;
  }
  if (notifyCode == STN_CLICKED && id == IDT_AB_LABEL6) {
    Label6Click();
    return true;
  }
  return false;
}

bool TFAboutBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return LinkMessage(msg, wp, lp, links_, result);
}

void TFAboutBox::OKButtonClick() { End(IDOK); }

void TFAboutBox::Label5Click() {
  AboutLinkOpen(hwnd(), std::string("mailto:") + kAboutMail, SW_SHOW);
}

void TFAboutBox::Label6Click() { AboutLinkOpen(hwnd(), kAboutHomepage, SW_SHOWDEFAULT); }
