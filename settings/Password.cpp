#include "Password.h"

#include <windows.h>

#include <cstring>

#include "AppPaths.h"
#include "IniFile.h"
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

namespace {
constexpr UINT kPasswordCodePage = 1252;

// A character's byte when the code page holds exactly this character (no best fit).
bool PasswordByteOf(wchar_t typed, char& out) {
  char byte = 0;
  wchar_t back = 0;
  if (WideCharToMultiByte(kPasswordCodePage, 0, &typed, 1, &byte, 1, nullptr, nullptr) != 1 ||
      MultiByteToWideChar(kPasswordCodePage, 0, &byte, 1, &back, 1) != 1 || back != typed)
    return false;
  out = byte;
  return true;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

bool PasswordBytes(const std::wstring& typed, std::string& bytes) {
  bytes.clear();
  for (wchar_t c : typed) {
    char b;
    if (!PasswordByteOf(c, b)) return false;
    bytes += b;
  }
  return true;
}

PasswordCheck CheckNewPassword(const std::wstring& password) {
  PasswordCheck check;
  for (std::size_t i = 0; i < password.size(); ++i) {
    char b;
    if (!PasswordByteOf(password[i], b) || PasswordCodeOf(b) < 0) {
      check.problem = PasswordProblem::BadCharacter;
      // A character beyond the basic plane is named whole, both halves.
      bool pair = IsHighSurrogate(password[i]) && i + 1 < password.size() &&
                  IsLowSurrogate(password[i + 1]);
      check.badCharacter = password.substr(i, pair ? 2 : 1);
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
  int sum = CheckSum(password);
  Write(kMasterCheckKey, std::to_string(sum));
  return sum;
}

void cPassword::SaveMasterAndCheck(const std::string& password) {
  std::string codes;
  for (char c : password) codes += std::to_string(EncodeChar(std::string(1, c)));
  try {
    IniFile(ConfigPath()).WriteKeys(
        kSection, {{kMasterKey, codes}, {kMasterCheckKey, std::to_string(CheckSum(password))}});
  } catch (const EIniWriteError&) {
    written_ = false;
    SysMessage(Text(txt::MasterNotWritten));
  }
}

int cPassword::CheckSum(const std::string& password) {
  int sum = 0;
  for (char c : password) sum += EncodeChar(std::string(1, c));
  return sum;
}

bool cPassword::LoadMaster(const std::string& typed) {
  std::string stored = Read(kMasterKey);
  std::string storedCheck = Read(kMasterCheckKey);
  // What a held file gives is no stored password: nothing to compare with or to repair.
  if (unreadable_) return false;
  // Strictly in pairs; a single digit left at the end is no code either.
  std::string decoded;
  for (std::size_t i = 0; i < stored.size(); i += 2) decoded += DecodeChar(stored.substr(i, 2));
  // A check writes nothing: a sum that does not match says the pair was not stored as one,
  // and "repairing" it would grant the next try whatever Master holds.
  std::string sum = std::to_string(CheckSum(decoded));
  if (typed != decoded) return false;
  return sum == storedCheck;
}

void cPassword::Write(const char* key, const std::string& value) {
  try {
    IniFile(ConfigPath()).WriteString(kSection, key, value);
  } catch (const EIniWriteError&) {
    written_ = false;
    SysMessage(Text(txt::MasterNotWritten));
  }
}

std::string cPassword::Read(const char* key) {
  std::string value;
  if (!IniFile(ConfigPath()).TryReadString(kSection, key, "", value)) unreadable_ = true;
  // Read as into the buffer of old: a longer stored password verifies only up to its size.
  return value.substr(0, kMasterReadBufferBytes - 1);
}
