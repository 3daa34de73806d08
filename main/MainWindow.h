#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "ConfigIni.h"
#include "ConnectionWatch.h"
#include "Controls.h"
#include "IExplorerCounter.h"
#include "Timer.h"
#include "TrayIcon.h"
#include "UserIni.h"
#include "Window.h"

// The private messages another program sends to the main window.
constexpr UINT WM_CLOSEBROWSER = 3179;  // close the front browser window, list it to close
constexpr UINT WM_KEEPBROWSER = 3180;   // list the front browser window never to close
// Posted to ourselves: the next waiting 3179/3180 may run.
constexpr UINT WM_RUNFRONTREQUEST = WM_APP + 3;
// Posted to ourselves: a list entry was not made, as User.ini could not be read; the box comes
// after the handler (3179/3180 come by SendMessage and must be answered at once).
constexpr UINT WM_LISTSUNREADABLE = WM_APP + 21;
// Posted to ourselves: tell that a front window's title could not be listed.
constexpr UINT WM_UNLISTABLETITLE = WM_APP + 11;
// Posted to ourselves: a request's list entry could not be stored; the write-error box comes
// after the handler, as the sender waits for our answer.
constexpr UINT WM_LISTNOTSAVED = WM_APP + 27;

extern const char* const kMainWindowClass;  // "TFWachtposten_Main": the launcher finds us by it

// The activation flag: windows are closed only while it is 1.
extern unsigned char ScanningActive;
// Why the main window closes next: 0 its own close, 1 end of session, 2 a quit command.
extern int CloseReason;

// Menu command IDs of the menu bar and the tray menu.
enum MenuId : int {
  ID_Datei1 = 100, ID_aktivieren1, ID_deaktivieren1, ID_Verbindungtrennen2, ID_Beenden1,
  ID_Einstellungen1, ID_Allgemein1, ID_N0190berprfung1, ID_Sprache1, ID_deutsch1, ID_englisch1,
  ID_Extras1, ID_Cookies1, ID_Cookieslschen1, ID_Cookiesselektivlschen1, ID_Verlauflschen1,
  ID_TemporreInternetDateienlschen1, ID_Extras2, ID_Check01901, ID_Hilfe1,
  ID_WachtpostenHilfe1, ID_Homepage1, ID_Info1,
  ID_aktivieren2 = 200, ID_deaktivieren2, ID_Einstellungen2, ID_Allgemein2, ID_N0190berprfung2,
  ID_InternetExplorer2, ID_Cookieslschen2, ID_Verlauflschen2, ID_TemporreInternetDateienlschen2,
  ID_TypedURLslschen1, ID_Check01902, ID_Verbindungtrennen1, ID_N2,
};

// Control IDs of the main window.
enum ControlId : int {
  IDC_GroupBox1 = 300, IDC_GroupBox2, IDC_GroupBox3, IDC_ListBox1, IDC_ListBox2, IDC_ListBox3,
  IDC_ListBox4, IDC_Label2, IDC_Label3, IDC_lviewConnections, IDC_StatusBar1,
};

// The main window: three lists of window titles, a status line, a tray icon, the menus and
// the timers that drive the guard.
struct WindowSnapshot;

class TFWachtposten_Main : public Window {
 public:
  TFWachtposten_Main();
  ~TFWachtposten_Main() override;

  // Creation event: the start-up checks that follow construction.
  void FormCreate();

  // Components.
  Control GroupBox1, GroupBox2, GroupBox3;
  ListBox ListBox1;  // browser windows open now
  ListBox ListBox2;  // to close (User.ini [Windows])
  ListBox ListBox3;  // never to close (User.ini [DontClose])
  ListBox ListBox4;  // hidden: handles of browser windows already maximised
  LinkLabel Label2, Label3;
  HWND lviewConnections = nullptr;
  StatusBar StatusBar1;
  Timer Timer1{1000, true};
  Timer Timer2{1000, false};
  Timer TimerEnumConn{500, false};
  // Runs while Config.ini or User.ini could not be read: reads them again once they are free.
  Timer TimerReread{1000, false};
  TIExplorer IExplorer1;
  TrayIcon TrayIcon1;
  HICON ImageList1[2] = {nullptr, nullptr};  // tray image 0 inactive, 1 active
  HMENU MainMenu1 = nullptr;
  HMENU PopupMenu1 = nullptr;

  // Window state.
  void MinimizeToTray();
  void RestoreFromTray();
  void SetTrayImage(int index);
  void ApplyStayOnTop();
  bool IsInTray() const;

  // Texts.
  void ApplyLanguage();
  void deutsch1Click();
  void englisch1Click();

  // The pop-up scan and the pop-up log.
  void Timer1Timer();
  void RefreshListBox();
  void KillFilteredWindows();
  void MaximizeBrowserWindows();
  void PruneBrowserHandles();
  void LogKilledWindows(const std::string& title);
  // The log line for a window that answered its close request; a window that outlives the
  // request and is asked again is logged once.
  void LogClosedWindow(HWND h, const std::string& title);

