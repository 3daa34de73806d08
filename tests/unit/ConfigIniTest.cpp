#include "ConfigIni.h"

#include <gtest/gtest.h>

#include <memory>

#include "AppPaths.h"
#include "IExplorerCounter.h"
#include "MainWindow.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"
#include "TempDir.h"
#include "TextIds.h"
#include "Timer.h"

namespace {
struct ConfigIniTest : ::testing::Test {
  TempDir dir;
  TIExplorer counter;
  Timer checkTimer{1000, false};
  Timer connectionTimer{500, false};
  int stayOnTopCalls = 0;

  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
  }
  void TearDown() override { SetProgramDirForTests(""); RunKey = RunKeyLocation(); }

  ConfigTargets Targets() {
    ConfigTargets t;
    t.counter = &counter;
    t.checkTimer = &checkTimer;
    t.connectionTimer = &connectionTimer;
    t.stayOnTop = [this] { ++stayOnTopCalls; };
    return t;
  }
  void WriteConfig(const std::string& body) {
    WriteFileBytes(dir.File("Config.ini"), "[Configuration]\r\n" + body);
  }
  std::string Key(const char* key) {
    char buf[64];
    GetPrivateProfileStringA("Configuration", key, "<none>", buf, sizeof buf,
                             dir.File("Config.ini").c_str());
    return buf;
  }
};
}  // namespace

TEST_F(ConfigIniTest, FirstStartHasEverythingOffAndStoresWindowCountOne) {
  TConfigIni config(Targets());
  EXPECT_FALSE(config.GetLogAutoPop());
  EXPECT_FALSE(config.GetPiS());
  EXPECT_FALSE(config.GetAutoStart());
  EXPECT_EQ(1, config.GetExclusivWindowCount());
  EXPECT_FALSE(checkTimer.Enabled());
  EXPECT_FALSE(connectionTimer.Enabled());
  EXPECT_FALSE(counter.Enabled());
  EXPECT_EQ(0, stayOnTopCalls);
  EXPECT_EQ("1", Key("ExclusivWindowCount"));
  EXPECT_FALSE(FileExists(dir.File("Wachtposten.log")));
}

TEST_F(ConfigIniTest, StoredSwitchesAreAppliedToTheMainWindowParts) {
  WriteConfig("ExclusivWindow=1\r\nExclusivWindowCount=3\r\nDF\xDCLookUp=1\r\nStayOnTop=1\r\n"
              "0190CheckInterval=3\r\nLogAutoPop=7\r\n");
  TConfigIni config(Targets());
  EXPECT_TRUE(counter.Enabled());
  EXPECT_EQ(3, counter.MaxWindows());
  EXPECT_TRUE(connectionTimer.Enabled());
  EXPECT_EQ(1, stayOnTopCalls);
  EXPECT_TRUE(checkTimer.Enabled());
  EXPECT_EQ(30000u, checkTimer.Interval());
  EXPECT_TRUE(config.GetLogAutoPop());
  EXPECT_TRUE(FileExists(dir.File("Wachtposten.log")));
  config.SetLogAutoPop(true);
  EXPECT_EQ("1", Key("LogAutoPop"));
}

TEST_F(ConfigIniTest, HandEditedNumbersAreParsedStrictlyAndBroughtIntoRange) {
  WriteConfig("PiS=12abc\r\nExclusivWindowCount=-4\r\n0190CheckInterval=999\r\nStartIEMax=0x1\r\n");
  TConfigIni config(Targets());
  EXPECT_FALSE(config.GetPiS());
  EXPECT_FALSE(config.GetStartIEMax());
  EXPECT_EQ(1, config.GetExclusivWindowCount());
  EXPECT_EQ("1", Key("ExclusivWindowCount"));
  EXPECT_EQ(60, config.CheckInterval());
  EXPECT_EQ(600000u, checkTimer.Interval());

  EXPECT_EQ(0, NormalizedCheckInterval(0));
  EXPECT_EQ(1, NormalizedCheckInterval(-5));
  EXPECT_EQ(60, NormalizedCheckInterval(2147483647));
  EXPECT_EQ(1, NormalizedWindowCount(0));
  EXPECT_EQ(1, NormalizedWindowCount(-2147483647 - 1));
}

