#include "IeFunctions.h"

#include <objbase.h>
#include <urlhist.h>
#include <wininet.h>

#include <exception>

namespace {

// The cookie entries' source URLs begin "Cookie:". Windows matches the pattern without regard
// to case, some caches (Wine's) only with it, so the pattern is written as the URLs are.
const char kCookiePattern[] = "Cookie:";

// The cache walk of one operation, closed when the operation ends.
class CacheWalk {
 public:
  explicit CacheWalk(BrowserStores& stores) : stores_(stores) {}
  ~CacheWalk() { stores_.CloseCacheWalk(walk_); }
  CacheWalk(const CacheWalk&) = delete;
  CacheWalk& operator=(const CacheWalk&) = delete;

  DWORD First(const char* pattern, CacheEntry& entry) {
    return stores_.FirstCacheEntry(pattern, walk_, entry);
  }
  DWORD Next(CacheEntry& entry) { return stores_.NextCacheEntry(walk_, entry); }

 private:
  BrowserStores& stores_;
  HANDLE walk_ = nullptr;
};

// Calls visit for every entry that matches pattern; true when the walk reached the end.
template <class Visit>
bool WalkCache(BrowserStores& stores, const char* pattern, Visit visit) {
  CacheWalk walk(stores);
  CacheEntry entry;
  for (DWORD status = walk.First(pattern, entry); status != ERROR_NO_MORE_ITEMS;
       status = walk.Next(entry)) {
    if (status != 0) return false;
    visit(entry);
  }
  return true;
}

// CoInitialize for the length of one call, undone only when it was done here.
class ComScope {
 public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY& get() { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool FileIsAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length && length < sizeof full ? std::string(full, length) : std::string();
}

// Whether path names a file in folder or in one of its subfolders; both are made full first,
// so "..", forward slashes and letter case cannot lead out of it.
bool IsInFolder(const std::string& path, const std::string& folder) {
  std::string file = FullPath(path), root = FullPath(folder);
  if (file.empty() || root.empty()) return false;
  if (root.back() != '\\') root += '\\';
  return file.size() > root.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, file.c_str(),
                        static_cast<int>(root.size()), root.c_str(),
                        static_cast<int>(root.size())) == CSTR_EQUAL;
}

}  // namespace

bool DeleteCookies(BrowserStores& stores) {
  int errors = 0;

  bool walked = WalkCache(stores, kCookiePattern, [&](const CacheEntry& entry) {
    if (!CacheDeleteIsSettled(stores.DeleteCacheEntry(entry.sourceUrl))) ++errors;
  });
  if (!walked) ++errors;

  std::string folder = stores.CookiesFolder();
  if (folder.empty()) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.txt").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!DeleteFileA((folder + "\\" + found.cFileName).c_str())) ++errors;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return errors == 0;
}

bool DeleteCookie(const std::string& url, const std::string& file, BrowserStores& stores) {
  if (url.empty()) return false;
  // An entry that is gone already is what the user asked for.
  DWORD removed = stores.DeleteCacheEntry(url);
  if (removed != 0 && removed != ERROR_FILE_NOT_FOUND) return false;
  std::string folder = stores.CookiesFolder();
  if (folder.empty()) return false;
  if (file.empty()) return true;

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(file.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return FileIsAbsent(GetLastError());
  FindClose(search);
  // The file found, in the folder the path names: a cookie may sit in a subfolder (Low\ on
  // Windows) beside a namesake in the folder itself.
  std::string::size_type slash = file.find_last_of("\\/");
  std::string path = (slash == std::string::npos ? std::string() : file.substr(0, slash + 1)) +
                     found.cFileName;
  // Never a file outside the cookies folder, whatever the cache names.
  if (!IsInFolder(path, folder)) return false;
  return DeleteFileA(path.c_str()) || FileIsAbsent(GetLastError());
}

bool ListCookies(std::vector<CookieRow>& rows, BrowserStores& stores) {
  rows.clear();
  return WalkCache(stores, kCookiePattern, [&](const CacheEntry& entry) {
    rows.push_back({entry.sourceUrl, entry.localFile});
  });
}

bool DeleteTempInternetFiles(BrowserStores& stores) {
  bool deleteFailed = false;
  bool walked = WalkCache(stores, nullptr, [&](const CacheEntry& entry) {
    // Cookies and history have clean-ups of their own; a walk without a pattern lists them in
    // some caches.
    if (entry.type & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) return;
    if (!CacheDeleteIsSettled(stores.DeleteCacheEntry(entry.sourceUrl))) deleteFailed = true;
  });
  return walked && !deleteFailed;
}

HRESULT DeleteHistory(BrowserStores& stores) {
  ComScope com;
  IUrlHistoryStg2* history = nullptr;
  HRESULT created = stores.CreateUrlHistory(&history);
  if (FAILED(created) || !history) return FAILED(created) ? created : E_POINTER;
  HRESULT cleared = history->ClearHistory();
  history->DeleteUrl(L"*.*", 1);
  history->Release();
  return cleared;
}

bool DeleteTypedUrls(BrowserStores& stores) try {
  KeyHandle key;
  LONG opened = stores.OpenTypedUrls(key.get());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;

  std::vector<std::string> names;
  if (stores.TypedUrlNames(key.get(), names) != ERROR_SUCCESS) return false;
  for (const std::string& name : names) {
    if (stores.DeleteTypedUrl(key.get(), name) != ERROR_SUCCESS) return false;
  }
  return true;
} catch (const std::exception&) {
  return false;
}
