#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Dialog.h"

// The premium-rate check: a phonebook entry whose area code or local number holds a dangerous
// prefix (User.ini [BlackNumbers]) at its start or right behind its first five characters is
// reported, unless its name is trusted (User.ini [WhiteConnections]). It only warns.

// Where prefix first occurs in text, counted from 1; 0 when it does not occur or is empty.
std::size_t FirstPosition(const std::string& text, const std::string& prefix);
// Only the first occurrence counts, case-sensitive: position 1, or 6 (behind five characters).
bool HoldsDangerousPrefix(const std::string& number, const std::string& prefix);

struct PhonebookEntry {
  std::string name, areaCode, localNumber;
};

struct CheckFinding {
  int entry = -1;  // -1: nothing found
  std::string prefix;
};

// The first entry, in the given order, that a prefix matches and whose name no trusted name
// equals exactly; with the first matching prefix in list order.
CheckFinding FindDangerousEntry(const std::vector<PhonebookEntry>& entries,
                                const std::vector<std::string>& prefixes,
                                const std::vector<std::string>& trusted);

// "<name> [Typ: <type>]", as the device list shows a dial-up device.
std::string DeviceLine(const std::string& name, const std::string& type);

// The phonebook entries with their details, and the check. The window exists only while the
// dialog is shown (RunModal); the object lives for the whole run.
class TFCheck0190 : public ModalDialog {
 public:
  TFCheck0190();

  // Checks the entries that RasObject enumerated last against User.ini, read anew. Shows the
  // warning for the first finding; reportNothingFound also reports a check that found
  // nothing. Needs no dialog object. A check that falls due while an earlier one's message box
  // is open (timer ticks run in that box's loop) is skipped: it would only stack the same box.
  // False when the check could not be done: User.ini, with the prefixes and the trusted names,
  // could not be read now. reportNothingFound also says so in a box; a silent check (at start,
  // on the timer) skips that round without one.
  static bool Check(bool reportNothingFound);

  void FillForm();
  void ListBox1Click();
  void Label7Click();
  void Label8Click();
  void Button1Click();

  // Components, attached while the dialog is shown.
  ListBox ListBox1;
  Edit Edit1, Edit2, Edit3, Edit4;
  Control Label1, Label2, Label3, Label4, Label5, Label6;
  Button Button1;
  Control cmbRasDevices;
  Control Label7, Label8;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void FormShow();
  void ShowCurrentEntries(bool selectLast);
};

// The check dialog made at start-up, right after the main window; null before.
extern TFCheck0190* FCheck0190;
