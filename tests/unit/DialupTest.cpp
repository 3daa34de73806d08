#include "Dialup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "AppPaths.h"
#include "DialogUser.h"
#include "DialupRes.h"
#include "MessageBoxWatcher.h"
#include "Strings.h"
#include "TempDir.h"
#include "Window.h"

namespace {
using Section = std::vector<std::pair<std::string, std::string>>;

enum class Action { MarkLink, Button1, CloseBox };

// What the user saw of the dialog once it stood.
struct DialupSeen {
  bool found = false;
  std::string caption, button, label1, label2, label3, label5, label6;
  bool image1Visible = false, image2Visible = false;
  bool image1HasPicture = false, image2HasPicture = false;
  bool label2Bold = false;
  COLORREF label2Colour = 0, label6Colour = 0;
  RECT client = {};
  RECT image1 = {};
  std::vector<bool> openAfterStep;
};

// The colour the dialog gives a static control's text.
COLORREF TextColourOf(HWND dlg, HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageA(dlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

// Notes what the dialog shows, then acts step by step.
void PlayDialup(HWND dlg, const std::vector<Action>& steps, DialupSeen& seen) {
  auto text = [dlg](int id) { return ItemText(dlg, id); };
  seen.caption = GetWindowTextString(dlg);
  seen.button = text(IDB_DU_BUTTON1);
  seen.label1 = text(IDT_DU_LABEL1);
  seen.label2 = text(IDT_DU_LABEL2);
  seen.label3 = text(IDT_DU_LABEL3);
  seen.label5 = text(IDT_DU_LABEL5);
  seen.label6 = text(IDT_DU_LABEL6);
  HWND image1 = GetDlgItem(dlg, IDP_DU_IMAGE1), image2 = GetDlgItem(dlg, IDP_DU_IMAGE2);
  seen.image1Visible = IsWindowVisible(image1) != FALSE;
  seen.image2Visible = IsWindowVisible(image2) != FALSE;
  seen.image1HasPicture = SendMessageA(image1, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
  seen.image2HasPicture = SendMessageA(image2, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
  LOGFONTA lf = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dlg, IDT_DU_LABEL2), WM_GETFONT,
                                                  0, 0)),
             sizeof lf, &lf);
  seen.label2Bold = lf.lfWeight >= FW_BOLD;
  seen.label2Colour = TextColourOf(dlg, GetDlgItem(dlg, IDT_DU_LABEL2));
  seen.label6Colour = TextColourOf(dlg, GetDlgItem(dlg, IDT_DU_LABEL6));
  GetClientRect(dlg, &seen.client);
  GetWindowRect(image1, &seen.image1);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&seen.image1), 2);
  for (Action step : steps) {
    switch (step) {
      case Action::MarkLink:
        Click(dlg, IDT_DU_LABEL6, STN_CLICKED);
        break;
      case Action::Button1:
        Click(dlg, IDB_DU_BUTTON1);
        break;
      case Action::CloseBox:
        SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    seen.openAfterStep.push_back(IsOpen(dlg));
  }
}

std::string PictureGarbage(int) { return "\xFF\xD8\xFF\xE0 this is no picture at all"; }

struct DialupTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    SetProgramDirForTests(dir.path());
    LanguageOffset = 0;
  }
  void TearDown() override {
    SetProgramDirForTests("");
    DialupPictureBytes = &ResourcePictureBytes;
  }
  DialupSeen Show(int offset, const std::string& entry, std::vector<Action> steps) {
    DialupSeen seen;
    DialogUser user(IDT_DU_LABEL6, [&](HWND dlg) { PlayDialup(dlg, steps, seen); });
    TFDialUp dialog(offset, entry);
    EXPECT_NE(-1, dialog.RunModal(nullptr));
    seen.found = user.Stop();
    return seen;
  }
  std::string UserIni() const { return dir.File("User.ini"); }
  void Write(const char* key, const char* value) {
    WritePrivateProfileStringA("WhiteConnections", key, value, UserIni().c_str());
  }
  Section Stored() const { return IniFile(UserIni()).ReadSection("WhiteConnections"); }
};
}  // namespace

