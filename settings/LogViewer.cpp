#include "LogViewer.h"

#include <algorithm>
#include <new>

#include "ConfigIni.h"
#include "Guard.h"
#include "MsgBox.h"
#include "OptionsRes.h"
#include "Strings.h"
#include "TextIds.h"

namespace {
constexpr int kClientWidth = 695, kClientHeight = 484;
constexpr int kListLeft = 7, kListTop = 7, kListWidth = 681, kListHeight = 425;
constexpr int kButtonWidth = 75, kButtonHeight = 25, kButtonTop = 446;
// In the list box's dialog units.
constexpr int kTabWidth = 10;
constexpr DWORD kReadChunkBytes = 256 * 1024;
// Read before the viewer opens: a log of that size shows whole at once.
constexpr std::size_t kFirstReadBytes = 64 * 1024;
// Each later step reads for about this long, then lets the program's other work run; the
// steps follow each other at the timer's shortest interval.
constexpr double kStepMs = 10;
constexpr UINT_PTR kReadTimer = 1;
constexpr UINT kReadTimerMs = 10;
// Text starts one pixel in from the item's left edge, as the list box draws its own texts.
constexpr int kTextIndent = 1;
constexpr int kMarginPixels = 8;
constexpr char kListSelf[] = "WpLogViewer";

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int LineWidth(const char* data, std::size_t size, const int (&widths)[256], int tabPixels) {
  int width = 0;
  for (std::size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    // Tabs are counted as whole tab widths: enough room.
    width += c == '\t' ? tabPixels : widths[c];
  }
  return width;
}
}  // namespace

std::string LogPathForKind(const std::string& kind) {
  if (kind == "Connection") return ConnectionLogPath();
  if (kind == "Popup") return PopupLogPath();
  return std::string();
}

void LogText::Reserve(std::size_t bytes) {
  try {
    bytes_.reserve(bytes);
  } catch (const std::exception&) {
    // Read on without: each step then asks for its own room.
  }
}

void LogText::Append(const char* data, std::size_t size) {
  std::size_t from = bytes_.size(), lines = ends_.size();
  bytes_.append(data, size);
  try {
    for (std::size_t i = from; i < bytes_.size(); ++i) {
      if (bytes_[i] == '\n') ends_.push_back(i);
      else if (bytes_[i] == '\0') bytes_[i] = ' ';
    }
  } catch (...) {
    bytes_.resize(from);
    ends_.resize(lines);
    throw;
  }
}

void LogText::Finish() {
  if (finished_) return;
  finished_ = true;
  std::size_t start = ends_.empty() ? 0 : ends_.back() + 1;
  if (start < bytes_.size()) ends_.push_back(bytes_.size());
}

std::size_t LogText::LineSize(std::size_t i) const {
  std::size_t start = Start(i), end = ends_[i];
  if (end > start && end < bytes_.size() && bytes_[end - 1] == '\r') --end;
  return end - start;
}

std::vector<std::string> LogLines(const std::string& bytes) {
  LogText text;
  text.Append(bytes.data(), bytes.size());
  text.Finish();
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < text.Count(); ++i) lines.push_back(text.Line(i));
  return lines;
}

LogRead LogReader::Open(const std::string& path) {
  done_ = true;
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LogRead::Missing
                                                                          : LogRead::Unreadable;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return LogRead::Unreadable;
  // Shared for writing and deleting: the program's own writers are never refused while the
  // viewer reads.
  Close();
  file_ = CreateFileA(path.c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return LogRead::Unreadable;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_, &size)) {
    Close();
    return LogRead::Unreadable;
  }
  size_ = left_ = static_cast<unsigned long long>(size.QuadPart);
  done_ = false;
  return LogRead::Read;
}

void LogReader::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

