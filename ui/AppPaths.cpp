#include "AppPaths.h"

#include <windows.h>

namespace {
std::string g_programDirOverride;
}

std::string ExePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string ProgramDir() {
  if (!g_programDirOverride.empty()) return g_programDirOverride;
  std::string exe = ExePath();
  std::string::size_type cut = exe.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : exe.substr(0, cut + 1);
}

void SetProgramDirForTests(const std::string& dirWithBackslash) {
  g_programDirOverride = dirWithBackslash;
}
