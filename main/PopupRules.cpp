#include "PopupRules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "UserIni.h"
#include "Window.h"

namespace {
const char kIEFrame[] = "IEFrame";
const char kCabinet[] = "CabinetWClass";
const char kIEServer[] = "Internet Explorer_Server";
const char kSmallTitleWord[] = "Internet";

bool Contains(const std::vector<HWND>& v, HWND h) {
  return std::find(v.begin(), v.end(), h) != v.end();
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// Each byte of the ANSI code page as its capital, as the system upper-cases the character and
// only where the capital is one byte of the code page. A code page of more than one byte per
// character keeps its other bytes: they may be parts of a character.
struct UpperTable {
  unsigned char byte[256];
  UpperTable() {
    for (int b = 0; b < 256; ++b) byte[b] = static_cast<unsigned char>(b);
    for (int b = 'a'; b <= 'z'; ++b) byte[b] = static_cast<unsigned char>(b - 'a' + 'A');
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return;
    for (int b = 0x80; b < 256; ++b) {
      char in = static_cast<char>(b);
      wchar_t wide = 0;
      if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &in, 1, &wide, 1) != 1) continue;
      CharUpperBuffW(&wide, 1);
      char out[4];
      BOOL lossy = FALSE;
      if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, out, sizeof out, nullptr,
                              &lossy) == 1 &&
          !lossy)
        byte[b] = static_cast<unsigned char>(out[0]);
    }
  }
};

bool Asked(const std::vector<CloseDecision>& closes, HWND h) {
  for (const CloseDecision& c : closes)
    if (c.handle == h) return true;
  return false;
}
}  // namespace

bool IsScanClass(const std::string& cls) {
  return cls == kIEFrame || cls == kCabinet || cls == kIEServer;
}

const std::vector<const char*>& ScanClasses() {
  static const std::vector<const char*> classes = {kIEFrame, kCabinet, kIEServer};
  return classes;
}

bool IsListedClass(const std::string& cls) { return cls == kIEFrame || cls == kCabinet; }

bool IsMaximizerClass(const std::string& cls) { return cls == kIEFrame || cls == kIEServer; }

bool IsStopTitle(const std::string& title) {
  return title == "Microsoft Internet Explorer" ||
         title == "about:blank - Microsoft Internet Explorer";
}

std::string UpperCase(std::string s) {
  static const UpperTable table;
  for (char& c : s) c = static_cast<char>(table.byte[static_cast<unsigned char>(c)]);
  return s;
}

