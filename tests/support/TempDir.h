#pragma once
#include <memory>
#include <string>
#include <thread>

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

// Holds a file open with no sharing, as a backup or virus-scan program does: until the object
// goes, or, given releaseAfterMs, until that time has passed (let go from a thread of its own).
class HeldFile {
 public:
  explicit HeldFile(const std::string& path, unsigned long releaseAfterMs = 0);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool Held() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
  std::thread releaser_;
};

// An on-access scanner: right after the first write to `written` goes through, it holds `held`
// (by default the same file) as HeldFile does, until the object goes. A lock that starts
// between two writes.
class LockAfterWrite {
 public:
  explicit LockAfterWrite(const std::string& written, const std::string& held = "");
  ~LockAfterWrite();
  LockAfterWrite(const LockAfterWrite&) = delete;
  LockAfterWrite& operator=(const LockAfterWrite&) = delete;
  bool Taken() const { return lock_ && lock_->Held(); }

 private:
  std::unique_ptr<HeldFile> lock_;
};
