#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "Controls.h"
#include "Dialog.h"
#include "IniFile.h"

// A decoded picture: rows from top to bottom, three bytes a pixel in the order R, G, B.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
};

// The largest picture DecodeJpeg accepts in either direction; the dialog's banners are 283 x 57.
constexpr int kMaxPictureSide = 4096;

// Decodes a JPEG file held in memory. False, with `out` left empty, for anything libjpeg cannot
// decode without complaint (corrupt, truncated, too large): such a picture is not shown at all.
bool DecodeJpeg(const std::string& bytes, RgbPicture& out);
// A 24-bit DIB section of the picture, or nullptr for an empty one. The caller deletes it.
HBITMAP BitmapFromPicture(const RgbPicture& picture);

// Where the dialog takes its banners' bytes from: by default the program's RCDATA resource of
// that ID ("" when it is missing). Tests put a source of their own in its place.
using PictureBytesSource = std::string (*)(int resourceId);
extern PictureBytesSource DialupPictureBytes;
std::string ResourcePictureBytes(int resourceId);

// The trusted connection names of User.ini [WhiteConnections]: the value of every non-empty
// key, in the file's order. A hand-edited gap in the numbering hides no name behind it.
std::vector<std::string> TrustedConnectionNames(const IniFile& userIni);

// The key under which a name joins User.ini [WhiteConnections], given the section's keys and
// values as they stand: the first of "1", "2", ... that holds no name. No stored name is ever
// overwritten, and the new name stands before any gap, where every reader of the list finds
// it. Empty when there is nothing to write: the name is empty or is stored already.
std::string TrustedNameKey(const std::vector<std::pair<std::string, std::string>>& section,
                           const std::string& name);

enum class TrustMark { Marked, AlreadyTrusted, NoName, Unreadable };
// Adds the name to [WhiteConnections] of this User.ini with one write. A failed write throws
// EIniWriteError and leaves the file as it was. A file held by another program beyond the wait
// is not written: the key would be chosen blind and could take an entry's place.
TrustMark MarkConnectionTrusted(IniFile& userIni, const std::string& name);

// Warns that the connection of a phonebook entry that is not trusted has just been hung up,
// and offers to mark the entry as trusted. Shown with RunModal(nullptr).
class TFDialUp : public ModalDialog {
 public:
  TFDialUp(int languageOffset, const std::string& entryName);
  ~TFDialUp() override;

  const std::string& BlockedEntryName() const { return BlockedEntryName_; }
  int BlockedLanguageOffset() const { return BlockedLanguageOffset_; }

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void Label6Click();
  void Button1Click() { End(IDOK); }
  void PlaceLabel(Control& label, int x, int y);
  HBITMAP LoadBanner(int resourceId);

  Control Button1, Label5, Label3, Label2, Label1, Image2, Image1, Label6;
  std::string BlockedEntryName_;
  int BlockedLanguageOffset_;
  HFONT boldFont_ = nullptr;
  HBITMAP banner1_ = nullptr, banner2_ = nullptr;
};
