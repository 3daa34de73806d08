#pragma once
#include <string>

// 0 for German, 10000 for English: the string table holds German text n at ID n and its
// English counterpart at n + 10000.
extern int LanguageOffset;

constexpr int kEnglishOffset = 10000;

// The text at id + LanguageOffset; an ID the table lacks gives "".
std::string Text(int id);
// The text at exactly this ID, whatever the language.
std::string RawText(int id);
// Text(id) with each "%s" replaced by arg, in order.
std::string TextF(int id, const std::string& arg);
