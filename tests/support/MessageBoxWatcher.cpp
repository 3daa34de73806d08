#include "MessageBoxWatcher.h"

#include <algorithm>

namespace {
constexpr DWORD kPollMs = 10;

struct TextFinder {
  std::string text;
};

BOOL CALLBACK FindStatic(HWND child, LPARAM lp) {
  char cls[32];
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") != 0) return TRUE;
  int len = GetWindowTextLengthA(child);
  if (len <= 0) return TRUE;
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  s.resize(GetWindowTextA(child, &s[0], len + 1));
  auto* f = reinterpret_cast<TextFinder*>(lp);
  if (f->text.empty()) f->text = s;
  return TRUE;
}
}  // namespace

std::string MessageBoxText(HWND box) {
  TextFinder f;
  EnumChildWindows(box, &FindStatic, reinterpret_cast<LPARAM>(&f));
  return f.text;
}

MessageBoxWatcher::MessageBoxWatcher(int button, DWORD processId)
    : button_(button), processId_(processId), thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<std::string> MessageBoxWatcher::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

bool MessageBoxWatcher::WaitForCount(std::size_t count, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (texts_.size() >= count) return true;
    }
    if (GetTickCount() - start >= timeoutMs) return false;
    // The waiting thread may own the boxes' loop: keep its messages moving.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(kPollMs);
  }
}

BOOL CALLBACK MessageBoxWatcher::Visit(HWND hwnd, LPARAM lp) {
  auto* self = reinterpret_cast<MessageBoxWatcher*>(lp);
  char cls[16];
  if (!GetClassNameA(hwnd, cls, sizeof cls) || lstrcmpA(cls, "#32770") != 0) return TRUE;
  char title[64];
  GetWindowTextA(hwnd, title, sizeof title);
  if (lstrcmpA(title, "Wachtposten") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (self->processId_ != 0 && pid != self->processId_) return TRUE;
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (std::find(self->answered_.begin(), self->answered_.end(), hwnd) != self->answered_.end())
      return TRUE;
    self->answered_.push_back(hwnd);
    self->texts_.push_back(MessageBoxText(hwnd));
  }
  int button = self->button_;
  HWND b = GetDlgItem(hwnd, button);
  PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(b));
  return TRUE;
}

void MessageBoxWatcher::Run() {
  while (!stop_) {
    EnumWindows(&MessageBoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
    {
      // A handle is reused once its box is gone: forget the closed ones.
      std::lock_guard<std::mutex> lock(mutex_);
      answered_.erase(std::remove_if(answered_.begin(), answered_.end(),
                                     [](HWND h) { return !IsWindow(h); }),
                      answered_.end());
    }
    Sleep(kPollMs);
  }
}
