#include "IeFunctions.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <urlhist.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
#include <set>

#include "BrowserData.h"
#include "TempDir.h"
#include "WalkFailingStores.h"

// These run against the system's own URL cache, cookies folder and registry of the test's Wine
// session. Every test starts from an empty cache and an empty cookies folder, and none runs
// outside a prefix the harness made for it.

namespace {

bool InCache(const std::string& url) { return CacheUrls().count(url) != 0; }

// A persistent cookie as a browser stores it: a "Cookie:" cache entry and its file. A long
// path makes the entry larger than a 4 KB record block.
std::string SeedCookie(const std::string& host, const std::string& path = "") {
  std::string url = "http://" + host + "/" + path + (path.empty() ? "" : "/");
  EXPECT_TRUE(InternetSetCookieA(url.c_str(), "id", "42; expires=Sat, 01-Jan-2050 00:00:00 GMT"));
  for (const CacheEntry& e : CacheEntries("Cookie:")) {
    if (e.sourceUrl.find("@" + host + "/") != std::string::npos) return e.sourceUrl;
  }
  ADD_FAILURE() << "no cache entry for the cookie of " << host;
  return "";
}

// A page or picture in the cache with its file; headerBytes of stored headers make the
// record as large as wanted.
std::string SeedContent(const std::string& url, size_t headerBytes = 0) {
  char file[MAX_PATH] = "";
  EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0));
  WriteFileBytes(file, "<html></html>");
  std::string headers(headerBytes, 'h');
  FILETIME never = {0, 0};
  EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY,
                                   headerBytes ? reinterpret_cast<BYTE*>(&headers[0]) : nullptr,
                                   static_cast<DWORD>(headerBytes), nullptr, nullptr));
  return file;
}

// Marks the entry in use, as a browser does while it reads it.
void LockEntry(const std::string& url) {
  std::vector<char> block(1 << 16);
  DWORD size = static_cast<DWORD>(block.size());
  ASSERT_TRUE(RetrieveUrlCacheEntryFileA(
      url.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.data()), &size, 0));
}

std::string LocalFileOf(const std::string& url) {
  for (const CacheEntry& e : CacheEntries(nullptr)) {
    if (e.sourceUrl == url) return e.localFile;
  }
  return "";
}

// The system's stores with single steps replaced.
struct ScriptedStores : WalkFailingStores {
  std::function<DWORD(const std::string&)> deleteEntry;
  std::function<std::string()> cookiesFolder;
  std::function<HRESULT(IUrlHistoryStg2**)> createHistory;
  std::function<LONG(HKEY&)> openTypedUrls;
  std::function<LONG(HKEY, const std::string&)> deleteTypedUrl;

  DWORD DeleteCacheEntry(const std::string& url) override {
    return deleteEntry ? deleteEntry(url) : BrowserStores::DeleteCacheEntry(url);
  }
  std::string CookiesFolder() override {
    return cookiesFolder ? cookiesFolder() : BrowserStores::CookiesFolder();
  }
  HRESULT CreateUrlHistory(IUrlHistoryStg2** history) override {
    return createHistory ? createHistory(history) : BrowserStores::CreateUrlHistory(history);
  }
  LONG OpenTypedUrls(HKEY& key) override {
    return openTypedUrls ? openTypedUrls(key) : BrowserStores::OpenTypedUrls(key);
  }
  LONG DeleteTypedUrl(HKEY key, const std::string& name) override {
    return deleteTypedUrl ? deleteTypedUrl(key, name) : BrowserStores::DeleteTypedUrl(key, name);
  }
};

struct BrowserCleanupTest : ::testing::Test {
  void SetUp() override {
    EmptyUrlCache();
    EmptyCookiesFolder();
  }
  void TearDown() override {
    EmptyUrlCache();
    EmptyCookiesFolder();
  }
  // Hosts are never reused within a run: the cookie jar of this process remembers them.
  std::string Host(const std::string& name) {
    return name + "." + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           ".example";
  }
};

// ---- DeleteCookies -----------------------------------------------------------------------

