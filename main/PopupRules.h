#pragma once
// The pop-up blocker's decisions over plain data. The window walk (PopupScan.cpp) only gathers a
// snapshot of the top-level windows and carries out what these functions decide.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "CloseRequest.h"
#include "Controls.h"

// One top-level window as the walk saw it. Title and rectangle are read only for windows of a
// browser class (see IsBrowserDetailClass), the show command only where it can decide the
// small-window rule (MayBeSmallPopup); otherwise they keep these values.
// The title is held in the ANSI code page, as the lists store titles. Where the code page lacks
// some of its characters, `wideTitle` holds it as it is and `title` has "?" in their place: two
// different titles could then look alike, so such a title is never matched against a list nor
// stored in one. Only no look-alike replaces a character, so the ASCII of `title` is the
// window's own, and "Internet" or a stop title is found in it as in the title itself.
struct WindowSnapshot {
  HWND handle = nullptr;
  std::string className;
  std::string title;
  RECT rect = {0, 0, 0, 0};
  UINT showCmd = SW_SHOWNORMAL;
  std::wstring wideTitle;  // empty when `title` holds the title faithfully
  bool TitleLossy() const { return !wideTitle.empty(); }
};

// Top-level windows front to back (windows of no browser class may be left out). Index 0 is
// the first window of the z-order, which the scan, the open-window list and the front-window
// capture never examine.
using WindowList = std::vector<WindowSnapshot>;

// Class sets (exact, case-sensitive).
bool IsScanClass(const std::string& cls);       // IEFrame, CabinetWClass, Internet Explorer_Server
const std::vector<const char*>& ScanClasses();  // the same, for lookups by class
bool IsListedClass(const std::string& cls);     // IEFrame, CabinetWClass
bool IsMaximizerClass(const std::string& cls);  // IEFrame, Internet Explorer_Server
// A class whose title, rectangle and placement the walk reads: the union of the above.
inline bool IsBrowserDetailClass(const std::string& cls) { return IsScanClass(cls); }

// The two titles at which the scan's walk stops.
bool IsStopTitle(const std::string& title);

// Every letter of the ANSI code page as its capital (\xFC as \xDC, \xE9 as \xC9, a as A),
// where the code page holds that capital; other bytes stay as they are. The wide form does the
// same for every letter.
std::string UpperCase(std::string s);
std::wstring UpperCase(std::wstring s);

// Width plus height under this is small; this or more is large.
constexpr int kSmallWindowBound = 1035;
int SizeSum(const RECT& r);

// The small-window rule: "Internet" in the title (case-sensitive), width + height below 1035,
// neither minimised nor maximised, and at least one coordinate of the rectangle 0 or more.
bool IsSmallPopup(const WindowSnapshot& w);
// The same rule but for the show command: the walk reads the placement only where this holds.
bool MayBeSmallPopup(const WindowSnapshot& w);

// The first unwanted word (text after the first "=" of a "key=word" line) that occurs in the
// title in any letter case (see UpperCase); empty words never match. -1 when none does.
int MatchingWordLine(const std::string& title, const std::vector<std::string>& wordLines);
// The same for a window: a lossy title is searched as it is, so that a "?" of a word never
// stands for a character the code page lacks.
int MatchingWordLine(const WindowSnapshot& w, const std::vector<std::string>& wordLines);

// The same match with the words upper-cased once, for many titles against one list.
class WordMatcher {
 public:
  explicit WordMatcher(const std::vector<std::string>& wordLines);
  int Match(const std::string& title) const;
  // A lossy title is searched in its wide form (see MatchingWordLine above).
  int Match(const WindowSnapshot& w) const;

 private:
  std::vector<std::pair<std::string, int>> words_;  // upper-cased word, its line's index
  // The words widened, made when the first lossy title is met.
  mutable std::vector<std::pair<std::wstring, int>> wideWords_;
  mutable bool widened_ = false;
};

enum class CloseRule { SmallWindow, UnwantedWord, ToCloseList };

struct CloseDecision {
  HWND handle;
  std::string title;
  CloseRule rule;
  std::wstring wideTitle;  // as in WindowSnapshot
};

struct ScanResult {
  std::vector<CloseDecision> closes;  // at most one per window, in z-order
  std::vector<HWND> spared;           // windows a rule took but the never-close list protects
  bool stoppedAtStopTitle = false;
};

// The walk of one tick: every window after the first, down to a stop title, of a scan class.
// A window a rule takes is closed once, unless its exact title stands in `neverClose` (a lossy
// title never does); either way the walk goes on. Windows in `skip` (asked already, or known not to answer) are left out.
ScanResult DecideScan(const WindowList& frontToBack, const std::vector<std::string>& neverClose,
                      const std::vector<std::string>& wordLines,
                      const std::vector<HWND>& skip = {});