LogReader::Step LogReader::ReadSome(LogText& text, std::size_t bytes) {
  if (done_) return Step::Done;
  auto finish = [&](Step step) {
    done_ = true;
    Close();
    text.Finish();
    return step;
  };
  std::string chunk(kReadChunkBytes, '\0');
  while (bytes > 0) {
    // Past the size it had when opened, only the line then being written is read on, to its
    // end.
    bool past = left_ == 0;
    if (past && text.EndsInLineEnd()) return finish(Step::Done);
    DWORD want = static_cast<DWORD>(std::min<unsigned long long>(
        std::min<std::size_t>(bytes, kReadChunkBytes), past ? 256 : left_));
    DWORD got = 0;
    if (!ReadFile(file_, &chunk[0], want, &got, nullptr)) return finish(Step::Failed);
    // The file ends early where another program cut it short meanwhile.
    if (got == 0) return finish(Step::Done);
    std::size_t keep = got;
    if (past) {
      const char* end = std::find(chunk.data(), chunk.data() + got, '\n');
      keep = std::min<std::size_t>(got, static_cast<std::size_t>(end - chunk.data()) + 1);
    }
    try {
      text.Append(chunk.data(), keep);
    } catch (const std::bad_alloc&) {
      return finish(Step::OutOfMemory);
    }
    left_ -= std::min<unsigned long long>(left_, got);
    bytes -= std::min<std::size_t>(bytes, got);
    if (past && keep < got) return finish(Step::Done);
  }
  return Step::More;
}

namespace {
// The longest run of a line that is drawn and measured; a longer line, which no log writes,
// shows its beginning and reads whole as its item's text.
constexpr std::size_t kMaxDrawnBytes = 32 * 1024;

void Report(LogReader::Step step) {
  if (step == LogReader::Step::Failed) AppMessage(Text(txt::LogUnreadable));
  if (step == LogReader::Step::OutOfMemory) AppMessage(Text(txt::LogTooBig));
}
}  // namespace

TFLog::TFLog(const std::string& kind) : ModalDialog(IDD_LOG) {
  std::string path = LogPathForKind(kind);
  if (path.empty()) return;
  switch (reader_.Open(path)) {
    case LogRead::Missing:
      AppMessage(Text(txt::NoLogFile));
      return;
    case LogRead::Unreadable:
      AppMessage(Text(txt::LogUnreadable));
      return;
    case LogRead::Read:
      break;
  }
  if (reader_.Size() <= text_.MaxSize()) text_.Reserve(static_cast<std::size_t>(reader_.Size()));
  Report(reader_.ReadSome(text_, kFirstReadBytes));
}

std::vector<std::string> TFLog::Lines() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < text_.Count(); ++i) lines.push_back(text_.Line(i));
  return lines;
}

void TFLog::OnInit() {
  ListBox1.Attach(Item(IDC_LOG_LISTBOX1));
  Button1.Attach(Item(IDB_LOG_BUTTON1));
  SetCaption(Text(txt::LogCaption));
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  PlaceControl(ListBox1.hwnd(), kListLeft, kListTop, kListWidth, kListHeight);
  PlaceControl(Button1.hwnd(), (kClientWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth,
               kButtonHeight);
  MeasureFont();
  HWND list = ListBox1.hwnd();
  SetPropA(list, kListSelf, this);
  listProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFLog::ListProc)));
  ShowLines();
  if (!reader_.Done()) SetTimer(hwnd(), kReadTimer, kReadTimerMs, nullptr);
  SendMessageA(hwnd(), DM_SETDEFID, IDB_LOG_BUTTON1, 0);
  CenterOnDesktop(hwnd());
}

bool TFLog::OnCommand(int id, int notifyCode) {
  if ((id == IDB_LOG_BUTTON1 && notifyCode == BN_CLICKED) || id == IDOK) {
    Button1Click();
    return true;
  }
  return false;
}

bool TFLog::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  if (msg == WM_TIMER && wp == kReadTimer) {
    ReadOn();
    return true;
  }
  if (msg == WM_DRAWITEM && wp == IDC_LOG_LISTBOX1) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  return false;
}

void TFLog::Button1Click() { End(IDOK); }

void TFLog::ReadOn() {
  double start = NowMs();
  LogReader::Step step = LogReader::Step::More;
  while (step == LogReader::Step::More && NowMs() - start < kStepMs)
    step = reader_.ReadSome(text_, kReadChunkBytes);
  ShowLines();
  if (step == LogReader::Step::More) return;
  // Before a box, whose own loop would run this timer again.
  KillTimer(hwnd(), kReadTimer);
  Report(step);
}