TEST_F(BrowserCleanupTest, DeleteCookiesRemovesEveryCookieAndLeavesOtherEntries) {
  std::string small = SeedCookie(Host("small"));
  std::string large = SeedCookie(Host("large"), std::string(5000, 'p'));  // over 4 KB
  std::string other = SeedCookie(Host("other"), "shop");
  std::string page = "http://www.example.com/index.htm";
  SeedContent(page);
  WriteFileBytes(CookiesFolderPath() + "\\stray.txt", "left behind\n");
  WriteFileBytes(CookiesFolderPath() + "\\keep.dat", "not a cookie file\n");
  ASSERT_EQ(3u, CacheUrls("Cookie:").size());

  EXPECT_TRUE(DeleteCookies());
  EXPECT_TRUE(CacheUrls("Cookie:").empty());
  EXPECT_TRUE(CookiesFolderTxtFiles().empty());
  EXPECT_TRUE(FileExists(CookiesFolderPath() + "\\keep.dat"));
  EXPECT_TRUE(InCache(page));
  DeleteFileA((CookiesFolderPath() + "\\keep.dat").c_str());
}

TEST_F(BrowserCleanupTest, DeleteCookiesOnNothingSucceeds) { EXPECT_TRUE(DeleteCookies()); }

TEST_F(BrowserCleanupTest, DeleteCookiesCountsAnEntryInUseAsGone) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  SeedCookie(Host("c"));
  // The first one the walk meets, so that the walk must go on past it.
  std::string busy = CacheEntries("Cookie:")[0].sourceUrl;
  LockEntry(busy);

  EXPECT_TRUE(DeleteCookies());
  EXPECT_EQ(std::set<std::string>{busy}, CacheUrls("Cookie:"));
  UnlockUrlCacheEntryFileA(busy.c_str(), 0);
  EXPECT_TRUE(CacheUrls("Cookie:").empty());
}

TEST_F(BrowserCleanupTest, DeleteCookiesReportsARefusedEntryAndStillDeletesTheRest) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  SeedCookie(Host("c"));
  std::string refused = CacheEntries("Cookie:")[0].sourceUrl;
  WriteFileBytes(CookiesFolderPath() + "\\stray.txt", "x");
  ScriptedStores stores;
  stores.deleteEntry = [&](const std::string& url) -> DWORD {
    return url == refused ? ERROR_WRITE_FAULT : stores.BrowserStores::DeleteCacheEntry(url);
  };

  EXPECT_FALSE(DeleteCookies(stores));
  EXPECT_EQ(std::set<std::string>{refused}, CacheUrls("Cookie:"));
  EXPECT_FALSE(FileExists(CookiesFolderPath() + "\\stray.txt"));
}

TEST_F(BrowserCleanupTest, DeleteCookiesReportsABrokenCacheWalkAndStillCleansTheFolder) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  WriteFileBytes(CookiesFolderPath() + "\\stray.txt", "x");
  ScriptedStores stores;
  stores.readsBeforeWalkFails = 1;

  EXPECT_FALSE(DeleteCookies(stores));
  EXPECT_EQ(1u, CacheUrls("Cookie:").size());
  EXPECT_FALSE(FileExists(CookiesFolderPath() + "\\stray.txt"));
}

TEST_F(BrowserCleanupTest, DeleteCookiesReportsAFileThatStaysAndDeletesTheOthers) {
  std::string folder = CookiesFolderPath();
  WriteFileBytes(folder + "\\a.txt", "x");
  WriteFileBytes(folder + "\\held.txt", "x");
  WriteFileBytes(folder + "\\z.txt", "x");
  HANDLE held = CreateFileA((folder + "\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);

  EXPECT_FALSE(DeleteCookies());
  EXPECT_EQ(std::vector<std::string>{"held.txt"}, CookiesFolderTxtFiles());
  CloseHandle(held);
}

TEST_F(BrowserCleanupTest, DeleteCookiesWithoutACookiesFolderReportsFailure) {
  std::string cookie = SeedCookie(Host("a"));
  WriteFileBytes(CookiesFolderPath() + "\\stray.txt", "x");
  ScriptedStores stores;
  stores.cookiesFolder = [] { return std::string(); };

  EXPECT_FALSE(DeleteCookies(stores));
  EXPECT_FALSE(InCache(cookie));
  EXPECT_TRUE(FileExists(CookiesFolderPath() + "\\stray.txt"));
}

// ---- DeleteCookie and ListCookies ----------------------------------------------------------

TEST_F(BrowserCleanupTest, ListCookiesGivesEveryCookieWithItsFileInCacheOrder) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"), std::string(5000, 'q'));
  SeedCookie(Host("c"));
  SeedContent("http://www.example.com/page.htm");
  std::vector<CookieRow> rows = {{"stale", "row"}};

  ASSERT_TRUE(ListCookies(rows));
  std::vector<CacheEntry> expected = CacheEntries("Cookie:");
  ASSERT_EQ(3u, rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(expected[i].sourceUrl, rows[i].url);
    EXPECT_EQ(expected[i].localFile, rows[i].file);
    EXPECT_TRUE(FileExists(rows[i].file)) << rows[i].file;
  }
}

TEST_F(BrowserCleanupTest, ListCookiesOnAnEmptyCacheSucceedsWithNoRows) {
  std::vector<CookieRow> rows;
  EXPECT_TRUE(ListCookies(rows));
  EXPECT_TRUE(rows.empty());
}

TEST_F(BrowserCleanupTest, ListCookiesKeepsTheRowsReadBeforeTheCacheFailed) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  SeedCookie(Host("c"));
  ScriptedStores stores;
  stores.readsBeforeWalkFails = 2;
  std::vector<CookieRow> rows;

  EXPECT_FALSE(ListCookies(rows, stores));
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(CacheEntries("Cookie:")[1].sourceUrl, rows[1].url);
}

