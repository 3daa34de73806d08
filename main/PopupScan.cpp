// The once-a-second pop-up scan, the list of open browser windows and the pop-up log. The
// decisions are in PopupRules; this file gathers the windows and carries the decisions out.
#include <algorithm>

#include "ConfigIni.h"
#include "Guard.h"
#include "MainWindow.h"
#include "CloseRequest.h"
#include "PopupRules.h"
#include "UserIni.h"

namespace {
// What one tick has seen and done, shared by the steps that Timer1Timer calls, so that the
// windows are walked once per tick and a window is asked to close at most once.
struct TickState {
  WindowList windows;
  std::vector<HWND> asked;  // asked to close in this tick, or paused as not answering
  bool waited = false;      // a close request was sent: the snapshot may be seconds old
};
TickState* g_tick = nullptr;

class TickScope {
 public:
  explicit TickScope(TickState& state) { g_tick = &state; }
  ~TickScope() { g_tick = nullptr; }
  TickScope(const TickScope&) = delete;
  TickScope& operator=(const TickScope&) = delete;
};

HungWindowMemory g_hung;
unsigned long long g_tickCount = 0;
// Windows whose close request of ours waits for its answer; nested requests stack up.
std::vector<HWND> g_awaiting;
// Windows written to the pop-up log; forgotten once they are gone.
std::vector<HWND> g_logged;

// One window as the rules see it, its class name already read.
WindowSnapshot Describe(HWND hwnd, const std::string& className) {
  WindowSnapshot w;
  w.handle = hwnd;
  w.className = className;
  // The placement, the dearest of these reads, only where it can decide.
  if (IsBrowserDetailClass(w.className)) {
    w.title = ReadWindowTitle(hwnd, w.wideTitle);
    // Gone since the lookup: no class, as reading it would have found.
    if (!GetWindowRect(hwnd, &w.rect)) {
      w.className.clear();
      return w;
    }
    if (MayBeSmallPopup(w)) {
      WINDOWPLACEMENT wp = {};
      wp.length = sizeof wp;
      if (GetWindowPlacement(hwnd, &wp)) w.showCmd = wp.showCmd;
    }
  }
  return w;
}

// The windows of one lookup by class share their class atom, and the system names a window's
// class by its atom: one read of the name serves them all (exactly, case and all).
std::string SharedClassName(const std::vector<HWND>& found) {
  for (HWND h : found) {
    std::string name = GetClassNameString(h);
    if (!name.empty()) return name;
  }
  return std::string();
}

struct ZOrderWalk {
  std::vector<HWND> sought;  // sorted
  std::vector<HWND> met;     // front to back
};

BOOL CALLBACK MeetWindow(HWND hwnd, LPARAM lp) {
  return Guarded(
      [&]() -> BOOL {
        auto* walk = reinterpret_cast<ZOrderWalk*>(lp);
        if (std::binary_search(walk->sought.begin(), walk->sought.end(), hwnd))
          walk->met.push_back(hwnd);
        // Behind the last window sought there is nothing more to look at.
        return walk->met.size() < walk->sought.size();
      },
      FALSE);
}

// The tick's snapshot, or a fresh one when a step runs outside a tick.
const WindowList& CurrentWindows(WindowList& own) {
  if (g_tick) return g_tick->windows;
  own = TakeWindowSnapshot();
  return own;
}

std::vector<HWND> WindowsAskedInTick() { return g_tick ? g_tick->asked : std::vector<HWND>(); }

std::string LocaleDate() {
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, nullptr, 0);
  if (n <= 0) return std::string();
  std::string s(static_cast<std::size_t>(n), '\0');
  n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, &s[0], n);
  s.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return s;
}

std::string LocaleTime() {
  int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, nullptr, 0);
  if (n <= 0) return std::string();
  std::string s(static_cast<std::size_t>(n), '\0');
  n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, &s[0], n);
  s.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return s;
}
}  // namespace

std::string ReadWindowTitle(HWND h, std::wstring& wideTitle) {
  wchar_t buf[kTitleBufferChars];
  int n = GetWindowTextW(h, buf, kTitleBufferChars);
  std::wstring read(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
  std::string title;
  bool faithful = NarrowFaithfully(read, title);
  // Where a character takes two bytes, the bytes are bounded too, as the lists' titles were
  // read; a character is never cut in two.
  constexpr std::size_t kMaxBytes = kTitleBufferChars - 1;
  if (title.size() > kMaxBytes) {
    std::size_t end = 0;
    while (end < title.size()) {
      std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(title[end])) ? 2 : 1;
      if (end + step > kMaxBytes) break;
      end += step;
    }
    title.resize(end);
  }
  wideTitle = faithful ? std::wstring() : read;
  return title;
}

