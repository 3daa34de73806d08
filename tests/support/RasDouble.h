#pragma once
// The dial-up test double (tests/doubles/rasapi32) serves the phonebook of the scenario file
// named by WP_RAS_SCENARIO and logs hang-ups and deletions to WP_RAS_LOG.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// Wine loads the double instead of its own rasapi32 only when told to.
inline ::testing::AssertionResult RasDoubleLoaded() {
  HMODULE ras = GetModuleHandleA("rasapi32.dll");
  if (ras && GetProcAddress(ras, "WpRasDouble")) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the rasapi32 test double is not loaded (WINEDLLOVERRIDES=rasapi32=n?)";
}

// Points the double at a test's files; an empty name leaves that file unused.
inline void UseRasFiles(const std::string& scenario, const std::string& log = "") {
  SetEnvironmentVariableA("WP_RAS_SCENARIO", scenario.empty() ? nullptr : scenario.c_str());
  SetEnvironmentVariableA("WP_RAS_LOG", log.empty() ? nullptr : log.c_str());
}
