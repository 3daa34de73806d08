#include "MainWindow.h"

#include <commctrl.h>

#include "AppPaths.h"
#include "Connection.h"
#include "Dialog.h"
#include "Guard.h"
#include "MsgBox.h"
#include "ResourceIds.h"
#include "Rufsperre.h"
#include "Strings.h"
#include "TextIds.h"

const char* const kMainWindowClass = "TFWachtposten_Main";
unsigned char ScanningActive = 1;
int CloseReason = 0;
TFWachtposten_Main* FWachtposten_Main = nullptr;

namespace {
constexpr int kClientWidth = 473, kClientHeight = 509;
const char kTrayHint[] = "Wachtposten + Leitungswart";
const char kRemoveHint2[] = "Um einen Eintrag aus der Liste zu entfernen --> Doppelklick";
const char kRemoveHint3[] = "Um einen Eintrag aus der Lister zu entfernen --> Doppelklick";
constexpr DWORD kListStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | WS_BORDER |
                             LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

HICON LoadIcon16(int id) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                       16, 16, LR_DEFAULTCOLOR));
}

void AddToolTip(HWND tip, HWND parent, HWND control, const char* text) {
  TOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = parent;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<char*>(text);
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}
}  // namespace

int StartupLanguageOffset(const std::string& configPath, bool* read, unsigned long waitMs) {
  if (read) *read = true;
  // A Config.ini that is no file counts as missing: German.
  DWORD attr = GetFileAttributesA(configPath.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  std::string language;
  if (!IniFile(configPath).TryReadString(kConfigSection, "Language", "de", language, waitMs)) {
    if (read) *read = false;
    return 0;
  }
  // Only the first two characters of the stored language count, and the test is
  // case-sensitive: "deutsch" is German, "DE" English.
  return language.substr(0, 2) == "de" ? 0 : kEnglishOffset;
}

bool StoredFilesReadable(unsigned long waitMs, std::string& unreadable) {
  unreadable.clear();
  std::string configPath = Config ? Config->file().path() : std::string();
  std::string userPath = UserIni ? UserIni->file().path() : std::string();
  if (FWachtposten_Main) {
    FWachtposten_Main->RereadStoredFiles(waitMs);
    if (FWachtposten_Main->ConfigIniUnread()) unreadable = configPath;
    else if (FWachtposten_Main->UserIniUnread()) unreadable = userPath;
  } else if (Config && !Config->Reload(waitMs)) {
    unreadable = configPath;
  }
  if (unreadable.empty() && Config && !Config->file().Readable(waitMs)) unreadable = configPath;
  if (unreadable.empty() && UserIni && !UserIni->file().Readable(waitMs)) unreadable = userPath;
  return unreadable.empty();
}

std::string MenuItemText(HMENU menu, int id) {
  char buf[256];
  int n = GetMenuStringA(menu, static_cast<UINT>(id), buf, sizeof buf, MF_BYCOMMAND);
  return std::string(buf, n > 0 ? n : 0);
}

TFWachtposten_Main::TFWachtposten_Main() {
  FWachtposten_Main = this;

  // The form and its components, with the defaults of the form.
  ImageList1[0] = LoadIcon16(IDI_TRAY_INACTIVE);
  ImageList1[1] = LoadIcon16(IDI_TRAY_ACTIVE);
  CreateMenus();
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r = {0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectEx(&r, style, TRUE, 0);
  int w = r.right - r.left, h = r.bottom - r.top;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  CreateArgs a;
  a.className = kMainWindowClass;
  a.title = "Wachtposten";
  a.style = style;
  a.x = work.left + (work.right - work.left - w) / 2;
  a.y = work.top + (work.bottom - work.top - h) / 2;
  a.width = w;
  a.height = h;
  a.menu = MainMenu1;
  a.icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN),
                                         IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  Create(a);
  SetProgramWindow(hwnd());
  CreateComponents();
  // Centred, it may be taller than a small screen's work area (and the system may have made it
  // no taller than the screen): its title bar and menus stay on it.
  FitInWorkArea(hwnd(), SIZE{Scale(kClientWidth), Scale(kClientHeight)});

  UserIni = new TUserIni();
  // The lists before anything that may show a box: a request to list the front browser
  // window, handled in that box's message loop, would otherwise save a list holding only it.
  // A User.ini that another program holds is not taken for empty lists: they are read once
  // it is free, and nothing is saved over them before.
  userUnread_ = !LoadStoredLists(kIniHeldWaitMs);
  BadWordList = &UserIni->Words();

  ConfigTargets targets;
  targets.counter = &IExplorer1;
  targets.checkTimer = &Timer2;
  targets.connectionTimer = &TimerEnumConn;
  targets.stayOnTop = [this] { ApplyStayOnTop(); };
  Config = new TConfigIni(targets);
  // Before any box: the settings object reports a refused write only when asked, below.
  bool languageRead = false;
  LanguageOffset = Config->Unread()
                       ? 0
                       : StartupLanguageOffset(ProgramDir() + "Config.ini", &languageRead);
  configUnread_ = !languageRead;
  ApplyLanguage();

  TrayIcon1.OnLeftButtonUp = [this] { RestoreFromTray(); };
  TrayIcon1.OnRightButtonUp = [this] {
    if (!ModalOpen())
      ShowTrayMenu(hwnd(), PopupMenu1);
    else if (HWND open = OpenDialogOf(hwnd()))
      BringForward(open);  // the menu waits for it: show why
  };
  TrayIcon1.Add(hwnd(), ImageList1[1], kTrayHint);
  Config->ReportStartupWriteError();
  // Chosen in Config.ini: when it is held, they run late, once it is read (maybe inside the
  // box below).
  bool cleanupsLate = configUnread_;
  cleanupsPending_ = cleanupsLate;
  ReportUnreadFiles();
  // Their messages come after the lists and the settings are in place: the timers run
  // inside the message boxes.
  if (!cleanupsLate) StartupCleanups();

  MinimizeToTray();
  // Wine drops the topmost style set while the menus and the tray icon were still being
  // set up; the form style holds for the window's life, so put it on again.
  if (stayOnTop_) ApplyStayOnTop();
}

TFWachtposten_Main::~TFWachtposten_Main() {
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  TimerEnumConn.SetEnabled(false);
  TimerReread.SetEnabled(false);
  IExplorer1.SetEnabled(false);
  TrayIcon1.Remove();
  delete UserIni;
  UserIni = nullptr;
  BadWordList = nullptr;
  delete Config;
  Config = nullptr;
  if (FWachtposten_Main == this) FWachtposten_Main = nullptr;
  if (ProgramWindow() == hwnd()) SetProgramWindow(nullptr);
  quitOnDestroy_ = false;
  if (hwnd()) DestroyWindow(hwnd());
  if (PopupMenu1) DestroyMenu(PopupMenu1);
  for (HICON& icon : ImageList1)
    if (icon) DestroyIcon(icon);
}

void TFWachtposten_Main::CreateComponents() {
  HWND me = hwnd();
  auto group = [&](Control& c, int id, int y, int height) {
    c.Attach(CreateChild(me, "BUTTON", "", WS_VISIBLE | BS_GROUPBOX, 8, y, 457, height, id));
  };
  group(GroupBox2, IDC_GroupBox2, 4, 152);
  // Unicode: it shows a title the ANSI code page cannot hold as it is.
  ListBox1.Attach(CreateChild(me, "LISTBOX", "", kListStyle, 18, 22, 437, 124, IDC_ListBox1,
                              WS_EX_CLIENTEDGE, true));
  group(GroupBox1, IDC_GroupBox1, 160, 160);
  ListBox2.Attach(CreateChild(me, "LISTBOX", "", kListStyle, 18, 178, 437, 112, IDC_ListBox2, WS_EX_CLIENTEDGE));
  Label2.Create(me, "", 18, 296, 300, 16, IDC_Label2);
  group(GroupBox3, IDC_GroupBox3, 324, 160);
  ListBox3.Attach(CreateChild(me, "LISTBOX", "", kListStyle, 18, 342, 437, 112, IDC_ListBox3, WS_EX_CLIENTEDGE));
  Label3.Create(me, "", 18, 460, 300, 16, IDC_Label3);
  ListBox4.Attach(CreateChild(me, "LISTBOX", "", 0, 0, 0, 10, 10, IDC_ListBox4));
  links_ = {Label2.hwnd(), Label3.hwnd()};

  lviewConnections = CreateChild(me, WC_LISTVIEWA, "",
                                 LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                                 0, 0, 200, 100, IDC_lviewConnections);
  ListView_SetExtendedListViewStyle(lviewConnections, LVS_EX_FULLROWSELECT);
  const char* columns[] = {"Name", "Status", "Status"};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 100;
    col.pszText = const_cast<char*>(columns[i]);
    SendMessageA(lviewConnections, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }

  StatusBar1.Create(me, IDC_StatusBar1);

  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             0, 0, 0, 0, me, nullptr, GetModuleHandleA(nullptr), nullptr);
  AddToolTip(tip, me, ListBox2.hwnd(), kRemoveHint2);
  AddToolTip(tip, me, ListBox3.hwnd(), kRemoveHint3);

  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  TimerEnumConn.OnTimer = [this] { TimerEnumConnTimer(); };
  // A file still held is not waited for at every tick.
  TimerReread.OnTimer = [this] { RereadStoredFiles(0); };
  IExplorer1.SetMaxWindow(1);
}