TEST(DialupPictures, BannersDecodeToTheirSize) {
  for (int id : {IDR_DU_BANNER_DE, IDR_DU_BANNER_EN}) {
    RgbPicture picture;
    ASSERT_TRUE(DecodeJpeg(ResourcePictureBytes(id), picture)) << id;
    EXPECT_EQ(283, picture.width);
    EXPECT_EQ(57, picture.height);
    ASSERT_EQ(283u * 57u * 3u, picture.pixels.size());
    // The red bar down the left edge.
    const unsigned char* px = &picture.pixels[(28 * 283 + 3) * 3];
    EXPECT_GT(px[0], 140);
    EXPECT_LT(px[1], 80);
    EXPECT_LT(px[2], 80);
  }
}

TEST(DialupPictures, BrokenDataIsRefusedNotShownHalf) {
  std::string good = ResourcePictureBytes(IDR_DU_BANNER_DE);
  ASSERT_FALSE(good.empty());
  std::string scrambled = good;
  for (std::size_t i = scrambled.size() / 3; i < scrambled.size() - 2; i += 7) scrambled[i] ^= 0x5A;
  // The header of a picture that claims 60000 x 60000 pixels.
  std::string huge = good;
  std::size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(std::string::npos, sof);
  huge[sof + 5] = '\xEA', huge[sof + 6] = '\x60', huge[sof + 7] = '\xEA', huge[sof + 8] = '\x60';
  for (const std::string& bytes :
       {std::string(), PictureGarbage(0), good.substr(0, good.size() / 2), good.substr(0, 300),
        scrambled, huge}) {
    RgbPicture picture;
    picture.width = 1;
    EXPECT_FALSE(DecodeJpeg(bytes, picture)) << bytes.size();
    EXPECT_EQ(0, picture.width);
    EXPECT_TRUE(picture.pixels.empty());
  }
}

TEST(DialupTrustedKey, FirstFreeKeyWithoutTouchingStoredNames) {
  EXPECT_EQ("1", TrustedNameKey({}, "Net"));
  EXPECT_EQ("3", TrustedNameKey({{"1", "A"}, {"2", "B"}}, "Net"));
  // A gap left by hand: the name fills it, so key 4 is neither lost nor overwritten.
  EXPECT_EQ("3", TrustedNameKey({{"1", "A"}, {"2", "B"}, {"4", "D"}}, "Net"));
  EXPECT_EQ("2", TrustedNameKey({{"x", "A"}, {"1", "B"}, {"2", ""}}, "Net"));
  // Stored already (under any key), or no name: nothing to write.
  EXPECT_EQ("", TrustedNameKey({{"1", "A"}, {"5", "Net"}}, "Net"));
  EXPECT_EQ("3", TrustedNameKey({{"1", "A"}, {"2", "net"}}, "Net"));
  EXPECT_EQ("", TrustedNameKey({{"1", "A"}}, ""));
}

TEST(DialupTrustedKey, AListHeldByAnotherProgramIsNotWrittenBlind) {
  // Held past the read's wait but not the write's: a key chosen from the empty read would
  // have taken the place of "Home".
  TempDir dir;
  IniFile user(dir.File("User.ini"));
  user.WriteString("WhiteConnections", "1", "Home");
  {
    HeldFile held(user.path(), 1500);
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(TrustMark::Unreadable, MarkConnectionTrusted(user, "Dialer"));
  }
  EXPECT_EQ((IniFile::Entries{{"1", "Home"}}), user.ReadSection("WhiteConnections"));
}

TEST_F(DialupTest, GermanDialogClosedByButton1ChangesNothing) {
  MessageBoxWatcher boxes;
  DialupSeen seen = Show(0, "T-Online & Co", {Action::Button1});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("Wachtposten & Leitungswart", seen.caption);
  EXPECT_EQ("&OK", seen.button);
  EXPECT_EQ("Folgender DF\xDC-Eintrag versuchte eine Verbindung aufzubauen: ", seen.label1);
  EXPECT_EQ("Name: T-Online & Co", seen.label2);
  EXPECT_EQ("Wenn Sie diese Verbindung aufbauen wollen, m\xFCssen Sie diese", seen.label3);
  EXPECT_EQ("als vertrauensw\xFCrdig angeben.", seen.label5);
  EXPECT_EQ("Als vetrauensw\xFCrdig kennzeichnen!", seen.label6);
  EXPECT_TRUE(seen.image1Visible);
  EXPECT_TRUE(seen.image1HasPicture);
  EXPECT_FALSE(seen.image2Visible);
  EXPECT_TRUE(seen.label2Bold);
  EXPECT_EQ(RGB(255, 0, 0), seen.label2Colour);
  EXPECT_EQ(RGB(0, 0, 255), seen.label6Colour);
  EXPECT_EQ(323, seen.client.right);
  EXPECT_EQ(220, seen.client.bottom);
  EXPECT_EQ(20, seen.image1.left);
  EXPECT_EQ(9, seen.image1.top);
  EXPECT_EQ(283, seen.image1.right - seen.image1.left);
  EXPECT_EQ(std::vector<bool>{false}, seen.openAfterStep);
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_FALSE(FileExists(UserIni()));
}