TEST_F(ConfigIniTest, SettersWriteAtOnceAndSwitchTheirParts) {
  TConfigIni config(Targets());
  config.SetExclusivWindow(true);
  EXPECT_TRUE(counter.Enabled());
  EXPECT_EQ("1", Key("ExclusivWindow"));
  config.SetExclusivWindowCount(2);
  EXPECT_EQ(2, counter.MaxWindows());
  EXPECT_EQ("2", Key("ExclusivWindowCount"));
  config.SetDfueLookUp(true);
  EXPECT_TRUE(connectionTimer.Enabled());
  EXPECT_EQ("1", Key("DF\xDCLookUp"));
  config.SetPiS(false);
  EXPECT_EQ("0", Key("PiS"));
  config.SetLanguage("en");
  EXPECT_EQ("en", Key("Language"));

  config.Set0190CheckInterval(20, true);
  EXPECT_EQ("20", Key("0190CheckInterval"));
  EXPECT_TRUE(checkTimer.Enabled());
  EXPECT_EQ(200000u, checkTimer.Interval());
  config.Set0190CheckInterval(20, false);
  EXPECT_EQ("0", Key("0190CheckInterval"));
  EXPECT_FALSE(checkTimer.Enabled()) << "switched off at once";
  EXPECT_EQ(0, config.CheckInterval());
}

