#include "Cookies.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <wininet.h>

#include <set>

#include "AppPaths.h"
#include "BrowserData.h"
#include "CookiesRes.h"
#include "DialogUser.h"
#include "MainCommands.h"
#include "MainWindow.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"
#include "WalkFailingStores.h"

// The cookies dialog and the browser clean-up commands of the main window, against the URL
// cache, cookies folder and registry of the test's Wine session; none runs outside a prefix
// the harness made for it.

bool operator==(const CookieRow& a, const CookieRow& b) { return a.url == b.url && a.file == b.file; }
void PrintTo(const CookieRow& row, std::ostream* os) { *os << "{" << row.url << ", " << row.file << "}"; }

namespace {
std::vector<CookieRow> CookieEntries() {
  std::vector<CookieRow> rows;
  EXPECT_TRUE(ListCookies(rows));
  return rows;
}

// A persistent cookie as a browser stores it: a cache entry and its file.
void SeedCookie(const std::string& host) {
  EXPECT_TRUE(InternetSetCookieA(("http://" + host + "/").c_str(), "id",
                                 "42; expires=Sat, 01-Jan-2050 00:00:00 GMT"));
}

void SeedPage(const std::string& url) {
  char file[MAX_PATH] = "";
  ASSERT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0));
  WriteFileBytes(file, "<html></html>");
  FILETIME never = {0, 0};
  ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY, nullptr,
                                   0, nullptr, nullptr));
}

void WriteTypedUrl(const char* name) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("http://x.example/"), 18);
  RegCloseKey(key);
}

DWORD TypedUrlCount() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD count = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return count;
}

// The system's stores with chosen steps failing.
struct FailingStores : WalkFailingStores {
  bool refuseEntryDeletes = false, noCookiesFolder = false, refuseTypedUrls = false;

  DWORD DeleteCacheEntry(const std::string& url) override {
    return refuseEntryDeletes ? ERROR_WRITE_FAULT : BrowserStores::DeleteCacheEntry(url);
  }
  std::string CookiesFolder() override {
    return noCookiesFolder ? std::string() : BrowserStores::CookiesFolder();
  }
  LONG OpenTypedUrls(HKEY& key) override {
    key = nullptr;
    return refuseTypedUrls ? ERROR_ACCESS_DENIED : BrowserStores::OpenTypedUrls(key);
  }
};

// What the user sees of the cookies dialog.
struct GridView {
  std::vector<CookieRow> rows;
  int selected = -1;  // list index, -1 for none
  std::string memo;
};