TEST_F(DialupTest, EnglishDialogShowsTheOtherBannerAndClosesByItsCloseBox) {
  LanguageOffset = 0;  // the dialog follows the offset it is given, not the global one
  DialupSeen seen = Show(kEnglishOffset, "Office", {Action::CloseBox});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("Wachtposten & Leitungswart", seen.caption);
  EXPECT_EQ("Following entry tried to built up a connection: ", seen.label1);
  EXPECT_EQ("If you want to use this connection, you have to mark it", seen.label3);
  EXPECT_EQ("as a trustable connection.", seen.label5);
  EXPECT_EQ("Mark connection as trustable!", seen.label6);
  EXPECT_FALSE(seen.image1Visible);
  EXPECT_TRUE(seen.image2Visible);
  EXPECT_TRUE(seen.image2HasPicture);
  EXPECT_EQ(std::vector<bool>{false}, seen.openAfterStep);
}

TEST_F(DialupTest, MarkingAppendsTheNameAndSaysSoOnTwoLines) {
  Write("1", "Home");
  Write("2", "Work");
  MessageBoxWatcher boxes;
  DialupSeen seen = Show(0, "Mobil", {Action::MarkLink});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(std::vector<bool>{false}, seen.openAfterStep);
  EXPECT_EQ((Section{{"1", "Home"}, {"2", "Work"}, {"3", "Mobil"}}), Stored());
  EXPECT_EQ(std::vector<std::string>{"Die Verbindung wurde als vertrauensw\xFCrdig "
                                     "gekennzeichnet.\nBeim n\xE4" "chsten Aufbau wird die "
                                     "Verbindung nicht mehr getrennt."},
            boxes.Texts());
}

TEST_F(DialupTest, MarkingWithoutSectionWritesKeyOneInTheDialogsLanguage) {
  MessageBoxWatcher boxes;
  LanguageOffset = 0;
  DialupSeen seen = Show(kEnglishOffset, " Quoted \"Net\" ", {Action::MarkLink});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ((Section{{"1", " Quoted \"Net\" "}}), Stored());
  EXPECT_EQ(std::vector<std::string>{
                "The connection was marked as trustable.\nThe next time it won't get disconnected."},
            boxes.Texts());
}

TEST_F(DialupTest, FailedWriteKeepsTheDialogOpenAndTheFileAsItWas) {
  // A directory in place of User.ini: every write to it fails.
  ASSERT_TRUE(CreateDirectoryA(UserIni().c_str(), nullptr));
  MessageBoxWatcher boxes;
  DialupSeen seen = Show(0, "Mobil", {Action::MarkLink, Action::Button1});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  EXPECT_EQ(std::vector<std::string>{"nach " + UserIni() + " kann nicht geschrieben werden"},
            boxes.Texts());
}

TEST_F(DialupTest, NamelessEntryAndBrokenPictureStillShowTheDialog) {
  DialupPictureBytes = &PictureGarbage;
  MessageBoxWatcher boxes;
  DialupSeen seen = Show(0, "", {Action::MarkLink, Action::Button1});
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.image1Visible);
  EXPECT_FALSE(seen.image1HasPicture);
  EXPECT_EQ("Name: ", seen.label2);
  // Nothing to mark: said so, nothing written, the dialog stays until closed.
  EXPECT_EQ((std::vector<bool>{true, false}), seen.openAfterStep);
  EXPECT_EQ(std::vector<std::string>{"Dieser DF\xDC-Eintrag hat keinen Namen und kann nicht als "
                                     "vertrauensw\xFCrdig gekennzeichnet werden."},
            boxes.Texts());
  EXPECT_FALSE(FileExists(UserIni()));
}