ClassLookup FindWindowsOfClasses(const std::vector<const char*>& classes) {
  ClassLookup result;
  bool one = false;
  for (const char* cls : classes) {
    std::vector<HWND> found;
    for (HWND h = FindWindowExA(nullptr, nullptr, cls, nullptr); h;
         h = FindWindowExA(nullptr, h, cls, nullptr)) {
      // A window moved in the z-order meanwhile could come round again.
      if (std::find(found.begin(), found.end(), h) != found.end()) break;
      found.push_back(h);
    }
    if (found.empty()) continue;
    if (one) result.ordered = false;
    one = true;
    result.windows.insert(result.windows.end(), found.begin(), found.end());
  }
  return result;
}

void PutInZOrder(ClassLookup& found) {
  if (found.ordered) return;
  ZOrderWalk walk;
  walk.sought = found.windows;
  std::sort(walk.sought.begin(), walk.sought.end());
  walk.sought.erase(std::unique(walk.sought.begin(), walk.sought.end()), walk.sought.end());
  EnumWindows(&MeetWindow, reinterpret_cast<LPARAM>(&walk));
  found.windows = std::move(walk.met);
  found.ordered = true;
}

WindowList TakeWindowSnapshot() {
  WindowList windows;
  // Windows of no scan class are all the rules skip: only the first window and the browser
  // windows are looked at, found by class.
  ClassLookup browsers;
  std::vector<std::pair<HWND, std::string>> classOf;  // sorted by handle
  bool one = false;
  for (const char* cls : ScanClasses()) {
    ClassLookup found = FindWindowsOfClasses({cls});
    if (found.windows.empty()) continue;
    if (one) browsers.ordered = false;
    one = true;
    std::string name = SharedClassName(found.windows);
    for (HWND h : found.windows) classOf.emplace_back(h, name);
    browsers.windows.insert(browsers.windows.end(), found.windows.begin(), found.windows.end());
  }
  std::sort(classOf.begin(), classOf.end());
  PutInZOrder(browsers);
  HWND first = GetTopWindow(nullptr);
  if (!first) return windows;
  windows.push_back(Describe(first, GetClassNameString(first)));
  for (HWND h : browsers.windows) {
    if (h == first) continue;
    auto at = std::lower_bound(classOf.begin(), classOf.end(), std::make_pair(h, std::string()));
    windows.push_back(Describe(h, at != classOf.end() && at->first == h ? at->second : ""));
  }
  return windows;
}

CloseOutcome SendCloseRequest(HWND h) {
  if (g_tick) {
    g_tick->asked.push_back(h);
    g_tick->waited = true;
  }
  g_awaiting.push_back(h);
  CloseOutcome outcome = RequestClose(h, kCloseRequestTimeoutMs);
  // Under Wine a window that closes answers only once it is gone, about 2 s on: its going
  // soon after the time-out is its answer. A hung one stays.
  if (outcome == CloseOutcome::TimedOut && WaitForWindowGone(h, kLateAnswerMs))
    outcome = CloseOutcome::Answered;
  g_awaiting.pop_back();
  return outcome;
}

bool CloseRequestOutstanding(HWND h) {
  return std::find(g_awaiting.begin(), g_awaiting.end(), h) != g_awaiting.end() ||
         (g_tick && std::find(g_tick->asked.begin(), g_tick->asked.end(), h) != g_tick->asked.end());
}

void TFWachtposten_Main::LogClosedWindow(HWND h, const std::string& title) {
  g_logged.erase(std::remove_if(g_logged.begin(), g_logged.end(),
                                [](HWND w) { return !IsWindow(w); }),
                 g_logged.end());
  if (IsWindow(h)) {
    // Still there after answering, it may be asked again: one window, one line.
    if (std::find(g_logged.begin(), g_logged.end(), h) != g_logged.end()) return;
    g_logged.push_back(h);
  }
  LogKilledWindows(title);
}

namespace {
// Carries out one close decision of the tick and logs it when `log` is set.
void CarryOutClose(TFWachtposten_Main& form, const CloseDecision& c, bool log) {
  // While an earlier request of this tick waited, another program's request may have asked
  // or closed this window, or it went by itself: nothing to ask, nothing to log.
  if (CloseRequestOutstanding(c.handle) || !IsWindow(c.handle)) return;
  CloseOutcome outcome = SendCloseRequest(c.handle);
  if (outcome == CloseOutcome::Answered)
    g_hung.NoteAnswered(c.handle);
  else
    g_hung.NoteTimeout(c.handle, g_tickCount);
  // Only a window that answered can have closed; one that did not may never do so.
  if (log && outcome == CloseOutcome::Answered)
    form.LogClosedWindow(c.handle, LoggedTitle(c.title, c.wideTitle));
}

// The tick's windows less those gone since the walk (closed earlier in this tick, mostly).
WindowList StillOpen(const WindowList& windows) {
  if (!g_tick->waited) return windows;
  WindowList open;
  for (const WindowSnapshot& w : windows)
    if (!IsBrowserDetailClass(w.className) || IsWindow(w.handle)) open.push_back(w);
  return open;
}
}  // namespace

