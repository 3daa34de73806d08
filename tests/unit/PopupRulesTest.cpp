#include "PopupRules.h"

#include <gtest/gtest.h>

#include "Window.h"

namespace {
HWND H(int n) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(n)); }

WindowSnapshot Win(int n, const std::string& cls, const std::string& title, RECT r = {0, 0, 800, 600},
                   UINT show = SW_SHOWNORMAL) {
  WindowSnapshot w;
  w.handle = H(n);
  w.className = cls;
  w.title = title;
  w.rect = r;
  w.showCmd = show;
  return w;
}

// A front window of no interest, as the walk always skips the first one.
WindowSnapshot Front() { return Win(1, "Shell_TrayWnd", ""); }

RECT Sized(int w, int h, int left = 10, int top = 10) { return {left, top, left + w, top + h}; }

std::vector<HWND> Handles(const std::vector<CloseDecision>& closes) {
  std::vector<HWND> out;
  for (const CloseDecision& c : closes) out.push_back(c.handle);
  return out;
}

const std::vector<std::string> kNone;
}  // namespace

TEST(SmallWindowRule, SplitsSizesAt1035AndNeedsInternetCaseSensitively) {
  EXPECT_TRUE(IsSmallPopup(Win(2, "IEFrame", "Gewinn - Microsoft Internet Explorer", Sized(400, 634))));
  EXPECT_FALSE(IsSmallPopup(Win(2, "IEFrame", "Gewinn - Microsoft Internet Explorer", Sized(400, 635))));
  EXPECT_FALSE(IsSmallPopup(Win(2, "IEFrame", "Gewinn - microsoft internet explorer", Sized(200, 200))));
  EXPECT_FALSE(IsSmallPopup(Win(2, "IEFrame", "Gewinn", Sized(200, 200))));
}

TEST(SmallWindowRule, SparesMinimisedMaximisedAndWhollyNegativeWindows) {
  const std::string t = "Internet";
  EXPECT_FALSE(IsSmallPopup(Win(2, "IEFrame", t, Sized(200, 200), SW_SHOWMINIMIZED)));
  EXPECT_FALSE(IsSmallPopup(Win(2, "IEFrame", t, Sized(200, 200), SW_SHOWMAXIMIZED)));
  // The walk reads the placement of such windows: it decides.
  EXPECT_TRUE(MayBeSmallPopup(Win(2, "IEFrame", t, Sized(200, 200), SW_SHOWMAXIMIZED)));
  EXPECT_TRUE(IsSmallPopup(Win(2, "IEFrame", t, Sized(200, 200), SW_SHOWMINNOACTIVE)));
  // All four coordinates negative: parked off screen.
  EXPECT_FALSE(IsSmallPopup(Win(2, "IEFrame", t, {-500, -500, -300, -300})));
  // One coordinate at 0 is enough to count.
  EXPECT_TRUE(IsSmallPopup(Win(2, "IEFrame", t, {-500, -500, -300, 0})));
  EXPECT_TRUE(IsSmallPopup(Win(2, "IEFrame", t, {-100, -100, 100, 100})));
}

TEST(UnwantedWords, MatchInAnyLetterCaseOfTheCodePage) {
  EXPECT_EQ(0, MatchingWordLine("Mega CASINO - Microsoft Internet Explorer", {"1=casino"}));
  for (const char* title : {"\xFC" "bel Angebot", "\xDC" "bel Angebot", "\xDC" "BEL Angebot"})
    for (const char* word : {"2=\xFC" "bel", "2=\xDC" "BEL"})
      EXPECT_EQ(0, MatchingWordLine(title, {word})) << title << " " << word;
  EXPECT_EQ(0, MatchingWordLine("CAF\xC9 \x8A" "KODA \x9F", {"1=caf\xE9 \x9Akoda \xFF"}));
  // Signs beside the letters are no letters: neither the sign \xF7 nor the small \xDF has a
  // capital of its own, and \xB5's capital is not in the code page.
  EXPECT_EQ("ABC\xC4\xD6\xDC-1Z\xDF\xF7\xD7\xB5", UpperCase("abc\xE4\xF6\xFC-1z\xDF\xF7\xD7\xB5"));
  EXPECT_EQ(-1, MatchingWordLine("a\xD7" "b", {"1=a\xF7" "b"}));
  // An empty word never matches; a line without "=" is the word itself; later lines are tried.
  EXPECT_EQ(-1, MatchingWordLine("anything", {"1=", ""}));
  EXPECT_EQ(1, MatchingWordLine("Poker Night", {"1=", "poker"}));
  EXPECT_EQ(0, MatchingWordLine("a=b title", {"x=a=b"}));
}