void TFWachtposten_Main::CreateMenus() {
  auto item = [](HMENU m, int id) { AppendMenuA(m, MF_STRING, static_cast<UINT_PTR>(id), ""); };
  auto sub = [](HMENU m, HMENU child, const char* text) {
    AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(child), text);
  };
  auto sep = [](HMENU m) { AppendMenuA(m, MF_SEPARATOR, 0, nullptr); };

  MainMenu1 = CreateMenu();
  HMENU datei = CreatePopupMenu();
  item(datei, ID_aktivieren1);
  item(datei, ID_deaktivieren1);
  sep(datei);
  item(datei, ID_Verbindungtrennen2);
  sep(datei);
  item(datei, ID_Beenden1);
  HMENU einstellungen = CreatePopupMenu();
  item(einstellungen, ID_Allgemein1);
  item(einstellungen, ID_N0190berprfung1);
  HMENU sprache = CreatePopupMenu();
  item(sprache, ID_deutsch1);
  item(sprache, ID_englisch1);
  sub(einstellungen, sprache, "");
  HMENU extras = CreatePopupMenu();
  HMENU cookies = CreatePopupMenu();
  item(cookies, ID_Cookieslschen1);
  item(cookies, ID_Cookiesselektivlschen1);
  sub(extras, cookies, "&Cookies");
  item(extras, ID_Verlauflschen1);
  item(extras, ID_TemporreInternetDateienlschen1);
  item(extras, ID_Extras2);
  HMENU hilfe = CreatePopupMenu();
  item(hilfe, ID_WachtpostenHilfe1);
  sep(hilfe);
  AppendMenuA(hilfe, MF_STRING, ID_Homepage1, "&Homepage");
  sep(hilfe);
  item(hilfe, ID_Info1);
  sub(MainMenu1, datei, "");
  sub(MainMenu1, einstellungen, "");
  sub(MainMenu1, extras, "");
  item(MainMenu1, ID_Check01901);
  sub(MainMenu1, hilfe, "");

  PopupMenu1 = CreatePopupMenu();
  item(PopupMenu1, ID_aktivieren2);
  item(PopupMenu1, ID_deaktivieren2);
  sep(PopupMenu1);
  HMENU einstellungen2 = CreatePopupMenu();
  item(einstellungen2, ID_Allgemein2);
  item(einstellungen2, ID_N0190berprfung2);
  sub(PopupMenu1, einstellungen2, "");
  sep(PopupMenu1);
  HMENU ie2 = CreatePopupMenu();
  item(ie2, ID_Cookieslschen2);
  item(ie2, ID_Verlauflschen2);
  item(ie2, ID_TemporreInternetDateienlschen2);
  item(ie2, ID_TypedURLslschen1);
  sub(PopupMenu1, ie2, "");
  sep(PopupMenu1);
  item(PopupMenu1, ID_Check01902);
  item(PopupMenu1, ID_Verbindungtrennen1);
  sep(PopupMenu1);
  item(PopupMenu1, ID_N2);

  // Give the submenus their IDs too, so their captions can be set by ID like the items.
  auto idSub = [](HMENU m, int pos, int id) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_ID;
    mi.wID = static_cast<UINT>(id);
    SetMenuItemInfoA(m, static_cast<UINT>(pos), TRUE, &mi);
  };
  idSub(MainMenu1, 0, ID_Datei1);
  idSub(MainMenu1, 1, ID_Einstellungen1);
  idSub(MainMenu1, 2, ID_Extras1);
  idSub(MainMenu1, 4, ID_Hilfe1);
  idSub(einstellungen, 2, ID_Sprache1);
  idSub(extras, 0, ID_Cookies1);
  idSub(PopupMenu1, 3, ID_Einstellungen2);
  idSub(PopupMenu1, 5, ID_InternetExplorer2);

  // Commands whose work is not part of this program yet are shown, but greyed.
  for (HMENU m : {datei, einstellungen, sprache, cookies, extras, hilfe, MainMenu1, PopupMenu1,
                  einstellungen2, ie2}) {
    int n = GetMenuItemCount(m);
    for (int i = 0; i < n; ++i) {
      if (GetSubMenu(m, i)) continue;
      UINT id = GetMenuItemID(m, i);
      if (id != 0 && id != static_cast<UINT>(-1) && !CommandAvailable(static_cast<int>(id)))
        EnableMenuItem(m, id, MF_BYCOMMAND | MF_GRAYED);
    }
  }
}