TEST_F(BrowserCleanupTest, DeleteCookieRemovesTheEntryAndItsFileOnly) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  std::vector<CookieRow> rows;
  ASSERT_TRUE(ListCookies(rows));
  ASSERT_EQ(2u, rows.size());

  EXPECT_TRUE(DeleteCookie(rows[0].url, rows[0].file));
  EXPECT_EQ(std::set<std::string>{rows[1].url}, CacheUrls("Cookie:"));
  EXPECT_FALSE(FileExists(rows[0].file));
  EXPECT_TRUE(FileExists(rows[1].file));
}

TEST_F(BrowserCleanupTest, DeleteCookieDeletesTheFileItFoundNeverANamesake) {
  // Windows keeps some cookies in a subfolder of the cookies folder; the root may hold a file
  // of the same name.
  std::string folder = CookiesFolderPath();
  std::string low = folder + "\\Low";
  ASSERT_TRUE(CreateDirectoryA(low.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  WriteFileBytes(low + "\\left.txt", "the cookie's");
  WriteFileBytes(folder + "\\left.txt", "a namesake");
  TempDir elsewhere("cookie");
  WriteFileBytes(elsewhere.File("left.txt"), "not the cookies folder's");
  std::string first = SeedCookie(Host("a")), second = SeedCookie(Host("b"));

  EXPECT_TRUE(DeleteCookie(first, low + "\\left.txt"));
  EXPECT_FALSE(InCache(first));
  EXPECT_FALSE(FileExists(low + "\\left.txt"));
  EXPECT_TRUE(FileExists(folder + "\\left.txt"));
  // A file outside the cookies folder stays, and the caller hears of it.
  EXPECT_FALSE(DeleteCookie(second, elsewhere.File("left.txt")));
  EXPECT_TRUE(FileExists(elsewhere.File("left.txt")));
  EXPECT_TRUE(FileExists(folder + "\\left.txt"));
  RemoveTree(low);
}

TEST_F(BrowserCleanupTest, DeleteCookieStopsAtItsFirstFailure) {
  std::string busy = SeedCookie(Host("busy"));
  std::string busyFile = LocalFileOf(busy);
  LockEntry(busy);
  EXPECT_FALSE(DeleteCookie(busy, busyFile));
  EXPECT_TRUE(FileExists(busyFile));
  UnlockUrlCacheEntryFileA(busy.c_str(), 0);

  EXPECT_FALSE(DeleteCookie("", ""));
  // What is gone already counts as deleted; a file that cannot even be looked for does not.
  EXPECT_TRUE(DeleteCookie("Cookie:nobody@nowhere.example/", ""));
  EXPECT_TRUE(DeleteCookie("Cookie:nobody@nowhere.example/", CookiesFolderPath() + "\\gone.txt"));
  EXPECT_TRUE(DeleteCookie("Cookie:nobody@nowhere.example/",
                           CookiesFolderPath() + "\\nofolder\\gone.txt"));
  std::string tooLong = CookiesFolderPath() + "\\" + std::string(MAX_PATH, 'x') + ".txt";
  EXPECT_FALSE(DeleteCookie(SeedCookie(Host("long")), tooLong));

  std::string url = SeedCookie(Host("nofolder"));
  ScriptedStores stores;
  stores.cookiesFolder = [] { return std::string(); };
  EXPECT_FALSE(DeleteCookie(url, LocalFileOf(url), stores));
  EXPECT_FALSE(InCache(url));
}

// ---- DeleteTempInternetFiles -----------------------------------------------------------------

TEST_F(BrowserCleanupTest, DeleteTempInternetFilesRemovesPagesOfAnySizeAndKeepsCookies) {
  std::string cookie = SeedCookie(Host("a"));
  std::string visited = "Visited: user@http://www.example.com/";
  FILETIME never = {0, 0};
  ASSERT_TRUE(CommitUrlCacheEntryA(visited.c_str(), nullptr, never, never, URLHISTORY_CACHE_ENTRY,
                                   nullptr, 0, nullptr, nullptr));
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i) {
    // The large ones need more than the first 4 KB record block.
    files.push_back(SeedContent("http://www.example.com/p" + std::to_string(i), i % 2 ? 6000 : 0));
  }

  EXPECT_TRUE(DeleteTempInternetFiles());
  EXPECT_EQ((std::set<std::string>{cookie, visited}), CacheUrls());
  for (const std::string& file : files) EXPECT_FALSE(FileExists(file)) << file;
}

TEST_F(BrowserCleanupTest, DeleteTempInternetFilesOnCookiesOnlyOrNothingSucceeds) {
  EXPECT_TRUE(DeleteTempInternetFiles());
  std::string cookie = SeedCookie(Host("a"));
  EXPECT_TRUE(DeleteTempInternetFiles());
  EXPECT_EQ(std::set<std::string>{cookie}, CacheUrls());
}

TEST_F(BrowserCleanupTest, DeleteTempInternetFilesCountsAPageInUseAsGone) {
  SeedContent("http://www.example.com/busy");
  SeedContent("http://www.example.com/free");
  LockEntry("http://www.example.com/busy");

  EXPECT_TRUE(DeleteTempInternetFiles());
  EXPECT_FALSE(InCache("http://www.example.com/free"));
  UnlockUrlCacheEntryFileA("http://www.example.com/busy", 0);
  EXPECT_TRUE(CacheUrls().empty());
}

TEST_F(BrowserCleanupTest, DeleteTempInternetFilesReportsWhatItCouldNotDelete) {
  SeedContent("http://www.example.com/refused");
  SeedContent("http://www.example.com/a");
  SeedContent("http://www.example.com/b");
  ScriptedStores refusing;
  refusing.deleteEntry = [&](const std::string& url) -> DWORD {
    return url == "http://www.example.com/refused" ? ERROR_WRITE_FAULT
                                                   : refusing.BrowserStores::DeleteCacheEntry(url);
  };
  EXPECT_FALSE(DeleteTempInternetFiles(refusing));
  EXPECT_EQ(std::set<std::string>{"http://www.example.com/refused"}, CacheUrls());

  SeedContent("http://www.example.com/c");
  SeedContent("http://www.example.com/d");
  ScriptedStores broken;
  broken.readsBeforeWalkFails = 1;
  EXPECT_FALSE(DeleteTempInternetFiles(broken));
}

// ---- DeleteHistory ---------------------------------------------------------------------------

// A history object that records what it was asked.
class FakeHistory : public IUrlHistoryStg2 {
 public:
  explicit FakeHistory(HRESULT clearResult) : clearResult_(clearResult) {}
  HRESULT clearResult_;
  int clears = 0, references = 1;
  std::vector<std::pair<std::wstring, DWORD>> deletes;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR url, DWORD flags) override {
    deletes.emplace_back(url, flags);
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*,
                                            IUnknown*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ClearHistory() override {
    ++clears;
    return clearResult_;
  }
};

TEST_F(BrowserCleanupTest, DeleteHistoryReportsSuccessOnlyWhereTheSystemClears) {
  // Wine's history object exists but cannot clear: its failure must reach the caller there.
  EXPECT_EQ(SystemHistoryClears(), DeleteHistory() == S_OK);
}

TEST(DeleteHistoryTest, GivesTheStatusOfCreatingOrClearing) {
  ScriptedStores noObject;
  noObject.createHistory = [](IUrlHistoryStg2** out) {
    *out = nullptr;
    return REGDB_E_CLASSNOTREG;
  };
  EXPECT_EQ(REGDB_E_CLASSNOTREG, DeleteHistory(noObject));

  for (HRESULT clearResult : {S_OK, S_FALSE, E_ACCESSDENIED}) {
    FakeHistory history(clearResult);
    ScriptedStores stores;
    stores.createHistory = [&](IUrlHistoryStg2** out) {
      *out = &history;
      return S_OK;
    };
    // A failing DeleteUrl does not change the result.
    EXPECT_EQ(clearResult, DeleteHistory(stores));
    EXPECT_EQ(1, history.clears);
    ASSERT_EQ(1u, history.deletes.size());
    EXPECT_EQ(L"*.*", history.deletes[0].first);
    EXPECT_EQ(1u, history.deletes[0].second);
    EXPECT_EQ(0, history.references);
  }
}

// ---- DeleteTypedUrls -------------------------------------------------------------------------

struct TypedUrlsTest : ::testing::Test {
  void SetUp() override { DeleteTypedUrlsKey(); }
  void TearDown() override { DeleteTypedUrlsKey(); }

  void Write(const std::vector<std::string>& names) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (const std::string& name : names) {
      std::string url = "http://" + name + ".example/";
      RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                     static_cast<DWORD>(url.size() + 1));
    }
    RegCloseKey(key);
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return names;
    }
    SystemBrowserStores().TypedUrlNames(key, names);
    RegCloseKey(key);
    return names;
  }
};

