#include "Dialup.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <unordered_set>

// After windows.h: libjpeg's Windows configuration takes windows.h's `boolean` (unsigned char).
#include <jpeglib.h>

#include "AppPaths.h"
#include "DialupRes.h"
#include "MsgBox.h"
#include "Strings.h"
#include "TextIds.h"
#include "Window.h"

namespace {
constexpr int kClientWidth = 323, kClientHeight = 220;
const char kWhiteConnections[] = "WhiteConnections";
const char kNamePrefix[] = "Name: ";
const COLORREF kEntryColour = RGB(255, 0, 0);
const COLORREF kLinkColour = RGB(0, 0, 255);

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the setjmp of the decoding step that is running.
struct JpegErrors {
  jpeg_error_mgr mgr;  // first member: libjpeg holds a pointer to it
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings (level -1) are counted, not printed: the caller refuses a picture that had any.
void CountJpegWarning(j_common_ptr info, int level) {
  if (level < 0) ++info->err->num_warnings;
}

// The two steps below are the only frames libjpeg can jump out of: they hold nothing with a
// destructor.
bool StartJpeg(jpeg_decompress_struct* info, JpegErrors* errors, const unsigned char* data,
               unsigned long size) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(info);
  jpeg_mem_src(info, data, size);
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
  if (info->image_width > static_cast<unsigned>(kMaxPictureSide) ||
      info->image_height > static_cast<unsigned>(kMaxPictureSide))
    return false;
  info->out_color_space = JCS_RGB;
  jpeg_start_decompress(info);
  return info->output_components == 3;
}

bool ReadJpegRows(jpeg_decompress_struct* info, JpegErrors* errors, unsigned char* pixels) {
  if (setjmp(errors->jump)) return false;
  const std::size_t stride = static_cast<std::size_t>(info->output_width) * 3;
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = pixels + info->output_scanline * stride;
    if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(info);
  return info->err->num_warnings == 0;
}

}  // namespace

bool DecodeJpeg(const std::string& bytes, RgbPicture& out) {
  out = RgbPicture();
  if (bytes.empty()) return false;
  jpeg_decompress_struct info;
  JpegErrors errors;
  std::memset(&info, 0, sizeof info);
  info.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = JumpOnJpegError;
  errors.mgr.emit_message = CountJpegWarning;
  RgbPicture picture;
  bool ok = StartJpeg(&info, &errors, reinterpret_cast<const unsigned char*>(bytes.data()),
                      static_cast<unsigned long>(bytes.size()));
  if (ok) {
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    ok = ReadJpegRows(&info, &errors, picture.pixels.data());
  }
  jpeg_destroy_decompress(&info);
  if (ok) out = std::move(picture);
  return ok;
}

HBITMAP BitmapFromPicture(const RgbPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return nullptr;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = picture.width;
  bi.bmiHeader.biHeight = -picture.height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return bitmap;
  // DIB rows are B, G, R and padded to whole DWORDs.
  const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) & ~std::size_t(3);
  auto* dst = static_cast<unsigned char*>(bits);
  for (int y = 0; y < picture.height; ++y) {
    const unsigned char* src = &picture.pixels[static_cast<std::size_t>(y) * picture.width * 3];
    unsigned char* row = dst + y * stride;
    for (int x = 0; x < picture.width; ++x) {
      row[x * 3] = src[x * 3 + 2];
      row[x * 3 + 1] = src[x * 3 + 1];
      row[x * 3 + 2] = src[x * 3];
    }
  }
  return bitmap;
}

std::string ResourcePictureBytes(int resourceId) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), RT_RCDATA);
  if (!found) return std::string();
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::string();
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

PictureBytesSource DialupPictureBytes = &ResourcePictureBytes;

std::vector<std::string> TrustedConnectionNames(const IniFile& userIni) {
  std::vector<std::string> names;
  for (const auto& entry : userIni.ReadSection(kWhiteConnections))
    if (!entry.second.empty()) names.push_back(entry.second);
  return names;
}

std::string TrustedNameKey(const std::vector<std::pair<std::string, std::string>>& section,
                           const std::string& name) {
  if (name.empty()) return std::string();
  std::unordered_set<std::string> taken;
  for (const auto& entry : section) {
    if (entry.second == name) return std::string();
    if (!entry.second.empty()) taken.insert(entry.first);
  }
  for (int n = 1;; ++n) {
    std::string key = std::to_string(n);
    if (!taken.count(key)) return key;
  }
}

TrustMark MarkConnectionTrusted(IniFile& userIni, const std::string& name) {
  if (name.empty()) return TrustMark::NoName;
  IniFile::Entries trusted;
  if (!userIni.TryReadSection(kWhiteConnections, trusted)) return TrustMark::Unreadable;
  std::string key = TrustedNameKey(trusted, name);
  if (key.empty()) return TrustMark::AlreadyTrusted;
  userIni.WriteString(kWhiteConnections, key, name);
  return TrustMark::Marked;
}

TFDialUp::TFDialUp(int languageOffset, const std::string& entryName)
    : ModalDialog(IDD_DIALUP), BlockedEntryName_(entryName), BlockedLanguageOffset_(languageOffset) {}

TFDialUp::~TFDialUp() {
  // The window, and with it every control that used these, is gone once RunModal returned.
  if (boldFont_) DeleteObject(boldFont_);
  if (banner1_) DeleteObject(banner1_);
  if (banner2_) DeleteObject(banner2_);
}

