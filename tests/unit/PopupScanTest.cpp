// The pop-up log writer in-process: the line the locale functions give, appended.
#include <gtest/gtest.h>

#include "AppPaths.h"
#include "ConfigIni.h"
#include "MainWindow.h"
#include "TempDir.h"

TEST(PopupLogWriter, AppendsOneLocaleStampedLinePerCallToTheOneLogPath) {
  TempDir dir;
  SetProgramDirForTests(dir.path());
  {
    TFWachtposten_Main form;
    EXPECT_EQ(dir.File("Wachtposten.log"), PopupLogPath());
    form.LogKilledWindows("Eins");
    form.LogKilledWindows("Zwei");
  }
  std::string log = ReadFileBytes(dir.File("Wachtposten.log"));
  char date[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
  EXPECT_EQ(0u, log.find(std::string(date) + " ")) << log;
  EXPECT_NE(std::string::npos, log.find(" - Eins\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" - Zwei\r\n")) << log;
  SetProgramDirForTests("");
}