void TFWachtposten_Main::FormCreate() {
  // FCheck0190 does not exist yet; the check needs no dialog object. What a Config.ini not
  // read yet asks for, and a check that could not read User.ini, run once the files are read.
  dialerSearchPending_ = configUnread_;
  startupCheckPending_ =
      configUnread_ || (Config->Get0190CheckOnStartUp() && !TFCheck0190::Check(false));
  if (!configUnread_ && Config->GetDialerSearch()) CheckDialer();
  if (startupCheckPending_ || dialerSearchPending_) TimerReread.SetEnabled(true);
}

bool TFWachtposten_Main::LoadStoredLists(unsigned long waitMs) {
  // Held meanwhile: the four lists come from one state of the file.
  IniHold hold(UserIni->file().path(), false, waitMs);
  if (!hold.Free()) return false;
  // Taken before the reads: a change made while they run is found at the next look.
  IniFileStamp stamp = StampOf(UserIni->file().path());
  std::vector<std::string> toClose, neverClose;
  if (!UserIni->ReadList("Windows", toClose, 0) || !UserIni->ReadList("DontClose", neverClose, 0) ||
      !UserIni->RefreshBadWords(0) || !UserIni->RefreshWhiteConnections(0))
    return false;
  ListBox2.SetItems(toClose);
  ListBox3.SetItems(neverClose);
  BadWordList = &UserIni->Words();
  UserIni->SetListsStamp(stamp);
  return true;
}