void TFWachtposten_Main::Timer1Timer() {
  TickState tick;
  TickScope scope(tick);
  // What another program stored in the lists counts from this tick on.
  FollowStoredLists();
  tick.windows = TakeWindowSnapshot();
  if (ScanningActive == 1) {
    ++g_tickCount;
    tick.asked = g_hung.Paused(g_tickCount);
    static const StringList kNoWords;
    ScanResult scan =
        DecideScan(tick.windows, ListBox3.Items(), BadWordList ? *BadWordList : kNoWords,
                   tick.asked);
    bool log = Config && Config->GetLogAutoPop();
    for (const CloseDecision& c : scan.closes) {
      // Another program may have put the title on the never-close list while an earlier close
      // request of this tick was waiting for its answer.
      if (c.wideTitle.empty() && ListBox3.Contains(c.title)) continue;
      CarryOutClose(*this, c, log);
    }
    KillFilteredWindows();
    if (Config && Config->GetStartIEMax()) {
      MaximizeBrowserWindows();
      PruneBrowserHandles();
    }
  }
  RefreshListBox();
}

void TFWachtposten_Main::RefreshListBox() {
  int selected = ListBox1.Selected();
  bool hadSelection = selected >= 0;
  ListItem remembered = ListBox1.ItemAt(selected);

  WindowList own;
  const WindowList& windows = CurrentWindows(own);
  std::vector<ListItem> titles = OpenBrowserTitles(g_tick ? StillOpen(windows) : windows);

  // Rebuilding an unchanged list every second would only flicker and cost.
  if (!ListBox1.SameItems(titles)) ListBox1.SetItems(titles);
  // The mark stays on its very title: a title in another letter case is another window, and
  // the commands act on the marked title. Only when that is gone does the case-blind search
  // of the list box find the nearest.
  int target = hadSelection ? KeptMark(titles, selected, remembered) : -1;
  if (hadSelection && target < 0) target = ListBox1.FindExactIgnoringCase(remembered);
  if (target < 0) target = -1;
  if (ListBox1.Selected() != target) ListBox1.Select(target);
}

void TFWachtposten_Main::KillFilteredWindows() {
  WindowList own;
  const WindowList& windows = CurrentWindows(own);
  // A window of an entry's title that is gone must not hide the next one of that title.
  std::vector<CloseDecision> closes = DecideToCloseList(g_tick ? StillOpen(windows) : windows,
                                                       ListBox2.Items(), WindowsAskedInTick());
  bool log = Config && Config->GetLogFilteredPop();
  for (const CloseDecision& c : closes) CarryOutClose(*this, c, log);
}

void TFWachtposten_Main::MaximizeBrowserWindows() {
  WindowList own;
  const WindowList& windows = CurrentWindows(own);
  for (HWND h : DecideMaximize(windows, ListBox4.Items(), WindowsAskedInTick())) {
    // Maximised only once it is remembered, or it would be maximised again at every tick.
    if (!IsWindow(h) || ListBox4.Add(HandleText(h)) < 0) continue;
    // Not ShowWindow: for another program's window it waits for that program's answer.
    ShowWindowAsync(h, SW_SHOWMAXIMIZED);
  }
}

void TFWachtposten_Main::PruneBrowserHandles() {
  // The windows the tick's walk has just met are open, unless a close request has waited since:
  // only the others are asked about.
  std::vector<HWND> met;
  if (g_tick && !g_tick->waited)
    for (const WindowSnapshot& w : g_tick->windows)
      if (!w.className.empty()) met.push_back(w.handle);
  std::sort(met.begin(), met.end());
  // Only windows that are gone are forgotten: a window that merely has an empty title now is
  // still the one maximised once, and must not be maximised again.
  for (int i = ListBox4.Count() - 1; i >= 0; --i) {
    HWND h = nullptr;
    if (!ParseHandleText(ListBox4.Item(i), h) ||
        (!std::binary_search(met.begin(), met.end(), h) && !IsWindow(h)))
      ListBox4.Delete(i);
  }
}

void TFWachtposten_Main::LogKilledWindows(const std::string& title) {
  std::string line = PopupLogLine(LocaleDate(), LocaleTime(), title);
  HANDLE f = CreateFileA(PopupLogPath().c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  // A log that cannot be opened loses the line; the scan goes on without a word.
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}