TEST(Scan, SkipsTheFirstWindowAndOtherClassesAndStopsAtAStopTitle) {
  RECT small = Sized(300, 300);
  WindowList w = {Win(1, "IEFrame", "Internet", small),  // first: never examined
                  Win(2, "Notepad", "Internet", small),
                  Win(3, "CabinetWClass", "Internet", small),
                  Win(4, "Internet Explorer_Server", "Internet", small),
                  Win(5, "IEFrame", "about:blank - Microsoft Internet Explorer", small),
                  Win(6, "IEFrame", "Internet", small)};
  ScanResult r = DecideScan(w, kNone, kNone);
  EXPECT_EQ((std::vector<HWND>{H(3), H(4)}), Handles(r.closes));
  EXPECT_TRUE(r.stoppedAtStopTitle);

  w[4].title = "Microsoft Internet Explorer";
  EXPECT_EQ(2u, DecideScan(w, kNone, kNone).closes.size());
  // A stop title in a class the scan does not take stops nothing.
  w[4].className = "Notepad";
  EXPECT_EQ(3u, DecideScan(w, kNone, kNone).closes.size());
}

TEST(Scan, ClosesAWindowOnceWhateverNumberOfRulesAndWordsTakeIt) {
  WindowList w = {Front(),
                  Win(2, "IEFrame", "Casino Poker - Microsoft Internet Explorer", Sized(300, 300))};
  ScanResult r = DecideScan(w, kNone, {"1=casino", "2=poker"});
  ASSERT_EQ(1u, r.closes.size());
  EXPECT_EQ(CloseRule::SmallWindow, r.closes[0].rule);

  w[1].rect = Sized(900, 700);
  r = DecideScan(w, kNone, {"1=casino", "2=poker"});
  ASSERT_EQ(1u, r.closes.size());
  EXPECT_EQ(CloseRule::UnwantedWord, r.closes[0].rule);
  EXPECT_EQ("Casino Poker - Microsoft Internet Explorer", r.closes[0].title);

  // The same handle twice in a snapshot (it cannot happen, but must not give two requests).
  w.push_back(w[1]);
  EXPECT_EQ(1u, DecideScan(w, kNone, {"1=casino"}).closes.size());
}

TEST(Scan, SparesANeverCloseWindowAndGoesOnWithTheWindowsBehindIt) {
  RECT small = Sized(300, 300);
  WindowList w = {Front(), Win(2, "IEFrame", "Bank - Microsoft Internet Explorer", small),
                  Win(3, "IEFrame", "Werbung - Microsoft Internet Explorer", small)};
  ScanResult r = DecideScan(w, {"Bank - Microsoft Internet Explorer"}, kNone);
  EXPECT_EQ((std::vector<HWND>{H(3)}), Handles(r.closes));
  EXPECT_EQ((std::vector<HWND>{H(2)}), r.spared);
  // The never-close comparison is exact and case-sensitive.
  r = DecideScan(w, {"bank - Microsoft Internet Explorer"}, kNone);
  EXPECT_EQ(2u, r.closes.size());
}

TEST(Scan, LeavesOutWindowsToSkip) {
  WindowList w = {Front(), Win(2, "IEFrame", "Internet", Sized(200, 200)),
                  Win(3, "IEFrame", "Internet", Sized(200, 200))};
  EXPECT_EQ((std::vector<HWND>{H(3)}), Handles(DecideScan(w, kNone, kNone, {H(2)}).closes));
}

