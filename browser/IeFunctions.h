#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "BrowserStores.h"

// The browser clean-up. None of these keeps anything between calls or shows a message: each
// reports by its result, and the caller decides what the user is told. They run on the GUI
// thread and block it while they walk the cache. The stores default to the system's.

// One cookie of the URL cache as the cookies dialog lists it.
struct CookieRow {
  std::string url;   // the cache entry's source URL name
  std::string file;  // its local file name, a full path
};

// Deletes every cookie entry of the URL cache and every *.txt file of the cookies folder. Keeps
// going after a failure; true when nothing failed. An entry that is in use counts as deleted:
// the cache removes it once it is released.
bool DeleteCookies(BrowserStores& stores = SystemBrowserStores());

// Deletes one cookie: its cache entry by source URL name, then its file, at the full path given,
// if that still exists and lies in the cookies folder or below it. Stops at the first failure;
// true when both are gone, also when they were gone before.
bool DeleteCookie(const std::string& url, const std::string& file,
                  BrowserStores& stores = SystemBrowserStores());

// Replaces rows with the cookie entries of the URL cache in cache order. True when the cache
// was read to its end; on false the rows read before the failure are kept.
bool ListCookies(std::vector<CookieRow>& rows, BrowserStores& stores = SystemBrowserStores());

// Deletes every cache entry that is neither a cookie nor a history entry. True when the whole
// cache was walked and no delete failed; an empty cache is success.
bool DeleteTempInternetFiles(BrowserStores& stores = SystemBrowserStores());

// Clears the URL history. S_OK on success; otherwise the status of creating the history object
// or of clearing it. Any value but S_OK, S_FALSE included, means the history may still be there.
HRESULT DeleteHistory(BrowserStores& stores = SystemBrowserStores());

// Deletes every value of the typed-URL key, in the key's order, stopping at the first value
// that cannot be deleted. True when all are gone or there is no such key.
bool DeleteTypedUrls(BrowserStores& stores = SystemBrowserStores());
