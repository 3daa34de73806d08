// Stand-in for the maker's dialer-check library, which is not part of this system. Wachtposten
// imports CheckDialer by name and uses no result. When the environment variable RUFSPERRE_LOG
// names a file, each call appends one line to it, so tests can see the calls.
#include <windows.h>

extern "C" __declspec(dllexport) int CheckDialer() {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("RUFSPERRE_LOG", path, sizeof path);
  if (n > 0 && n < sizeof path) {
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      static const char line[] = "CheckDialer\r\n";
      DWORD written;
      WriteFile(f, line, sizeof line - 1, &written, nullptr);
      CloseHandle(f);
    }
  }
  return 0;
}