std::string GridCell(HWND grid, int item, int column) {
  char buf[1024] = "";
  LVITEMA it = {};
  it.iSubItem = column;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  SendMessageA(grid, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
  return buf;
}

GridView View(HWND dlg) {
  GridView v;
  HWND grid = GetDlgItem(dlg, IDC_CK_STRINGGRID1);
  int n = static_cast<int>(SendMessageA(grid, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) v.rows.push_back({GridCell(grid, i, 0), GridCell(grid, i, 1)});
  v.selected = static_cast<int>(SendMessageA(grid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  v.memo = ItemText(dlg, IDE_CK_MEMO1);
  return v;
}

void Select(HWND dlg, int item) {
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(GetDlgItem(dlg, IDC_CK_STRINGGRID1), LVM_SETITEMSTATE, item,
               reinterpret_cast<LPARAM>(&state));
}

void ClickDelete(HWND dlg) { Click(dlg, IDT_CK_LABEL6, STN_CLICKED); }
void ClickClose(HWND dlg) {
  Click(dlg, IDT_CK_LABEL5, STN_CLICKED);
  WaitGone(dlg);
}

std::string Shown(const std::string& file) { return CookieContentText(ReadFileBytes(file)); }

struct CookiesTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
    EmptyUrlCache();
    DeleteTypedUrlsKey();
  }
  void TearDown() override {
    CleanupStores = &SystemBrowserStores();
    EmptyUrlCache();
    DeleteTypedUrlsKey();
    SetProgramDirForTests("");
    LanguageOffset = 0;
  }
  std::string Host(const std::string& name) {
    return name + "." + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           ".example";
  }
};
}  // namespace

TEST_F(CookiesTest, ListsShowsAndDeletesSingleCookiesAfterAsking) {
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  SeedCookie(Host("c"));
  std::vector<CookieRow> cookies = CookieEntries();
  ASSERT_EQ(3u, cookies.size());
  WriteFileBytes(cookies[0].file, "id\n42\nexample/\n");
  std::string secondFile = Shown(cookies[1].file);
  ASSERT_FALSE(secondFile.empty());

  MessageBoxWatcher boxes(IDNO);
  GridView atOpen, second, afterNo, afterYes, afterGone;
  std::string name, file, content, remove, close;
  RECT client = {};
  std::vector<int> walk;
  bool leftByEnter = false;
  DialogUser user("Cookies", [&](HWND dlg) {
    atOpen = View(dlg);
    char header[32] = "";
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    col.pszText = header;
    col.cchTextMax = sizeof header;
    HWND grid = GetDlgItem(dlg, IDC_CK_STRINGGRID1);
    SendMessageA(grid, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    name = header;
    SendMessageA(grid, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
    file = header;
    content = ItemText(dlg, IDT_CK_LABEL1);
    remove = ItemText(dlg, IDT_CK_LABEL6);
    close = ItemText(dlg, IDT_CK_LABEL5);
    GetClientRect(dlg, &client);

    Select(dlg, 1);
    second = View(dlg);
    ClickDelete(dlg);  // answered No
    afterNo = View(dlg);
    boxes.SetButton(IDYES);
    ClickDelete(dlg);
    afterYes = View(dlg);
    ClickDelete(dlg);  // nothing selected now: nothing asked
    // A cookie that went meanwhile is deleted all the same, without an error.
    Select(dlg, 1);
    DeleteUrlCacheEntryA(cookies[2].url.c_str());
    ClickDelete(dlg);
    afterGone = View(dlg);
    walk = TabWalk(dlg);
    if (TabTo(dlg, IDT_CK_LABEL5)) PressKey(VK_RETURN);  // "Beenden"
    if (!(leftByEnter = WaitGone(dlg))) ClickClose(dlg);
  });
  TFCookies dialog;
  dialog.RunModal(nullptr);
  ASSERT_TRUE(user.Found());

  EXPECT_EQ("Name", name);
  EXPECT_EQ("Datei", file);
  EXPECT_EQ("Inhalt:", content);
  EXPECT_EQ("L\xF6schen", remove);
  EXPECT_EQ("Beenden", close);
  EXPECT_EQ(729, client.right);
  EXPECT_EQ(399, client.bottom);

  // All three in cache order; the first one selected and its file shown line by line.
  EXPECT_EQ(cookies, atOpen.rows);
  EXPECT_EQ(0, atOpen.selected);
  EXPECT_EQ("id\r\n42\r\nexample/\r\n", atOpen.memo);
  EXPECT_EQ(1, second.selected);
  EXPECT_EQ(secondFile, second.memo);

  // No leaves everything; Yes removes the second row, its cache entry and its file.
  std::string question = "Eintrag: \"" + cookies[1].url + "\" wirklich l\xF6schen?";
  std::string third = "Eintrag: \"" + cookies[2].url + "\" wirklich l\xF6schen?";
  EXPECT_EQ((std::vector<std::string>{question, question, third}), boxes.Texts());
  EXPECT_EQ(cookies, afterNo.rows);
  EXPECT_EQ((std::vector<CookieRow>{cookies[0], cookies[2]}), afterYes.rows);
  EXPECT_EQ(-1, afterYes.selected);
  EXPECT_EQ("", afterYes.memo);
  EXPECT_FALSE(FileExists(cookies[1].file));
  EXPECT_EQ(std::vector<CookieRow>{cookies[0]}, afterGone.rows);
  EXPECT_EQ(std::vector<CookieRow>{cookies[0]}, CookieEntries());
  EXPECT_TRUE(InTabOrder(walk, {IDC_CK_STRINGGRID1, IDT_CK_LABEL6, IDT_CK_LABEL5}));
  EXPECT_TRUE(leftByEnter);
}

TEST_F(CookiesTest, AnEmptyCacheListsNothingAndDeletesNothing) {
  MessageBoxWatcher boxes(IDYES);
  GridView seen;
  DialogUser user("Cookies", [&](HWND dlg) {
    seen = View(dlg);
    ClickDelete(dlg);
    SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitGone(dlg);
  });
  TFCookies dialog;
  dialog.RunModal(nullptr);
  ASSERT_TRUE(user.Found());
  EXPECT_TRUE(seen.rows.empty());
  EXPECT_EQ("", seen.memo);
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(CookiesTest, AFailedListingOrDeletionIsReported) {
  LanguageOffset = kEnglishOffset;
  SeedCookie(Host("a"));
  SeedCookie(Host("b"));
  SeedCookie(Host("c"));
  std::vector<CookieRow> cookies = CookieEntries();
  FailingStores stores;
  stores.readsBeforeWalkFails = 2;
  stores.refuseEntryDeletes = true;

  MessageBoxWatcher boxes(IDYES);
  GridView atOpen, afterDelete;
  std::string content;
  DialogUser user("Cookies", [&](HWND dlg) {
    atOpen = View(dlg);
    content = ItemText(dlg, IDT_CK_LABEL1);
    Select(dlg, 0);
    ClickDelete(dlg);
    afterDelete = View(dlg);
    ClickClose(dlg);
  });
  TFCookies dialog(stores);
  dialog.RunModal(nullptr);
  ASSERT_TRUE(user.Found());

  EXPECT_EQ("Content:", content);
  // The rows read before the failure; nothing selected, nothing shown.
  EXPECT_EQ((std::vector<CookieRow>{cookies[0], cookies[1]}), atOpen.rows);
  EXPECT_EQ(-1, atOpen.selected);
  EXPECT_EQ("", atOpen.memo);
  // A cookie that stays keeps its row, and the user is told.
  EXPECT_EQ((std::vector<std::string>{"The cookies could not be shown!",
                                      "Eintrag: \"" + cookies[0].url + "\" wirklich l\xF6schen?",
                                      "The cookie couldn't be deleted!"}),
            boxes.Texts());
  EXPECT_EQ(atOpen.rows, afterDelete.rows);
  EXPECT_EQ(cookies, CookieEntries());
}

TEST(CleanupMessages, SuccessIsReportedOnlyWhenTheCleanupSucceeded) {
  using C = Cleanup;
  const int texts[][3] = {  // success, failure
      {int(C::Cookies), txt::CookiesDeleted, txt::CookiesNotDeleted},
      {int(C::History), txt::HistoryDeleted, txt::HistoryNotDeleted},
      {int(C::TempFiles), txt::TempFilesDeleted, txt::TempFilesNotDeleted},
      {int(C::TypedUrls), txt::TypedUrlsDeleted, txt::TypedUrlsNotDeleted}};
  for (const auto& t : texts) {
    C what = static_cast<C>(t[0]);
    EXPECT_EQ(t[1], CleanupCommandText(what, true));
    EXPECT_EQ(t[2], CleanupCommandText(what, false));
    // At start-up only failures are reported, and the cookies' success.
    EXPECT_EQ(what == C::Cookies ? t[1] : 0, StartupCleanupText(what, true));
    EXPECT_EQ(t[2], StartupCleanupText(what, false));
  }
}

TEST_F(CookiesTest, MenuCleanupsReportWhatReallyHappened) {
  TFWachtposten_Main form;
  MessageBoxWatcher boxes;
  FailingStores failing;
  failing.noCookiesFolder = true;
  failing.readsBeforeWalkFails = 0;
  failing.refuseTypedUrls = true;
  auto failingOnce = [&](int id) {
    CleanupStores = &failing;
    form.OnMenuCommand(id);
    CleanupStores = &SystemBrowserStores();
  };

  SeedCookie(Host("a"));
  form.OnMenuCommand(ID_Cookieslschen1);
  EXPECT_TRUE(CookieEntries().empty());
  failingOnce(ID_Cookieslschen2);
  form.OnMenuCommand(ID_Verlauflschen1);
  form.OnMenuCommand(ID_Verlauflschen2);
  SeedPage("http://www.example.com/page.htm");
  form.OnMenuCommand(ID_TemporreInternetDateienlschen1);
  EXPECT_TRUE(CacheUrls().empty());
  SeedPage("http://www.example.com/other.htm");
  failingOnce(ID_TemporreInternetDateienlschen2);
  WriteTypedUrl("url1");
  form.OnMenuCommand(ID_Extras2);
  EXPECT_EQ(0u, TypedUrlCount());
  failingOnce(ID_TypedURLslschen1);

  // Wine's history object cannot clear the history; Windows' can.
  std::string history = Text(SystemHistoryClears() ? txt::HistoryDeleted : txt::HistoryNotDeleted);
  EXPECT_EQ((std::vector<std::string>{
                "Cookies wurden erfolgreich gel\xF6scht.",
                "Cookies konnten nicht gel\xF6scht werden.",
                history,
                history,
                "Tempor\xE4re Internet Dateien wurden erfolgreich gel\xF6scht.",
                "Tempor\xE4re Internet Dateien konnten nicht gel\xF6scht werden.",
                "Typed URL's wurden erfolgreich gel\xF6scht.",
                "Typed URL's konnten nicht gel\xF6scht werden.",
            }),
            boxes.Texts());

  // The single cookies and the about box open as dialogs of their own.
  SeedCookie(Host("b"));
  std::vector<GridView> seen;
  DialogUser cookiesUser("Cookies", [&](HWND dlg) {
    seen.push_back(View(dlg));
    ClickClose(dlg);
  });
  form.OnMenuCommand(ID_Cookiesselektivlschen1);
  ASSERT_TRUE(cookiesUser.Found());
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(CookieEntries(), seen[0].rows);
  DialogUser aboutUser("Info ...", [&](HWND dlg) {
    SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitGone(dlg);
  });
  form.OnMenuCommand(ID_Info1);
  EXPECT_TRUE(aboutUser.Found());
  EXPECT_EQ(8u, boxes.Texts().size());
}

TEST_F(CookiesTest, StartupCleanupsComeInOrderAndReportOnlyFailuresAndTheCookies) {
  WriteFileBytes(dir.File("Config.ini"),
                 "[Configuration]\r\nLanguage=en\r\nDeleteCookiesOnStartUp=1\r\n"
                 "DeleteHistoryOnStartUp=1\r\nDeleteTempFilesOnStartUp=1\r\n"
                 "DeleteTypedURLsOnStartUp=1\r\n");
  SeedCookie(Host("a"));
  SeedPage("http://www.example.com/start.htm");
  WriteTypedUrl("url1");
  FailingStores typedUrlsRefused;
  typedUrlsRefused.refuseTypedUrls = true;
  CleanupStores = &typedUrlsRefused;

  MessageBoxWatcher boxes;
  TFWachtposten_Main form;
  std::vector<std::string> expected{"Cookies successfully deleted.",
                                    "History couldn't be deleted!",
                                    "Typed URL's couldn't be deleted!"};
  if (SystemHistoryClears()) expected.erase(expected.begin() + 1);
  EXPECT_EQ(expected, boxes.Texts());
  EXPECT_TRUE(CacheUrls().empty());
  EXPECT_EQ(1u, TypedUrlCount());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
}