void TFWachtposten_Main::ReportUnreadFiles() {
  std::string files;
  if (configUnread_) files += Config->file().path();
  if (userUnread_) files += (files.empty() ? "" : "\r\n") + UserIni->file().path();
  if (files.empty()) return;
  TimerReread.SetEnabled(true);
  // What waits for each file, as RereadStoredFiles does it.
  std::string text = TextF(txt::StartFilesHeld, files);
  if (configUnread_) text += "\r\n\r\n" + Text(txt::StartConfigUnread);
  if (userUnread_) text += "\r\n\r\n" + Text(txt::StartUserUnread);
  // Told once. The files are read again meanwhile, also while this box is open.
  bool was = inModal_;
  inModal_ = true;
  SysMessage(text);
  inModal_ = was;
}

bool TFWachtposten_Main::RereadStoredFiles(unsigned long waitMs) {
  if (configUnread_ && Config && Config->Reload(waitMs)) {
    bool read = false;
    int offset = StartupLanguageOffset(Config->file().path(), &read, waitMs);
    if (read) {
      configUnread_ = false;
      LanguageOffset = offset;
      ApplyLanguage();
    }
  }
  if (userUnread_ && UserIni && LoadStoredLists(waitMs)) userUnread_ = false;
  if (!configUnread_ && cleanupsPending_) {
    // Cleared first: each clean-up's box runs a message loop.
    cleanupsPending_ = false;
    StartupCleanups();
  }
  if (!configUnread_ && dialerSearchPending_) {
    dialerSearchPending_ = false;
    if (Config->GetDialerSearch()) CheckDialer();
  }
  if (!configUnread_ && startupCheckPending_ && (!userUnread_ || !Config->Get0190CheckOnStartUp())) {
    // Cleared first: the check's box runs a message loop.
    startupCheckPending_ = false;
    if (Config->Get0190CheckOnStartUp()) startupCheckPending_ = !TFCheck0190::Check(false);
  }
  bool done = !configUnread_ && !userUnread_;
  TimerReread.SetEnabled(!done || startupCheckPending_);
  return done;
}

