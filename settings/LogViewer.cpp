#include "LogViewer.h"

#include <algorithm>

#include "ConfigIni.h"
#include "FileHandle.h"
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
constexpr DWORD kReadChunkBytes = 64 * 1024;

}  // namespace

std::string LogPathForKind(const std::string& kind) {
  if (kind == "Connection") return ConnectionLogPath();
  if (kind == "Popup") return PopupLogPath();
  return std::string();
}

std::vector<std::string> LogLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < bytes.size()) {
    std::string::size_type end = bytes.find('\n', start);
    bool last = end == std::string::npos;
    std::string line = bytes.substr(start, last ? std::string::npos : end - start);
    if (!last && !line.empty() && line.back() == '\r') line.pop_back();
    std::replace(line.begin(), line.end(), '\0', ' ');
    lines.push_back(line);
    if (last) break;
    start = end + 1;
  }
  return lines;
}

LogRead ReadLogFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LogRead::Missing
                                                                          : LogRead::Unreadable;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return LogRead::Unreadable;
  // Shared for writing and deleting: the program's own writers are never refused while the
  // viewer reads, and a reading that fails half-way still closes the file.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return LogRead::Unreadable;
  std::string chunk(kReadChunkBytes, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &chunk[0], kReadChunkBytes, &got, nullptr)) return LogRead::Unreadable;
    if (got == 0) return LogRead::Read;
    bytes.append(chunk, 0, got);
  }
}

TFLog::TFLog(const std::string& kind) : ModalDialog(IDD_LOG) {
  std::string path = LogPathForKind(kind);
  if (path.empty()) return;
  std::string bytes;
  switch (ReadLogFile(path, bytes)) {
    case LogRead::Missing:
      AppMessage(Text(txt::NoLogFile));
      return;
    case LogRead::Unreadable:
      AppMessage(Text(txt::LogUnreadable));
      break;
    case LogRead::Read:
      break;
  }
  lines_ = LogLines(bytes);
}

void TFLog::OnInit() {
  ListBox1.Attach(Item(IDC_LOG_LISTBOX1));
  Button1.Attach(Item(IDB_LOG_BUTTON1));
  SetCaption(Text(txt::LogCaption));
  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  PlaceControl(ListBox1.hwnd(), kListLeft, kListTop, kListWidth, kListHeight);
  PlaceControl(Button1.hwnd(), (kClientWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth,
               kButtonHeight);
  int tab = kTabWidth;
  SendMessageA(ListBox1.hwnd(), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
  ListBox1.SetItems(lines_);
  SetHorizontalExtent();
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

void TFLog::Button1Click() { End(IDOK); }

void TFLog::SetHorizontalExtent() {
  HWND list = ListBox1.hwnd();
  HDC dc = GetDC(list);
  if (!dc) return;
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  RECT tabRect = {0, 0, kTabWidth, 0};
  MapDialogRect(hwnd(), &tabRect);
  int tabPixels = std::max(1, static_cast<int>(tabRect.right));
  int widest = 0;
  for (const std::string& line : lines_) {
    if (line.empty()) continue;
    // Tabs are counted as whole tab widths: enough room, and no 16-bit limit on the width.
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    int tabs = static_cast<int>(std::count(line.begin(), line.end(), '\t'));
    widest = std::max(widest, static_cast<int>(size.cx) + tabs * tabPixels);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(list, dc);
  constexpr int kMarginPixels = 8;
  SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + kMarginPixels), 0);
}