void TFDialUp::OnInit() {
  Button1.Attach(Item(IDB_DU_BUTTON1));
  Label5.Attach(Item(IDT_DU_LABEL5));
  Label3.Attach(Item(IDT_DU_LABEL3));
  Label2.Attach(Item(IDT_DU_LABEL2));
  Label1.Attach(Item(IDT_DU_LABEL1));
  Image2.Attach(Item(IDP_DU_IMAGE2));
  Image1.Attach(Item(IDP_DU_IMAGE1));
  Label6.Attach(Item(IDT_DU_LABEL6));

  LOGFONTA lf = {};
  if (HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)))
    GetObjectA(dialogFont, sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  boldFont_ = CreateFontIndirectA(&lf);
  SendMessageA(Label2.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), FALSE);
  MakeLinkLabel(Label6.hwnd());

  const int L = BlockedLanguageOffset_;
  Label1.SetText(RawText(txt::DialupWhat + L));
  Label2.SetText(kNamePrefix + BlockedEntryName_);
  Label3.SetText(RawText(txt::DialupAdvice1 + L));
  Label5.SetText(RawText(txt::DialupAdvice2 + L));
  Label6.SetText(RawText(txt::DialupMarkLink + L));

  // Each banner is decoded only when it is the one shown; one that cannot be decoded leaves
  // its place empty.
  Control& shown = L == 0 ? Image1 : Image2;
  HBITMAP& banner = L == 0 ? banner1_ : banner2_;
  banner = LoadBanner(L == 0 ? IDR_DU_BANNER_DE : IDR_DU_BANNER_EN);
  if (banner)
    SendMessageA(shown.hwnd(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner));
  Image1.Show(L == 0);
  Image2.Show(L != 0);

  SetDialogClientSize(hwnd(), kClientWidth, kClientHeight);
  PlaceControl(Button1.hwnd(), 124, 186, 75, 24);
  // The pictures keep their own size, centred in their larger place above 96 dpi.
  PlaceControl(Image1.hwnd(), 20, 9, 283, 57);
  PlaceControl(Image2.hwnd(), 20, 9, 283, 57);
  PlaceLabel(Label5, 5, 141);
  PlaceLabel(Label3, 5, 125);
  PlaceLabel(Label2, 5, 101);
  PlaceLabel(Label1, 5, 77);
  PlaceLabel(Label6, 8, 160);
  SendMessageA(hwnd(), DM_SETDEFID, IDB_DU_BUTTON1, 0);
  CenterOnDesktop(hwnd());
}

HBITMAP TFDialUp::LoadBanner(int resourceId) {
  RgbPicture picture;
  if (!DecodeJpeg(DialupPictureBytes(resourceId), picture)) return nullptr;
  return BitmapFromPicture(picture);
}

// Labels take the size of their text, up to as far from the right edge as they stand from the
// left; a longer text grows the label and the dialog with it (FitToTexts), that margin kept.
void TFDialUp::PlaceLabel(Control& label, int x, int y) {
  std::string text = label.GetText();
  SIZE size = {0, 0};
  if (HDC dc = GetDC(label.hwnd())) {
    HGDIOBJ old = nullptr;
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageA(label.hwnd(), WM_GETFONT, 0, 0)))
      old = SelectObject(dc, font);
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA tm;
    if (GetTextMetricsA(dc, &tm)) size.cy = tm.tmHeight;
    if (old) SelectObject(dc, old);
    ReleaseDC(label.hwnd(), dc);
  }
  int room = Scale(kClientWidth - x) - Scale(x);
  SetWindowPos(label.hwnd(), nullptr, Scale(x), Scale(y), size.cx < room ? size.cx : room, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TFDialUp::OnCommand(int id, int notifyCode) {
  if (id == IDT_DU_LABEL6 && notifyCode == STN_CLICKED) {
    Label6Click();
    return true;
  }
  if ((id == IDB_DU_BUTTON1 && notifyCode == BN_CLICKED) || id == IDOK) {
    Button1Click();
    return true;
  }
  return false;
}

bool TFDialUp::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  switch (msg) {
    case WM_CTLCOLORDLG:
      result = reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
      return true;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      SetBkColor(dc, RGB(255, 255, 255));
      if (control == Label2.hwnd()) SetTextColor(dc, kEntryColour);
      if (control == Label6.hwnd()) SetTextColor(dc, kLinkColour);
      result = reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
      return true;
    }
    case WM_SETCURSOR:
      if (!LinkCursor(reinterpret_cast<HWND>(wp), {Label6.hwnd()})) return false;
      result = TRUE;
      return true;
    default:
      return false;
  }
}

void TFDialUp::Label6Click() {
  // A failed write throws: the dialog's guard shows the write error and the dialog stays.
  IniFile userIni(ProgramDir() + "User.ini");
  TrustMark mark = MarkConnectionTrusted(userIni, BlockedEntryName_);
  if (mark == TrustMark::NoName) {
    SysMessage(RawText(txt::DialupNoName + BlockedLanguageOffset_));
    return;
  }
  if (mark == TrustMark::Unreadable) {
    std::string text = RawText(txt::ListNotSavedUnreadable + BlockedLanguageOffset_);
    std::string::size_type at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, userIni.path());
    SysMessage(text);
    return;
  }
  SysMessage(RawText(txt::DialupMarked + BlockedLanguageOffset_));
  End(IDOK);
}