std::wstring UpperCase(std::wstring s) {
  if (!s.empty()) CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

int SizeSum(const RECT& r) { return (r.right - r.left) + (r.bottom - r.top); }

bool MayBeSmallPopup(const WindowSnapshot& w) {
  const RECT& r = w.rect;
  // A window wholly at negative coordinates is parked off screen, not a pop-up.
  if (r.left < 0 && r.top < 0 && r.right < 0 && r.bottom < 0) return false;
  if (w.title.find(kSmallTitleWord) == std::string::npos) return false;
  return SizeSum(r) < kSmallWindowBound;
}

bool IsSmallPopup(const WindowSnapshot& w) {
  return MayBeSmallPopup(w) && w.showCmd != SW_SHOWMINIMIZED && w.showCmd != SW_SHOWMAXIMIZED;
}

WordMatcher::WordMatcher(const std::vector<std::string>& wordLines) {
  for (std::size_t i = 0; i < wordLines.size(); ++i) {
    std::string word = ListLineValue(wordLines[i]);
    if (!word.empty()) words_.emplace_back(UpperCase(std::move(word)), static_cast<int>(i));
  }
}

int WordMatcher::Match(const std::string& title) const {
  std::string upperTitle = UpperCase(title);
  for (const auto& word : words_)
    if (upperTitle.find(word.first) != std::string::npos) return word.second;
  return -1;
}

int WordMatcher::Match(const WindowSnapshot& w) const {
  if (!w.TitleLossy()) return Match(w.title);
  if (!widened_) {
    // Upper-cased again: a letter whose capital the code page lacks is still small here.
    for (const auto& word : words_)
      wideWords_.emplace_back(UpperCase(Widen(word.first)), word.second);
    widened_ = true;
  }
  std::wstring upperTitle = UpperCase(w.wideTitle);
  for (const auto& word : wideWords_)
    if (upperTitle.find(word.first) != std::wstring::npos) return word.second;
  return -1;
}

int MatchingWordLine(const WindowSnapshot& w, const std::vector<std::string>& wordLines) {
  return WordMatcher(wordLines).Match(w);
}

int MatchingWordLine(const std::string& title, const std::vector<std::string>& wordLines) {
  return WordMatcher(wordLines).Match(title);
}

ScanResult DecideScan(const WindowList& frontToBack, const std::vector<std::string>& neverClose,
                      const std::vector<std::string>& wordLines, const std::vector<HWND>& skip) {
  ScanResult result;
  // The words are prepared once for all windows of the tick, when the first one needs them.
  std::optional<WordMatcher> words;
  for (std::size_t i = 1; i < frontToBack.size(); ++i) {
    const WindowSnapshot& w = frontToBack[i];
    if (!IsScanClass(w.className)) continue;
    if (IsStopTitle(w.title)) {
      result.stoppedAtStopTitle = true;
      break;
    }
    if (Contains(skip, w.handle) || Asked(result.closes, w.handle)) continue;
    CloseRule rule;
    if (IsSmallPopup(w)) {
      rule = CloseRule::SmallWindow;
    } else {
      if (!words) words.emplace(wordLines);
      if (words->Match(w) < 0) continue;
      rule = CloseRule::UnwantedWord;
    }
    if (!w.TitleLossy() && Contains(neverClose, w.title))
      result.spared.push_back(w.handle);
    else
      result.closes.push_back({w.handle, w.title, rule, w.wideTitle});
  }
  return result;
}

std::vector<CloseDecision> DecideToCloseList(const WindowList& frontToBack,
                                             const std::vector<std::string>& toClose,
                                             const std::vector<HWND>& skip) {
  // The windows each title may close, in the order they are taken (IEFrame windows front to
  // back, then folder windows), so an entry costs one look-up, not a walk of all windows.
  struct Candidates {
    std::vector<HWND> windows;
    std::size_t next = 0;
  };
  std::unordered_map<std::string, Candidates> byTitle;
  std::unordered_set<HWND> asked(skip.begin(), skip.end());
  for (const char* cls : {kIEFrame, kCabinet})
    for (const WindowSnapshot& w : frontToBack)
      if (w.className == cls && !w.TitleLossy() && !asked.count(w.handle))
        byTitle[w.title].windows.push_back(w.handle);
  std::vector<CloseDecision> closes;
  for (const std::string& entry : toClose) {
    auto at = byTitle.find(entry);
    if (at == byTitle.end()) continue;
    Candidates& c = at->second;
    while (c.next < c.windows.size() && asked.count(c.windows[c.next])) ++c.next;
    if (c.next == c.windows.size()) continue;
    HWND h = c.windows[c.next++];
    asked.insert(h);
    closes.push_back({h, entry, CloseRule::ToCloseList, std::wstring()});
  }
  return closes;
}

std::vector<ListItem> OpenBrowserTitles(const WindowList& frontToBack) {
  std::vector<ListItem> titles;
  for (std::size_t i = 1; i < frontToBack.size(); ++i) {
    const WindowSnapshot& w = frontToBack[i];
    if (IsListedClass(w.className) && w.title.find(kSmallTitleWord) != std::string::npos)
      titles.push_back({w.title, w.wideTitle});
  }
  return titles;
}

int KeptMark(const std::vector<ListItem>& items, int marked, const ListItem& title) {
  if (marked >= 0 && static_cast<std::size_t>(marked) < items.size() &&
      items[static_cast<std::size_t>(marked)] == title)
    return marked;
  auto at = std::find(items.begin(), items.end(), title);
  return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

std::vector<HWND> DecideMaximize(const WindowList& frontToBack,
                                 const std::vector<std::string>& maximized,
                                 const std::vector<HWND>& skip) {
  std::size_t start = frontToBack.size();
  for (const char* cls : {kIEFrame, kIEServer}) {
    for (std::size_t i = 0; i < frontToBack.size(); ++i)
      if (frontToBack[i].className == cls) {
        start = i;
        break;
      }
    if (start < frontToBack.size()) break;
  }
  std::vector<HWND> out;
  for (std::size_t i = start; i < frontToBack.size(); ++i) {
    const WindowSnapshot& w = frontToBack[i];
    if (!IsMaximizerClass(w.className) || Contains(skip, w.handle)) continue;
    if (SizeSum(w.rect) < kSmallWindowBound) continue;
    if (Contains(maximized, HandleText(w.handle))) continue;
    out.push_back(w.handle);
  }
  return out;
}

int FrontBrowserIndex(const WindowList& frontToBack) {
  for (std::size_t i = 1; i < frontToBack.size(); ++i)
    if (IsScanClass(frontToBack[i].className)) return static_cast<int>(i);
  return -1;
}

std::string HandleText(HWND h) {
  auto value = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h));
  return std::to_string(value);
}

bool ParseHandleText(const std::string& text, HWND& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  out = reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(v)));
  return true;
}

std::string PopupLogLine(const std::string& date, const std::string& time,
                         const std::string& title) {
  std::string oneLine = title;
  std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
  std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
  return date + " " + time + " - " + oneLine + "\r\n";
}

std::string LoggedTitle(const std::string& title, const std::wstring& wideTitle) {
  if (wideTitle.empty()) return title;
  std::string out, part;
  for (std::size_t i = 0; i < wideTitle.size();) {
    std::size_t len = IS_HIGH_SURROGATE(wideTitle[i]) && i + 1 < wideTitle.size() &&
                              IS_LOW_SURROGATE(wideTitle[i + 1])
                          ? 2
                          : 1;
    if (NarrowFaithfully(wideTitle.substr(i, len), part)) {
      out += part;
    } else {
      unsigned long code = wideTitle[i];
      if (len == 2)
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned long>(wideTitle[i + 1]) - 0xDC00);
      char mark[16];
      std::snprintf(mark, sizeof mark, "[U+%04lX]", code);
      out += mark;
    }
    i += len;
  }
  return out;
}

void HungWindowMemory::NoteTimeout(HWND h, unsigned long long tick) {
  NoteAnswered(h);
  entries_.push_back({h, tick + kPauseTicks});
}

void HungWindowMemory::NoteAnswered(HWND h) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [h](const Entry& e) { return e.handle == h; }),
                 entries_.end());
}

std::vector<HWND> HungWindowMemory::Paused(unsigned long long tick) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [tick](const Entry& e) { return e.until <= tick; }),
                 entries_.end());
  std::vector<HWND> out;
  for (const Entry& e : entries_) out.push_back(e.handle);
  return out;
}
