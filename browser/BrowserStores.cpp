#include "BrowserStores.h"

#include <shlobj.h>
#include <urlhist.h>
#include <wininet.h>

namespace {

const char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
const CLSID kUrlHistoryClass = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
// {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
const IID kUrlHistoryStg2 = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

constexpr DWORD kFirstBlockBytes = 4096;
// No real record comes near this; a cache that keeps asking for more is broken.
constexpr DWORD kMaxBlockBytes = 16u << 20;

// Calls read (FindFirst or FindNext) with a block that grows until the record fits. The cache
// does not move past an entry that did not fit, so the retry reads the same entry.
template <class Read>
DWORD ReadGrowing(Read read, CacheEntry& entry) {
  std::vector<char> block(kFirstBlockBytes);
  for (;;) {
    auto* record = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.data());
    record->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOA);
    DWORD size = static_cast<DWORD>(block.size());
    if (read(record, &size)) {
      entry.sourceUrl = record->lpszSourceUrlName ? record->lpszSourceUrlName : "";
      entry.localFile = record->lpszLocalFileName ? record->lpszLocalFileName : "";
      entry.type = record->CacheEntryType;
      return 0;
    }
    DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) return error;
    if (size <= block.size() || size > kMaxBlockBytes) return error;
    block.assign(size, 0);
  }
}

}  // namespace

DWORD BrowserStores::FirstCacheEntry(const char* pattern, HANDLE& walk, CacheEntry& entry) {
  walk = nullptr;
  return ReadGrowing(
      [&](INTERNET_CACHE_ENTRY_INFOA* record, DWORD* size) {
        walk = FindFirstUrlCacheEntryA(pattern, record, size);
        return walk != nullptr;
      },
      entry);
}

DWORD BrowserStores::NextCacheEntry(HANDLE walk, CacheEntry& entry) {
  return ReadGrowing(
      [&](INTERNET_CACHE_ENTRY_INFOA* record, DWORD* size) {
        return FindNextUrlCacheEntryA(walk, record, size) != FALSE;
      },
      entry);
}

void BrowserStores::CloseCacheWalk(HANDLE walk) {
  if (walk) FindCloseUrlCache(walk);
}

DWORD BrowserStores::DeleteCacheEntry(const std::string& sourceUrl) {
  return DeleteUrlCacheEntryA(sourceUrl.c_str()) ? 0 : GetLastError();
}

std::string BrowserStores::CookiesFolder() {
  LPITEMIDLIST folder = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_COOKIES, &folder)) || !folder) return "";
  char path[MAX_PATH] = "";
  BOOL found = SHGetPathFromIDListA(folder, path);
  CoTaskMemFree(folder);
  if (!found) return "";
  std::string result = path;
  if (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

HRESULT BrowserStores::CreateUrlHistory(IUrlHistoryStg2** history) {
  *history = nullptr;
  return CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                          kUrlHistoryStg2, reinterpret_cast<void**>(history));
}

LONG BrowserStores::OpenTypedUrls(HKEY& key) {
  key = nullptr;
  return RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
}

LONG BrowserStores::TypedUrlNames(HKEY key, std::vector<std::string>& names) {
  names.clear();
  DWORD count = 0, longest = 0;
  LONG rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                             &longest, nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<char> name(longest + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    rc = RegEnumValueA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) return rc;
    names.emplace_back(name.data(), length);
  }
  return ERROR_SUCCESS;
}

LONG BrowserStores::DeleteTypedUrl(HKEY key, const std::string& valueName) {
  return RegDeleteValueA(key, valueName.c_str());
}

BrowserStores& SystemBrowserStores() {
  static BrowserStores stores;
  return stores;
}

bool CacheDeleteIsSettled(DWORD error) {
  // Windows answers an entry in use with ERROR_ACCESS_DENIED, Wine with ERROR_SHARING_VIOLATION;
  // both keep the entry marked and remove it when it is released.
  return error == 0 || error == ERROR_FILE_NOT_FOUND || error == ERROR_ACCESS_DENIED ||
         error == ERROR_SHARING_VIOLATION;
}