  // Config.ini and User.ini that could not be read (another program held them): read again,
  // waiting up to waitMs, and put in force what they hold (lists, language, settings). True
  // when both now are what the program works with.
  bool RereadStoredFiles(unsigned long waitMs);
  // Whether the list boxes hold the stored lists, reading User.ini again (bounded) if they do
  // not yet: no list is saved before.
  bool ListsReadable();
  // Tells, after the handler in hand, that a list entry was not made.
  void PostListsUnreadable();
  // At a scan tick: lists that another program changed in User.ini are read again (a file
  // held or gone for a moment is not waited for; the lists read last stand meanwhile).
  void FollowStoredLists();
  // The list box's items with text added, or its item at index left out, stored as section;
  // the list box changes only once the save has succeeded (a failed one throws).
  void AddListEntry(ListBox& list, const char* section, const std::string& text);
  void DeleteListEntry(ListBox& list, const char* section, int index);
  bool UserIniUnread() const { return userUnread_; }
  bool ConfigIniUnread() const { return configUnread_; }

  // The launcher's requests.
  void CloseFrontBrowserWindow();
  void KeepFrontBrowserWindow();
  // 3179 or 3180 arrived: run now, or after the one being handled.
  void FrontWindowRequest(UINT msg);
  // A request met a title the code page cannot hold: one box says so, once the request is
  // answered.
  void NoteUnlistableTitle();
  // Whether the front window's title may go on a list now; tells the user when not.
  bool MayListFrontTitle(const WindowSnapshot& front);
  void ShowUnlistableTitleNotice();

  // Menu commands, list commands and the check timer.
  void OnMenuCommand(int id);
  static bool CommandAvailable(int id);
  void Label2Click();
  void Label3Click();
  void ListBox1DblClick();
  void ListBox2DblClick();
  void ListBox3DblClick();
  void Timer2Timer();
  // Asks for the master password (or lets through when PiS is set); true when granted.
  bool RequestMasterAccess();
  // The dialer options, behind the master password.
  void N0190berprfung1Click();
  void Allgemein1Click();
  // The browser clean-ups that the settings choose for start-up, each followed by its message.
  void StartupCleanups();

  // The connection watch (TimerEnumConn), the connection log and the disconnect commands.
  void TimerEnumConnTimer();
  static void RasEnumCallback(void* context, const std::string& entryName, DWORD state,
                              const std::string& deviceName, const std::string& deviceType);
  void LogConnection(const std::string& entryName);
  void Verbindungtrennen1Click();
  // The window procedure installed at the first show: answers the dial-event message and
  // hands everything else to OldWindowProc, the procedure in force before.
  static LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  WNDPROC OldWindowProc = nullptr;
  // True while a dialog or message box of ours is open: no command opens another on top.
  bool ModalOpen() const;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateComponents();
  void CreateMenus();
  void FormShow();
  // Returns true when the window may really close (destroy); false keeps it in the tray.
  bool FormClose();
  void OnControlCommand(int id, int code);
  // The two list commands: the title marked among the open windows goes on the list to close
  // (the window is closed now too) or on the list never to close, unless it may not.
  void ListMarkedTitle(bool toClose);
  void InstallMainWindowProc();
  void BlockConnection(const std::string& entryName);
  void ShowDialupWarnings();
  void UpdateConnectionTable(const std::string& entryName, DWORD state);
  class ModalBusy;
  void QueueWarnings(const std::vector<std::string>& names);
  WarningQueue warnings_;
  HungUpLines hungUp_;
  bool hungUpInPoll_ = false;  // the running poll of the watch has hung up every line
  void RunFrontWindowRequest();
  std::deque<UINT> frontRequests_;  // 3179/3180 waiting for the one in hand
  bool handlingFrontRequest_ = false;
  bool unlistableNotice_ = false;  // its box is posted or open
  void ListFrontTitle(ListBox& list, const char* section, const std::string& title);
  void ShowListNotSaved();
  bool listNotSavedPosted_ = false;
  // A double click's delete of the marked entry, after the lists are the stored ones.
  void DeleteMarkedEntry(ListBox& list, const char* section);

  bool LoadStoredLists(unsigned long waitMs);
  void ReportUnreadFiles();
  void ShowListsUnreadable();
  bool userUnread_ = false;
  bool dialerSearchPending_ = false;
  bool configUnread_ = false;
  // The start-up check waits for the files it needs.
  bool startupCheckPending_ = false;
  // The start-up clean-ups wait for a Config.ini held at start, which says which to run.
  bool cleanupsPending_ = false;
  bool listsNoticePosted_ = false;

  std::vector<HWND> links_;
  HWND focus_ = nullptr;  // the control that had the focus when the window lost it
  bool quitOnDestroy_ = true;
  bool stayOnTop_ = false;  // the form style: applied once, kept for the window's life

 protected:
  // True while a modal dialog or message box of the main window's commands is open.
  bool inModal_ = false;
};

extern TFWachtposten_Main* FWachtposten_Main;

// LanguageOffset at start from Config.ini [Configuration] Language. read, when given, tells
// whether the file could be read (German is assumed when not).
int StartupLanguageOffset(const std::string& configPath, bool* read = nullptr,
                          unsigned long waitMs = kIniHeldWaitMs);

// Whether the settings dialogs may open: the settings and lists the program holds are the
// stored ones (a file not read so far is read again) and both files can be read now, each
// waited for up to waitMs. Otherwise unreadable names the file.
bool StoredFilesReadable(unsigned long waitMs, std::string& unreadable);

// Text of a menu item of ours, for tests and the language switch.
std::string MenuItemText(HMENU menu, int id);
