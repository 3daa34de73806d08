// What the user does from the main window: menus, tray menu, the list commands.
#include "MainCommands.h"
#include "CloseRequest.h"

#include <shellapi.h>

#include <algorithm>

#include "About.h"
#include "AppPaths.h"
#include "Connection.h"
#include "Cookies.h"
#include "Dialeroptions.h"
#include "Guard.h"
#include "IeFunctions.h"
#include "MainWindow.h"
#include "MasterPassword.h"
#include "MsgBox.h"
#include "Options.h"
#include "PopupRules.h"
#include "Rufsperre.h"
#include "Strings.h"
#include "TextIds.h"

const char* const kHelpFileName = "Wachtposten.html";
const char* const kHomepageUrl = "https://www.wachtposten.example/";

void ShellOpenDefault(HWND parent, const std::string& target) {
  ShellExecuteA(parent, "open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

ShellOpenFunction ShellOpen = &ShellOpenDefault;

BrowserStores* CleanupStores = &SystemBrowserStores();

bool RunCleanup(Cleanup what, BrowserStores& stores) {
  switch (what) {
    case Cleanup::Cookies:
      return DeleteCookies(stores);
    case Cleanup::History:
      // S_FALSE too leaves the history in doubt.
      return DeleteHistory(stores) == S_OK;
    case Cleanup::TempFiles:
      return DeleteTempInternetFiles(stores);
    case Cleanup::TypedUrls:
      return DeleteTypedUrls(stores);
  }
  return false;
}

int CleanupCommandText(Cleanup what, bool succeeded) {
  switch (what) {
    case Cleanup::Cookies:
      return succeeded ? txt::CookiesDeleted : txt::CookiesNotDeleted;
    case Cleanup::History:
      return succeeded ? txt::HistoryDeleted : txt::HistoryNotDeleted;
    case Cleanup::TempFiles:
      return succeeded ? txt::TempFilesDeleted : txt::TempFilesNotDeleted;
    case Cleanup::TypedUrls:
      return succeeded ? txt::TypedUrlsDeleted : txt::TypedUrlsNotDeleted;
  }
  return 0;
}

int StartupCleanupText(Cleanup what, bool succeeded) {
  if (!succeeded) return CleanupCommandText(what, false);
  return what == Cleanup::Cookies ? txt::CookiesDeleted : 0;
}

bool IsClosableBrowserClass(const std::string& className) {
  return className == "IEFrame" || className == "CabinetWClass";
}

HWND BrowserWindowTitled(const std::vector<TopLevelWindow>& frontToBack, const std::string& title) {
  for (const TopLevelWindow& w : frontToBack)
    if (IsClosableBrowserClass(w.className) && w.title == title && !w.titleLossy) return w.handle;
  return nullptr;
}

namespace {
BOOL CALLBACK CollectBrowserWindow(HWND hwnd, LPARAM lp) {
  return Guarded(
      [&] {
        // The class first: only browser windows need their title read.
        std::string cls = GetClassNameString(hwnd);
        if (IsClosableBrowserClass(cls)) {
          std::wstring wide;
          std::string title = ReadWindowTitle(hwnd, wide);
          reinterpret_cast<std::vector<TopLevelWindow>*>(lp)->push_back(
              {hwnd, cls, title, !wide.empty()});
        }
        return TRUE;
      },
      FALSE);
}

// Marks the main window busy with a modal dialog or message box for the scope's life, so the
// menus and the tray menu cannot open a second one on top.
class ModalScope {
 public:
  explicit ModalScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~ModalScope() { flag_ = was_; }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  bool& flag_;
  bool was_;
};

Cleanup CleanupOfCommand(int id) {
  switch (id) {
    case ID_Verlauflschen1:
    case ID_Verlauflschen2:
      return Cleanup::History;
    case ID_TemporreInternetDateienlschen1:
    case ID_TemporreInternetDateienlschen2:
      return Cleanup::TempFiles;
    case ID_Extras2:
    case ID_TypedURLslschen1:
      return Cleanup::TypedUrls;
    default:
      return Cleanup::Cookies;
  }
}

void Activate(TFWachtposten_Main& f) {
  f.StatusBar1.SetSimpleText(Text(txt::StatusActive));
  ScanningActive = 1;
  // The timed check only at a stored interval, which its timer holds already.
  f.Timer2.SetEnabled(Config->CheckInterval() != 0);
  f.TimerEnumConn.SetEnabled(true);
  if (Config->GetExclusivWindow()) f.IExplorer1.SetEnabled(true);
  f.SetTrayImage(1);
}

void Deactivate(TFWachtposten_Main& f) {
  if (!f.RequestMasterAccess()) {
    f.MinimizeToTray();
    return;
  }
  f.StatusBar1.SetSimpleText(Text(txt::StatusInactive));
  ScanningActive = 0;
  f.Timer2.SetEnabled(false);
  f.TimerEnumConn.SetEnabled(false);
  f.IExplorer1.SetEnabled(false);
  f.SetTrayImage(0);
}
}  // namespace

std::vector<TopLevelWindow> TopLevelBrowserWindows() {
  std::vector<TopLevelWindow> windows;
  EnumWindows(&CollectBrowserWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool TFWachtposten_Main::CommandAvailable(int id) {
  switch (id) {
    case ID_aktivieren1: case ID_aktivieren2:
    case ID_deaktivieren1: case ID_deaktivieren2:
    case ID_Beenden1: case ID_N2:
    case ID_deutsch1: case ID_englisch1:
    case ID_WachtpostenHilfe1: case ID_Homepage1:
    case ID_Verbindungtrennen1: case ID_Verbindungtrennen2:
    case ID_Check01901: case ID_Check01902:
    case ID_N0190berprfung1: case ID_N0190berprfung2:
    case ID_Allgemein1: case ID_Allgemein2:
    case ID_Cookieslschen1: case ID_Cookieslschen2: case ID_Cookiesselektivlschen1:
    case ID_Verlauflschen1: case ID_Verlauflschen2:
    case ID_TemporreInternetDateienlschen1: case ID_TemporreInternetDateienlschen2:
    case ID_Extras2: case ID_TypedURLslschen1:
    case ID_Info1:
      return true;
    default:
      // Submenus carry no command of their own.
      return false;
  }
}

void TFWachtposten_Main::OnMenuCommand(int id) {
  // A modal dialog or message box of ours is open (its loop still delivers commands posted to
  // this window): nothing opens on top of it.
  if (ModalOpen() || !CommandAvailable(id)) return;
  switch (id) {
    case ID_aktivieren1:
    case ID_aktivieren2:
      Activate(*this);
      break;
    case ID_deaktivieren1:
    case ID_deaktivieren2:
      Deactivate(*this);
      break;
    case ID_Beenden1:
    case ID_N2: {
      CloseReason = 2;
      HWND me = hwnd();
      SendMessageA(me, WM_CLOSE, 0, 0);
      // A refused quit: the title-bar button goes on hiding to the tray, as before.
      if (IsWindow(me)) CloseReason = 0;
      break;
    }
    case ID_N0190berprfung1:
    case ID_N0190berprfung2:
      N0190berprfung1Click();
      break;
    case ID_Allgemein1:
    case ID_Allgemein2:
      Allgemein1Click();
      break;
    case ID_deutsch1:
      deutsch1Click();
      break;
    case ID_englisch1:
      englisch1Click();
      break;
    case ID_WachtpostenHilfe1:
      ShellOpen(hwnd(), ProgramDir() + kHelpFileName);
      break;
    case ID_Homepage1:
      ShellOpen(hwnd(), kHomepageUrl);
      break;
    case ID_Verbindungtrennen1:
    case ID_Verbindungtrennen2:
      Verbindungtrennen1Click();
      break;
    case ID_Check01901: {
      ModalScope modal(inModal_);
      if (FCheck0190) {
        FCheck0190->RunModal(nullptr);
      } else {
        // No start-up has made the dialog (in-process use): one for this show does the same,
        // since the dialog keeps nothing between shows.
        TFCheck0190 dialog;
        dialog.RunModal(nullptr);
      }
      break;
    }
    case ID_Check01902: {
      ModalScope modal(inModal_);
      TFCheck0190::Check(true);
      break;
    }
    case ID_Cookieslschen1:
    case ID_Cookieslschen2:
    case ID_Verlauflschen1:
    case ID_Verlauflschen2:
    case ID_TemporreInternetDateienlschen1:
    case ID_TemporreInternetDateienlschen2:
    case ID_Extras2:
    case ID_TypedURLslschen1: {
      Cleanup what = CleanupOfCommand(id);
      bool succeeded = RunCleanup(what, *CleanupStores);
      ModalScope modal(inModal_);
      SysMessage(Text(CleanupCommandText(what, succeeded)));
      break;
    }
    case ID_Cookiesselektivlschen1: {
      ModalScope modal(inModal_);
      TFCookies dialog(*CleanupStores);
      dialog.RunModal(nullptr);
      break;
    }
    case ID_Info1: {
      ModalScope modal(inModal_);
      TFAboutBox dialog;
      dialog.RunModal(nullptr);
      break;
    }
  }
}

void TFWachtposten_Main::StartupCleanups() {
  const std::pair<bool, Cleanup> chosen[] = {
      {Config->GetDeleteCookiesOnStartUp(), Cleanup::Cookies},
      {Config->GetDeleteHistoryOnStartUp(), Cleanup::History},
      {Config->GetDeleteTempFilesOnStartUp(), Cleanup::TempFiles},
      {Config->GetDeleteTypedURLsOnStartUp(), Cleanup::TypedUrls},
  };
  for (const auto& [on, what] : chosen) {
    if (!on) continue;
    if (int text = StartupCleanupText(what, RunCleanup(what, *CleanupStores))) {
      ModalScope modal(inModal_);
      SysMessage(Text(text));
    }
  }
}

void TFWachtposten_Main::Label2Click() { ListMarkedTitle(true); }

void TFWachtposten_Main::Label3Click() { ListMarkedTitle(false); }

void TFWachtposten_Main::ListMarkedTitle(bool toClose) {
  if (ModalOpen()) return;
  if (!ListsReadable()) {
    // The list boxes do not hold the stored lists: nothing is saved over them.
    ModalScope modal(inModal_);
    AppMessage(TextF(txt::ListNotSavedUnreadable, UserIni->file().path()));
    return;
  }
  ListBox& list = toClose ? ListBox2 : ListBox3;
  const ListBox& other = toClose ? ListBox3 : ListBox2;
  int marked = ListBox1.Count() > 0 ? ListBox1.Selected() : -1;
  int refusal = 0;
  std::string title;
  if (marked < 0) {
    refusal = toClose ? txt::CloseNothingMarked : txt::KeepNothingMarked;
  } else if (ListBox1.ItemAt(marked).Lossy()) {
    refusal = txt::TitleNotListable;
  } else {
    title = ListBox1.Item(marked);
    if (other.Contains(title))
      refusal = toClose ? txt::CloseAlreadyNeverClose : txt::KeepAlreadyToClose;
    else if (list.Contains(title))
      refusal = toClose ? txt::CloseAlreadyListed : txt::KeepAlreadyListed;
  }
  if (refusal) {
    ModalScope modal(inModal_);
    AppMessage(Text(refusal));
    return;
  }

  // A window to close is closed at once. A hung one is not waited for long. Logged like the
  // scan's closes.
  HWND browser = toClose ? BrowserWindowTitled(TopLevelBrowserWindows(), title) : nullptr;
  if (browser && SendCloseRequest(browser) == CloseOutcome::Answered) {
    if (Config->GetLogFilteredPop()) LogClosedWindow(browser, title);
    WaitForWindowGone(browser, kWindowGoneWaitMs);
  }
  RefreshListBox();
  // Listed also when no window has it now: it is closed whenever it opens again.
  AddListEntry(list, toClose ? "Windows" : "DontClose", title);
}

void TFWachtposten_Main::ListBox1DblClick() { Label2Click(); }

void TFWachtposten_Main::ListBox2DblClick() { DeleteMarkedEntry(ListBox2, "Windows"); }

void TFWachtposten_Main::ListBox3DblClick() { DeleteMarkedEntry(ListBox3, "DontClose"); }

void TFWachtposten_Main::DeleteMarkedEntry(ListBox& list, const char* section) {
  int marked = list.Selected();
  if (list.Count() == 0 || marked < 0) return;
  std::string title = list.Item(marked);
  if (!ListsReadable()) {
    ModalScope modal(inModal_);
    AppMessage(TextF(txt::ListNotSavedUnreadable, UserIni->file().path()));
    return;
  }
  // Read again meanwhile, the entry may sit elsewhere now, or be gone.
  const std::vector<std::string>& items = list.Items();
  auto at = std::find(items.begin(), items.end(), title);
  if (at != items.end()) DeleteListEntry(list, section, static_cast<int>(at - items.begin()));
  RefreshListBox();
}

void TFWachtposten_Main::Timer2Timer() {
  TFCheck0190::Check(false);
  CheckDialer();
}

bool TFWachtposten_Main::ModalOpen() const {
  // Our dialogs and boxes are owned by this window (or by one another) and disable it; the flag
  // also covers the time before one shows and a command that waits without one. The tray icon
  // still reaches a disabled window.
  return inModal_ || !IsWindowEnabled(hwnd());
}

bool TFWachtposten_Main::RequestMasterAccess() {
  // One question at a time: a second request while the dialog is open is refused.
  if (ModalOpen()) return false;
  MasterAccessGranted = 0;
  if (Config->GetPiS()) {
    MasterAccessGranted = 1;
  } else {
    ModalScope modal(inModal_);
    TFMasterPassword dialog;
    dialog.RunModal(nullptr);
  }
  bool granted = MasterAccessGranted == 1;
  MasterAccessGranted = 0;
  return granted;
}

void TFWachtposten_Main::Allgemein1Click() {
  if (!RequestMasterAccess()) return;
  ModalScope modal(inModal_);
  TFOptions dialog;
  dialog.RunModal(nullptr);
}

void TFWachtposten_Main::N0190berprfung1Click() {
  if (!RequestMasterAccess() || !FDialerOptions) return;
  ModalScope modal(inModal_);
  FDialerOptions->RunModal(nullptr);
}