TEST(ToCloseList, ClosesOneWindowPerEntryPreferringIEFrame) {
  const std::string t = "Werbung - Microsoft Internet Explorer";
  WindowList w = {Win(1, "IEFrame", t),  // the first window counts here, as a lookup sees it
                  Win(2, "CabinetWClass", t), Win(3, "IEFrame", t),
                  Win(4, "IEFrame", "werbung - Microsoft Internet Explorer")};
  std::vector<CloseDecision> c = DecideToCloseList(w, {t});
  EXPECT_EQ((std::vector<HWND>{H(1)}), Handles(c));
  EXPECT_EQ(CloseRule::ToCloseList, c[0].rule);
  // The window asked already this tick is left out; the next one of that title is taken.
  EXPECT_EQ((std::vector<HWND>{H(3)}), Handles(DecideToCloseList(w, {t}, {H(1)})));
  EXPECT_EQ((std::vector<HWND>{H(2)}), Handles(DecideToCloseList(w, {t}, {H(1), H(3)})));
  // An entry listed twice closes two windows; an entry nobody matches closes none.
  EXPECT_EQ((std::vector<HWND>{H(1), H(3)}), Handles(DecideToCloseList(w, {t, "x", t})));
  EXPECT_TRUE(DecideToCloseList(w, {}).empty());
  // Other scan classes are not looked up.
  WindowList s = {Front(), Win(2, "Internet Explorer_Server", t)};
  EXPECT_TRUE(DecideToCloseList(s, {t}).empty());
}

TEST(OpenWindowList, ListsIEFrameAndCabinetTitlesWithInternetInZOrder) {
  WindowList w = {Win(1, "IEFrame", "Internet first"), Win(2, "IEFrame", "B Internet"),
                  Win(3, "Internet Explorer_Server", "C Internet"),
                  Win(4, "CabinetWClass", "D Internet"), Win(5, "IEFrame", "E internet"),
                  Win(6, "IEFrame", "B Internet")};
  EXPECT_EQ((std::vector<ListItem>{{"B Internet", L""}, {"D Internet", L""}, {"B Internet", L""}}),
            OpenBrowserTitles(w));
  EXPECT_TRUE(OpenBrowserTitles({}).empty());
}

TEST(CodePage, ATextIsNarrowedOnlyFaithfully) {
  const struct {
    std::wstring wide;
    bool faithful;
    std::string ansi;
  } cases[] = {{L"", true, ""},
               {L"Gr\u00FC\u00DFe \u20AC?", true, "Gr\xFC\xDF" "e \x80?"},
               {L"\u65E5\u672C - X", false, "?? - X"},
               {L"\uFF21\uFF22", false, "??"}};  // no look-alike "AB"
  for (const auto& c : cases) {
    std::string ansi;
    EXPECT_EQ(c.faithful, NarrowFaithfully(c.wide, ansi)) << c.ansi;
    EXPECT_EQ(c.ansi, ansi);
  }
  EXPECT_EQ(L"\U0001F600", FirstCharOutsideCodePage(L"\u00E4\U0001F600\u65E5"));
}

TEST(CodePage, ALossyTitleIsSearchedForWordsAsItIsAndLoggedWithCodes) {
  WindowSnapshot w = Win(2, "IEFrame", "Wirklich?? - M");
  w.wideTitle = L"Wirklich\u65E5\u672C - M";
  EXPECT_EQ(-1, MatchingWordLine(w, {"1=Wirklich??", "2=lich - M"}));
  EXPECT_EQ(0, MatchingWordLine(w, {"1=wirklich"}));
  // In any case, as an ANSI title is; a capital the code page lacks (\xB5's) is matched too.
  w.wideTitle = L"\u00DCBEL \u00B5g \u65E5";
  EXPECT_EQ(1, MatchingWordLine(w, {"1=\xFC" "belx", "2=\xFC" "bel \xB5G"}));
  EXPECT_EQ(0, WordMatcher({"1=\xDC" "bel"}).Match(w));
  EXPECT_EQ("a[U+1F600]\xE4", LoggedTitle("a?\xE4", L"a\U0001F600\u00E4"));
}

