#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Dialog.h"

// The log file of a kind: "Popup" the pop-up log, "Connection" the connection log (compared
// exactly); "" for any other kind.
std::string LogPathForKind(const std::string& kind);

// The lines of a log as the viewer lists them: each line whole, however long, without its line
// end (LF or CR LF); a last line without a line end counts. A NUL byte, which would cut the
// list item short, shows as a blank.
std::vector<std::string> LogLines(const std::string& bytes);

enum class LogRead { Read, Missing, Unreadable };
// Reads the whole file without locking it against the program's own writers. On Unreadable,
// bytes holds what could be read before the failure.
LogRead ReadLogFile(const std::string& path, std::string& bytes);

// Shows one of the program's logs line by line. The log is read once, when the object is made;
// a missing or unreadable log is reported then, and the viewer opens empty (or with what could
// be read).
class TFLog : public ModalDialog {
 public:
  explicit TFLog(const std::string& kind);

  const std::vector<std::string>& Lines() const { return lines_; }

  // Components, attached while the dialog is shown.
  ListBox ListBox1;
  Button Button1;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;

 private:
  void Button1Click();
  // Long lines are shown whole: the list scrolls sideways as far as the widest needs.
  void SetHorizontalExtent();

  std::vector<std::string> lines_;
};
