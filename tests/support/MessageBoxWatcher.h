#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Watches, from a thread of its own, for message boxes captioned "Wachtposten" (class
// "#32770"), records their text and presses a button, as a user would. By default only boxes
// of this process count.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(int button = IDOK, DWORD processId = GetCurrentProcessId());
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  std::vector<std::string> Texts() const;
  // True once at least `count` boxes were seen within the time-out.
  bool WaitForCount(std::size_t count, DWORD timeoutMs) const;
  void SetButton(int button) { button_ = button; }

 private:
  void Run();
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp);

  std::atomic<int> button_;
  DWORD processId_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<HWND> answered_;
  std::thread thread_;
};

// The text of a message box (its static text control).
std::string MessageBoxText(HWND box);