// The to-close list: for each entry, first to last, the first window of class IEFrame with
// exactly that title, else the first of class CabinetWClass, leaving out windows already asked
// in this tick (so two entries of one title close two windows, one entry closes one per tick).
// A window of a lossy title is never taken.
std::vector<CloseDecision> DecideToCloseList(const WindowList& frontToBack,
                                             const std::vector<std::string>& toClose,
                                             const std::vector<HWND>& skip = {});

// Titles for the open-window list: every window after the first of class IEFrame or
// CabinetWClass whose title contains "Internet" (case-sensitive), in z-order, duplicates kept.
std::vector<ListItem> OpenBrowserTitles(const WindowList& frontToBack);
// Where the open-window list's mark goes when the list is refreshed: the item it was on, when
// that is still there with exactly its title, else the first item of exactly its title; -1
// when there is none (the caller may then look for the title in another letter case).
int KeptMark(const std::vector<ListItem>& items, int marked, const ListItem& title);

// The browser windows to maximise now: from the first IEFrame window (else the first
// Internet Explorer_Server window) on, every IEFrame/Internet Explorer_Server window that is
// large and whose handle text is not in `maximized`, leaving out the windows in `skip`.
std::vector<HWND> DecideMaximize(const WindowList& frontToBack,
                                 const std::vector<std::string>& maximized,
                                 const std::vector<HWND>& skip = {});

// The first window after index 0 of a scan class (the front-window capture); -1 when none.
int FrontBrowserIndex(const WindowList& frontToBack);

// A window handle as signed 32-bit decimal text and back (handles are 32-bit values also on
// 64-bit Windows; they are sign-extended).
std::string HandleText(HWND h);
bool ParseHandleText(const std::string& text, HWND& out);

// One line of the pop-up log: date, blank, time, " - ", title, CR LF. Line breaks in the title
// become blanks, so one closed window always gives one line.
std::string PopupLogLine(const std::string& date, const std::string& time,
                         const std::string& title);
// A title for the log, which is written in the ANSI code page: a character the code page lacks
// is written as its code, "[U+65E5]", rather than as a "?" that tells nothing.
std::string LoggedTitle(const std::string& title, const std::wstring& wideTitle);

// A window's title as the guard reads it wherever it looks at one: into a buffer of 200
// characters, so at most the first 199. The stored lists hold titles read so; a title read
// whole would never equal its entry, and would show words the guard must not see.
// The ANSI form is returned; `wideTitle` gets the title when that form is lossy (see
// WindowSnapshot), and is emptied otherwise.
constexpr int kTitleBufferChars = 200;
std::string ReadWindowTitle(HWND h, std::wstring& wideTitle);

// The walk itself (defined with the scan in PopupScan.cpp): the snapshot of the top-level
// windows front to back that the rules look at: the first window of the z-order and those of a
// scan class; title and geometry are read for windows of a scan class only.
WindowList TakeWindowSnapshot();
// The top-level windows of the given classes, looked up by class: a few calls per window of
// those classes and none for the others (class names as the system compares them, so the
// caller reads each window's class again to compare it exactly).
struct ClassLookup {
  std::vector<HWND> windows;  // front to back once `ordered`
  bool ordered = true;        // false while windows of more than one class are listed by class
};
ClassLookup FindWindowsOfClasses(const std::vector<const char*>& classes);
// Puts the windows found into z-order where the lookup could not: a walk over the top-level
// windows from the front that ends once it has met them all. Windows gone meanwhile drop out.
void PutInZOrder(ClassLookup& found);

// The close request (WM_SYSCOMMAND, SC_CLOSE) with a bounded wait, so a hung window cannot
// stop the guard. Inside a scan tick the window counts as asked for the rest of the tick, also
// when the request comes from another program's message handled while the tick waits.
CloseOutcome SendCloseRequest(HWND h);
// True while a close request of ours waits for this window's answer, or when the running scan
// tick has asked it already: a second request, sent from a handler nested in that wait, would
// reach the window twice.
bool CloseRequestOutstanding(HWND h);

// Windows whose close request timed out are left alone for a while, so that a hung window does
// not cost the guard a wait on every tick. Ticks are counted by the caller.
class HungWindowMemory {
 public:
  static constexpr unsigned kPauseTicks = 10;

  void NoteTimeout(HWND h, unsigned long long tick);
  void NoteAnswered(HWND h);
  // The windows to leave out at this tick; windows whose pause is over are forgotten.
  std::vector<HWND> Paused(unsigned long long tick);
  bool Empty() const { return entries_.empty(); }

 private:
  struct Entry {
    HWND handle;
    unsigned long long until;
  };
  std::vector<Entry> entries_;
};