bool TFWachtposten_Main::ListsReadable() {
  if (!UserIni) return !userUnread_;
  // Changed by another program since it was read: read again, or what it stored would be
  // saved over.
  if (!userUnread_ && !UserIni->ListsChangedElsewhere()) return true;
  if (!LoadStoredLists(kIniHeldWaitMs)) return false;
  userUnread_ = false;
  return true;
}

void TFWachtposten_Main::FollowStoredLists() {
  if (!userUnread_ && UserIni && UserIni->ListsChangedElsewhere()) LoadStoredLists(0);
}

void TFWachtposten_Main::AddListEntry(ListBox& list, const char* section, const std::string& text) {
  std::vector<std::string> items = list.Items();
  items.push_back(text);
  UserIni->SaveItems(section, items);
  list.Add(text);
}

void TFWachtposten_Main::DeleteListEntry(ListBox& list, const char* section, int index) {
  if (index < 0 || index >= list.Count()) return;
  std::vector<std::string> items = list.Items();
  items.erase(items.begin() + index);
  UserIni->SaveItems(section, items);
  list.Delete(index);
}

void TFWachtposten_Main::PostListsUnreadable() {
  // One box for a burst of requests.
  if (listsNoticePosted_) return;
  listsNoticePosted_ = true;
  PostMessageA(hwnd(), WM_LISTSUNREADABLE, 0, 0);
}

void TFWachtposten_Main::ShowListsUnreadable() {
  bool was = inModal_;
  inModal_ = true;
  AppMessage(TextF(txt::ListNotSavedUnreadable, UserIni ? UserIni->file().path() : std::string()));
  inModal_ = was;
  listsNoticePosted_ = false;
}

void TFWachtposten_Main::FormShow() {
  InstallMainWindowProc();
  RefreshListBox();
}

bool TFWachtposten_Main::FormClose() {
  switch (CloseReason) {
    case 1:
      return true;
    case 2:
      return RequestMasterAccess();
    default:
      return false;
  }
}

bool TFWachtposten_Main::IsInTray() const { return !IsWindowVisible(hwnd()); }

