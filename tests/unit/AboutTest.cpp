#include "About.h"

#include <gtest/gtest.h>

#include "AboutRes.h"
#include "DialogUser.h"
#include "Strings.h"
#include "Window.h"

namespace {
struct Opened {
  std::string target;
  int show;
};
std::vector<Opened> opened;
void RecordOpen(HWND, const std::string& target, int show) { opened.push_back({target, show}); }

struct Seen {
  std::string caption, product, version, comments, line1, line2, line3, line4, mail, homepage,
      mailLabel, homepageLabel, button;
  RECT client = {};
  LOGFONTA productFont = {}, commentsFont = {};
  bool handOverLinks = false, handOverOthers = true;
  std::vector<Opened> openedByClicks;
  bool openAfterClicks = false;
};

LOGFONTA FontOf(HWND control) {
  LOGFONTA lf = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf;
}

bool SetsCursor(HWND dlg, int id) {
  return SendMessageA(dlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(dlg, id)),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) != FALSE;
}

void Read(HWND dlg, Seen& seen) {
  auto text = [&](int id) { return ItemText(dlg, id); };
  seen.caption = GetWindowTextString(dlg);
  seen.product = text(IDT_AB_PRODUCTNAME);
  seen.version = text(IDT_AB_VERSION);
  seen.comments = text(IDT_AB_COMMENTS);
  seen.line1 = text(IDT_AB_LABEL1);
  seen.line2 = text(IDT_AB_LABEL2);
  seen.line3 = text(IDT_AB_LABEL4);
  seen.line4 = text(IDT_AB_LABEL3);
  seen.mail = text(IDT_AB_LABEL5);
  seen.homepage = text(IDT_AB_LABEL6);
  seen.mailLabel = text(IDT_AB_LABEL7);
  seen.homepageLabel = text(IDT_AB_LABEL8);
  seen.button = text(IDB_AB_OKBUTTON);
  GetClientRect(dlg, &seen.client);
  seen.productFont = FontOf(GetDlgItem(dlg, IDT_AB_PRODUCTNAME));
  seen.commentsFont = FontOf(GetDlgItem(dlg, IDT_AB_COMMENTS));
  seen.handOverLinks = SetsCursor(dlg, IDT_AB_LABEL5) && SetsCursor(dlg, IDT_AB_LABEL6);
  seen.handOverOthers = SetsCursor(dlg, IDT_AB_LABEL7) || SetsCursor(dlg, IDT_AB_LABEL1);
}

struct AboutBoxTest : ::testing::Test {
  void SetUp() override {
    LanguageOffset = 0;
    opened.clear();
    AboutLinkOpen = &RecordOpen;
  }
  void TearDown() override {
    AboutLinkOpen = &AboutLinkOpenDefault;
    LanguageOffset = 0;
  }
};
}  // namespace

TEST_F(AboutBoxTest, ShowsTheProductInGermanOpensTheLinksAndClosesOnEnter) {
  Seen seen;
  DialogUser user("Info ...", [&](HWND dlg) {
    Read(dlg, seen);
    Click(dlg, IDT_AB_LABEL6, STN_CLICKED);
    Click(dlg, IDT_AB_LABEL5, STN_CLICKED);
    seen.openedByClicks = opened;
    seen.openAfterClicks = IsWindowVisible(dlg) != FALSE;
    // Enter goes through the dialog's own loop, as a typed key does.
    PostMessageA(GetDlgItem(dlg, IDT_AB_LABEL1), WM_KEYDOWN, VK_RETURN, 0);
    WaitGone(dlg);
  });
  TFAboutBox box;
  EXPECT_EQ(IDOK, box.RunModal(nullptr));
  ASSERT_TRUE(user.Found());

  EXPECT_EQ("Wachtposten && Leitungswart", seen.product);  // shown with one ampersand
  EXPECT_EQ("Version 2.1", seen.version);
  EXPECT_EQ("Kommentar:", seen.comments);
  EXPECT_EQ("Dieses leistungsf\xE4hige Tool entfernt l\xE4stige PopUp's w\xE4hrend des", seen.line1);
  EXPECT_EQ("surfens und sch\xFCtzt Sie vor gef\xE4hrlichen Dialern.", seen.line2);
  EXPECT_EQ("Bei Fragen oder Anregungen k\xF6nnen Sie sich gerne per E-Mail bei uns", seen.line3);
  EXPECT_EQ("melden, oder auch auf unserer Homepage vorbeischauen.", seen.line4);
  EXPECT_EQ(kAboutMail, seen.mail);
  EXPECT_EQ(kAboutHomepage, seen.homepage);
  EXPECT_EQ("&OK", seen.button);
  EXPECT_EQ(361, seen.client.right);
  EXPECT_EQ(301, seen.client.bottom);
  EXPECT_EQ(-19, seen.productFont.lfHeight);
  EXPECT_EQ(FW_BOLD, seen.productFont.lfWeight);
  EXPECT_TRUE(seen.commentsFont.lfItalic);
  EXPECT_TRUE(seen.handOverLinks);
  EXPECT_FALSE(seen.handOverOthers);

  // The homepage with the default show command, the mail as a mailto URL shown; the box
  // stays open.
  ASSERT_EQ(2u, seen.openedByClicks.size());
  EXPECT_EQ(kAboutHomepage, seen.openedByClicks[0].target);
  EXPECT_EQ(SW_SHOWDEFAULT, seen.openedByClicks[0].show);
  EXPECT_EQ(std::string("mailto:") + kAboutMail, seen.openedByClicks[1].target);
  EXPECT_EQ(SW_SHOW, seen.openedByClicks[1].show);
  EXPECT_TRUE(seen.openAfterClicks);
  EXPECT_EQ(0u, std::string(kAboutHomepage).find("https://"));
}

TEST_F(AboutBoxTest, InEnglishOnlyTheDescriptionChanges) {
  LanguageOffset = kEnglishOffset;
  Seen seen;
  DialogUser user("Info ...", [&](HWND dlg) {
    Read(dlg, seen);
    SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitGone(dlg);
  });
  TFAboutBox box;
  EXPECT_EQ(IDCANCEL, box.RunModal(nullptr));
  ASSERT_TRUE(user.Found());
  EXPECT_EQ("Info ...", seen.caption);
  EXPECT_EQ("Comment:", seen.comments);
  EXPECT_EQ("This effective tool kills the annoying popups during your internet", seen.line1);
  EXPECT_EQ("session. Also the program protects you from dangerous dialer.", seen.line2);
  EXPECT_EQ("If you have a question or animation, you free to send me an email or", seen.line3);
  EXPECT_EQ("take a look at our homepage.", seen.line4);
  EXPECT_EQ("Wachtposten && Leitungswart", seen.product);
  EXPECT_EQ("Version 2.1", seen.version);
  EXPECT_EQ("E-Mail:", seen.mailLabel);
  EXPECT_EQ("Homepage:", seen.homepageLabel);
  EXPECT_TRUE(opened.empty());
}
