// In-process, with real windows: the pop-up log writer (the line the locale functions give,
// appended), the bounded close request, the lookup of browser windows and the open-window list.
#include <gtest/gtest.h>

#include "AppPaths.h"
#include "CloseRequest.h"
#include "ConfigIni.h"
#include "MainWindow.h"
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
class ThreadWindow {
 public:
  ThreadWindow(DWORD slowMs, bool hang) : slowMs_(slowMs), hang_(hang) {
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
      DestroyWindow(h);
      return 0;
    }
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(h, m, w, l);
  }
  static DWORD WINAPI Run(LPVOID p) {
    auto* self = static_cast<ThreadWindow*>(p);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CloseRequestTarget";
    RegisterClassA(&wc);  // fails harmlessly once registered
    self->hwnd_ = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(self->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
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
  HWND hwnd_ = nullptr;
  HANDLE ready_, release_, thread_;
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
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "IEFrame";
    RegisterClassA(&wc);
    auto make = [&](const char* cls, const char* title) {
      return CreateWindowExA(0, cls, title, WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                             wc.hInstance, nullptr);
    };
    HWND a = make("IEFrame", "A Internet"), b = make("IEFrame", "B Internet");
    HWND front = make("STATIC", "front");  // the first window is never listed
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
  for (const char* cls : {"IEFrame", "CabinetWClass"}) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
  }
  auto make = [](const char* cls) {
    return CreateWindowExA(0, cls, "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  };
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
  HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  WindowList snapshot = TakeWindowSnapshot();
  std::vector<HWND> handles;
  std::vector<std::string> classNames;
  for (const WindowSnapshot& w : snapshot) {
    handles.push_back(w.handle);
    classNames.push_back(w.className);
  }
  EXPECT_EQ((std::vector<HWND>{plain, folder, front, back}), handles);
  EXPECT_EQ((std::vector<std::string>{"Static", "CabinetWClass", "IEFrame", "IEFrame"}),
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
