#pragma once
#include <string>

// The program directory: the running executable's full name up to and including its last
// backslash. Every file of the program lives there.
std::string ExePath();
std::string ProgramDir();

// In-process tests run the program's code from a test executable; they point the program
// directory at a temporary folder of their own.
void SetProgramDirForTests(const std::string& dirWithBackslash);