void TFLog::MeasureFont() {
  HWND list = ListBox1.hwnd();
  HDC dc = GetDC(list);
  if (!dc) return;
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  if (!GetCharWidth32A(dc, 0, 255, charWidths_))
    std::fill(std::begin(charWidths_), std::end(charWidths_),
              static_cast<int>(metrics.tmMaxCharWidth));
  // A double-byte character is measured as the widest character and its second byte.
  for (int c = 0x80; c < 0x100; ++c)
    if (IsDBCSLeadByte(static_cast<BYTE>(c))) charWidths_[c] = metrics.tmMaxCharWidth;
  SelectObject(dc, oldFont);
  ReleaseDC(list, dc);
  RECT tabRect = {0, 0, kTabWidth, 0};
  MapDialogRect(hwnd(), &tabRect);
  tabPixels_ = std::max(1, static_cast<int>(tabRect.right));
  // Drawn by us, the items are as high as the list box makes its own texts' items.
  if (metrics.tmHeight > 0) SendMessageA(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight);
}

void TFLog::ShowLines() {
  HWND list = ListBox1.hwnd();
  if (!list) return;
  int widest = widest_;
  for (; measured_ < text_.Count(); ++measured_) {
    std::size_t size = std::min(text_.LineSize(measured_), kMaxDrawnBytes);
    widest = std::max(widest, LineWidth(text_.LineData(measured_), size, charWidths_, tabPixels_));
  }
  WPARAM count = static_cast<WPARAM>(text_.Count());
  if (static_cast<WPARAM>(SendMessageA(list, LB_GETCOUNT, 0, 0)) != count) {
    // Growing the count keeps where the user scrolled to and what he marked.
    LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    LRESULT marked = SendMessageA(list, LB_GETCURSEL, 0, 0);
    SendMessageA(list, LB_SETCOUNT, count, 0);
    if (SendMessageA(list, LB_GETCURSEL, 0, 0) != marked)
      SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(marked), 0);
    if (SendMessageA(list, LB_GETTOPINDEX, 0, 0) != top)
      SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  }
  if (widest != widest_ || count == 0) {
    widest_ = widest;
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_ + kMarginPixels), 0);
  }
}

void TFLog::DrawItem(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemID < text_.Count() && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    bool marked = (item.itemState & ODS_SELECTED) != 0;
    COLORREF oldText =
        SetTextColor(dc, GetSysColor(marked ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    COLORREF oldBack = SetBkColor(dc, GetSysColor(marked ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    int left = rect.left + kTextIndent, tab = tabPixels_;
    std::size_t size = std::min(text_.LineSize(item.itemID), kMaxDrawnBytes);
    TabbedTextOutA(dc, left, rect.top, text_.LineData(item.itemID), static_cast<int>(size), 1,
                   &tab, left);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
  }
  // A change of focus alone toggles the dotted frame; a whole item drawn anew gets it afresh.
  if ((item.itemAction & ODA_FOCUS) ||
      ((item.itemState & ODS_FOCUS) && (item.itemAction & ODA_DRAWENTIRE)))
    DrawFocusRect(dc, &rect);
}

LRESULT CALLBACK TFLog::ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<TFLog*>(GetPropA(list, kListSelf));
  if (!self) return DefWindowProcA(list, msg, wp, lp);
  return Guarded([&] { return self->OnListMessage(list, msg, wp, lp); }, LRESULT(0));
}

LRESULT TFLog::OnListMessage(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case LB_GETTEXTLEN:
      return wp < text_.Count() ? static_cast<LRESULT>(text_.LineSize(wp)) : LB_ERR;
    case LB_GETTEXT: {
      if (wp >= text_.Count() || !lp) return LB_ERR;
      std::size_t size = text_.LineSize(wp);
      char* buffer = reinterpret_cast<char*>(lp);
      std::copy(text_.LineData(wp), text_.LineData(wp) + size, buffer);
      buffer[size] = '\0';
      return static_cast<LRESULT>(size);
    }
    case WM_VSCROLL:
      // The scroll box's position comes in 16 bits; a log can have more lines.
      if (LOWORD(wp) == SB_THUMBTRACK || LOWORD(wp) == SB_THUMBPOSITION) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(list, SB_VERT, &info)) {
          CallWindowProcA(listProc_, list, LB_SETTOPINDEX, static_cast<WPARAM>(info.nTrackPos), 0);
          return 0;
        }
      }
      break;
    case WM_NCDESTROY: {
      WNDPROC old = listProc_;
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      RemovePropA(list, kListSelf);
      return CallWindowProcA(old, list, msg, wp, lp);
    }
  }
  return CallWindowProcA(listProc_, list, msg, wp, lp);
}
