#pragma once
// The system's browser stores with a cache walk that can be made to fail part-way, for tests
// that replace further steps in a class of their own.
#include <windows.h>

#include "BrowserStores.h"

struct WalkFailingStores : BrowserStores {
  int readsBeforeWalkFails = -1;  // entries read before the walk fails; -1: never

  DWORD FirstCacheEntry(const char* pattern, HANDLE& walk, CacheEntry& entry) override {
    reads_ = 0;
    return Counted(BrowserStores::FirstCacheEntry(pattern, walk, entry));
  }
  DWORD NextCacheEntry(HANDLE walk, CacheEntry& entry) override {
    if (readsBeforeWalkFails >= 0 && reads_ >= readsBeforeWalkFails) return ERROR_INTERNAL_ERROR;
    return Counted(BrowserStores::NextCacheEntry(walk, entry));
  }

 private:
  DWORD Counted(DWORD status) {
    if (status == 0) ++reads_;
    return status;
  }
  int reads_ = 0;
};