void TFWachtposten_Main::MinimizeToTray() { ShowWindow(hwnd(), SW_HIDE); }

void TFWachtposten_Main::RestoreFromTray() {
  // A dialog or box of ours that is open stays in front: the window comes up beneath it.
  HWND open = OpenDialogOf(hwnd());
  // The screen may have changed while the window was in the tray.
  FitInWorkArea(hwnd());
  if (IsIconic(hwnd())) ShowWindow(hwnd(), open ? SW_SHOWNOACTIVATE : SW_RESTORE);
  ShowWindow(hwnd(), open ? SW_SHOWNA : SW_SHOW);
  if (stayOnTop_) ApplyStayOnTop();
  if (open)
    BringForward(open);
  else
    SetForegroundWindow(hwnd());
}

void TFWachtposten_Main::SetTrayImage(int index) {
  TrayIcon1.SetIcon(ImageList1[index == 0 ? 0 : 1]);
}

void TFWachtposten_Main::ApplyStayOnTop() {
  stayOnTop_ = true;
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFWachtposten_Main::OnControlCommand(int id, int code) {
  if (code == LBN_DBLCLK) {
    if (id == IDC_ListBox1) ListBox1DblClick();
    if (id == IDC_ListBox2) ListBox2DblClick();
    if (id == IDC_ListBox3) ListBox3DblClick();
  } else if (code == STN_CLICKED) {
    if (id == IDC_Label2) Label2Click();
    if (id == IDC_Label3) Label3Click();
  }
}

LRESULT TFWachtposten_Main::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (TrayIcon1.HandleMessage(msg, wp, lp)) return 0;
  switch (msg) {
    case WM_COMMAND:
      if (lp == 0)
        OnMenuCommand(LOWORD(wp));
      else
        OnControlCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (LRESULT brush = LinkColors(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), links_))
        return brush;
      break;
    case WM_SETCURSOR:
      if (LinkCursor(reinterpret_cast<HWND>(wp), links_)) return TRUE;
      break;
    case WM_ACTIVATE:
      // As in a dialog, the control that had the focus has it again when the window is back.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) focus_ = focus;
      }
      break;
    case WM_SETFOCUS: {
      bool usable = focus_ && IsChild(hwnd(), focus_) && IsWindowVisible(focus_) &&
                    IsWindowEnabled(focus_);
      if (HWND to = usable ? focus_ : GetNextDlgTabItem(hwnd(), nullptr, FALSE)) SetFocus(to);
      return 0;
    }
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        MinimizeToTray();
        return 0;
      }
      break;
    case WM_SHOWWINDOW:
      if (wp) FormShow();
      break;
    case WM_SHOWDIALUPWARNINGS:
      ShowDialupWarnings();
      return 0;
    case WM_CLOSE:
      if (FormClose())
        DestroyWindow(hwnd());
      else
        MinimizeToTray();
      return 0;
    case WM_QUERYENDSESSION:
      // The session may end; stop only when it really does (another program may cancel).
      return TRUE;
    case WM_ENDSESSION:
      if (wp) {
        Timer1.SetEnabled(false);
        Timer2.SetEnabled(false);
        TimerEnumConn.SetEnabled(false);
        CloseReason = 1;
        SendMessageA(hwnd(), WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_DESTROY:
      TrayIcon1.Remove();
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
    case WM_CLOSEBROWSER:
    case WM_KEEPBROWSER:
      FrontWindowRequest(msg);
      return 0;
    case WM_RUNFRONTREQUEST:
      RunFrontWindowRequest();
      return 0;
    case WM_LISTSUNREADABLE:
      ShowListsUnreadable();
      return 0;
    case WM_UNLISTABLETITLE:
      ShowUnlistableTitleNotice();
      return 0;
    case WM_LISTNOTSAVED:
      ShowListNotSaved();
      return 0;
  }
  return DefaultHandling(msg, wp, lp);
}
