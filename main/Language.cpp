// The main window's texts in German or English, and the language menu.
#include "Dialog.h"
#include "MainWindow.h"
#include "Strings.h"
#include "TextIds.h"

namespace {
struct MenuText {
  int menuId;
  int textId;
};

// Where a text stands in both menus, the menu bar's item comes first.
const MenuText kMenuTexts[] = {
    {ID_Datei1, txt::MenuFile},
    {ID_aktivieren1, txt::MenuActivate},
    {ID_aktivieren2, txt::MenuActivate},
    {ID_deaktivieren1, txt::MenuDeactivate},
    {ID_deaktivieren2, txt::MenuDeactivate},
    {ID_Verbindungtrennen2, txt::MenuDisconnect},
    {ID_Verbindungtrennen1, txt::MenuDisconnect},
    {ID_Beenden1, txt::MenuQuit},
    {ID_N2, txt::MenuQuit},
    {ID_Einstellungen1, txt::MenuSettings},
    {ID_Einstellungen2, txt::MenuSettings},
    {ID_Allgemein1, txt::MenuGeneral},
    {ID_Allgemein2, txt::MenuGeneral},
    {ID_N0190berprfung1, txt::MenuDialerOptions},
    {ID_N0190berprfung2, txt::MenuDialerOptions},
    {ID_Check01901, txt::MenuCheckConnections},
    {ID_Check01902, txt::MenuCheckConnections},
    {ID_Hilfe1, txt::MenuHelp},
    {ID_WachtpostenHilfe1, txt::MenuHelpFile},
    {ID_Info1, txt::MenuAbout},
    {ID_Sprache1, txt::MenuLanguage},
    {ID_deutsch1, txt::MenuGerman},
    {ID_englisch1, txt::MenuEnglish},
    {ID_Cookieslschen2, txt::MenuDeleteCookiesTray},
    {ID_Verlauflschen1, txt::MenuDeleteHistory},
    {ID_Verlauflschen2, txt::MenuDeleteHistory},
    {ID_TemporreInternetDateienlschen1, txt::MenuDeleteTempFiles},
    {ID_TemporreInternetDateienlschen2, txt::MenuDeleteTempFiles},
    {ID_Extras2, txt::MenuDeleteTypedUrls},
    {ID_TypedURLslschen1, txt::MenuDeleteTypedUrls},
    {ID_Extras1, txt::MenuExtras},
    {ID_InternetExplorer2, txt::MenuExtras},
    {ID_Cookieslschen1, txt::MenuDeleteAllCookies},
    {ID_Cookiesselektivlschen1, txt::MenuDeleteSingleCookies},
};

void SetMenuText(HMENU menu, int id, const std::string& text) {
  MENUITEMINFOA mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STRING;
  mi.dwTypeData = const_cast<char*>(text.c_str());
  SetMenuItemInfoA(menu, static_cast<UINT>(id), FALSE, &mi);
}
}  // namespace

void TFWachtposten_Main::ApplyLanguage() {
  GroupBox2.SetText(Text(txt::OpenWindowsFrame));
  GroupBox1.SetText(Text(txt::ToCloseFrame));
  GroupBox3.SetText(Text(txt::NeverCloseFrame));
  Label2.SetText(Text(txt::CloseMarkedLink));
  Label3.SetText(Text(txt::KeepMarkedLink));
  StatusBar1.SetSimpleText(Text(ScanningActive ? txt::StatusActive : txt::StatusInactive));
  for (const MenuText& m : kMenuTexts) {
    // An ID lives in one of the two menus; setting it on the other does nothing.
    SetMenuText(MainMenu1, m.menuId, Text(m.textId));
    SetMenuText(PopupMenu1, m.menuId, Text(m.textId));
  }
  if (hwnd()) DrawMenuBar(hwnd());
  // The texts of this language have their room, at any dpi.
  FitToTexts(hwnd());
}

// The texts follow the choice before it is stored: when Config.ini refuses the write, the
// error is shown in the chosen language and the window does not stay in the other one.
void TFWachtposten_Main::deutsch1Click() {
  LanguageOffset = 0;
  ApplyLanguage();
  Config->SetLanguage("de");
}

void TFWachtposten_Main::englisch1Click() {
  LanguageOffset = kEnglishOffset;
  ApplyLanguage();
  Config->SetLanguage("en");
}
