#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "Controls.h"
#include "Dialog.h"

// The log file of a kind: "Popup" the pop-up log, "Connection" the connection log (compared
// exactly); "" for any other kind.
std::string LogPathForKind(const std::string& kind);

// The lines of a log as they are read, a chunk at a time: each line whole, however long,
// without its line end (LF or CR LF); a last line without a line end counts once the log is
// finished. A NUL byte, which would cut the line short, shows as a blank. The bytes are kept
// as they were read, in whatever code page the log was written.
class LogText {
 public:
  // Room for this many bytes, where it can be had; reading works without it.
  void Reserve(std::size_t bytes);
  std::size_t MaxSize() const { return bytes_.max_size(); }
  // Throws std::bad_alloc, and then keeps nothing of `data`, where memory runs out.
  void Append(const char* data, std::size_t size);
  // The rest after the last line end counts as a line from now on.
  void Finish();
  bool EndsInLineEnd() const { return !bytes_.empty() && bytes_.back() == '\n'; }

  std::size_t Count() const { return ends_.size(); }
  // Line i: where it starts and how many bytes it has.
  const char* LineData(std::size_t i) const { return bytes_.data() + Start(i); }
  std::size_t LineSize(std::size_t i) const;
  std::string Line(std::size_t i) const { return std::string(LineData(i), LineSize(i)); }

 private:
  std::size_t Start(std::size_t i) const { return i == 0 ? 0 : ends_[i - 1] + 1; }
  std::string bytes_;
  // Where each line ends: its LF, or the end of the bytes for a last line without one.
  std::vector<std::size_t> ends_;
  bool finished_ = false;
};

std::vector<std::string> LogLines(const std::string& bytes);

enum class LogRead { Read, Missing, Unreadable };

// A log opened for reading without locking it against the program's own writers. It is read
// as far as it reached when it was opened, and on to the end of the line that was being
// written then: what is appended later is not read.
class LogReader {
 public:
  LogReader() = default;
  ~LogReader() { Close(); }
  LogReader(const LogReader&) = delete;
  LogReader& operator=(const LogReader&) = delete;

  LogRead Open(const std::string& path);
  enum class Step { More, Done, Failed, OutOfMemory };
  // Reads up to `bytes` more into `text`; at Done `text` is finished. After Failed or
  // OutOfMemory it keeps what was read before and is finished too.
  Step ReadSome(LogText& text, std::size_t bytes);
  bool Done() const { return done_; }
  // The size the log had when it was opened.
  unsigned long long Size() const { return size_; }

 private:
  void Close();
  HANDLE file_ = INVALID_HANDLE_VALUE;
  unsigned long long size_ = 0, left_ = 0;
  bool done_ = true;
};

// Shows one of the program's logs line by line. The log is opened when the object is made and
// read as far as it then reached; a missing or unreadable log is reported then, and the viewer
// opens empty (or with what could be read). A big log is read on while the viewer is open, in
// short steps between the program's other work, so the guard keeps running and the first lines
// show at once.
class TFLog : public ModalDialog {
 public:
  explicit TFLog(const std::string& kind);

  // The lines read so far.
  std::vector<std::string> Lines() const;

  // Components, attached while the dialog is shown. The list box holds no texts of its own:
  // it draws and answers for each item from the lines read.
  Control ListBox1;
  Button Button1;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void Button1Click();
  // One step of reading, for a short while; reports a failure and stops at the end.
  void ReadOn();
  bool ReadFor(double ms);
  // Puts the lines read so far into the list box, and grows how far it scrolls sideways.
  void ShowLines();
  void MeasureFont();
  void DrawItem(const DRAWITEMSTRUCT& item) const;
  static LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnListMessage(HWND list, UINT msg, WPARAM wp, LPARAM lp);

  LogText text_;
  LogReader reader_;
  LogReader::Step failure_ = LogReader::Step::Done;
  WNDPROC listProc_ = nullptr;
  // Long lines are shown whole: the list scrolls sideways as far as the widest needs.
  int charWidths_[256] = {};
  int tabPixels_ = 1;
  std::size_t measured_ = 0;
  int widest_ = 0;
};
