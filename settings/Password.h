#pragma once
#include <string>

// The master password's stored form in Config.ini [Configuration]: "Master" holds the
// two-digit code of each character in order, "MasterCheck" the sum of those codes.
// This is an encoding, not encryption: it keeps the guard from being switched off casually,
// not from someone who can read or edit Config.ini.

// The characters a master password may hold: 90 single bytes of code page 1252, case-sensitive.
// The code of a character is 10 + its position in this text, so the codes are exactly 10 to 99.
extern const char kPasswordAlphabet[];
constexpr int kFirstPasswordCode = 10, kLastPasswordCode = 99;
// The code given to a character outside the alphabet: no two-digit number, so no character's
// code. Being 0, it adds nothing to the check sum.
constexpr int kFallbackPasswordCode = 0;
// Both keys are read into a buffer of this size, so a stored password verifies only up to
// kMaxPasswordChars characters (two digits each).
constexpr int kMasterReadBufferBytes = 128;
constexpr int kMaxPasswordChars = (kMasterReadBufferBytes - 1) / 2;

// The code of a character, or -1 outside the alphabet.
int PasswordCodeOf(char c);
// The character of a code 10..99; false for any other number.
bool PasswordCharOf(int code, char& out);

// The typed password as the codec's bytes (code page 1252), one per character. False when a
// character has no byte of its own there: the system would make it "?", which is in the
// alphabet, so such a password must neither be stored nor match.
bool PasswordBytes(const std::wstring& typed, std::string& bytes);

// Whether a password can be defined: every character in the alphabet and at most
// kMaxPasswordChars characters. The empty password is the dialog's own case.
enum class PasswordProblem { None, BadCharacter, TooLong };
struct PasswordCheck {
  PasswordProblem problem = PasswordProblem::None;
  std::wstring badCharacter;  // the first character outside the alphabet, as typed
};
PasswordCheck CheckNewPassword(const std::wstring& password);

// The codec over Config.ini in the program directory. Every call builds the path anew and
// reads or writes the file at once; the codec only remembers whether a read met the file held
// by another program and whether every write went through.
class cPassword {
 public:
  cPassword() = default;
  ~cPassword() = default;

  // The character's code; a character outside the alphabet shows "Ungültiges Zeichen!" and
  // gives kFallbackPasswordCode.
  int EncodeChar(const std::string& oneChar);
  // The character of a two-digit code; a text that is no code shows "Ungültiges Zeichen!" and
  // gives "".
  std::string DecodeChar(const std::string& twoDigits);
  // Writes Master; a refused write shows text 33. Returns the code text either way.
  std::string SaveMaster(const std::string& password);
  // Writes MasterCheck; a refused write shows text 33. Returns the sum either way.
  int SaveMasterCheck(const std::string& password);
  // Writes Master and MasterCheck together in one write, so that the pair is never stored
  // half: both are, or (text 33 shown) neither. What a password is defined with.
  void SaveMasterAndCheck(const std::string& password);
  // True when typed is the stored password and MasterCheck matches it. Never writes: a
  // MasterCheck that does not match the stored password fails every check until the pair is
  // stored again. A file that cannot be read now fails the check (see Unreadable).
  bool LoadMaster(const std::string& typed);

  // Whether a read so far met Config.ini held by another program beyond the wait.
  bool Unreadable() const { return unreadable_; }
  // Whether every write so far went through.
  bool Written() const { return written_; }

 private:
  // The sum of the codes, each character outside the alphabet reported as EncodeChar does.
  int CheckSum(const std::string& password);
  void Write(const char* key, const std::string& value);
  std::string Read(const char* key);

  bool unreadable_ = false;
  bool written_ = true;
};
