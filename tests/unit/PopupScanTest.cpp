// In-process, with real windows: the pop-up log writer (the line the locale functions give,
// appended), the bounded close request, the lookup of browser windows and the open-window list.
#include <gtest/gtest.h>

#include <functional>

#include "AppPaths.h"
#include "CloseRequest.h"
#include "ConfigIni.h"
#include "MainWindow.h"
#include "MessageBoxWatcher.h"
#include "PopupRules.h"
#include "TempDir.h"

TEST(PopupLogWriter, AppendsOneLocaleStampedLinePerCallToTheOneLogPath) {
  TempDir dir;
  SetProgramDirForTests(dir.path());
  {
    TFWachtposten_Main form;
    EXPECT_EQ(dir.File("Wachtposten.log"), PopupLogPath());
    form.LogKilledWindows("Eins");
    form.LogKilledWindows("Zwei");
  }
  std::string log = ReadFileBytes(dir.File("Wachtposten.log"));
  char date[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
  EXPECT_EQ(0u, log.find(std::string(date) + " ")) << log;
  EXPECT_NE(std::string::npos, log.find(" - Eins\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" - Zwei\r\n")) << log;
  SetProgramDirForTests("");
}

namespace {
// A hidden top-level window on a thread of its own. It takes `slowMs` over a close request and
// then goes; a hanging one stops taking messages once it stands, until the end of the test.
// Given `onClose`, it runs that at each close request instead, and goes when it returns true.
class ThreadWindow {
 public:
  ThreadWindow(DWORD slowMs, bool hang, const char* cls = "CloseRequestTarget",
               const std::string& title = "", std::function<bool(HWND)> onClose = nullptr)
      : slowMs_(slowMs), hang_(hang), cls_(cls), title_(title), onClose_(std::move(onClose)) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &ThreadWindow::Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 5000);
  }
  ~ThreadWindow() {
    SetEvent(release_);
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    CloseHandle(release_);
  }
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<ThreadWindow*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (m == WM_SYSCOMMAND && (w & 0xFFF0) == SC_CLOSE) {
      Sleep(self->slowMs_);
      if (!self->onClose_ || self->onClose_(h)) DestroyWindow(h);
      return 0;
    }
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(h, m, w, l);
  }
  static DWORD WINAPI Run(LPVOID p) {
    auto* self = static_cast<ThreadWindow*>(p);
    // The class may be another test's already: the window is subclassed to become ours.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = self->cls_;
    RegisterClassA(&wc);  // fails harmlessly once registered
    self->hwnd_ = CreateWindowExA(0, wc.lpszClassName, self->title_.c_str(), WS_OVERLAPPEDWINDOW,
                                  0, 0, 900, 700, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(self->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetWindowLongPtrA(self->hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
    SetEvent(self->ready_);
    if (self->hang_) {
      WaitForSingleObject(self->release_, INFINITE);
      DestroyWindow(self->hwnd_);
      return 0;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  }

  DWORD slowMs_;
  bool hang_;
  const char* cls_;
  std::string title_;
  std::function<bool(HWND)> onClose_;
  HWND hwnd_ = nullptr;
  HANDLE ready_, release_, thread_;
};

// A hidden top-level window of this thread; new windows come first in the z-order.
HWND TopWindow(const char* cls, const std::string& title) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  RegisterClassA(&wc);
  return CreateWindowExA(0, cls, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

// The form of a test, with a program directory of its own.
struct FormTest : ::testing::Test {
  TempDir dir;
  void SetUp() override { SetProgramDirForTests(dir.path()); }
  void TearDown() override { SetProgramDirForTests(""); }
};

bool WaitGone(HWND h, DWORD ms) {
  DWORD start = GetTickCount();
  while (IsWindow(h)) {
    if (GetTickCount() - start > ms) return false;
    Sleep(10);
  }
  return true;
}
}  // namespace

// What the scan logs depends on it: a request that was delivered is a close, one the system
// refused is none.
TEST(CloseRequest, TellsAnAnswerFromATimeOutFromAHungWindowTurnedAway) {
  ThreadWindow quick(0, false), slow(1500, false), hung(0, true);
  EXPECT_EQ(CloseOutcome::Answered, RequestClose(quick.hwnd(), 1000));
  EXPECT_FALSE(IsWindow(quick.hwnd()));
  EXPECT_EQ(CloseOutcome::Answered, RequestClose(quick.hwnd(), 1000)) << "a window that is gone";

  DWORD start = GetTickCount();
  EXPECT_EQ(CloseOutcome::TimedOut, RequestClose(slow.hwnd(), 300));
  EXPECT_LT(GetTickCount() - start, 1200u) << "the wait is bounded";
  EXPECT_TRUE(WaitGone(slow.hwnd(), 5000)) << "a timed-out request still reaches the window";

  // The system calls a window hung that has taken no messages for five seconds.
  Sleep(5500);
  start = GetTickCount();
  EXPECT_EQ(CloseOutcome::NotDelivered, RequestClose(hung.hwnd(), 2000));
  EXPECT_LT(GetTickCount() - start, 500u);
}

// The list of open browser windows is rebuilt every second; the entry the user marked must
// stay marked while its window is open, and go when it goes.
TEST(OpenWindowList, KeepsTheMarkedTitleWhileItsWindowIsOpen) {
  TempDir dir;
  SetProgramDirForTests(dir.path());
  {
    TFWachtposten_Main form;
    HWND a = TopWindow("IEFrame", "A Internet"), b = TopWindow("IEFrame", "B Internet");
    HWND front = TopWindow("STATIC", "front");  // the first window is never listed
    form.RefreshListBox();
    ASSERT_EQ((std::vector<std::string>{"B Internet", "A Internet"}), form.ListBox1.Items());
    form.ListBox1.Select(1);
    DestroyWindow(b);
    SetWindowTextA(a, "a Internet");
    form.RefreshListBox();
    EXPECT_EQ((std::vector<std::string>{"a Internet"}), form.ListBox1.Items());
    EXPECT_EQ(0, form.ListBox1.Selected()) << "found again ignoring case";
    DestroyWindow(a);
    form.RefreshListBox();
    EXPECT_TRUE(form.ListBox1.Items().empty());
    EXPECT_EQ(-1, form.ListBox1.Selected());
    DestroyWindow(front);
  }
  SetProgramDirForTests("");
}

// The walk looks browser windows up by class; windows of two classes are put into z-order by a
// walk from the front. The snapshot is the first window and the browser windows, front to back.
TEST(WindowLookup, FindsBrowserWindowsByClassInZOrder) {
  auto make = [](const char* cls) { return TopWindow(cls, ""); };
  const std::vector<const char*> classes = {"IEFrame", "CabinetWClass"};
  HWND back = make("IEFrame"), front = make("IEFrame");  // new windows come first
  ClassLookup found = FindWindowsOfClasses(classes);
  EXPECT_TRUE(found.ordered);
  EXPECT_EQ((std::vector<HWND>{front, back}), found.windows);

  HWND folder = make("CabinetWClass");
  found = FindWindowsOfClasses(classes);
  EXPECT_FALSE(found.ordered);
  PutInZOrder(found);
  EXPECT_EQ((std::vector<HWND>{folder, front, back}), found.windows);

  // The first window is of no browser class; each window keeps its own class, though the walk
  // reads one name per class.
  HWND plain = make("PlainWindow");
  WindowList snapshot = TakeWindowSnapshot();
  std::vector<HWND> handles;
  std::vector<std::string> classNames;
  for (const WindowSnapshot& w : snapshot) {
    handles.push_back(w.handle);
    classNames.push_back(w.className);
  }
  EXPECT_EQ((std::vector<HWND>{plain, folder, front, back}), handles);
  EXPECT_EQ((std::vector<std::string>{"PlainWindow", "CabinetWClass", "IEFrame", "IEFrame"}),
            classNames);
  DestroyWindow(plain);

  // A window gone between the lookup and the walk drops out, and the walk still ends.
  found = FindWindowsOfClasses(classes);
  DestroyWindow(back);
  PutInZOrder(found);
  EXPECT_EQ((std::vector<HWND>{folder, front}), found.windows);
  for (HWND h : {folder, front}) DestroyWindow(h);
  EXPECT_TRUE(FindWindowsOfClasses(classes).windows.empty());
}

// A browser window that answers each close request with a new title and two more requests, 80
// times over, asks deeper than the system lets handlers nest: each request runs after the one
// in hand, and the lists show, hold and store every title.
TEST_F(FormTest, FrontWindowRequestsRunInTurnAndTheListsStayInStepWithUserIni) {
  TFWachtposten_Main form;
  ScanningActive = 0;  // only the requests close windows
  HWND main = form.hwnd();
  std::vector<std::string> closed = {"Werbung 0"};
  std::vector<LRESULT> answers;
  ThreadWindow browser(0, false, "IEFrame", closed[0], [&](HWND h) {
    if (closed.size() > 80) return true;
    closed.push_back("Werbung " + std::to_string(closed.size()));
    SetWindowTextA(h, closed.back().c_str());
    answers.push_back(SendMessageA(main, WM_KEEPBROWSER, 0, 0));
    answers.push_back(SendMessageA(main, WM_CLOSEBROWSER, 0, 0));
    return false;
  });
  HWND front = TopWindow("STATIC", "front");
  EXPECT_EQ(0, SendMessageA(main, WM_CLOSEBROWSER, 0, 0));
  for (DWORD t = GetTickCount(); IsWindow(browser.hwnd()) && GetTickCount() - t < 30000; Sleep(1))
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
  EXPECT_EQ(closed, form.ListBox2.Items());
  EXPECT_EQ(std::vector<std::string>(closed.begin() + 1, closed.end()), form.ListBox3.Items());
  EXPECT_EQ(std::vector<LRESULT>(160, 0), answers);
  EXPECT_EQ(81, SendMessageA(form.ListBox2.hwnd(), LB_GETCOUNT, 0, 0));
  EXPECT_EQ(80, SendMessageA(form.ListBox3.hwnd(), LB_GETCOUNT, 0, 0));
  EXPECT_EQ(closed, TUserIni().ReadList("Windows"));
  DestroyWindow(front);
}

// While the scan waits for a window's answer, that window asks for the front browser window,
// which is itself: it gets the one request, and is listed.
TEST_F(FormTest, AFrontWindowRequestLeavesTheWindowTheScanIsAskingWithItsOneRequest) {
  WriteFileBytes(dir.File("User.ini"), "[Windows]\r\n1=Werbung\r\n");
  TFWachtposten_Main form;
  ScanningActive = 1;
  int requests = 0;
  LRESULT answer = -1;
  ThreadWindow browser(0, false, "IEFrame", "Werbung", [&](HWND) {
    if (++requests == 1) answer = SendMessageA(form.hwnd(), WM_CLOSEBROWSER, 0, 0);
    return true;
  });
  HWND front = TopWindow("STATIC", "front");
  form.Timer1Timer();
  EXPECT_EQ(1, requests);
  EXPECT_EQ(0, answer);
  EXPECT_EQ((std::vector<std::string>{"Werbung", "Werbung"}), form.ListBox2.Items());
  DestroyWindow(front);
}

// What another program stores in User.ini (a newer copy renamed over it, a hand edit) is what
// the scan and the next request use; while it is gone for a moment the lists stand. A request
// whose save fails is answered before any box, and changes nothing.
TEST_F(FormTest, ListsFollowUserIniChangedElsewhereAndAFailedSaveChangesNothing) {
  const std::string user = dir.File("User.ini"), copy = dir.File("copy.ini");
  const std::string sync = "Sync-Bank - Microsoft Internet Explorer";
  WriteFileBytes(user, "[Windows]\r\n1=Werbung\r\n[DontClose]\r\n1=Bank\r\n");
  TFWachtposten_Main form;
  ScanningActive = 0;
  WriteFileBytes(copy, "[Windows]\r\n1=Werbung\r\n2=Casino\r\n[DontClose]\r\n1=Bank\r\n2=" +
                           sync + "\r\n");
  ASSERT_TRUE(MoveFileExA(copy.c_str(), user.c_str(), MOVEFILE_REPLACE_EXISTING));
  form.Timer1Timer();
  EXPECT_EQ((std::vector<std::string>{"Bank", sync}), form.ListBox3.Items());
  ASSERT_TRUE(MoveFileA(user.c_str(), copy.c_str()));
  form.Timer1Timer();
  EXPECT_EQ((std::vector<std::string>{"Bank", sync}), form.ListBox3.Items());
  ASSERT_TRUE(MoveFileA(copy.c_str(), user.c_str()));
  WritePrivateProfileStringA("DontClose", "3", "Hand", user.c_str());
  HWND kept = TopWindow("IEFrame", "Kept");
  HWND front = TopWindow("STATIC", "front");
  EXPECT_EQ(0, SendMessageA(form.hwnd(), WM_KEEPBROWSER, 0, 0));
  EXPECT_EQ((std::vector<std::string>{"Bank", sync, "Hand", "Kept"}),
            TUserIni().ReadList("DontClose"));
  DestroyWindow(front);

  std::string before = ReadFileBytes(user);
  MessageBoxWatcher boxes;
  HWND popup = TopWindow("IEFrame", "Popup");
  front = TopWindow("STATIC", "front");
  {
    HeldFile held(user);
    EXPECT_EQ(0, SendMessageA(form.hwnd(), WM_CLOSEBROWSER, 0, 0));
    EXPECT_TRUE(boxes.Texts().empty()) << "no box inside the request";
  }
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ((std::vector<std::string>{"Werbung", "Casino"}), form.ListBox2.Items());
  EXPECT_EQ(before, ReadFileBytes(user));
  // The next save stores no trace of it.
  form.ListBox2.Select(1);
  form.ListBox2DblClick();
  EXPECT_EQ(std::vector<std::string>{"Werbung"}, TUserIni().ReadList("Windows"));
  DestroyWindow(front);
  DestroyWindow(kept);
}

// Titles are read as the lists have always stored them, at most 199 characters: a word beyond
// them is not seen, and the entry listed from such a title finds its window again.
TEST_F(FormTest, LongTitlesAreSeenAsTheirFirst199Characters) {
  WriteFileBytes(dir.File("User.ini"), "[BadWords]\r\n1=casino\r\n");
  TFWachtposten_Main form;
  ScanningActive = 1;
  std::string seen = "Internet " + std::string(190, 'x');
  HWND browser = TopWindow("IEFrame", seen + " casino"), front = TopWindow("STATIC", "front");
  form.Timer1Timer();
  ASSERT_TRUE(IsWindow(browser));
  ASSERT_EQ(std::vector<std::string>{seen}, form.ListBox1.Items());
  form.ListBox1.Select(0);
  form.Label2Click();
  EXPECT_FALSE(IsWindow(browser));
  EXPECT_EQ(std::vector<std::string>{seen}, form.ListBox2.Items());
  DestroyWindow(front);
}

// An unwanted word closes its windows whatever the case of their titles, of ANSI and of wide
// titles alike, and takes for one just the letters the list's own duplicate check takes for one.
TEST_F(FormTest, UnwantedWordsCloseTitlesInAnyCaseOfTheirLetters) {
  WriteFileBytes(dir.File("User.ini"), "[BadWords]\r\n1=\xFC" "bel\r\n");
  TFWachtposten_Main form;
  ScanningActive = 1;
  std::vector<HWND> taken;
  for (const char* title : {"\xDC" "bel Angebot", "\xDC" "BEL Angebot", "\xFC" "bel Angebot"})
    taken.push_back(TopWindow("IEFrame", title));
  taken.push_back(CreateWindowExW(0, L"IEFrame", L"\u00DCBEL \u65E5\u672C", WS_OVERLAPPEDWINDOW,
                                  0, 0, 900, 700, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr));
  HWND spared = TopWindow("IEFrame", "Ubel Angebot"), front = TopWindow("STATIC", "front");
  form.Timer1Timer();
  for (HWND h : taken) EXPECT_FALSE(IsWindow(h));
  EXPECT_TRUE(IsWindow(spared));
  DestroyWindow(spared);

  HWND list = CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  for (int a = 0x41; a < 0x100; ++a) {
    const char word[] = {static_cast<char>(a), 0};
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(word));
    for (int b = 0x41; b < 0x100; ++b) {
      const char title[] = {static_cast<char>(b), 0};
      if (!IsCharAlphaA(word[0]) || !IsCharAlphaA(title[0])) continue;  // "^" may match a sign
      bool duplicate = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(title)) == 0;
      EXPECT_EQ(duplicate, MatchingWordLine(title, {std::string("1=") + word}) == 0)
          << std::hex << a << " " << b;
    }
  }
  DestroyWindow(list);
  DestroyWindow(front);
}
