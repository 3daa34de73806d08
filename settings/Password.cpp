#include "Password.h"

#include <windows.h>

#include <cstring>

#include "AppPaths.h"
#include "MsgBox.h"
#include "Strings.h"
#include "TextIds.h"

// Lower-case letters, upper-case letters, digits, the blank, 20 signs, then the German letters
// Ä Ö Ü ß ä ö ü (bytes of code page 1252). a = 10, z = 35, A = 36, Z = 61, 0 = 62, 9 = 71,
// blank = 72, ! = 73 ... | = 92, Ä = 93 ... ü = 99.
const char kPasswordAlphabet[] =
    "abcdefghijklmnopqrstuvwxyz"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "0123456789"
    " "
    "!\"$%&()*+,-./:;=?_@|"
    "\xC4\xD6\xDC\xDF\xE4\xF6\xFC";
static_assert(sizeof kPasswordAlphabet - 1 == kLastPasswordCode - kFirstPasswordCode + 1,
              "one character for each code 10..99");

namespace {
const char kSection[] = "Configuration";
const char kMasterKey[] = "Master";
const char kMasterCheckKey[] = "MasterCheck";
// A fixed text, the same in both languages.
const char kInvalidCharacter[] = "Ung\xFCltiges Zeichen!";

std::string ConfigPath() { return ProgramDir() + "Config.ini"; }
}  // namespace

int PasswordCodeOf(char c) {
  // Not strchr: it would find the terminating zero.
  for (int i = 0; kPasswordAlphabet[i]; ++i)
    if (kPasswordAlphabet[i] == c) return kFirstPasswordCode + i;
  return -1;
}

bool PasswordCharOf(int code, char& out) {
  if (code < kFirstPasswordCode || code > kLastPasswordCode) return false;
  out = kPasswordAlphabet[code - kFirstPasswordCode];
  return true;
}

PasswordCheck CheckNewPassword(const std::string& password) {
  PasswordCheck check;
  for (char c : password) {
    if (PasswordCodeOf(c) < 0) {
      check.problem = PasswordProblem::BadCharacter;
      check.badCharacter = c;
      return check;
    }
  }
  if (password.size() > static_cast<std::size_t>(kMaxPasswordChars))
    check.problem = PasswordProblem::TooLong;
  return check;
}

int cPassword::EncodeChar(const std::string& oneChar) {
  if (oneChar.size() == 1) {
    int code = PasswordCodeOf(oneChar[0]);
    if (code >= 0) return code;
  }
  AppMessage(kInvalidCharacter);
  return kFallbackPasswordCode;
}

std::string cPassword::DecodeChar(const std::string& twoDigits) {
  // Only two decimal digits make a code: "7", "07", "1a" or "+5" do not.
  if (twoDigits.size() == 2 && twoDigits[0] >= '1' && twoDigits[0] <= '9' &&
      twoDigits[1] >= '0' && twoDigits[1] <= '9') {
    char c;
    if (PasswordCharOf((twoDigits[0] - '0') * 10 + (twoDigits[1] - '0'), c))
      return std::string(1, c);
  }
  AppMessage(kInvalidCharacter);
  return std::string();
}

std::string cPassword::SaveMaster(const std::string& password) {
  std::string codes;
  for (char c : password) codes += std::to_string(EncodeChar(std::string(1, c)));
  Write(kMasterKey, codes);
  return codes;
}

int cPassword::SaveMasterCheck(const std::string& password) {
  int sum = 0;
  for (char c : password) sum += EncodeChar(std::string(1, c));
  Write(kMasterCheckKey, std::to_string(sum));
  return sum;
}

bool cPassword::LoadMaster(const std::string& typed) {
  std::string stored = Read(kMasterKey);
  std::string storedCheck = Read(kMasterCheckKey);
  // Strictly in pairs; a single digit left at the end is no code either.
  std::string decoded;
  for (std::size_t i = 0; i < stored.size(); i += 2) decoded += DecodeChar(stored.substr(i, 2));
  int sum = SaveMasterCheck(decoded);
  if (typed != decoded) return false;
  return std::to_string(sum) == storedCheck;
}

void cPassword::Write(const char* key, const std::string& value) {
  if (!WritePrivateProfileStringA(kSection, key, value.c_str(), ConfigPath().c_str()))
    SysMessage(Text(txt::MasterNotWritten));
}

std::string cPassword::Read(const char* key) const {
  char buf[kMasterReadBufferBytes];
  DWORD n = GetPrivateProfileStringA(kSection, key, "", buf, sizeof buf, ConfigPath().c_str());
  return std::string(buf, n);
}
