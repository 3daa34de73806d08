#include "Strings.h"

#include <windows.h>

int LanguageOffset = 0;

namespace {
constexpr int kTextBufferChars = 1024;
}

std::string RawText(int id) {
  char buf[kTextBufferChars];
  int n = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buf, sizeof buf);
  return n > 0 ? std::string(buf, n) : std::string();
}

std::string Text(int id) { return RawText(id + LanguageOffset); }

std::string TextF(int id, const std::string& arg) {
  std::string t = Text(id);
  // Past each inserted argument: a "%s" inside the argument (a path may hold one) stays.
  for (std::string::size_type at = t.find("%s"); at != std::string::npos;
       at = t.find("%s", at + arg.size()))
    t.replace(at, 2, arg);
  return t;
}