TEST_F(TypedUrlsTest, NoKeyIsSuccess) { EXPECT_TRUE(DeleteTypedUrls()); }

TEST_F(TypedUrlsTest, DeletesEveryTypedUrl) {
  std::vector<std::string> names;
  for (int i = 1; i <= 25; ++i) names.push_back("url" + std::to_string(i));
  names.push_back(std::string(200, 'n'));
  Write(names);
  ASSERT_EQ(names.size(), Names().size());

  EXPECT_TRUE(DeleteTypedUrls());
  EXPECT_TRUE(Names().empty());
}

TEST_F(TypedUrlsTest, StopsAtTheFirstValueThatStays) {
  Write({"url1", "url2", "url3", "url4"});
  std::vector<std::string> order = Names();
  ScriptedStores stores;
  std::vector<std::string> asked;
  stores.deleteTypedUrl = [&](HKEY key, const std::string& name) -> LONG {
    asked.push_back(name);
    return asked.size() == 2 ? ERROR_ACCESS_DENIED : RegDeleteValueA(key, name.c_str());
  };

  EXPECT_FALSE(DeleteTypedUrls(stores));
  ASSERT_EQ(2u, asked.size());
  EXPECT_EQ(order[0], asked[0]);
  EXPECT_EQ(std::vector<std::string>(order.begin() + 1, order.end()), Names());
}

