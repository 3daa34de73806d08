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
  if (stores.DeleteCacheEntry(url) != 0) return false;
  std::string folder = stores.CookiesFolder();
  if (folder.empty()) return false;

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(file.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  FindClose(search);
  // Only ever a file of the cookies folder, whatever folder the caller's path names.
  return DeleteFileA((folder + "\\" + found.cFileName).c_str()) != FALSE;
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
