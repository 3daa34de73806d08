#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Dialog.h"

enum class PickOutcome { NothingChosen, AlreadyTrusted, Add };
struct Pick {
  PickOutcome outcome;
  std::string name;  // the name to add
};
// What "add" does with a typed name and the selected phonebook entry (selected null when none
// is). A typed name goes first and is added as typed, even when the trusted list holds it
// already; one of blanks only counts as not typed. A selected entry that the trusted list
// already holds, in any letter case, is not added twice.
Pick DecidePick(const std::string& typed, const std::string* selected,
                const std::vector<std::string>& trusted);

// Picks a phonebook entry, or takes a typed name, for the trusted list of the dialer options
// (FDialerOptions->ListBox2). Writes no file: the dialer options store the list on their OK.
class TFConnectionList : public ModalDialog {
 public:
  TFConnectionList();

  ListBox ListBox1;  // phonebook entry names as the dial-up wrapper enumerated them last
  Button Button1, Button2;
  Control Label1, Label2;
  Edit Edit1;  // a name typed by hand

  void FormShow();
  void ListBox1Click();
  void Button1Click();
  void Button2Click();

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
};

extern TFConnectionList* FConnectionList;