TEST(Maximizer, TakesLargeWindowsOnceFromTheFirstIEFrameOn) {
  RECT large = Sized(400, 635), small = Sized(400, 634);
  WindowList w = {Win(1, "Internet Explorer_Server", "", large),  // before the first IEFrame
                  Win(2, "IEFrame", "", large), Win(3, "IEFrame", "", small),
                  Win(4, "CabinetWClass", "", large), Win(5, "Internet Explorer_Server", "", large),
                  Win(6, "IEFrame", "", large)};
  EXPECT_EQ((std::vector<HWND>{H(2), H(5), H(6)}), DecideMaximize(w, {}));
  EXPECT_EQ((std::vector<HWND>{H(2), H(6)}), DecideMaximize(w, {HandleText(H(5))}));
  EXPECT_EQ((std::vector<HWND>{H(5)}), DecideMaximize(w, {"2"}, {H(6)}));
  // Without any IEFrame the walk starts at the first Internet Explorer_Server window.
  WindowList s = {Front(), Win(2, "Internet Explorer_Server", "", large)};
  EXPECT_EQ((std::vector<HWND>{H(2)}), DecideMaximize(s, {}));
  EXPECT_TRUE(DecideMaximize({Front()}, {}).empty());
}

TEST(FrontWindow, IsTheFirstScanClassWindowBehindTheFirstWindow) {
  EXPECT_EQ(2, FrontBrowserIndex({Win(1, "IEFrame", "x"), Win(2, "Notepad", "x"),
                                  Win(3, "CabinetWClass", ""), Win(4, "IEFrame", "y")}));
  EXPECT_EQ(-1, FrontBrowserIndex({Win(1, "IEFrame", "x"), Win(2, "Notepad", "x")}));
  EXPECT_EQ(-1, FrontBrowserIndex({}));
}

TEST(HandleText, IsSigned32BitDecimalAndReadsBack) {
  EXPECT_EQ("65538", HandleText(H(65538)));
  HWND negative = reinterpret_cast<HWND>(static_cast<INT_PTR>(-5));
  EXPECT_EQ("-5", HandleText(negative));
  HWND back = nullptr;
  ASSERT_TRUE(ParseHandleText("-5", back));
  EXPECT_EQ(negative, back);
  EXPECT_FALSE(ParseHandleText("", back));
  EXPECT_FALSE(ParseHandleText("12x", back));
  EXPECT_FALSE(ParseHandleText("4294967296", back));
}

TEST(PopupLog, LineIsDateBlankTimeDashTitleCrLf) {
  EXPECT_EQ("07.12.2026 23:21:05 - Gewinnspiel - Microsoft Internet Explorer\r\n",
            PopupLogLine("07.12.2026", "23:21:05", "Gewinnspiel - Microsoft Internet Explorer"));
  // A title cannot break the log into a second, made-up line.
  EXPECT_EQ("d t - a  b\r\n", PopupLogLine("d", "t", "a\r\nb"));
  EXPECT_EQ("d t - \r\n", PopupLogLine("d", "t", ""));
}

TEST(HungWindows, ArePausedForSomeTicksThenTriedAgain) {
  HungWindowMemory m;
  m.NoteTimeout(H(7), 100);
  m.NoteTimeout(H(8), 103);
  EXPECT_EQ((std::vector<HWND>{H(7), H(8)}), m.Paused(101));
  EXPECT_EQ((std::vector<HWND>{H(8)}), m.Paused(100 + HungWindowMemory::kPauseTicks));
  m.NoteAnswered(H(8));
  EXPECT_TRUE(m.Paused(104).empty());
  EXPECT_TRUE(m.Empty());
  // A second time-out restarts the pause instead of listing the window twice.
  m.NoteTimeout(H(7), 200);
  m.NoteTimeout(H(7), 205);
  EXPECT_EQ((std::vector<HWND>{H(7)}), m.Paused(211));
}