TEST_F(ConfigIniTest, AutoStartWritesTheQuotedPathAndRemovesIt) {
  RunKey.root = HKEY_CURRENT_USER;
  RunKey.subKey = "Software\\WachtpostenTest\\Run" + std::to_string(GetCurrentProcessId());
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  // A value left by a copy of the program in another folder does not start this one.
  const char other[] = "\"C:\\Alt\\Wachtposten.exe\"";
  RegSetValueExA(key, "Wachtposten", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
  WriteConfig("AutoStart=1\r\n");
  TConfigIni config(Targets());
  EXPECT_FALSE(config.GetAutoStart());

  MessageBoxWatcher boxes;
  config.SetAutoStart(true);
  char data[MAX_PATH + 3] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Wachtposten", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(data), &size));
  EXPECT_EQ("\"" + ExePath() + "\"", std::string(data));
  EXPECT_EQ(ExePath().size() + 3, size);
  EXPECT_TRUE(config.GetAutoStart());
  EXPECT_EQ("1", Key("AutoStart"));

  config.SetAutoStart(false);
  EXPECT_FALSE(AutoStartRegistered());
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Wachtposten", nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(config.GetAutoStart());
  EXPECT_EQ("0", Key("AutoStart"));
  EXPECT_TRUE(boxes.Texts().empty());
  RegCloseKey(key);
  RegDeleteKeyA(RunKey.root, RunKey.subKey.c_str());

  EXPECT_TRUE(IsOwnRunCommand("c:\\PROGRAMME\\wachtposten.EXE", "C:\\Programme\\Wachtposten.exe"));
  EXPECT_FALSE(IsOwnRunCommand("\"\"", "C:\\Programme\\Wachtposten.exe"));
}

// A save refused at any step changes nothing: not Config.ini, not the Run value, not what is
// held or switched. One that goes through is whole, also when the file is taken right after.
TEST_F(ConfigIniTest, ARefusedSaveChangesNothingAndAGoodOneIsWhole) {
  RunKey.root = HKEY_CURRENT_USER;
  RunKey.subKey = "Software\\WachtpostenTest\\Save" + std::to_string(GetCurrentProcessId());
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(RunKey.root, RunKey.subKey.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const char other[] = "\"C:\\Alt\\Wachtposten.exe\"";
  RegSetValueExA(key, "Wachtposten", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
  WriteConfig("Language=en\r\nExclusivWindowCount=1\r\n");
  ScanningActive = 1;
  TConfigIni config(Targets());
  const std::string before = ReadFileBytes(dir.File("Config.ini"));
  auto runValue = [&] {
    char data[MAX_PATH + 3] = {};
    DWORD size = sizeof data;
    return RegQueryValueExA(key, "Wachtposten", nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                            &size) == ERROR_SUCCESS ? std::string(data) : "<none>";
  };
  GeneralOptions options;
  options.stayOnTop = options.autoStart = options.exclusivWindow = options.pis = true;
  options.windowCount = 2;
  MessageBoxWatcher boxes;
  {
    HeldFile held(dir.File("Config.ini"));
    EXPECT_THROW(config.SetAutoStart(true), EIniWriteError);
    EXPECT_THROW(config.SaveGeneral(options), EIniWriteError);
  }
  EXPECT_EQ(other, runValue());
  // The words' file refuses after Config.ini was written: Config.ini is put back.
  EXPECT_THROW(config.SaveGeneral(options, [&] { throw EIniWriteError(dir.File("User.ini")); }),
               EIniWriteError);
  EXPECT_EQ(other, runValue());
  EXPECT_EQ(before, ReadFileBytes(dir.File("Config.ini")));
  EXPECT_FALSE(config.GetStayOnTop() || config.GetAutoStart() || config.GetPiS());
  EXPECT_EQ(1, config.GetExclusivWindowCount());
  EXPECT_FALSE(counter.Enabled());
  EXPECT_TRUE(boxes.Texts().empty());

  {
    LockAfterWrite scanner(dir.File("Config.ini"));
    config.SaveGeneral(options);
    EXPECT_TRUE(scanner.Taken());
  }
  EXPECT_EQ("\"" + ExePath() + "\"", runValue());
  for (const char* k : {"StayOnTop", "AutoStart", "ExclusivWindow", "PiS"}) EXPECT_EQ("1", Key(k)) << k;
  EXPECT_EQ("2", Key("ExclusivWindowCount"));
  EXPECT_EQ("en", Key("Language"));
  EXPECT_TRUE(config.GetStayOnTop() && config.GetAutoStart() && config.GetPiS());
  EXPECT_TRUE(counter.Enabled());
  EXPECT_EQ(2, config.GetExclusivWindowCount());
  RegCloseKey(key);
  RegDeleteKeyA(RunKey.root, RunKey.subKey.c_str());
}

TEST_F(ConfigIniTest, RefusedAutoStartIsReportedAndNotShownAsOn) {
  RunKey.root = HKEY_CURRENT_USER;
  RunKey.subKey = "Software\\WachtpostenTest\\NoSuchKey\\Run";
  WriteConfig("AutoStart=1\r\n");
  TConfigIni config(Targets());
  // The file said on, but nothing is registered.
  EXPECT_FALSE(config.GetAutoStart());
  MessageBoxWatcher boxes;
  config.SetAutoStart(true);
  ASSERT_TRUE(boxes.WaitForCount(1, 5000));
  EXPECT_EQ(Text(txt::AutoStartNotSet), boxes.Texts()[0]);
  EXPECT_FALSE(config.GetAutoStart());
  EXPECT_EQ("0", Key("AutoStart"));
  // Switching off what was never registered succeeds, key or no key: nothing to report.
  config.SetAutoStart(false);
  EXPECT_EQ(1u, boxes.Texts().size());
  EXPECT_EQ("0", Key("AutoStart"));
}

TEST_F(ConfigIniTest, UnwritableConfigStillStartsAndReportsWhereItCannotWrite) {
  CreateDirectoryA(dir.File("Config.ini").c_str(), nullptr);
  MessageBoxWatcher boxes;
  TConfigIni config(Targets());
  // Not while the object is built: the main window has it reported once its lists stand.
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_EQ(1, config.GetExclusivWindowCount());
  config.ReportStartupWriteError();
  ASSERT_TRUE(boxes.WaitForCount(1, 5000));
  EXPECT_EQ("nach " + dir.File("Config.ini") + " kann nicht geschrieben werden", boxes.Texts()[0]);
  config.ReportStartupWriteError();
  EXPECT_EQ(1u, boxes.Texts().size()) << "reported once";
  EXPECT_THROW(config.SetPiS(true), EIniWriteError);
  EXPECT_FALSE(config.GetPiS()) << "a refused write changes nothing held";
}

// Held at start: defaults, nothing switched on and nothing written (not even the corrected
// window limit); read again once free, the stored settings switch on what they ask for.
TEST_F(ConfigIniTest, AHeldFileIsNotReadAsDefaultsAndIsReadAgainOnceFree) {
  WriteConfig("DF\xDCLookUp=1\r\n0190CheckInterval=3\r\nExclusivWindow=1\r\n"
              "ExclusivWindowCount=0\r\nStayOnTop=1\r\n");
  std::string before = ReadFileBytes(dir.File("Config.ini"));
  ScanningActive = 1;
  std::unique_ptr<TConfigIni> config;
  {
    HeldFile held(dir.File("Config.ini"));
    config.reset(new TConfigIni(Targets(), 0));
    EXPECT_TRUE(config->Unread());
    EXPECT_FALSE(config->GetDfueLookUp());
    EXPECT_FALSE(config->Reload(0));
  }
  EXPECT_FALSE(connectionTimer.Enabled());
  EXPECT_FALSE(checkTimer.Enabled());
  EXPECT_FALSE(counter.Enabled());
  EXPECT_EQ(0, stayOnTopCalls);
  EXPECT_EQ(before, ReadFileBytes(dir.File("Config.ini")));

  EXPECT_TRUE(config->Reload(0));
  EXPECT_FALSE(config->Unread());
  EXPECT_TRUE(config->GetDfueLookUp());
  EXPECT_TRUE(connectionTimer.Enabled());
  EXPECT_TRUE(checkTimer.Enabled());
  EXPECT_EQ(30000u, checkTimer.Interval());
  EXPECT_TRUE(counter.Enabled());
  EXPECT_EQ(1, stayOnTopCalls);
  EXPECT_EQ("1", Key("ExclusivWindowCount"));
}
