#pragma once
// The browser's stores of the Wine session a test runs in: the URL cache, the cookies folder
// and the typed-URL key, as the tests read, seed and empty them.
//
// Emptying them would wipe a user's own cookies, history and typed URLs if the tests ran on a
// desktop, so every helper here that deletes refuses unless the test harness marked the Wine
// prefix as the test's own (scripts/wine-test-run writes the marker into each prefix it makes).
// A refusal is a fatal failure of the current test and deletes nothing; called from SetUp, it
// also keeps the test body from running.
#include <set>
#include <string>
#include <vector>

#include "BrowserStores.h"

extern const char kTypedUrlsKey[];

// The marker file on the system drive of a prefix that the harness made for one test run.
std::string OwnPrefixMarker();
// True when the marker is there; otherwise fails the current test fatally and gives false.
bool PrefixIsTheTestsOwn();

std::string CookiesFolderPath();
// The cache as the system lists it, read with a block large enough for any test entry.
std::vector<CacheEntry> CacheEntries(const char* pattern = nullptr);
std::set<std::string> CacheUrls(const char* pattern = nullptr);
// The names of the *.txt files of the cookies folder itself.
std::vector<std::string> CookiesFolderTxtFiles();

// Whether this system's history object really clears the history (Wine's does not; Windows'
// does), asked once; in a prefix that is not the test's own it fails the test and gives false.
bool SystemHistoryClears();

// Every cache entry, unlocked first; the *.txt files of the cookies folder; the typed-URL key.
void EmptyUrlCache();
void EmptyCookiesFolder();
void DeleteTypedUrlsKey();
