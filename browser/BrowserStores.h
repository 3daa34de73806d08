#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct IUrlHistoryStg2;

// One record of the browser's URL cache, as far as the clean-up uses it.
struct CacheEntry {
  std::string sourceUrl;
  std::string localFile;  // empty when the entry has no file
  DWORD type = 0;         // the cache's entry type bits
};

// The browser's stores as the clean-up reaches them: the URL cache, the cookies folder, the URL
// history object and the typed-URL key. The members are the system's own calls; tests derive
// from this class to make one step fail where the system cannot be made to.
class BrowserStores {
 public:
  virtual ~BrowserStores() = default;

  // A walk over the cache entries that match pattern (nullptr: all of them), one entry at a
  // time. Each read gives 0 with the entry filled in or the system's error code, which is
  // ERROR_NO_MORE_ITEMS past the last entry. An entry is never skipped for its size: the record
  // block grows to what the cache asks for. FirstCacheEntry leaves walk null when it fails.
  virtual DWORD FirstCacheEntry(const char* pattern, HANDLE& walk, CacheEntry& entry);
  virtual DWORD NextCacheEntry(HANDLE walk, CacheEntry& entry);
  virtual void CloseCacheWalk(HANDLE walk);
  // 0 when the entry is gone, else the system's error code.
  virtual DWORD DeleteCacheEntry(const std::string& sourceUrl);

  // The cookies folder without a trailing backslash; empty when the system names none.
  virtual std::string CookiesFolder();

  // The system's URL history object, created in process.
  virtual HRESULT CreateUrlHistory(IUrlHistoryStg2** history);

  // The typed-URL key, opened for reading and deleting its values; ERROR_FILE_NOT_FOUND when
  // there is none.
  virtual LONG OpenTypedUrls(HKEY& key);
  virtual LONG TypedUrlNames(HKEY key, std::vector<std::string>& names);
  virtual LONG DeleteTypedUrl(HKEY key, const std::string& valueName);
};

// The system's stores, used when the caller names none.
BrowserStores& SystemBrowserStores();

// Whether a failed delete of a cache entry still leaves the entry on its way out: it is gone
// already, or it is in use and the cache has marked it to go once it is released.
bool CacheDeleteIsSettled(DWORD error);
