#include "BrowserData.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <urlhist.h>
#include <wininet.h>

const char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

std::string OwnPrefixMarker() {
  char windows[MAX_PATH] = "";
  UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  std::string drive = length >= 3 ? std::string(windows, 3) : "C:\\";
  return drive + "wachtposten-test-prefix";
}

bool PrefixIsTheTestsOwn() {
  std::string marker = OwnPrefixMarker();
  if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  [&] {
    FAIL() << "refusing to empty the browser's cookies, cache, history or typed URLs: " << marker
           << " is missing, so this is not a Wine prefix made for the tests. Run the tests "
              "through scripts/test.sh.";
  }();
  return false;
}

bool SystemHistoryClears() {
  if (!PrefixIsTheTestsOwn()) return false;
  static const bool clears = [] {
    CoInitialize(nullptr);
    IUrlHistoryStg2* history = nullptr;
    bool cleared = SUCCEEDED(SystemBrowserStores().CreateUrlHistory(&history)) && history &&
                   history->ClearHistory() == S_OK;
    if (history) history->Release();
    CoUninitialize();
    return cleared;
  }();
  return clears;
}

std::string CookiesFolderPath() {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_COOKIES, nullptr, 0, path);
  return path;
}

std::vector<CacheEntry> CacheEntries(const char* pattern) {
  std::vector<CacheEntry> entries;
  std::vector<char> block(1 << 16);
  auto* record = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.data());
  DWORD size = static_cast<DWORD>(block.size());
  HANDLE walk = FindFirstUrlCacheEntryA(pattern, record, &size);
  if (!walk) return entries;
  do {
    entries.push_back({record->lpszSourceUrlName,
                       record->lpszLocalFileName ? record->lpszLocalFileName : "",
                       record->CacheEntryType});
    size = static_cast<DWORD>(block.size());
  } while (FindNextUrlCacheEntryA(walk, record, &size));
  FindCloseUrlCache(walk);
  return entries;
}

std::set<std::string> CacheUrls(const char* pattern) {
  std::set<std::string> urls;
  for (const CacheEntry& e : CacheEntries(pattern)) urls.insert(e.sourceUrl);
  return urls;
}

std::vector<std::string> CookiesFolderTxtFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((CookiesFolderPath() + "\\*.txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void EmptyUrlCache() {
  if (!PrefixIsTheTestsOwn()) return;
  for (const CacheEntry& e : CacheEntries()) {
    UnlockUrlCacheEntryFileA(e.sourceUrl.c_str(), 0);
    DeleteUrlCacheEntryA(e.sourceUrl.c_str());
  }
}

void EmptyCookiesFolder() {
  if (!PrefixIsTheTestsOwn()) return;
  for (const std::string& name : CookiesFolderTxtFiles())
    DeleteFileA((CookiesFolderPath() + "\\" + name).c_str());
}

void DeleteTypedUrlsKey() {
  if (!PrefixIsTheTestsOwn()) return;
  RegDeleteKeyA(HKEY_CURRENT_USER, kTypedUrlsKey);
}