TEST_F(TypedUrlsTest, AKeyThatCannotBeOpenedForDeletingIsFailure) {
  Write({"url1", "url2"});
  ScriptedStores refused;
  refused.openTypedUrls = [](HKEY& key) -> LONG {
    key = nullptr;
    return ERROR_ACCESS_DENIED;
  };
  EXPECT_FALSE(DeleteTypedUrls(refused));

  // Opened for reading only, the system itself refuses every delete.
  ScriptedStores readOnly;
  readOnly.openTypedUrls = [](HKEY& key) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_QUERY_VALUE, &key);
  };
  EXPECT_FALSE(DeleteTypedUrls(readOnly));
  EXPECT_EQ(2u, Names().size());
}

// ---- The fixtures themselves -----------------------------------------------------------------

TEST(OwnPrefixTest, TheFixturesEmptyNothingOutsideAPrefixMadeForTheTests) {
  ASSERT_TRUE(PrefixIsTheTestsOwn());
  std::string page = "http://www.example.com/users-own.htm";
  SeedContent(page);
  std::string cookieFile = CookiesFolderPath() + "\\users-own.txt";
  WriteFileBytes(cookieFile, "x");
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);
  std::string marker = OwnPrefixMarker(), away = marker + ".away";
  ASSERT_TRUE(MoveFileA(marker.c_str(), away.c_str()));

  EXPECT_FATAL_FAILURE(EmptyUrlCache(), "not a Wine prefix made for the tests");
  EXPECT_FATAL_FAILURE(EmptyCookiesFolder(), "not a Wine prefix made for the tests");
  EXPECT_FATAL_FAILURE(DeleteTypedUrlsKey(), "not a Wine prefix made for the tests");
  ASSERT_TRUE(MoveFileA(away.c_str(), marker.c_str()));
  EXPECT_TRUE(InCache(page));
  EXPECT_TRUE(FileExists(cookieFile));
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_READ, &key));
  RegCloseKey(key);

  EmptyUrlCache();
  EmptyCookiesFolder();
  DeleteTypedUrlsKey();
  EXPECT_TRUE(CacheUrls().empty());
  EXPECT_FALSE(FileExists(cookieFile));
}

}  // namespace
