#pragma once
#include <string>

// A fresh folder under the Windows temp folder, removed with everything in it at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& nameHint = "wp");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // With a trailing backslash.
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole files, bytes as they are. Reading shares the file with a program that holds it open.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);
